#pragma once
// The author window: where the author of the program can be reached, and a
// button that closes it. Shown modal over the start window.

#include "app/Form.h"

namespace layout {
class FlatButton;
}

class frmAutore : public app::Form
{
    Q_OBJECT
public:
    frmAutore();
    layout::FlatButton *Command1() const { return m_command1; }
    void Command1_Click();

private:
    layout::FlatButton *m_command1 = nullptr;
};
