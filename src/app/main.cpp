#include "app/Application.h"
#include "app/Windows.h"
#include "start/FrmInizio.h"

int main(int argc, char *argv[])
{
    return app::run(argc, argv, [] {
        app::Load<FrmInizio>();
        app::Show<FrmInizio>(app::Modality::Modeless);
    });
}
