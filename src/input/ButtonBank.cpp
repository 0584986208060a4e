#include "input/ButtonBank.h"

#include <QKeyEvent>
#include <QPointer>

#include "input/BankButton.h"
#include "input/VirtualKey.h"

namespace input {

namespace {

// X11 repeats a held key as a release and a press with one time stamp. The
// toolkit flags such a pair as a repeat only when the press has already been
// read by the time the release is handled, which often it has not.
struct KeyStroke
{
    quint32 scanCode = 0;
    quint64 time = 0;
};
KeyStroke g_lastRelease;

bool isRepeat(const QKeyEvent &key)
{
    if (key.isAutoRepeat())
        return true;
    // Events made up inside the program carry no scan code of the keyboard,
    // and those the accessibility bridge hands back once a screen reader has
    // seen them carry no time stamp: neither tells a repeat from a new press.
    return key.type() == QEvent::KeyPress && key.nativeScanCode() != 0 && key.timestamp() != 0 &&
           key.nativeScanCode() == g_lastRelease.scanCode && key.timestamp() == g_lastRelease.time;
}

} // namespace

ButtonBank::ButtonBank(std::vector<BankButton *> buttons, std::vector<KeyBinding> keys,
                       Confirm confirm, BankOptions options, QObject *parent)
    : QObject(parent), m_buttons(std::move(buttons)), m_keys(std::move(keys)),
      m_confirm(std::move(confirm)), m_options(options)
{
    for (int i = 0; i < count(); ++i)
        button(i)->attach(this, i);
}

void ButtonBank::syncColours(const QWidget *window)
{
    for (ButtonBank *bank : window->findChildren<ButtonBank *>())
        bank->syncOwnColours();
}

void ButtonBank::syncOwnColours()
{
    for (BankButton *b : m_buttons) {
        const bool focused = b->window()->focusWidget() == b;
        b->setBackColour(focused ? kFocusColour : kRestColour);
    }
}

const KeyBinding *ButtonBank::binding(int keyCode) const
{
    for (const KeyBinding &key : m_keys)
        if (keyCode >= key.first && keyCode <= key.last)
            return &key;
    return nullptr;
}

bool ButtonBank::handle(BankButton *button, QEvent *event)
{
    const int index = button->index();
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        const int code = vk::fromEvent(*key);
        if (code == vk::kTab)
            return false; // moving between controls with TAB is the toolkit's
        // A held key acts once. Its repeats may arrive on another button or
        // bank than the first press (ENTER on a centre moves to "Vai"), where
        // the latches would not stop them, so they are dropped here.
        if (isRepeat(*key))
            return true;
        const QPointer<ButtonBank> alive(this);
        // CTRL turns the SPACE it types into a NUL; the key is SPACE all the same.
        const QString text = code == vk::kSpace ? QStringLiteral(" ") : key->text();
        const bool toolkitMaySee = keyDown(index, code);
        if (alive && !text.isEmpty())
            character(index, text);
        // SPACE and ENTER never reach the toolkit, which would click the button.
        const bool clicks =
            code == vk::kSpace || code == vk::kEnter || key->key() == Qt::Key_Select;
        return !(toolkitMaySee && !clicks);
    }
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->isAutoRepeat())
            return true; // the key is still held: the latches stay as they are
        g_lastRelease = {key->nativeScanCode(), key->timestamp()};
        keyUp(index);
        // TAB moved the focus for the toolkit, which may see its release too.
        return vk::fromEvent(*key) != vk::kTab;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (button->isEnabled())
            mousePress(index);
        return true;
    case QEvent::MouseButtonRelease:
        mouseRelease(index);
        return true;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        button->setChecked(false);
        syncColours(button->window());
        return false;
    default:
        return false;
    }
}

// Returns whether the toolkit may still handle the key: true when the key was
// ignored because of the latch, or accepted without an action of its own.
bool ButtonBank::keyDown(int index, int keyCode)
{
    if (TastoPremuto)
        return true;
    const KeyBinding *key = binding(keyCode);
    if (!key)
        return false;
    const bool acts = static_cast<bool>(key->action);
    const QPointer<ButtonBank> alive(this);
    if (acts)
        key->action(keyCode, index);
    if (alive)
        TastoPremuto = true;
    return !acts;
}

void ButtonBank::character(int index, const QString &text)
{
    if (SpazioPremuto)
        return;
    if (text != QLatin1String(" "))
        return; // swallowed: no typed character reaches a bank button
    int next = index;
    for (int tried = 0; tried < count(); ++tried) {
        next = (next + 1) % count();
        if (button(next)->isEnabled()) {
            giveFocus(button(next));
            break;
        }
    }
    SpazioPremuto = true;
}

void ButtonBank::keyUp(int index)
{
    SpazioPremuto = false;
    TastoPremuto = false;
    if (m_options.keyUpClearsSelection)
        button(index)->setChecked(false);
}

void ButtonBank::mousePress(int index)
{
    BankButton *pressed = button(index);
    giveFocus(pressed);
    pressed->setChecked(true);
    m_confirm(index);
}

void ButtonBank::mouseRelease(int index)
{
    button(index)->setChecked(false);
    button(index)->setDown(false);
    if (m_options.mouseReleaseClearsLatches) {
        SpazioPremuto = false;
        TastoPremuto = false;
    }
}

} // namespace input
