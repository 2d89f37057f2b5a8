#include "ClearableDate.h"

#include "engine/Clock.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>

namespace {
const QString DotFormat = QStringLiteral("yyyy.MM.dd");
}

void SetPickerRange(DateEntry *picker, const QString &label, const QDate &from, const QDate &to)
{
    picker->setAllowedRange(from, to, label);
}

bool PickerCanShow(const DateEntry *picker, const QDate &date)
{
    return picker->isAllowed(date);
}

ClearableDate::ClearableDate(QWidget *parent)
    : QWidget(parent),
      m_picker(new DateEntry(this)),
      m_clearBox(new QCheckBox(QStringLiteral("清空"), this)),
      m_emptyField(new QLineEdit(this))
{
    m_picker->setDisplayFormat(DotFormat);
    SetPickerRange(m_picker, QStringLiteral("日期"));
    m_picker->setCalendarPopup(true);
    m_emptyField->setReadOnly(true);
    m_emptyField->installEventFilter(this);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_picker, 1);
    layout->addWidget(m_emptyField, 1);
    layout->addWidget(m_clearBox);
    keepOneWidth();
    showCleared(false);

    connect(m_clearBox, &QCheckBox::toggled, this, [this](bool on) {
        showCleared(on);
        emit changed();
    });
    // The user's own choice replaces a kept text.
    connect(m_clearBox, &QCheckBox::clicked, this, &ClearableDate::dropKeptText);
    connect(m_picker, &QDateEdit::dateChanged, this, &ClearableDate::changed);
}

void ClearableDate::setPartNames(const QString &picker, const QString &clearBox,
                                 const QString &emptyField)
{
    m_picker->setObjectName(picker);
    m_clearBox->setObjectName(clearBox);
    m_emptyField->setObjectName(emptyField);
}

DateEntry *ClearableDate::picker() const { return m_picker; }
QCheckBox *ClearableDate::clearBox() const { return m_clearBox; }
QLineEdit *ClearableDate::emptyField() const { return m_emptyField; }

bool ClearableDate::isCleared() const
{
    return m_clearBox->isChecked();
}

void ClearableDate::setCleared(bool cleared)
{
    m_clearBox->setChecked(cleared);
    showCleared(cleared);
}

QDate ClearableDate::date() const
{
    return m_picker->date();
}

void ClearableDate::setDate(const QDate &date)
{
    m_picker->showDate(date);
}

QString ClearableDate::dotText() const
{
    if (!m_kept.isEmpty())
        return m_kept;
    return isCleared() ? QString() : m_picker->date().toString(DotFormat);
}

bool ClearableDate::setDotText(const QString &stored)
{
    const QString text = stored.trimmed();
    dropKeptText();
    setCleared(text.isEmpty());
    if (text.isEmpty())
        return true;
    // "yyyy.mm.dd": the parts stand at fixed places, whatever separates them.
    bool okYear = false, okMonth = false, okDay = false;
    const QDate date(text.mid(0, 4).toInt(&okYear), text.mid(5, 2).toInt(&okMonth),
                     text.mid(8, 2).toInt(&okDay));
    if (!okYear || !okMonth || !okDay || !PickerCanShow(m_picker, date)) {
        m_kept = text;
        m_picker->showDate(Clock::today());
        setCleared(true);
        m_emptyField->setText(text);
        return false;
    }
    m_picker->showDate(date);
    return true;
}

bool ClearableDate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_emptyField && event->type() == QEvent::MouseButtonPress) {
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        dropKeptText();
        setCleared(false);
        // The picker takes the field's place now, and the keys that follow.
        layout()->activate();
        m_picker->startTypingAt(m_picker->mapFrom(this, m_emptyField->mapTo(this, at)));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ClearableDate::dropKeptText()
{
    if (m_kept.isEmpty())
        return;
    m_kept.clear();
    m_emptyField->clear();
    emit changed();
}

// The picker and the empty field take turns in one place: with one width
// the box "清空" and what follows stay put when the user ticks it.
void ClearableDate::keepOneWidth()
{
    const int width = qMax(m_picker->sizeHint().width(), m_emptyField->sizeHint().width());
    m_picker->setMinimumWidth(width);
    m_emptyField->setMinimumWidth(width);
}

void ClearableDate::showCleared(bool cleared)
{
    m_picker->setVisible(!cleared);
    m_emptyField->setVisible(cleared);
}
