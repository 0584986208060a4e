#pragma once
// The start window as designed: every control with its container, place and
// size in twips, caption, font and colours, front to back within its container.

#include <array>

#include "layout/ControlDef.h"

namespace start {

using namespace layout;

// The tables are laid out to be read beside the design, one control a row.
// clang-format off

constexpr Rgb kPink{255, 128, 255};

constexpr int kCurtainInterval = 10; // milliseconds
constexpr int kCentreCount = 11;
constexpr int kCommandCount = 3;

constexpr Font kArial18Bold{"Arial", 18, true};
constexpr Font kArialTitle{"Arial", 27.75, true};
constexpr Font kCentreFont{"Arial", 15.75, true};
constexpr Font kCommandFont{"MS Sans Serif", 18, true};
constexpr Font kVersionFont{"Arial", 9.75, true};

constexpr std::array<std::string_view, kCentreCount> kCentreCaptions{
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};

// The centre buttons stand in a grid of three columns, 9 and 10 wider below.
constexpr ControlDef centreButton(int i)
{
    constexpr std::array kColumnLeft{135, 1425, 2715};
    constexpr std::array kRowTop{225, 825, 1425};
    ControlDef def{.name = "Option1", .index = i, .kind = Kind::OptionButton,
                   .container = "frame1", .caption = kCentreCaptions[static_cast<size_t>(i)],
                   .font = kCentreFont, .back = kPeach, .fore = kNavy};
    if (i <= 8) {
        def.left = kColumnLeft[static_cast<size_t>(i % 3)];
        def.top = kRowTop[static_cast<size_t>(i / 3)];
        def.width = 1230;
        def.height = 585;
    } else {
        def.left = i == 9 ? 135 : 2085;
        def.top = 2025;
        def.width = 1860;
        def.height = 630;
    }
    return def;
}

constexpr ControlDef commandButton(int i, std::string_view caption, int top)
{
    return {.name = "Option2", .index = i, .kind = Kind::OptionButton, .container = "Frame2",
            .left = 90, .top = top, .width = 3870, .height = 630, .caption = caption,
            .font = kCommandFont, .back = kPeach, .fore = kNavy};
}

inline constexpr std::array kFrmInizioControls{
    ControlDef{.name = "timerTendine", .kind = Kind::Timer, .enabled = false,
               .interval = kCurtainInterval},
    ControlDef{.name = "Picture1", .kind = Kind::PictureBox, .width = 120, .height = 8310,
               .back = kPink, .dock = Dock::Left},
    ControlDef{.name = "Picture2", .kind = Kind::PictureBox, .left = 11880 - 228, .width = 228,
               .height = 8310, .back = kPink, .dock = Dock::Right},
    ControlDef{.name = "frmTitolo", .kind = Kind::Frame, .left = 0, .top = 0, .width = 11745,
               .height = 2295, .back = kPeach},
    ControlDef{.name = "frame1", .kind = Kind::Frame, .left = 6525, .top = 2805, .width = 4125,
               .height = 2805, .back = kPeach},
    ControlDef{.name = "Frame2", .kind = Kind::Frame, .left = 6525, .top = 5685, .width = 4125,
               .height = 2400, .back = kPeach},
    ControlDef{.name = "Image1", .kind = Kind::Image, .left = 570, .top = 2865, .width = 5310,
               .height = 4755, .resource = ":/sole.jpg"},
    ControlDef{.name = "Label2", .kind = Kind::Label, .left = 6645, .top = 2265, .width = 3930,
               .height = 570, .caption = "Scegli il centro", .font = kArial18Bold,
               .fore = kDarkRed, .align = Align::Center},
    ControlDef{.name = "Label1", .kind = Kind::Label, .left = 570, .top = 2280, .width = 5505,
               .height = 570, .font = kArialTitle, .align = Align::Center},
    ControlDef{.name = "Label5", .kind = Kind::Label, .left = 570, .top = 7740, .width = 5340,
               .height = 465, .caption = "Il nuovo software di Talvero", .font = kArial18Bold,
               .back = kPeach, .fore = kRed, .opaque = true},
    // The title group inside frmTitolo.
    ControlDef{.name = "Label4", .kind = Kind::Label, .container = "frmTitolo", .left = 330,
               .top = 330, .width = 7800, .height = 1395, .caption = "Pinnuvo",
               .font = kArialTitle, .back = kPeach, .fore = kNavy, .opaque = true,
               .align = Align::Center},
    ControlDef{.name = "Label7", .kind = Kind::Label, .container = "frmTitolo", .left = 8730,
               .top = 405, .width = 2250, .height = 1140, .font = kVersionFont, .fore = kBlue},
    ControlDef{.name = "Shape2", .kind = Kind::Shape, .container = "frmTitolo", .left = 90,
               .top = 60, .width = 8160, .height = 1875, .back = kPeach},
    ControlDef{.name = "Shape1", .kind = Kind::Shape, .container = "frmTitolo", .left = 90,
               .top = 90, .width = 8220, .height = 1935, .back = kOrange, .borderWidth = 2},
    ControlDef{.name = "Shape3", .kind = Kind::Shape, .container = "frmTitolo", .left = 8385,
               .top = 60, .width = 3120, .height = 1875, .back = kPeach},
    ControlDef{.name = "Shape4", .kind = Kind::Shape, .container = "frmTitolo", .left = 8340,
               .top = 30, .width = 3180, .height = 1935, .back = kBlue},
    // Centre buttons, stored from 10 down to 0.
    centreButton(10), centreButton(9), centreButton(8), centreButton(7), centreButton(6),
    centreButton(5), centreButton(4), centreButton(3), centreButton(2), centreButton(1),
    centreButton(0),
    commandButton(0, "Vai", 150),
    commandButton(1, "Ripristina", 840),
    commandButton(2, "Esci", 1515),
    ControlDef{.name = "mnuInfo", .kind = Kind::MenuItem, .caption = "Autore"},
};

inline constexpr std::array kFrmInizioTabOrder{
    ControlRef{"Picture2"},    ControlRef{"Picture1"},    ControlRef{"Option1", 0},
    ControlRef{"Option1", 1},  ControlRef{"Option1", 2},  ControlRef{"Option1", 3},
    ControlRef{"Option1", 4},  ControlRef{"Option1", 5},  ControlRef{"Option1", 6},
    ControlRef{"Option1", 7},  ControlRef{"Option1", 8},  ControlRef{"Option1", 9},
    ControlRef{"Option1", 10}, ControlRef{"Option2", 2},  ControlRef{"Option2", 1},
    ControlRef{"Option2", 0},
};

inline constexpr WindowDef kFrmInizio{
    .caption = "Dorvala",
    .innerWidth = 11880,
    .innerHeight = 8310,
    .back = kPeach,
    .controls = kFrmInizioControls,
    .tabOrder = kFrmInizioTabOrder,
};

// clang-format on

} // namespace start
