#include "DateEntry.h"

#include "records/widgets/Messages.h"

#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace {
// What the picker itself can hold: wide enough for any stored date, so that
// the allowed span is the picker's own rule and typed years are not
// swallowed digit by digit.
const QDate WidestFrom(1000, 1, 1);
const QDate WidestTo(9999, 12, 31);
} // namespace

DateEntry::DateEntry(QWidget *parent)
    : QDateEdit(QDate::currentDate(), parent), m_from(WidestFrom), m_to(WidestTo),
      m_shown(QDate::currentDate())
{
    setDateRange(WidestFrom, WidestTo);
    // A typed date counts once the user leaves it, not at every digit.
    setKeyboardTracking(false);
    lineEdit()->installEventFilter(this);
    connect(this, &QDateEdit::dateChanged, this, &DateEntry::dateEntered);
}

void DateEntry::setAllowedRange(const QDate &from, const QDate &to, const QString &label)
{
    m_from = from;
    m_to = to;
    m_label = label;
}

bool DateEntry::isAllowed(const QDate &date) const
{
    return date.isValid() && date >= m_from && date <= m_to;
}

QString DateEntry::rangeMessage() const
{
    return QStringLiteral("“") + m_label + QStringLiteral("”应在") + m_from.toString(displayFormat())
           + QStringLiteral("至") + m_to.toString(displayFormat()) + QStringLiteral("之间！");
}

void DateEntry::showDate(const QDate &date)
{
    m_showing = true;
    setDate(date);
    m_showing = false;
    m_shown = this->date();
}

void DateEntry::dateEntered(const QDate &date)
{
    if (m_showing)
        return;
    if (isAllowed(date)) {
        m_shown = date;
        return;
    }
    showDate(m_shown);
    // The date may have been left by the focus going elsewhere: the box
    // comes once that is done.
    QPointer<DateEntry> self(this);
    const QString message = rangeMessage();
    QTimer::singleShot(0, this, [self, message] {
        if (self)
            Messages::ShowWarning(self, message);
    });
}

// A click into the year, month or day selects it, as typing replaces it.
bool DateEntry::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease) {
        QPointer<DateEntry> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->hasFocus())
                self->setSelectedSection(self->currentSection());
        });
    }
    return QDateEdit::eventFilter(watched, event);
}
