#pragma once
// Helpers for driving the real windows in tests: keys and mouse presses go
// through the window, so that focus routing and modality are the real ones.

#include <QTest>
#include <QWidget>
#include <QWindow>

namespace testing {

inline QWindow *windowOf(const QWidget *widget)
{
    return widget->window()->windowHandle();
}

inline void key(const QWidget *anyWidgetOfWindow, Qt::Key key,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(windowOf(anyWidgetOfWindow), key, modifiers);
}

inline void press(const QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint at = widget->mapTo(widget->window(), widget->rect().center());
    QTest::mousePress(windowOf(widget), button, Qt::NoModifier, at);
}

inline void release(const QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint at = widget->mapTo(widget->window(), widget->rect().center());
    QTest::mouseRelease(windowOf(widget), button, Qt::NoModifier, at);
}

inline void click(const QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    press(widget, button);
    release(widget, button);
}

} // namespace testing
