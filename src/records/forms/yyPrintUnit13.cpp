#include "yyPrintUnit13.h"


THelpForm_rj::THelpForm_rj(QWidget *parent)
    : HelpWindow(QStringLiteral(":/help/help_rj.txt"), parent)
{
    setObjectName(QStringLiteral("HelpForm_rj"));
    setWindowFlags(Qt::Window);
    resize(595, 403);
}
