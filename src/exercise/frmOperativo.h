#pragma once
// The exercise window: the sun and its keypad.

#include "app/Form.h"

class frmOperativo : public app::Form
{
    Q_OBJECT
public:
    frmOperativo();
};
