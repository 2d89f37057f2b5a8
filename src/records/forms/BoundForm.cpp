#include "BoundForm.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/widgets/ByteLimitedEdit.h"

#include <QLabel>

BoundForm::BoundForm(QWidget *form) : m_form(form) {}

BoundForm::~BoundForm() = default;

void BoundForm::bind(const Binding &binding)
{
    m_bindings.append(binding);
}

// ---- load -------------------------------------------------------------------

void BoundForm::prepareLoad(const DataSet &) {}

void BoundForm::afterLoad(const DataSet &) {}

void BoundForm::loadFromRow()
{
    loadFrom(boundRow());
}

void BoundForm::loadFrom(const DataSet &row)
{
    prepareLoad(row);
    for (const Binding &b : std::as_const(m_bindings)) {
        const bool serves = b.servesCategory(m_category);
        for (QWidget *w : b.widgets)
            w->setVisible(serves);
        if (serves && b.load)
            b.load(row);
    }
    afterLoad(row);
}

// ---- check and compare ----------------------------------------------------------

QString BoundForm::firstFailingCheck() const
{
    for (const Binding &b : m_bindings) {
        if (!b.check || !b.servesCategory(m_category))
            continue;
        const QString failed = b.check();
        if (!failed.isEmpty())
            return failed;
    }
    return {};
}

void BoundForm::checkInput() const
{
    const QString failed = firstFailingCheck();
    if (failed.isEmpty())
        return;
    Messages::ShowWarning(m_form, failed);
    throw Abort{};
}

bool BoundForm::isUnchanged() const
{
    const DataSet &row = boundRow();
    for (const Binding &b : m_bindings) {
        if (b.same && b.servesCategory(m_category) && !b.same(row))
            return false;
    }
    return true;
}

// ---- write ------------------------------------------------------------------------

DataSet &BoundForm::rowToWrite() const
{
    return boundRow();
}

bool BoundForm::appendsRow(const DataSet &) const
{
    return false;
}

void BoundForm::beforePost(DataSet &) {}

void BoundForm::writeFields(DataSet &row) const
{
    QList<std::pair<QString, QVariant>> values;
    values.reserve(m_bindings.size());
    for (const Binding &b : m_bindings) {
        if (b.field.isEmpty() || !b.value)
            continue;
        if (b.servesCategory(m_category))
            values.append({b.field, b.value()});
        else if (b.clearedForOthers)
            values.append({b.field, QVariant()});
    }
    row.setValues(values);
}

// A row that cannot be written is not left half changed in edit mode: the
// form keeps the input and the user may try again.
void BoundForm::writeRow()
{
    DataSet &row = rowToWrite();
    if (!row.isOpen())
        row.open();
    try {
        if (appendsRow(row))
            row.append();
        else
            row.edit();
        writeFields(row);
        beforePost(row);
        row.post();
    } catch (...) {
        if (row.state() == DataSet::Edit || row.state() == DataSet::Insert)
            row.cancel();
        throw;
    }
}

// ---- leave ------------------------------------------------------------------------

bool BoundForm::confirmLeave(const QString &question)
{
    if (isUnchanged())
        return true;
    const auto answer = Messages::show(m_form, QStringLiteral("请注意！"), question,
                                       QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
    return answer != QMessageBox::Yes || saveForLeave();
}

// ---- the field model ---------------------------------------------------------------

void BoundForm::applyFieldModel(const DataSet &row)
{
    for (const Binding &b : std::as_const(m_bindings)) {
        if (!b.sizedByField || b.widgets.isEmpty() || !row.hasField(b.field)
            || row.fieldType(b.field) != 'C')
            continue;
        auto *edit = qobject_cast<ByteLimitedEdit *>(b.widgets.first());
        if (!edit)
            continue;
        const int width = row.fieldWidth(b.field);
        edit->setMaxBytes(b.byteLimit > 0 ? qMin(b.byteLimit, width) : width);
    }
}

void BoundForm::labelControl(QWidget *label, QWidget *control)
{
    auto *l = qobject_cast<QLabel *>(label);
    if (!l || !control)
        return;
    l->setBuddy(control);
    QString name = l->text();
    name.remove(QLatin1Char('&'));
    if (control->accessibleName().isEmpty())
        control->setAccessibleName(name.trimmed());
}
