#include "info/frmIstruzioni.h"

#include <array>

#include "app/Windows.h"
#include "info/InfoStyle.h"
#include "layout/Controls.h"

namespace {

using namespace layout;

constexpr Font kTextFont{"Arial", 9.75, true};

constexpr std::array kControls{
    ControlDef{.name = "Command1",
               .kind = Kind::CommandButton,
               .left = 2985,
               .top = 5085,
               .width = 2700,
               .height = 600,
               .caption = info::kCloseCaption,
               .font = info::kCloseButtonFont,
               .back = info::kCloseButtonColour},
    ControlDef{.name = "Label1",
               .kind = Kind::Label,
               .left = 420,
               .top = 60,
               .width = 7995,
               .height = 4710,
               .caption = "Label1",
               .font = kTextFont},
};

constexpr WindowDef kFrmIstruzioni{
    .caption = "ISTRUZIONI",
    .innerWidth = 9000,
    .innerHeight = 5745,
    .back = kLightCyan,
    .controls = kControls,
};

// The lines of the text, each with its own leading and trailing spaces.
constexpr std::array<const char *, 15> kRighe{
    " I dati possono essere immessi con: ",
    " - la tastiera ed il tastierino",
    " - il mouse",
    " - la scansione manuale",
    "",
    "",
    " PER UTILIZZARE LA TASTIERA ED IL TASTIERINO",
    " Premere il numero ordinale del pulsante.",
    " Oltre il numero 9 premere la lettera iniziale dei pulsanti.",
    "",
    " PER UTILIZZARE  IL MOUSE ",
    " Cliccare con il pulsante sinistro.",
    "",
    " PER UTILIZZARE LA SCANSIONE MANUALE ",
    " Premere la BARRA-SPAZIO per scegliere, premere INVIO per confermare.",
};

constexpr QChar kCarriageReturn{13};

} // namespace

frmIstruzioni::frmIstruzioni() : app::Form(kFrmIstruzioni)
{
    m_command1 = control<FlatButton>("Command1");
    m_label1 = control<Label>("Label1");
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    client()->setFixedSize(client()->size());
    // The only control that takes the focus holds it from the first show.
    m_command1->setFocus(Qt::OtherFocusReason);
}

void frmIstruzioni::Form_Load()
{
    TestoIstruzioni.clear();
    for (size_t i = 0; i < kRighe.size(); ++i) {
        TestoIstruzioni += QString::fromUtf8(kRighe[i]);
        if (i + 1 < kRighe.size())
            TestoIstruzioni += kCarriageReturn;
    }
    m_label1->setCaption(TestoIstruzioni);
}

void frmIstruzioni::Command1_Click()
{
    app::Unload<frmIstruzioni>();
}
