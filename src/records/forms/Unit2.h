#pragma once
#include "records/forms/HelpWindow.h"

// The guide to the registration form of the category "应用技术": a dialog
// without border icons whose client area is 586 x 348 pixels.
class THelpForm : public HelpWindow
{
    Q_OBJECT
public:
    explicit THelpForm(QWidget *parent = nullptr);
};
