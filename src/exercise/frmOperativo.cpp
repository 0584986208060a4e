#include "exercise/frmOperativo.h"

namespace {
constexpr layout::WindowDef kFrmOperativo{
    .caption = "Form1",
    .innerWidth = 11910,
    .innerHeight = 8565,
};
} // namespace

frmOperativo::frmOperativo() : app::Form(kFrmOperativo) {}
