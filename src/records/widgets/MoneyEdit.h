#pragma once
#include <QLineEdit>
#include <QVariant>

// An amount in 万元 (or a count): digits, and the point where the page allows
// it. A text that can no longer become a number (two points) is reported
// once as prefix + text + " 不是正确的数据格式！现在已经置零" and replaced by
// "0" before amountChanged tells the page to recompute its sums; a lone
// point, the start of ".5", counts as 0 and is reported so only when the
// user leaves the edit with it. A stored amount is shown whole, however
// many digits it has; the length limit holds for what the user types.
class MoneyEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MoneyEdit(QWidget *parent = nullptr);

    void setAllowPoint(bool allow);
    bool allowPoint() const;
    // At most this many characters typed (0: any number).
    void setMaxTypedLength(int length);
    int maxTypedLength() const { return m_maxTyped; }
    // What the warning says before the edit's text, e.g. "“国家投入”:".
    void setWarningPrefix(const QString &prefix);

    // Empty text counts as 0 in sums.
    double amount() const;
    // What the field stores: NULL for an empty text, else the number.
    QVariant storedValue() const;

signals:
    void amountChanged();

private:
    static bool isUnfinishedNumber(const QString &trimmed);
    void checkNumber(bool leaving);
    bool m_allowPoint = false;
    int m_maxTyped = 0;
    QString m_prefix;
};
