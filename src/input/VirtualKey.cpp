#include "input/VirtualKey.h"

#include <QKeyEvent>

namespace input::vk {

int fromEvent(const QKeyEvent &event)
{
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
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

} // namespace input::vk
