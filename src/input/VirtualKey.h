#pragma once
// Key codes as the button banks' key tables name them: digits 48-57, numeric
// keypad digits 96-105 and its * 106, letters their upper-case codes, ENTER 13,
// BACKSPACE 8, SPACE 32, F2 113, arrows 37-40. The toolkit's keys map onto them.

#include <Qt>

class QKeyEvent;

namespace input::vk {

constexpr int kNone = 0;
constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kSpace = 32;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDown = 40;
constexpr int kDigit0 = 48;
constexpr int kDigit9 = 57;
constexpr int kNumpad0 = 96;
constexpr int kNumpad9 = 105;
constexpr int kMultiply = 106;
constexpr int kF2 = 113;

constexpr int letter(char upper)
{
    return upper;
}

// How a window system numbers the places of the keys, in the scan code of
// its key events: XKB keycodes (X11 and Wayland) or Windows' scan codes.
enum class ScanCodes { Unknown, Xkb, Windows };

// The code of a key, or kNone for a key no table can name. `key` and
// `modifiers` are the toolkit's (the symbol the layout types, which SHIFT
// changes); `scanCode` is the key's place as `scanCodes` numbers it. A key is
// first what it types, whatever its place: a digit, a letter, ENTER, SPACE,
// an arrow. A key on the top row that types another character (a shifted
// digit, "è" on a French keyboard) is the digit of its place, so every layout
// and modifier keeps the digits; with SHIFT the keypad's digit keys stay
// digits too. Any other key is no key of the tables.
int fromKey(int key, Qt::KeyboardModifiers modifiers, quint32 scanCode, ScanCodes scanCodes);

// The code of the key of a key event, with its place where the window system
// reports one.
int fromEvent(const QKeyEvent &event);

} // namespace input::vk
