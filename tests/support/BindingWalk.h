#pragma once
// Walks the bindings of a bound form generically: fills each bound control
// of the form's category with a valid value, reads back what every control
// shows, and checks each field-sized edit against its field's byte width.

#include "engine/DataSet.h"
#include "engine/GbkText.h"
#include "records/forms/BoundForm.h"
#include "records/widgets/ByteLimitedEdit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

namespace BindingWalk {

// A text of Chinese characters (and one letter for an odd count) of exactly
// `bytes` GBK bytes.
inline QString textOfBytes(int bytes)
{
    QString text;
    for (int i = 0; i + 2 <= bytes; i += 2)
        text += QChar(0x4E00 + (i / 2) % 40);
    if (bytes % 2)
        text += QLatin1Char('A');
    return text;
}

inline bool fillable(const QWidget *w)
{
    return w->isEnabled() && !w->isHidden();
}

// One valid value in each control the walk knows; controls it does not know
// (digit edits, date pickers, read-only edits) are the test's own. A text
// edit is typed into as wide as `widths` (FieldWidths.h) says its field
// is. Returns the fields whose edit did not take that text whole, and
// those `widths` lacks.
inline QStringList fill(const BoundForm &form, const QHash<QString, int> &widths)
{
    QStringList cut;
    for (const Binding &b : form.bindings()) {
        if (b.field.isEmpty() || !b.value || b.widgets.isEmpty()
            || !b.servesCategory(form.category()))
            continue;
        QWidget *w = b.widgets.first();
        if (!fillable(w))
            continue;
        if (auto *edit = qobject_cast<ByteLimitedEdit *>(w); edit && !edit->isReadOnly()) {
            const QString text = textOfBytes(widths.value(b.field.toLower()));
            edit->clear();
            edit->insert(text);  // as typed
            if (text.isEmpty() || edit->text() != text)
                cut << b.field;
        } else if (auto *memo = qobject_cast<QPlainTextEdit *>(w)) {
            memo->setPlainText(QStringLiteral("第一行说明\n第二行说明"));
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            for (int i = combo->count() - 1; i >= 0; --i) {
                if (!combo->itemText(i).trimmed().isEmpty()) {
                    combo->setCurrentIndex(i);
                    break;
                }
            }
        } else if (auto *box = qobject_cast<QCheckBox *>(w)) {
            box->setChecked(true);
        } else if (auto *panel = qobject_cast<QGroupBox *>(w)) {
            const auto boxes = panel->findChildren<QAbstractButton *>();
            for (QAbstractButton *o : boxes)
                o->setChecked(false);
            if (!boxes.isEmpty())
                boxes.first()->setChecked(true);
        }
    }
    return cut;
}

// What every bound control of the form's category shows.
inline QStringList shown(const BoundForm &form)
{
    QStringList values;
    for (const Binding &b : form.bindings()) {
        if (b.field.isEmpty() || !b.servesCategory(form.category()))
            continue;
        for (QWidget *w : b.widgets) {
            const QString name = w->objectName() + QStringLiteral("=");
            if (auto *edit = qobject_cast<QLineEdit *>(w))
                values << name + edit->text();
            else if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
                values << name + memo->toPlainText();
            else if (auto *combo = qobject_cast<QComboBox *>(w))
                values << name + combo->currentText();
            else if (auto *box = qobject_cast<QCheckBox *>(w))
                values << name + (box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
            else if (auto *date = qobject_cast<QDateEdit *>(w))
                values << name + date->date().toString(Qt::ISODate);
            else if (auto *panel = qobject_cast<QGroupBox *>(w)) {
                QStringList ticked;
                for (QAbstractButton *o : panel->findChildren<QAbstractButton *>()) {
                    if (o->isChecked())
                        ticked << o->objectName();
                }
                values << name + ticked.join(QLatin1Char(','));
            }
        }
    }
    return values;
}

// Every field-sized edit takes its field's width and
// refuses one byte more. Returns the edits that do not, empty when all do.
inline QStringList editsPastTheirField(const BoundForm &form, const DataSet &row)
{
    QStringList wrong;
    for (const Binding &b : form.bindings()) {
        if (!b.sizedByField || b.widgets.isEmpty())
            continue;
        auto *edit = qobject_cast<ByteLimitedEdit *>(b.widgets.first());
        const int limit = row.fieldWidth(b.field);
        if (!edit || edit->maxBytes() != limit) {
            wrong << b.field;
            continue;
        }
        const QString before = edit->text();
        edit->clear();
        edit->insert(textOfBytes(limit + 1));  // typed or pasted
        if (GbkText::byteLength(edit->text()) > limit)
            wrong << b.field;
        edit->setText(before);
    }
    return wrong;
}

} // namespace BindingWalk
