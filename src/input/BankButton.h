#pragma once
// A graphical option button that belongs to a button bank: the bank sees its
// focus, key, character and mouse events before the toolkit does.

#include "layout/Controls.h"

namespace input {

class ButtonBank;

class BankButton : public layout::FlatButton
{
    Q_OBJECT
public:
    explicit BankButton(QWidget *parent = nullptr);

    ButtonBank *bank() const { return m_bank; }
    int index() const { return m_index; }
    void attach(ButtonBank *bank, int index);

protected:
    bool event(QEvent *event) override;
    bool showsFocusRing() const override;

private:
    ButtonBank *m_bank = nullptr;
    int m_index = -1;
};

// Gives `widget` the focus if it can take it: enabled, shown within its window,
// and its window not covered by a modal window. Returns whether it did.
bool giveFocus(QWidget *widget);

} // namespace input
