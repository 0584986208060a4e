#pragma once
// Helpers for driving the real windows in tests: keys and mouse presses go
// through the window, so that focus routing and modality are the real ones.

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace testing {

// How long a test waits for something the event loop delivers (activation,
// a window appearing) before it fails: a bound, never a measured time.
constexpr int kEventTimeoutMs = 5000;

// Waits, handling events, until `condition` holds or `timeoutMs` runs out,
// then checks it. Qt's own QTRY macros narrow a 64-bit millisecond count to
// int on Qt 6.8, which -Wconversion rightly reports at every use.
#define TRY_VERIFY_WITHIN(condition, timeoutMs)                                                   \
    do {                                                                                           \
        (void)QTest::qWaitFor([&] { return bool(condition); }, timeoutMs);                         \
        QVERIFY(condition);                                                                        \
    } while (false)

#define TRY_VERIFY(condition) TRY_VERIFY_WITHIN(condition, testing::kEventTimeoutMs)

// Waits as TRY_VERIFY does until `actual` equals `expected`, then compares them.
#define TRY_COMPARE(actual, expected)                                                              \
    do {                                                                                           \
        (void)QTest::qWaitFor([&] { return bool((actual) == (expected)); },                        \
                              testing::kEventTimeoutMs);                                           \
        QCOMPARE(actual, expected);                                                                \
    } while (false)

inline QWindow *windowOf(const QWidget *widget)
{
    return widget->window()->windowHandle();
}

inline void key(const QWidget *anyWidgetOfWindow, Qt::Key key,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(windowOf(anyWidgetOfWindow), key, modifiers);
}

// One key-down or key-up with the text it types; `autoRepeat` marks the
// repeats that a held key produces (on X11, release/press pairs).
inline void keyDown(const QWidget *anyWidgetOfWindow, Qt::Key key, const QString &text = {},
                    bool autoRepeat = false, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    qt_handleKeyEvent(windowOf(anyWidgetOfWindow), QEvent::KeyPress, key, modifiers, text,
                      autoRepeat);
}

inline void keyUp(const QWidget *anyWidgetOfWindow, Qt::Key key, const QString &text = {},
                  bool autoRepeat = false, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    qt_handleKeyEvent(windowOf(anyWidgetOfWindow), QEvent::KeyRelease, key, modifiers, text,
                      autoRepeat);
}

// A key held down long enough to repeat `repeats` times, then let go.
inline void holdKey(const QWidget *anyWidgetOfWindow, Qt::Key key, const QString &text, int repeats)
{
    keyDown(anyWidgetOfWindow, key, text);
    for (int i = 0; i < repeats; ++i) {
        keyUp(anyWidgetOfWindow, key, text, true);
        keyDown(anyWidgetOfWindow, key, text, true);
    }
    keyUp(anyWidgetOfWindow, key, text);
}

inline QPoint centreInWindow(const QWidget *widget)
{
    return widget->mapTo(widget->window(), widget->rect().center());
}

inline void press(const QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(windowOf(widget), button, Qt::NoModifier, centreInWindow(widget));
}

inline void release(const QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseRelease(windowOf(widget), button, Qt::NoModifier, centreInWindow(widget));
}

inline void click(const QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    press(widget, button);
    release(widget, button);
}

inline void doubleClick(const QWidget *widget)
{
    QTest::mouseDClick(windowOf(widget), Qt::LeftButton, Qt::NoModifier, centreInWindow(widget));
}

// Windows unloaded by a test are destroyed once deferred deletes run.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace testing
