#pragma once
// A button bank: one control array of option buttons through which every
// choice is made by keyboard, mouse or two-key scanning. The bank shows the
// focused button in the focus colour, moves the focus with SPACE over the
// enabled buttons, and runs its key table on key-down. Two latches make every
// keystroke act once, however long the key is held.

#include <QColor>
#include <QObject>
#include <QWidget>
#include <functional>
#include <vector>

namespace input {

class BankButton;

inline const QColor kFocusColour{255, 192, 128};
inline const QColor kRestColour{255, 224, 192};

// One row of a bank's key table: the key codes first..last, and the action
// they run with the key code and the index of the focused button. A row with
// no action accepts its keys without acting; the toolkit then still sees them.
struct KeyBinding
{
    int first = 0;
    int last = 0;
    std::function<void(int keyCode, int index)> action = {};
};

struct BankOptions
{
    bool mouseReleaseClearsLatches = false;
    bool keyUpClearsSelection = false;
};

class ButtonBank : public QObject
{
    Q_OBJECT
public:
    using Confirm = std::function<void(int index)>;

    ButtonBank(std::vector<BankButton *> buttons, std::vector<KeyBinding> keys, Confirm confirm,
               BankOptions options, QObject *parent);

    int count() const { return static_cast<int>(m_buttons.size()); }
    BankButton *button(int index) const { return m_buttons.at(static_cast<size_t>(index)); }

    bool SpazioPremuto = false;
    bool TastoPremuto = false;

    // Colours every button of every bank of `window` for whether it holds the
    // window's focus. The focus can come to a bank from another window, or be
    // given in a window that is not active, without a focus-lost event for the
    // button that showed it before, so all banks of the window are recoloured.
    static void syncColours(const QWidget *window);

    // Returns true when the event is consumed and the toolkit must not see it.
    bool handle(BankButton *button, QEvent *event);

private:
    void syncOwnColours();
    bool keyDown(int index, int keyCode);
    void character(int index, const QString &text);
    void keyUp(int index);
    void mousePress(int index);
    void mouseRelease(int index);
    const KeyBinding *binding(int keyCode) const;

    std::vector<BankButton *> m_buttons;
    std::vector<KeyBinding> m_keys;
    Confirm m_confirm;
    BankOptions m_options;
};

} // namespace input
