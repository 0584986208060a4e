#pragma once
// Reading the windows as a screen reader does, and measuring what a grabbed
// button shows.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QImage>
#include <QWidget>
#include <cmath>

namespace testing {

inline QAccessibleInterface *readerOf(QWidget *control)
{
    return QAccessible::queryAccessibleInterface(control);
}

inline QString nameOf(QWidget *control)
{
    return readerOf(control)->text(QAccessible::Name);
}

inline QString descriptionOf(QWidget *control)
{
    return readerOf(control)->text(QAccessible::Description);
}

// Presses a control through its accessible action, as a screen reader does.
inline bool pressThroughReader(QWidget *control)
{
    QAccessibleActionInterface *actions = readerOf(control)->actionInterface();
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    actions->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

// Relative luminance and contrast ratio as the web's accessibility guidelines define them.
inline double luminance(QColor colour)
{
    auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

inline double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The thickness, in device pixels, of the thickest run of pixels that stand
// out at least 3:1 against both button colours, met walking inwards from the
// middle of each side of the image over `depth` pixels. The smallest of the
// four sides is returned: a ring must be visible all round.
inline int ringThickness(const QImage &image, int depth, const QColor &focus, const QColor &rest)
{
    auto standsOut = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return contrast(c, focus) >= 3.0 && contrast(c, rest) >= 3.0;
    };
    auto longestRun = [&](int x, int y, int dx, int dy) {
        int best = 0;
        int run = 0;
        for (int step = 0; step < depth; ++step, x += dx, y += dy) {
            run = standsOut(x, y) ? run + 1 : 0;
            best = std::max(best, run);
        }
        return best;
    };
    const int w = image.width();
    const int h = image.height();
    return std::min({longestRun(0, h / 2, 1, 0), longestRun(w - 1, h / 2, -1, 0),
                     longestRun(w / 2, 0, 0, 1), longestRun(w / 2, h - 1, 0, -1)});
}

} // namespace testing
