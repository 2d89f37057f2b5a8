#include "yyPrintUnit13.h"

THelpForm_rj *HelpForm_rj = nullptr;

THelpForm_rj::THelpForm_rj(QWidget *parent)
    : HelpWindow(QStringLiteral(":/help/help_rj.txt"), parent)
{
    setObjectName(QStringLiteral("HelpForm_rj"));
    setWindowFlags(Qt::Window);
    resize(595, 403);
}

THelpForm_rj::~THelpForm_rj()
{
    if (HelpForm_rj == this)
        HelpForm_rj = nullptr;
}
