#include "BoundForm.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/DateEntry.h"

#include <QLabel>


BoundForm::BoundForm(QWidget *form) : m_form(form) {}

BoundForm::~BoundForm() = default;

void BoundForm::bind(const Binding &binding)
{
    Binding b = binding;
    const QList<QWidget *> shown = b.face ? QList<QWidget *>() : b.widgets;
    const QList<QWidget *> controls = shown + b.alsoFollows;
    if (!controls.isEmpty()) {
        const auto own = b.face;
        b.face = [own, controls] {
            QString face = own ? own() : QString();
            for (const QWidget *w : controls)
                face += QChar(0x1f) + PageBindings::faceOf(w);
            return face;
        };
    }
    m_bindings.append(b);
}

QStringList BoundForm::faces() const
{
    QStringList result;
    result.reserve(m_bindings.size());
    for (const Binding &b : m_bindings)
        result << (b.face ? QLatin1Char('=') + b.face() : QString());
    return result;
}

// A form that adds a row compares with nothing stored.
bool BoundForm::holdsStoredRow() const
{
    if (m_storedFaces.isEmpty())
        return false;
    try {
        return !appendsRow(rowToWrite());
    } catch (const DbError &) {
        return false;
    }
}

bool BoundForm::faceAsLoaded(int bindingIndex) const
{
    if (bindingIndex < 0 || bindingIndex >= m_storedFaces.size())
        return false;
    const Binding &b = m_bindings.at(bindingIndex);
    const QString &stored = m_storedFaces.at(bindingIndex);
    return b.face && !stored.isNull() && stored == QLatin1Char('=') + b.face();
}

bool BoundForm::faceAsStored(int bindingIndex) const
{
    return !m_newValues.contains(bindingIndex) && faceAsLoaded(bindingIndex);
}

bool BoundForm::showsAsLoaded(int bindingIndex) const
{
    return holdsStoredRow() && faceAsStored(bindingIndex);
}

bool BoundForm::showsAsLoaded(const QString &field) const
{
    for (int i = 0; i < m_bindings.size(); ++i) {
        if (m_bindings.at(i).field.compare(field, Qt::CaseInsensitive) == 0
            && m_bindings.at(i).servesCategory(m_category))
            return showsAsLoaded(i);
    }
    return false;
}

// ---- load -------------------------------------------------------------------

void BoundForm::prepareLoad(const DataSet &) {}

void BoundForm::afterLoad(const DataSet &) {}

void BoundForm::loadFromRow()
{
    const DataSet &row = boundRow();
    QHash<int, QString> kept;
    loadControls(row, &kept);
    m_storedFaces = faces();
    markNewValues(row, kept);
}

void BoundForm::loadFrom(const DataSet &row)
{
    loadControls(row, nullptr);
}

// While loading, the form holds no stored row: the rules that run on it
// see no control as showing what was loaded.
void BoundForm::loadControls(const DataSet &row, QHash<int, QString> *kept)
{
    m_storedFaces.clear();
    m_newValues.clear();
    prepareLoad(row);
    for (int i = 0; i < m_bindings.size(); ++i) {
        const Binding &b = m_bindings.at(i);
        const bool serves = b.servesCategory(m_category);
        for (QWidget *w : b.widgets)
            w->setVisible(serves);
        if (!serves || !b.load)
            continue;
        b.load(row);
        if (kept && b.keepsStored && b.face && !writesAsStored(b, row) && b.keepsStored(row))
            kept->insert(i, QLatin1Char('=') + b.face());
    }
    afterLoad(row);
}

// Whatever rule put a value on the form while it was loaded, in a
// binding's own load or in a hook, the save stores what the form shows.
void BoundForm::markNewValues(const DataSet &row, const QHash<int, QString> &kept)
{
    for (int i = 0; i < m_bindings.size(); ++i) {
        const Binding &b = m_bindings.at(i);
        if (!b.servesCategory(m_category) || !b.face || writesAsStored(b, row))
            continue;
        const auto keptFace = kept.constFind(i);
        if (keptFace != kept.constEnd() && *keptFace == m_storedFaces.at(i))
            continue;
        m_newValues.insert(i);
    }
}

bool BoundForm::writesAsStored(const Binding &b, const DataSet &row) const
{
    if (b.field.isEmpty() || !b.value || !row.isOpen() || row.isEmpty() || !row.hasField(b.field))
        return true;
    if (b.writesAsStored)
        return b.writesAsStored(row);
    return PageBindings::storesAs(row, b.field, b.value());
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

bool BoundForm::settleTypedDates() const
{
    bool settled = true;
    for (DateEntry *date : m_form->findChildren<DateEntry *>()) {
        if (!date->settleTyping())
            settled = false;
    }
    return settled;
}

void BoundForm::requireSettledDates() const
{
    if (!settleTypedDates())
        throw Abort{};
}

void BoundForm::checkInput() const
{
    requireSettledDates();
    const QString failed = firstFailingCheck();
    if (failed.isEmpty())
        return;
    Messages::ShowWarning(m_form, failed);
    throw Abort{};
}

bool BoundForm::isUnchanged() const
{
    const DataSet &row = boundRow();
    const bool stored = holdsStoredRow();
    for (int i = 0; i < m_bindings.size(); ++i) {
        const Binding &b = m_bindings.at(i);
        if (!b.same || !b.servesCategory(m_category))
            continue;
        const bool untouched = stored && faceAsLoaded(i)
                               && (!m_newValues.contains(i) || b.loadedValueUnasked);
        if (!untouched && !b.same(row))
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

// A control that shows what loading put there leaves its field as stored:
// how a control shows a value (an edit's length, a list without the stored
// code, a picker's range) never changes what the user did not change.
void BoundForm::writeFields(DataSet &row, bool appending) const
{
    QList<std::pair<QString, QVariant>> values;
    values.reserve(m_bindings.size());
    for (int i = 0; i < m_bindings.size(); ++i) {
        const Binding &b = m_bindings.at(i);
        if (b.field.isEmpty() || !b.value)
            continue;
        if (b.servesCategory(m_category)) {
            if (!appending && faceAsStored(i))
                continue;
            values.append({b.field, b.value()});
        } else if (b.clearedForOthers) {
            values.append({b.field, QVariant()});
        }
    }
    row.setValues(values);
}

// A row that cannot be written is not left half changed in edit mode: the
// form keeps the input and the user may try again.
void BoundForm::writeRow()
{
    requireSettledDates();
    DataSet &row = rowToWrite();
    if (!row.isOpen())
        row.open();
    const bool appending = appendsRow(row);
    try {
        if (appending)
            row.append();
        else
            row.edit();
        writeFields(row, appending);
        beforePost(row);
        row.post();
    } catch (...) {
        if (row.state() == DataSet::Edit || row.state() == DataSet::Insert)
            row.cancel();
        throw;
    }
    // What the controls show is now what the row holds.
    if (&row == &boundRow()) {
        m_storedFaces = faces();
        m_newValues.clear();
    }
}

// ---- leave ------------------------------------------------------------------------

bool BoundForm::confirmLeave(const QString &question)
{
    if (!settleTypedDates())
        return false;
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
        edit->setMaxBytes(row.fieldWidth(b.field));
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
