#include "Unit2.h"


THelpForm::THelpForm(QWidget *parent) : HelpWindow(QStringLiteral(":/help/help_yy.txt"), parent)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(586, 348);
}
