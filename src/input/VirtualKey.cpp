#include "input/VirtualKey.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <array>

namespace input::vk {

namespace {

// Where the digit keys sit in one numbering of the keys' places. The top row
// 1 to 9 and 0 has the same places on every keyboard, whatever the layout
// prints on them.
struct DigitPlaces
{
    quint32 topRow1;
    quint32 topRow0;
    std::array<quint32, 10> keypadDigits; // the keypad's 0 to 9
};

// XKB keycodes are the evdev codes plus 8.
constexpr DigitPlaces kXkbPlaces{10, 19, {90, 87, 88, 89, 83, 84, 85, 79, 80, 81}};
// Windows' scan codes, as the toolkit passes them on: the keypad's cursor
// keys, unlike the grey ones, carry no extended-key bit (0x100).
constexpr DigitPlaces kWindowsPlaces{2, 11, {82, 79, 80, 81, 75, 76, 77, 71, 72, 73}};

const DigitPlaces *placesOf(ScanCodes scanCodes)
{
    switch (scanCodes) {
    case ScanCodes::Xkb:
        return &kXkbPlaces;
    case ScanCodes::Windows:
        return &kWindowsPlaces;
    case ScanCodes::Unknown:
        break;
    }
    return nullptr;
}

int topRowDigit(const DigitPlaces *places, quint32 scanCode)
{
    if (!places || scanCode < places->topRow1 || scanCode > places->topRow0)
        return -1;
    return static_cast<int>(scanCode - places->topRow1 + 1) % 10;
}

int keypadDigit(const DigitPlaces *places, quint32 scanCode)
{
    if (!places)
        return -1;
    for (size_t digit = 0; digit < places->keypadDigits.size(); ++digit)
        if (places->keypadDigits[digit] == scanCode)
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

int fromKey(int key, Qt::KeyboardModifiers modifiers, quint32 scanCode, ScanCodes scanCodes)
{
    const DigitPlaces *places = placesOf(scanCodes);
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    // SHIFT turns the keypad's digits into its cursor keys while NumLock is
    // on; the key stays the digit the pupil pressed. Without SHIFT the keypad
    // is what NumLock makes it.
    if (const int digit = keypadDigit(places, scanCode);
        digit >= 0 && keypad && modifiers.testFlag(Qt::ShiftModifier))
        return kNumpad0 + digit;
    // What the key types decides, wherever it sits: programs that type for
    // the pupil (on-screen keyboards, switch interfaces) put any key on any
    // keycode of a keymap of their own.
    if (const int code = fromSymbol(key, keypad); code != kNone)
        return code;
    // A top-row key that types something else (a shifted digit, a French
    // accented letter) is the digit printed on it.
    if (const int digit = topRowDigit(places, scanCode); digit >= 0 && typesCharacter(key))
        return kDigit0 + digit;
    return kNone;
}

int fromEvent(const QKeyEvent &event)
{
    // The platform stays the same for the whole run: asked once, not at every key.
    static const ScanCodes scanCodes = [] {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")))
            return ScanCodes::Xkb;
        if (platform == QLatin1String("windows"))
            return ScanCodes::Windows;
        return ScanCodes::Unknown;
    }();
    Qt::KeyboardModifiers modifiers = event.modifiers();
    // With Num Lock on, Windows lifts SHIFT before it hands on a keypad digit
    // key that SHIFT turned into a cursor key: Num Lock tells that it was held.
    constexpr quint32 kWindowsNumLock = 0x200;
    if (scanCodes == ScanCodes::Windows && (event.nativeModifiers() & kWindowsNumLock) &&
        modifiers.testFlag(Qt::KeypadModifier))
        modifiers |= Qt::ShiftModifier;
    return fromKey(event.key(), modifiers, event.nativeScanCode(), scanCodes);
}

} // namespace input::vk
