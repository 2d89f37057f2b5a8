#include "DataSet.h"

#include "DataSetPrivate.h"
#include "DbError.h"
#include "FieldValue.h"
#include "GbkText.h"

#include <algorithm>

// Editing: the row buffer, post, cancel and delete.

namespace {

// Runs a write through the dataset's own file; when the dataset was up to
// date before, its own change does not make it re-read its rows.
//
// A posted row is on the disk when the post returns (or when the batch of
// posts it belongs to ends, see DbfSyncBatch).
template<typename Write>
auto writeTracked(DataSet::Private *d, Write write)
{
    const bool upToDate = d->file && d->file->generation() == d->seenGeneration;
    auto result = write();
    if (upToDate)
        d->seenGeneration = d->file->generation();
    if (d->file)
        DbfSyncBatch::syncOrDefer(d->file);
    return result;
}

} // namespace

void DataSet::requireWritable() const
{
    requireOpen();
    if (!d->live())
        throw DbError(QStringLiteral("这个查询结果不是单个表的记录，不能修改。"));
}

void DataSet::requireEditing(const QString &field) const
{
    if (d->state != Edit && d->state != Insert)
        throw DbError(QStringLiteral("数据集不在编辑状态，不能修改字段“%1”。").arg(field));
}

void DataSet::checkBrowseMode()
{
    if (d->state != Edit && d->state != Insert)
        return;
    if (d->modified)
        post();
    else
        cancel();
}

void DataSet::edit()
{
    requireWritable();
    if (d->state == Edit || d->state == Insert)
        return;
    syncRows();
    if (d->rowCount() == 0) {
        append();  // nothing to edit: the change becomes a new row
        return;
    }
    d->buffer.clear();
    d->modified = false;
    d->editRecno = d->recnos[d->current];
    setState(Edit);
}

void DataSet::append()
{
    requireWritable();
    checkBrowseMode();
    d->buffer.clear();
    d->modified = false;
    setState(Insert);
}

void DataSet::setValue(const QString &field, const QVariant &value)
{
    const int index = fieldAt(field);
    requireEditing(field);
    setBufferValue(index, FieldValue::fromVariant(d->fields[index].def, value));
}

void DataSet::setValues(const QList<std::pair<QString, QVariant>> &values)
{
    bool stored = false;
    const auto announce = [&] {
        if (stored && d->state == Edit)
            emit rowChanged(d->current);
    };
    try {
        for (const auto &[field, value] : values) {
            const int index = fieldAt(field);
            requireEditing(field);
            storeBufferValue(index, FieldValue::fromVariant(d->fields[index].def, value));
            stored = true;
        }
    } catch (...) {
        announce();
        throw;
    }
    announce();
}

void DataSet::setString(const QString &field, const QString &text)
{
    const int index = fieldAt(field);
    requireEditing(field);
    setBufferValue(index, FieldValue::fromText(d->fields[index].def, text));
}

void DataSet::setGbk(const QString &field, const QByteArray &gbk)
{
    const int index = fieldAt(field);
    const DataSetField &f = std::as_const(d->fields)[index];
    if (!f.def.isText() || f.lookup >= 0)
        return setString(field, GbkText::decode(gbk));
    requireEditing(field);
    setBufferValue(index, gbk.isEmpty() ? QVariant() : QVariant(gbk));
}

// Text wider than a C field is cut to its width, or refused when the
// field's fit says so.
QVariant DataSet::fittedText(const DataSetField &field, const QVariant &value) const
{
    const bool stored = value.typeId() == QMetaType::QByteArray;   // GBK bytes (setGbk)
    if (field.def.type != 'C' || (!stored && value.typeId() != QMetaType::QString))
        return value;
    const int bytes = stored ? int(static_cast<const QByteArray *>(value.constData())->size())
                             : GbkText::byteLength(value.toString());
    if (bytes <= field.def.width)
        return value;
    if (d->fits.value(field.def.name.toLower(), CutToWidth) == Refuse)
        throw DbError(QStringLiteral("字段“%1”最多能存%2个字节（%3个汉字），输入的内容有%4个字节。")
                          .arg(field.def.name)
                          .arg(field.def.width)
                          .arg(field.def.width / 2)
                          .arg(bytes));
    if (stored)
        return GbkText::cutBytes(value.toByteArray(), field.def.width);
    return GbkText::cutToBytes(value.toString(), field.def.width);
}

