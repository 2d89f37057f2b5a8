#include "DateEntry.h"

#include "engine/Clock.h"
#include "records/widgets/Messages.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QValidator>

#include <algorithm>

namespace {
// What the picker itself can hold: wide enough for any stored date, so that
// the allowed span is the picker's own rule and typed years are not
// swallowed digit by digit.
const QDate WidestFrom(1000, 1, 1);
const QDate WidestTo(9999, 12, 31);

bool isSeparatorKey(const QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('/');
}
} // namespace

DateEntry::DateEntry(QWidget *parent)
    : QDateEdit(Clock::today(), parent), m_from(WidestFrom), m_to(WidestTo),
      m_shown(Clock::today())
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
    m_typed.clear();
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
    warnLater(rangeMessage());
}

// The date may have been left by the focus going elsewhere: the box comes
// once that is done.
void DateEntry::warnLater(const QString &message)
{
    ++m_unseenRefusals;
    QPointer<DateEntry> self(this);
    QTimer::singleShot(0, this, [self, message] {
        if (!self)
            return;
        Messages::ShowWarning(self, message);
        if (self)
            --self->m_unseenRefusals;
    });
}

// ---- typing -----------------------------------------------------------------

// The year, month and day parts of the display format, in their order.
QList<DateEntry::Part> DateEntry::parts() const
{
    QList<Part> found;
    const QString format = displayFormat();
    for (int i = 0; i < format.size();) {
        const QChar c = format.at(i);
        int width = 1;
        while (i + width < format.size() && format.at(i + width) == c)
            ++width;
        if (c == QLatin1Char('y') || c == QLatin1Char('M') || c == QLatin1Char('d'))
            found.append({c, width});
        i += width;
    }
    return found;
}

// The part a place in the shown text belongs to (a separator belongs to the
// part before it).
int DateEntry::partAt(int textPosition) const
{
    const QList<Part> all = parts();
    int end = 0;
    for (int i = 0; i < all.size(); ++i) {
        end += all.at(i).width;
        if (textPosition <= end)
            return i;
        ++end;  // the separator
    }
    return int(all.size()) - 1;
}

int DateEntry::currentPart() const
{
    const QChar letter = currentSection() == YearSection    ? QLatin1Char('y')
                         : currentSection() == MonthSection ? QLatin1Char('M')
                                                            : QLatin1Char('d');
    const QList<Part> all = parts();
    for (int i = 0; i < all.size(); ++i) {
        if (all.at(i).letter == letter)
            return i;
    }
    return 0;
}

void DateEntry::startTypingAt(const QPoint &point)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint inText = lineEdit()->mapFrom(this, point);
    const QList<Part> all = parts();
    const int part = partAt(lineEdit()->cursorPositionAt(inText));
    const QChar letter = all.value(part).letter;
    setSelectedSection(letter == QLatin1Char('y')   ? YearSection
                       : letter == QLatin1Char('M') ? MonthSection
                                                    : DaySection);
}

// Digits alone, no more than the part clicked holds, replace that part;
// anything longer, or with a separator, is the date from its first part on
// (the parts not reached keep the date's own). A part is what was typed for
// it, as the text shows it.
DateEntry::Typing DateEntry::typing() const
{
    const QList<Part> all = parts();
    Typing result;
    for (const Part &p : all) {
        result.pieces << m_typedOver.toString(QString(p.width, p.letter));
        result.typed << false;
    }
    const bool digitsOnly = std::none_of(m_typed.begin(), m_typed.end(), isSeparatorKey);
    if (digitsOnly && m_typed.size() <= all.value(m_typedPart).width) {
        result.pieces[m_typedPart] = m_typed;
        result.typed[m_typedPart] = true;
        return result;
    }
    int at = 0;
    for (int i = 0; i < all.size() && at < m_typed.size(); ++i) {
        QString digits;
        while (at < m_typed.size() && !isSeparatorKey(m_typed.at(at)) && digits.size() < all.at(i).width)
            digits += m_typed.at(at++);
        if (at < m_typed.size() && isSeparatorKey(m_typed.at(at)))
            ++at;
        result.pieces[i] = digits;
        result.typed[i] = true;
    }
    return result;
}

