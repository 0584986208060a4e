#include "layout/Resize.h"

namespace layout {

namespace {
float ratio(double part, double whole)
{
    return whole != 0 ? static_cast<float>(part / whole) : 0.0f;
}
} // namespace

ProporzioniControlli MemorizzaProporzioni(const std::vector<Control> &controls,
                                          double innerWidth, double innerHeight)
{
    ProporzioniControlli table(controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlDef *def = controls[i].def;
        if (!def || def->kind == Kind::MenuItem)
            continue;
        Proporzioni &entry = table[i];
        if (def->kind != Kind::Timer) {
            entry.Larghezza = ratio(def->width, innerWidth);
            entry.Altezza = ratio(def->height, innerHeight);
        }
        entry.Sinistra = ratio(def->left, innerWidth);
        entry.Alto = ratio(def->top, innerHeight);
    }
    return table;
}

void ApplicaProporzioni(const std::vector<Control> &controls, const ProporzioniControlli &table,
                        double innerWidth, double innerHeight)
{
    const size_t n = std::min(controls.size(), table.size());
    for (size_t i = 0; i < n; ++i) {
        const ControlDef *def = controls[i].def;
        QWidget *widget = controls[i].widget();
        if (!def || !widget || def->kind == Kind::Timer || def->kind == Kind::MenuItem)
            continue;
        const Proporzioni &entry = table[i];
        const auto W = static_cast<float>(innerWidth);
        const auto H = static_cast<float>(innerHeight);
        moveControl(widget, W * entry.Sinistra, H * entry.Alto, W * entry.Larghezza,
                    H * entry.Altezza);
    }
}

} // namespace layout