void DataSet::setBufferValue(int fieldIndex, const QVariant &value)
{
    storeBufferValue(fieldIndex, value);
    if (d->state == Edit)
        emit rowChanged(d->current);
}

void DataSet::storeBufferValue(int fieldIndex, const QVariant &value)
{
    const DataSetField &field = d->fields[fieldIndex];
    if (field.lookup >= 0)
        throw DbError(QStringLiteral("字段“%1”是显示字段，不能修改。").arg(field.def.name));
    d->buffer.insert(fieldIndex, fittedText(field, value));
    d->modified = true;
}

void DataSet::post()
{
    if (d->state == Edit)
        postEdit();
    else if (d->state == Insert)
        postInsert();
}

// The buffer's changes by file field, in field order.
static QList<QPair<int, QVariant>> bufferedChanges(const DataSet::Private *d)
{
    QList<QPair<int, QVariant>> changes;
    changes.reserve(d->buffer.changed().size());
    for (int field : d->buffer.changed())
        changes.append({std::as_const(d->fields)[field].source, d->buffer.value(field)});
    // Already sorted when the fields were set in the order of the file's.
    const auto byField = [](const auto &a, const auto &b) { return a.first < b.first; };
    if (!std::is_sorted(changes.cbegin(), changes.cend(), byField))
        std::sort(changes.begin(), changes.end(), byField);
    return changes;
}

void DataSet::postEdit()
{
    const int row = d->current;
    const QList<QPair<int, QVariant>> changes = bufferedChanges(d.get());
    if (!changes.isEmpty()) {
        const int recno = d->editRecno;
        writeTracked(d.get(), [&] {
            writeRow(recno, changes);
            return 0;
        });
    }
    d->buffer.clear();
    d->modified = false;
    setState(Browse);
    emit rowChanged(row);
    dropRowIfFilteredOut();
}

void DataSet::postInsert()
{
    const QList<QPair<int, QVariant>> values = bufferedChanges(d.get());
    const int recno = writeTracked(d.get(), [&] { return writeNewRow(values); });
    d->recnos.append(recno);
    d->buffer.clear();
    d->modified = false;
    setState(Browse);
    announceRowsReset();
    setCurrent(d->rowCount() - 1, false, false);
    dropRowIfFilteredOut();
}

// A posted row that its table's filter no longer lets through leaves the
// rows; the next row (or the new last one) becomes current.
void DataSet::dropRowIfFilteredOut()
{
    if (!checksRowAfterPost() || d->current < 0)
        return;
    const int recno = d->recnos[d->current];
    QList<QVariant> record;
    for (int i = 0; i < d->file->fieldCount(); ++i)
        record.append(storedValue(recno, i));
    if (keepsRowAfterPost(record))
        return;
    const int row = d->current;
    d->recnos.removeAt(row);
    const int count = d->rowCount();
    d->current = qMin(row, count - 1);
    d->bof = count == 0;
    d->eof = count == 0 || row >= count;
    announceRowsReset();
    emit currentChanged(d->current);
}

void DataSet::cancel()
{
    if (d->state != Edit && d->state != Insert)
        return;
    const bool wasEdit = d->state == Edit;
    d->buffer.clear();
    d->modified = false;
    setState(Browse);
    if (wasEdit)
        emit rowChanged(d->current);
}

void DataSet::remove()
{
    requireWritable();
    if (d->state == Insert) {
        cancel();
        return;
    }
    syncRows();
    if (d->current < 0 || d->rowCount() == 0)
        throw DbError(QStringLiteral("没有可删除的记录。"));
    const int row = d->current;
    const int recno = d->recnos[row];
    writeTracked(d.get(), [&] {
        deleteRow(recno);
        return 0;
    });
    d->buffer.clear();
    d->modified = false;
    setState(Browse);
    d->recnos.removeAt(row);
    const int count = d->rowCount();
    d->current = qMin(row, count - 1);
    d->bof = d->eof = count == 0;
    announceRowsReset();
    emit currentChanged(d->current);
}

// ---- default hooks: straight to the file -----------------------------------

bool DataSet::checksRowAfterPost() const
{
    return false;
}

bool DataSet::keepsRowAfterPost(const QList<QVariant> &) const
{
    return true;
}

void DataSet::writeRow(int recno, const QList<QPair<int, QVariant>> &changes)
{
    d->file->update(recno, changes);
}

int DataSet::writeNewRow(const QList<QPair<int, QVariant>> &values)
{
    return d->file->append(values);
}

void DataSet::deleteRow(int recno)
{
    d->file->setDeleted(recno, true);
}
