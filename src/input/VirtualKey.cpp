#include "input/VirtualKey.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <array>

namespace input::vk {

namespace {

// XKB keycodes are the evdev codes plus 8: the top row 1 to 9 and 0 are 10 to
// 19 on every keyboard, whatever the layout prints on them.
constexpr quint32 kTopRow1 = 10;
constexpr quint32 kTopRow0 = 19;

// The keypad's digit keys 0 to 9.
constexpr std::array<quint32, 10> kKeypadDigits{90, 87, 88, 89, 83, 84, 85, 79, 80, 81};

int topRowDigit(quint32 keycode)
{
    if (keycode < kTopRow1 || keycode > kTopRow0)
        return -1;
    return static_cast<int>(keycode - kTopRow1 + 1) % 10;
}

int keypadDigit(quint32 keycode)
{
    for (size_t digit = 0; digit < kKeypadDigits.size(); ++digit)
        if (kKeypadDigits[digit] == keycode)
            return static_cast<int>(digit);
    return -1;
}

int fromSymbol(int key, bool keypad)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (keypad ? kNumpad0 : kDigit0) + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return letter('A') + (key - Qt::Key_A);
    switch (key) {
    case Qt::Key_Asterisk:
        return keypad ? kMultiply : kNone;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kEnter;
    case Qt::Key_Backspace:
        return kBackspace;
    case Qt::Key_Space:
        return kSpace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kTab;
    case Qt::Key_Escape:
        return kEscape;
    case Qt::Key_F2:
        return kF2;
    case Qt::Key_Left:
        return kLeft;
    case Qt::Key_Up:
        return kUp;
    case Qt::Key_Right:
        return kRight;
    case Qt::Key_Down:
        return kDown;
    default:
        return kNone;
    }
}

// Whether the key types a character (a letter, a digit, a sign, an accent
// still to be combined, or a symbol the toolkit cannot name) rather than being
// a key such as ENTER, an arrow or a function key.
bool typesCharacter(int key)
{
    return key < Qt::Key_Escape || key == Qt::Key_unknown ||
           (key >= Qt::Key_Dead_Grave && key <= Qt::Key_Dead_Longsolidusoverlay);
}

} // namespace

int fromKey(int key, Qt::KeyboardModifiers modifiers, quint32 xkbKeycode)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    // SHIFT turns the keypad's digits into its cursor keys while NumLock is
    // on; the key stays the digit the pupil pressed. Without SHIFT the keypad
    // is what NumLock makes it.
    if (const int digit = keypadDigit(xkbKeycode);
        digit >= 0 && keypad && modifiers.testFlag(Qt::ShiftModifier))
        return kNumpad0 + digit;
    // What the key types decides, wherever it sits: programs that type for
    // the pupil (on-screen keyboards, switch interfaces) put any key on any
    // keycode of a keymap of their own.
    if (const int code = fromSymbol(key, keypad); code != kNone)
        return code;
    // A top-row key that types something else (a shifted digit, a French
    // accented letter) is the digit printed on it.
    if (const int digit = topRowDigit(xkbKeycode); digit >= 0 && typesCharacter(key))
        return kDigit0 + digit;
    return kNone;
}

int fromEvent(const QKeyEvent &event)
{
    // The platform stays the same for the whole run: asked once, not at every key.
    static const bool xkb = [] {
        const QString platform = QGuiApplication::platformName();
        return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
    }();
    return fromKey(event.key(), event.modifiers(), xkb ? event.nativeScanCode() : 0);
}

} // namespace input::vk
