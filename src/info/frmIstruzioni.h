#pragma once
// The instructions window: how every choice can be made (keyboard and keypad,
// mouse, two-key scanning), and a button that closes it. Shown modal over the
// exercise window.

#include <QString>

#include "app/Form.h"

namespace layout {
class FlatButton;
class Label;
} // namespace layout

class frmIstruzioni : public app::Form
{
    Q_OBJECT
public:
    frmIstruzioni();

    QString TestoIstruzioni;

    layout::FlatButton *Command1() const { return m_command1; }
    layout::Label *Label1() const { return m_label1; }
    void Command1_Click();

    void Form_Load() override;

private:
    layout::FlatButton *m_command1 = nullptr;
    layout::Label *m_label1 = nullptr;
};
