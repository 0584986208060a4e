#pragma once
// What the two information windows share: their colours and the close button.

#include "layout/ControlDef.h"

namespace info {

constexpr layout::Rgb kCloseButtonColour{128, 255, 255};
constexpr layout::Font kCloseButtonFont{"Arial", 12, false};
constexpr std::string_view kCloseCaption = "C h i u d i";

} // namespace info
