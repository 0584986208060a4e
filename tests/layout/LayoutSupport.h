#pragma once
// Helpers for the layout tests: sizing a window's inner area in pixels and
// the geometry a control should have at a given inner size.

#include <QDebug>
#include <QMainWindow>
#include <QRect>
#include <QTest>

#include "app/Form.h"
#include "layout/ControlDef.h"

namespace testing {

// Sizes the window so that its inner area is width by height pixels, and
// checks that the toolkit gave it that size.
inline bool setInnerSize(app::Form *window, int width, int height)
{
    const QWidget *menu = window->menuWidget();
    window->resize(width, height + (menu ? menu->height() : 0));
    return window->client()->size() == QSize(width, height);
}

// Where a control of the definition belongs when the design inner area is
// scaled by xFactor and yFactor, worked out exactly and rounded once.
inline QRect scaledPlace(const layout::ControlDef &def, double xFactor, double yFactor)
{
    return {layout::twipsToPixels(def.left * xFactor), layout::twipsToPixels(def.top * yFactor),
            layout::twipsToPixels(def.width * xFactor),
            layout::twipsToPixels(def.height * yFactor)};
}

inline bool isDocked(const layout::ControlDef &def)
{
    return def.dock != layout::Dock::None;
}

// Checks that every movable control but the docked ones stands at its design
// place scaled by the factors, within tolerance pixels, with its font at the
// designed size. Returns what is wrong, or nothing.
inline QString scaledLayoutMismatch(const app::Form *window, double xFactor, double yFactor,
                                    int tolerance = 0)
{
    for (const layout::Control &control : window->controls()) {
        const QWidget *widget = control.widget();
        if (!widget || isDocked(*control.def))
            continue;
        const QRect expected = scaledPlace(*control.def, xFactor, yFactor);
        const QRect actual = widget->geometry();
        if (std::abs(actual.left() - expected.left()) > tolerance ||
            std::abs(actual.top() - expected.top()) > tolerance ||
            std::abs(actual.width() - expected.width()) > tolerance ||
            std::abs(actual.height() - expected.height()) > tolerance) {
            QString text;
            QDebug(&text) << widget->objectName() << "at" << actual << "expected" << expected;
            return text;
        }
        if (!control.def->font.family.empty() &&
            widget->font().pointSizeF() != control.def->font.points)
            return widget->objectName() + QStringLiteral(": font size changed");
    }
    return {};
}

} // namespace testing
