#pragma once
// Proportional layout: every control keeps the fraction of the window's inner
// area that it had in the design. The fractions are taken once, when the window
// loads, and re-applied from that table at every change of size, so repeated
// resizing never accumulates rounding error. Font sizes never change.

#include <vector>

#include "layout/ControlBuilder.h"

namespace layout {

struct Proporzioni
{
    float Larghezza = 0; // width / inner width
    float Altezza = 0;   // height / inner height
    float Alto = 0;      // top / inner height
    float Sinistra = 0;  // left / inner width
};

using ProporzioniControlli = std::vector<Proporzioni>;

// One entry per control of the collection, from the design geometry at the
// design inner size (twips). A timer has no width or height and a menu item no
// geometry at all: those fields stay 0.
ProporzioniControlli MemorizzaProporzioni(const std::vector<Control> &controls, double innerWidth,
                                          double innerHeight);

// Moves every movable control to its fractions of the inner size (twips);
// timers, menu items, combo boxes and lines are left alone.
void ApplicaProporzioni(const std::vector<Control> &controls, const ProporzioniControlli &table,
                        double innerWidth, double innerHeight);

} // namespace layout
