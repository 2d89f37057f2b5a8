#include "MoneyEdit.h"

#include "DigitInput.h"
#include "engine/ValueText.h"
#include "records/widgets/Messages.h"

MoneyEdit::MoneyEdit(QWidget *parent) : QLineEdit(parent)
{
    AcceptOnlyDigits(this, m_allowPoint);
    connect(this, &QLineEdit::textChanged, this, [this] { checkNumber(false); });
    connect(this, &QLineEdit::editingFinished, this, [this] { checkNumber(true); });
}

void MoneyEdit::setAllowPoint(bool allow)
{
    m_allowPoint = allow;
    AcceptOnlyDigits(this, allow, m_maxTyped);
}

void MoneyEdit::setMaxTypedLength(int length)
{
    m_maxTyped = length;
    AcceptOnlyDigits(this, m_allowPoint, length);
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

// A lone point is how a number such as ".5" begins: it is wrong only once
// the user leaves the edit with it.
bool MoneyEdit::isUnfinishedNumber(const QString &trimmed)
{
    return trimmed == QLatin1String(".");
}

void MoneyEdit::checkNumber(bool leaving)
{
    // The focus that a warning's box takes is no leaving: one entry, one
    // warning.
    if (leaving && Messages::boxShowing())
        return;
    const QString trimmed = text().trimmed();
    double value = 0;
    const bool wrong = !trimmed.isEmpty() && !ValueText::parseNumber(trimmed, &value)
                       && (leaving || !isUnfinishedNumber(trimmed));
    if (wrong) {
        Messages::ShowWarning(this, m_prefix + text()
                                        + QStringLiteral(" 不是正确的数据格式！现在已经置零"));
        setText(QStringLiteral("0"));  // runs checkNumber again, which signals
        return;
    }
    if (!leaving)
        emit amountChanged();
}
