#include "info/frmAutore.h"

#include <array>

#include "app/Windows.h"
#include "info/InfoStyle.h"
#include "layout/Controls.h"

namespace {

using namespace layout;

constexpr Font kHeading{"Arial", 18, false};
constexpr Font kAddress{"Arial", 18, true};

// clang-format off
constexpr std::array kControls{
    ControlDef{.name = "Command1", .kind = Kind::CommandButton, .left = 1845, .top = 2796,
               .width = 2700, .height = 648, .caption = info::kCloseCaption,
               .font = info::kCloseButtonFont, .back = info::kCloseButtonColour},
    ControlDef{.name = "Label4", .kind = Kind::Label, .left = 195, .top = 1605, .width = 5955,
               .height = 510, .caption = "talvero@example.org", .font = kAddress, .fore = kBlue},
    ControlDef{.name = "Label3", .kind = Kind::Label, .left = 195, .top = 1170, .width = 1350,
               .height = 435, .caption = "Email:", .font = kHeading},
    ControlDef{.name = "Label2", .kind = Kind::Label, .left = 165, .top = 555, .width = 6795,
               .height = 510, .caption = "https://www.example.org/talvero", .font = kAddress,
               .fore = kBlue},
    ControlDef{.name = "Label1", .kind = Kind::Label, .left = 195, .top = 135, .width = 4455,
               .height = 435, .caption = "Sito dell'autore:", .font = kHeading},
};

constexpr WindowDef kFrmAutore{
    .caption = "Autore",
    .innerWidth = 6975,
    .innerHeight = 3510,
    .back = kLightCyan,
    .controls = kControls,
};
// clang-format on

} // namespace

frmAutore::frmAutore() : app::Form(kFrmAutore)
{
    m_command1 = control<FlatButton>("Command1");
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    client()->setFixedSize(client()->size());
}

void frmAutore::Command1_Click()
{
    app::Unload<frmAutore>();
}
