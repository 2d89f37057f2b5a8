#include "FormOrder.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QWidget>

#include <algorithm>

namespace {

// The first widget a layout item stands for.
QWidget *widgetOf(QLayoutItem *item)
{
    if (!item)
        return nullptr;
    if (QWidget *w = item->widget())
        return w;
    if (QLayout *inner = item->layout()) {
        for (int i = 0; i < inner->count(); ++i) {
            if (QWidget *w = widgetOf(inner->itemAt(i)))
                return w;
        }
    }
    return nullptr;
}

// A label of one character ("年", ".") is a unit or a separator between
// two edits, not the name of the next one.
void pair(QLabel *label, QWidget *control)
{
    if (!label || label->buddy() || !control || qobject_cast<QLabel *>(control)
        || label->text().trimmed().size() < 2)
        return;
    if (control->focusPolicy() == Qt::NoFocus && !qobject_cast<QAbstractButton *>(control))
        return;
    label->setBuddy(control);
    if (control->accessibleName().isEmpty()) {
        QString name = label->text();
        name.remove(QLatin1Char('&'));
        control->setAccessibleName(name.trimmed());
    }
}

void buddyGrid(QGridLayout *grid)
{
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        auto *label = qobject_cast<QLabel *>(grid->itemAt(i)->widget());
        if (label)
            pair(label, widgetOf(grid->itemAtPosition(row, column + columnSpan)));
    }
}

void buddyBox(QBoxLayout *box)
{
    for (int i = 0; i + 1 < box->count(); ++i) {
        auto *label = qobject_cast<QLabel *>(box->itemAt(i)->widget());
        if (!label)
            continue;
        for (int j = i + 1; j < box->count(); ++j) {
            QLayoutItem *next = box->itemAt(j);
            if (next->spacerItem())
                continue;
            pair(label, widgetOf(next));
            break;
        }
    }
}

void buddyLayout(QLayout *layout)
{
    if (!layout)
        return;
    if (auto *grid = qobject_cast<QGridLayout *>(layout))
        buddyGrid(grid);
    else if (auto *box = qobject_cast<QBoxLayout *>(layout))
        buddyBox(box);
    for (int i = 0; i < layout->count(); ++i)
        buddyLayout(layout->itemAt(i)->layout());
}

bool takesTab(const QWidget *w, const QWidget *form)
{
    return (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(form) && w->window() == form;
}

enum class Field { None, Empty, Filled };

Field fieldKind(const QWidget *w)
{
    const auto kind = [](bool typed, bool empty) {
        return !typed ? Field::None : empty ? Field::Empty : Field::Filled;
    };
    if (const auto *spin = qobject_cast<const QAbstractSpinBox *>(w))
        return kind(!spin->isReadOnly(), spin->text().trimmed().isEmpty());
    if (const auto *combo = qobject_cast<const QComboBox *>(w))
        return kind(combo->isEditable(), combo->currentText().isEmpty());
    // The edit inside a spin box or a list is typed into through its owner.
    if (qobject_cast<const QAbstractSpinBox *>(w->parentWidget())
        || qobject_cast<const QComboBox *>(w->parentWidget()))
        return Field::None;
    if (const auto *edit = qobject_cast<const QLineEdit *>(w))
        return kind(!edit->isReadOnly(), edit->text().isEmpty());
    if (const auto *memo = qobject_cast<const QPlainTextEdit *>(w))
        return kind(!memo->isReadOnly(), memo->document()->isEmpty());
    if (const auto *memo = qobject_cast<const QTextEdit *>(w))
        return kind(!memo->isReadOnly(), memo->document()->isEmpty());
    return Field::None;
}

} // namespace

void BuddyLabels(QWidget *form)
{
    buddyLayout(form->layout());
    for (QWidget *child : form->findChildren<QWidget *>()) {
        if (child->window() == form)
            buddyLayout(child->layout());
    }
}

void TabInVisualOrder(QWidget *form)
{
    if (form->layout())
        form->layout()->activate();
    QList<QWidget *> controls;
    for (QWidget *w : form->findChildren<QWidget *>()) {
        // A widget that handles its own focus inside (a spin box's edit)
        // is ordered through its owner.
        if (takesTab(w, form) && !(w->parentWidget() && w->parentWidget()->focusProxy() == w))
            controls << w;
    }
    const auto place = [form](const QWidget *w) {
        const QPoint at = w->mapTo(form, QPoint(0, w->height() / 2));
        return at;
    };
    // A row is what shares a line: controls whose middles lie within a few
    // pixels of each other.
    std::stable_sort(controls.begin(), controls.end(), [&](const QWidget *a, const QWidget *b) {
        const QPoint pa = place(a), pb = place(b);
        if (qAbs(pa.y() - pb.y()) > 6)
            return pa.y() < pb.y();
        return pa.x() < pb.x();
    });
    for (int i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls.at(i - 1), controls.at(i));
}

QWidget *FirstFieldToType(const QWidget *form)
{
    QWidget *firstFilled = nullptr;
    for (QWidget *w = form->nextInFocusChain(); w && w != form; w = w->nextInFocusChain()) {
        if (!takesTab(w, form) || !w->isEnabled())
            continue;
        const Field kind = fieldKind(w);
        if (kind == Field::Empty)
            return w;
        if (kind == Field::Filled && !firstFilled)
            firstFilled = w;
    }
    return firstFilled;
}