QString DateEntry::typedText() const
{
    return typing().pieces.join(QLatin1Char('.'));
}

// A day the user did not type (one the field does not show, or one kept
// while only the year or month was retyped) follows the month typed: it is
// the date's own day, or the month's last day where the month is shorter.
// A day typed that the month lacks is the user's and is refused.
bool DateEntry::typedDate(QDate *date) const
{
    const Typing typed = typing();
    const QList<Part> all = parts();
    int year = m_typedOver.year(), month = m_typedOver.month(), day = m_typedOver.day();
    bool dayTyped = false;
    for (int i = 0; i < all.size(); ++i) {
        bool ok = false;
        const int value = typed.pieces.value(i).toInt(&ok);
        if (!ok)
            return false;
        const QChar letter = all.at(i).letter;
        (letter == QLatin1Char('y') ? year : letter == QLatin1Char('M') ? month : day) = value;
        if (letter == QLatin1Char('d'))
            dayTyped = typed.typed.at(i);
    }
    if (!dayTyped && QDate(year, month, 1).isValid())
        day = qMin(day, QDate(year, month, 1).daysInMonth());
    *date = QDate(year, month, day);
    return date->isValid();
}

void DateEntry::showTyping()
{
    // The text shows the keys as typed; the date is taken only at the end.
    // The picker's own validator would mend a day the month lacks ("29"
    // shown as "28") while the refusal still names the day typed, so the
    // text goes in past it.
    const QString text = typedText();
    m_showing = true;
    const QValidator *mending = lineEdit()->validator();
    lineEdit()->setValidator(nullptr);
    lineEdit()->setText(text);
    lineEdit()->setValidator(mending);
    lineEdit()->setCursorPosition(int(text.size()));
    m_showing = false;
}

bool DateEntry::takeTyping()
{
    if (m_typed.isEmpty())
        return true;
    QDate typed;
    const bool ok = typedDate(&typed);
    const QString text = typedText();
    m_typed.clear();
    if (!ok) {
        showDate(m_typedOver);
        lineEdit()->setText(date().toString(displayFormat()));
        warnLater(QStringLiteral("'") + text + QStringLiteral("'不是正确的时间格式！"));
        return false;
    }
    setDate(typed);  // refused with the span's message when outside it
    lineEdit()->setText(date().toString(displayFormat()));
    return true;
}

bool DateEntry::settleTyping()
{
    return takeTyping() && m_unseenRefusals == 0;
}

void DateEntry::keyPressEvent(QKeyEvent *event)
{
    const QString key = event->text();
    const bool typing = key.size() == 1 && (key.at(0).isDigit() || isSeparatorKey(key.at(0)))
                        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (typing) {
        if (m_typed.isEmpty()) {
            m_typedPart = currentPart();
            m_typedOver = date();
        }
        m_typed += key;
        showTyping();
        return;
    }
    if (event->key() == Qt::Key_Backspace && !m_typed.isEmpty()) {
        m_typed.chop(1);
        if (m_typed.isEmpty())
            lineEdit()->setText(date().toString(displayFormat()));
        else
            showTyping();
        return;
    }
    takeTyping();
    QDateEdit::keyPressEvent(event);
}

void DateEntry::focusOutEvent(QFocusEvent *event)
{
    takeTyping();
    QDateEdit::focusOutEvent(event);
}

void DateEntry::mousePressEvent(QMouseEvent *event)
{
    takeTyping();
    QDateEdit::mousePressEvent(event);
}

// A click into the year, month or day selects it, as typing replaces it.
bool DateEntry::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress)
        takeTyping();
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease) {
        QPointer<DateEntry> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->hasFocus())
                self->setSelectedSection(self->currentSection());
        });
    }
    return QDateEdit::eventFilter(watched, event);
}
