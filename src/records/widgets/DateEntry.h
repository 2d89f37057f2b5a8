#pragma once
#include <QDate>
#include <QDateEdit>
#include <QString>

// A date picker the user can type into as into any date field: a click on
// the year, month or day selects it, so that the digits typed replace it.
// The dates a user may enter lie in an allowed span; a date typed, stepped
// or picked outside it is refused with the span's message and the picker
// goes back to the date it showed. A stored date is shown as it is
// (showDate), inside the span or not: showing never moves a date.
class DateEntry : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateEntry(QWidget *parent = nullptr);

    // The span and the label its message names:
    // "“出生年月”应在1900.01至2026.12之间！" (dates in the display format).
    void setAllowedRange(const QDate &from, const QDate &to, const QString &label);
    QDate allowedFrom() const { return m_from; }
    QDate allowedTo() const { return m_to; }
    bool isAllowed(const QDate &date) const;
    QString rangeMessage() const;

    // A date the program shows (a stored one, a preset): never refused.
    void showDate(const QDate &date);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dateEntered(const QDate &date);

    QDate m_from;
    QDate m_to;
    QString m_label;
    QDate m_shown;
    bool m_showing = false;
};
