#include "DigitInput.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

void AcceptOnlyDigits(QLineEdit *edit, bool allowPoint)
{
    const QRegularExpression pattern(allowPoint ? QStringLiteral("[0-9.]*")
                                                : QStringLiteral("[0-9]*"));
    auto *existing = qobject_cast<QRegularExpressionValidator *>(
        const_cast<QValidator *>(edit->validator()));
    if (existing)
        existing->setRegularExpression(pattern);
    else
        edit->setValidator(new QRegularExpressionValidator(pattern, edit));
}
