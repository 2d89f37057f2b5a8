#include "MoneyEdit.h"

#include "DigitInput.h"
#include "engine/ValueText.h"
#include "records/Messages.h"

MoneyEdit::MoneyEdit(QWidget *parent) : QLineEdit(parent)
{
    AcceptOnlyDigits(this, m_allowPoint);
    connect(this, &QLineEdit::textChanged, this, &MoneyEdit::checkNumber);
}

void MoneyEdit::setAllowPoint(bool allow)
{
    m_allowPoint = allow;
    AcceptOnlyDigits(this, allow);
}

bool MoneyEdit::allowPoint() const
{
    return m_allowPoint;
}

void MoneyEdit::setWarningPrefix(const QString &prefix)
{
    m_prefix = prefix;
}

double MoneyEdit::amount() const
{
    double value = 0;
    if (!ValueText::parseNumber(text().trimmed(), &value))
        return 0;
    return value;
}

QVariant MoneyEdit::storedValue() const
{
    double value = 0;
    if (text().trimmed().isEmpty() || !ValueText::parseNumber(text().trimmed(), &value))
        return {};
    return value;
}

void MoneyEdit::checkNumber()
{
    const QString trimmed = text().trimmed();
    double value = 0;
    if (!trimmed.isEmpty() && !ValueText::parseNumber(trimmed, &value)) {
        Messages::ShowWarning(this, m_prefix + text()
                                        + QStringLiteral(" 不是正确的数据格式！现在已经置零"));
        setText(QStringLiteral("0"));  // runs checkNumber again, which signals
        return;
    }
    emit amountChanged();
}
