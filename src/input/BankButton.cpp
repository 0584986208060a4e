#include "input/BankButton.h"

#include <QGuiApplication>
#include <QWindow>

#include "input/ButtonBank.h"

namespace input {

BankButton::BankButton(QWidget *parent) : layout::FlatButton(parent) {}

void BankButton::attach(ButtonBank *bank, int index)
{
    m_bank = bank;
    m_index = index;
}

bool BankButton::event(QEvent *event)
{
    if (m_bank && m_bank->handle(this, event))
        return true;
    return layout::FlatButton::event(event);
}

bool BankButton::showsFocusRing() const
{
    return backColour() == kFocusColour;
}

bool giveFocus(QWidget *widget)
{
    if (!widget || !widget->isEnabled() || widget->focusPolicy() == Qt::NoFocus)
        return false;
    QWidget *window = widget->window();
    if (!widget->isVisibleTo(window))
        return false;
    const QWindow *modal = QGuiApplication::modalWindow();
    if (modal && modal != window->windowHandle())
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    // In a window that is not active the toolkit records the focus without
    // telling either button.
    ButtonBank::syncColours(window);
    return true;
}

} // namespace input
