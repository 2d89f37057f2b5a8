#pragma once
#include <QDate>
#include <QDateEdit>
#include <QString>

// A date picker the user can type into as into any date field. A click on
// the year, month or day selects it, so that the digits typed replace it;
// a whole date typed in the field's own format ("2024.01.31", or
// "20240131") gives that date wherever the click was; a day not typed
// (hidden, or kept while the year or month is retyped) is held within the
// month typed. What is typed counts once the user leaves the field, presses
// Enter or the form settles it; a text that is no date is refused with a
// message and the picker goes back to the date it showed.
// The dates a user may enter lie in an allowed span; a date typed, stepped
// or picked outside it is refused with the span's message likewise. A
// stored date is shown as it is (showDate), inside the span or not: showing
// never moves a date.
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

    // Takes the focus with typing starting at the part under `point` (in
    // the picker's own coordinates), as a click there does: for a field
    // that stood in the picker's place until now.
    void startTypingAt(const QPoint &point);

    // The keys typed since the last click, Enter or leaving, counted now;
    // false when they form no date (the message has been shown).
    bool takeTyping();
    // The typing counted now; false while a date this field refused has a
    // message the user has not seen yet. A click on a button leaves the
    // field as it is pressed and the button acts as it is released, before
    // the message can come: whatever the button does must not go on as if
    // the date shown before had been typed.
    bool settleTyping();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Part
    {
        QChar letter;  // 'y', 'M' or 'd'
        int width;
    };
    QList<Part> parts() const;
    int partAt(int textPosition) const;
    int currentPart() const;
    // The text of each part once the keys typed are counted, and which
    // parts the keys reached.
    struct Typing
    {
        QStringList pieces;
        QList<bool> typed;
    };
    Typing typing() const;
    QString typedText() const;
    bool typedDate(QDate *date) const;
    void showTyping();
    void dateEntered(const QDate &date);
    void warnLater(const QString &message);

    QDate m_from;
    QDate m_to;
    QString m_label;
    QDate m_shown;
    bool m_showing = false;
    // Typing in progress: the keys, the part they began in, the date then.
    QString m_typed;
    int m_typedPart = 0;
    QDate m_typedOver;
    // Refusals whose message is still to come or still open.
    int m_unseenRefusals = 0;
};
