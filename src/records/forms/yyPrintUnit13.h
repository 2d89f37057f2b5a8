#pragma once
#include "records/forms/HelpWindow.h"

// The guide to the registration form of the categories "软科学" and
// "基础理论": an ordinary sizeable window of 595 x 403 pixels.
class THelpForm_rj : public HelpWindow
{
    Q_OBJECT
public:
    explicit THelpForm_rj(QWidget *parent = nullptr);
};
