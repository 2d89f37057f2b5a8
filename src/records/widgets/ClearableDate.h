#pragma once
#include "records/widgets/DateEntry.h"

#include <QDate>
#include <QWidget>

class QCheckBox;
class QLineEdit;

// The span of dates a user may enter in a picker (by default any date a
// record can sensibly hold), named by `label` in the message that refuses
// a date outside it.
void SetPickerRange(DateEntry *picker, const QString &label, const QDate &from = QDate(1900, 1, 1),
                    const QDate &to = QDate(2099, 12, 31));
// False for an invalid date and for one outside the picker's span.
bool PickerCanShow(const DateEntry *picker, const QDate &date);

// A date that may be empty, stored as "yyyy.mm.dd" text: a date picker
// (shown "yyyy.MM.dd", SetPickerRange) with a box "清空" beside it.
// Ticking "清空" puts an empty read-only field in the picker's place (no
// date); clicking that field unticks the box and brings the picker back,
// ready for the date to be typed where the click was.
class ClearableDate : public QWidget
{
    Q_OBJECT
public:
    explicit ClearableDate(QWidget *parent = nullptr);

    // The object names of the three parts, so that pages and tests find them
    // under the names of the form (e.g. "DTP_34", "CheckBox_34", "edt_34").
    void setPartNames(const QString &picker, const QString &clearBox, const QString &emptyField);

    DateEntry *picker() const;
    QCheckBox *clearBox() const;
    QLineEdit *emptyField() const;

    bool isCleared() const;
    void setCleared(bool cleared);
    QDate date() const;
    void setDate(const QDate &date);

    // "yyyy.mm.dd" of the picker's date, or empty while "清空" is ticked,
    // or the kept text (below).
    QString dotText() const;
    // Shows a stored text: empty ticks "清空"; otherwise "清空" is unticked
    // and the picker takes the date. False when the text is no date or one
    // the picker cannot show: the text is then kept as it is, shown in the
    // empty field with "清空" ticked and the picker on today, until the user
    // unticks "清空" or clicks the field to pick a date. A record's text is
    // never replaced by a date it did not hold (the page reports the text).
    bool setDotText(const QString &stored);
    // The unreadable stored text being kept; empty when there is none.
    QString keptText() const { return m_kept; }

signals:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void keepOneWidth();
    void showCleared(bool cleared);
    void dropKeptText();
    DateEntry *m_picker;
    QCheckBox *m_clearBox;
    QLineEdit *m_emptyField;
    QString m_kept;
};
