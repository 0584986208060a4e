#include "layout/Resize.h"

namespace layout {

namespace {

// A quotient worked out in double precision and stored rounded to 32 bits; a
// window with no inner area leaves the field at 0.
float fraction(double part, double whole)
{
    return whole != 0 ? static_cast<float>(part / whole) : 0.0f;
}

bool hasPlace(Kind kind)
{
    return kind != Kind::MenuItem;
}

bool hasSize(Kind kind)
{
    return kind != Kind::MenuItem && kind != Kind::Timer;
}

// Timers and menu items have no box to move (nor would combo boxes and lines,
// which no window of the program holds).
bool isMovable(Kind kind)
{
    return kind != Kind::Timer && kind != Kind::MenuItem;
}

} // namespace

ProporzioniControlli MemorizzaProporzioni(const std::vector<Control> &controls, double innerWidth,
                                          double innerHeight)
{
    ProporzioniControlli table(controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlDef *def = controls[i].def;
        if (!def)
            continue;
        Proporzioni &entry = table[i];
        if (hasSize(def->kind)) {
            entry.Larghezza = fraction(def->width, innerWidth);
            entry.Altezza = fraction(def->height, innerHeight);
        }
        if (hasPlace(def->kind)) {
            entry.Sinistra = fraction(def->left, innerWidth);
            entry.Alto = fraction(def->top, innerHeight);
        }
    }
    return table;
}

void ApplicaProporzioni(const std::vector<Control> &controls, const ProporzioniControlli &table,
                        double innerWidth, double innerHeight)
{
    const size_t n = std::min(controls.size(), table.size());
    const auto W = static_cast<float>(innerWidth);
    const auto H = static_cast<float>(innerHeight);
    for (size_t i = 0; i < n; ++i) {
        const ControlDef *def = controls[i].def;
        QWidget *widget = controls[i].widget();
        if (!def || !widget || !isMovable(def->kind))
            continue;
        // Products of two 32-bit values, kept as 32-bit twips; moveControl rounds them to pixels.
        const Proporzioni &entry = table[i];
        const float left = W * entry.Sinistra;
        const float top = H * entry.Alto;
        const float width = W * entry.Larghezza;
        const float height = H * entry.Altezza;
        moveControl(widget, left, top, width, height);
    }
}

} // namespace layout
