#include "DataSet.h"

#include "DataSetPrivate.h"
#include "DbError.h"
#include "FieldValue.h"
#include "GbkText.h"
#include "ValueText.h"

#include <QMetaObject>

// Rows, navigation, reading and lookups. Editing is in DataSetEdit.cpp.

namespace {

constexpr int InsertRow = -2;  // the row an append is building

DataSetField ownField(const DbfField &def, int source)
{
    DataSetField field;
    field.def = def;
    field.source = source;
    return field;
}

// Text set as GBK bytes (setGbk) is read as text.
QVariant shownValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::QByteArray)
        return GbkText::decode(value.toByteArray());
    return value;
}

char guessType(const QList<QList<QVariant>> &rows, int column)
{
    for (const QList<QVariant> &row : rows) {
        const QVariant v = row.value(column);
        if (!v.isValid() || v.isNull())
            continue;
        switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Int:
        case QMetaType::LongLong:
            return 'N';
        case QMetaType::QDate:
            return 'D';
        case QMetaType::Bool:
            return 'L';
        default:
            return 'C';
        }
    }
    return 'C';
}

} // namespace

DataSet::DataSet(Database *db, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->db = db;
}

DataSet::~DataSet() = default;

Database *DataSet::database() const
{
    return d->db;
}

void DataSet::setDatabase(Database *db)
{
    close();
    d->db = db;
}

void DataSet::close()
{
    if (!d->open)
        return;
    d->buffer.clear();
    d->modified = false;
    clearRows();
}

bool DataSet::isOpen() const
{
    return d->open;
}

DataSet::State DataSet::state() const
{
    return d->state;
}

// ---- row sources -----------------------------------------------------------

void DataSet::setLiveRows(std::shared_ptr<DbfFile> file, QList<int> recnos)
{
    QList<int> all;
    for (int i = 0; i < file->fieldCount(); ++i)
        all.append(i);
    setLiveRows(std::move(file), std::move(recnos), all);
}

void DataSet::setLiveRows(std::shared_ptr<DbfFile> file, QList<int> recnos,
                          const QList<int> &fieldIndexes)
{
    QList<DataSetField> fields;
    for (int index : fieldIndexes)
        fields.append(ownField(file->field(index), index));
    d->fixedRows.clear();
    d->seenGeneration = file->generation();
    d->file = std::move(file);
    d->recnos = std::move(recnos);
    openWith(fields);
}

void DataSet::setFixedRows(QStringList names, QList<QList<QVariant>> rows)
{
    QList<DbfField> columns;
    for (int i = 0; i < names.size(); ++i) {
        DbfField column;
        column.name = names[i];
        column.type = guessType(rows, i);
        columns.append(column);
    }
    setFixedRows(columns, std::move(rows));
}

void DataSet::setFixedRows(const QList<DbfField> &columns, QList<QList<QVariant>> rows)
{
    QList<DataSetField> fields;
    for (int i = 0; i < columns.size(); ++i)
        fields.append(ownField(columns[i], i));
    d->file.reset();
    d->recnos.clear();
    d->fixedRows = std::move(rows);
    openWith(fields);
}

void DataSet::openWith(QList<DataSetField> fields)
{
    d->fields = std::move(fields);
    d->open = true;
    d->buffer.clear();
    d->modified = false;
    rebuildLookupFields();
    const int count = d->rowCount();
    d->current = count > 0 ? 0 : -1;
    d->bof = true;
    d->eof = count == 0;
    setState(Browse);
    announceRowsReset();
    emit currentChanged(d->current);
}

void DataSet::clearRows()
{
    const bool wasOpen = d->open;
    d->file.reset();
    d->recnos.clear();
    d->fixedRows.clear();
    d->fields.clear();
    d->fieldByName.clear();
    d->forgetNames();
    d->open = false;
    d->current = -1;
    d->bof = d->eof = true;
    setState(Inactive);
    if (wasOpen)
        announceRowsReset();
}

std::shared_ptr<DbfFile> DataSet::liveFile() const
{
    return d->file;
}

QList<int> DataSet::liveRecnos() const
{
    return d->recnos;
}

void DataSet::replaceLiveRows(QList<int> recnos)
{
    const int oldRow = d->current;
    const int oldRecno = (oldRow >= 0 && oldRow < d->recnos.size()) ? d->recnos[oldRow] : -1;
    d->recnos = std::move(recnos);
    if (d->file)
        d->seenGeneration = d->file->generation();
    const int count = d->rowCount();
    int row = oldRecno == -1 ? -1 : int(d->recnos.indexOf(oldRecno));
    if (row < 0)
        row = qMin(qMax(oldRow, 0), count - 1);
    d->current = count > 0 ? row : -1;
    if (count == 0) {
        d->bof = d->eof = true;
    } else if (oldRow < 0) {
        d->bof = true;  // rows came to an empty set: at the first, as after first()
        d->eof = false;
    } else {
        d->bof = d->bof && d->current == 0;
        d->eof = d->eof && d->current == count - 1;
    }
    announceRowsReset();
    if (d->current == oldRow)
        return;
    if (d->syncing)
        QMetaObject::invokeMethod(this, [this] { emit currentChanged(d->current); },
                                  Qt::QueuedConnection);
    else
        emit currentChanged(d->current);
}

void DataSet::renumberRow(int oldRecno, int newRecno)
{
    const qsizetype row = d->recnos.indexOf(oldRecno);
    if (row >= 0)
        d->recnos[row] = newRecno;
}

// Another dataset on the same file appended or deleted rows: re-read the row
// list before answering. A model may be asking from inside a paint, so the
// reset reaches it through the event loop.
void DataSet::syncRows() const
{
    if (!d->file || d->syncing || d->file->generation() == d->seenGeneration)
        return;
    if (d->state == Edit || d->state == Insert)
        return;  // the row being edited stays where it is until posted
    auto *self = const_cast<DataSet *>(this);
    d->syncing = true;
    try {
        self->refreshRows();
    } catch (...) {
        d->syncing = false;
        throw;
    }
    d->syncing = false;
}

void DataSet::refreshRows()
{
    if (!d->file)
        return;
    const int count = d->file->recordCount();
    QList<int> kept;
    kept.reserve(d->recnos.size());
    for (int recno : std::as_const(d->recnos)) {
        if (recno < 0 || (recno < count && !d->file->isDeleted(recno)))
            kept.append(recno);
    }
    replaceLiveRows(kept);
}

void DataSet::announceRowsReset()
{
    ++d->resets;
    if (!d->syncing) {
        emit rowsReset();
        return;
    }
    QMetaObject::invokeMethod(this, [this] { emit rowsReset(); }, Qt::QueuedConnection);
}

void DataSet::setState(State state)
{
    if (d->state == state)
        return;
    d->state = state;
    emit stateChanged(state);
}

void DataSet::setCurrent(int row, bool bof, bool eof)
{
    const int old = d->current;
    d->current = row;
    d->bof = bof;
    d->eof = eof;
    if (row != old)
        emit currentChanged(row);
}

void DataSet::requireOpen() const
{
    if (!d->open)
        throw DbError(QStringLiteral("数据集没有打开，不能进行此操作。"));
}

// ---- navigation ------------------------------------------------------------

int DataSet::recordCount() const
{
    syncRows();
    return d->open ? d->rowCount() : 0;
}

bool DataSet::isEmpty() const
{
    return recordCount() == 0;
}

int DataSet::recNo() const
{
    syncRows();
    return d->current;
}

bool DataSet::bof() const
{
    syncRows();
    return d->bof || d->rowCount() == 0;
}

bool DataSet::eof() const
{
    syncRows();
    return d->eof || d->rowCount() == 0;
}

void DataSet::first()
{
    requireOpen();
    checkBrowseMode();
    syncRows();
    const int count = d->rowCount();
    setCurrent(count > 0 ? 0 : -1, true, count == 0);
}

void DataSet::last()
{
    requireOpen();
    checkBrowseMode();
    syncRows();
    const int count = d->rowCount();
    setCurrent(count - 1, count == 0, true);
}

void DataSet::next()
{
    requireOpen();
    checkBrowseMode();
    syncRows();
    const int count = d->rowCount();
    if (d->current >= count - 1)
        setCurrent(count - 1, count == 0, true);
    else
        setCurrent(d->current + 1, false, false);
}

void DataSet::prior()
{
    requireOpen();
    checkBrowseMode();
    syncRows();
    const int count = d->rowCount();
    if (d->current <= 0)
        setCurrent(count > 0 ? 0 : -1, true, count == 0);
    else
        setCurrent(d->current - 1, false, false);
}

void DataSet::moveTo(int row)
{
    requireOpen();
    checkBrowseMode();
    syncRows();
    const int count = d->rowCount();
    if (count == 0) {
        setCurrent(-1, true, true);
        return;
    }
    setCurrent(qBound(0, row, count - 1), false, false);
}

bool DataSet::locate(const QString &field, const QVariant &value, LocateOptions options)
{
    return locate(QStringList{field}, QVariantList{value}, options);
}

bool DataSet::locate(const QStringList &fields, const QVariantList &values, LocateOptions options)
{
    requireOpen();
    checkBrowseMode();
    syncRows();
    QList<int> indexes;
    for (const QString &name : fields)
        indexes.append(fieldAt(name));
    const int count = d->rowCount();
    for (int row = 0; row < count; ++row) {
        if (rowMatches(row, indexes, values, options)) {
            setCurrent(row, false, false);
            return true;
        }
    }
    return false;
}

bool DataSet::rowMatches(int row, const QList<int> &fields, const QVariantList &values,
                         LocateOptions options) const
{
    const Qt::CaseSensitivity cs =
        options.testFlag(CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < fields.size(); ++i) {
        const QVariant have = cellValue(row, fields[i]);
        const QVariant want = values.value(i);
        if (FieldValue::isBlank(want) || FieldValue::isBlank(have)) {
            if (FieldValue::isBlank(want) != FieldValue::isBlank(have))
                return false;
            continue;
        }
        const char type = d->fields[fields[i]].def.type;
        const bool partial = options.testFlag(PartialKey) && i == fields.size() - 1;
        if ((type == 'N' || type == 'F' || type == 'I') && !partial) {
            double wanted = 0;
            if (!ValueText::parseNumber(FieldValue::toText(want), &wanted)
                || have.toDouble() != wanted)
                return false;
            continue;
        }
        const QString haveText = FieldValue::toText(have);
        const QString wantText = FieldValue::toText(want);
        if (partial ? !haveText.startsWith(wantText, cs) : haveText.compare(wantText, cs) != 0)
            return false;
    }
    return true;
}

// ---- fields ----------------------------------------------------------------

QStringList DataSet::fieldNames() const
{
    QStringList names;
    for (const DataSetField &field : std::as_const(d->fields))
        names.append(field.def.name);
    return names;
}

// Callers mostly spell a name as it is stored, or all in lower or upper
// case; those spellings are found without building a lower-cased copy,
// which cost more than the rest of reading a field.
int DataSet::fieldIndex(const QString &name) const
{
    // Name buffers lie close together (a table's names are made one after
    // another), so the buffer's address is mixed before it picks a slot, and
    // a few neighbouring slots are tried: names that meet in one slot would
    // otherwise push each other out on every row.
    const auto home = std::size_t((quint64(quintptr(name.constData())) * 0x9E3779B97F4A7C15ull) >> 56);
    Private::NameSlot *vacant = nullptr;
    for (std::size_t probe = 0; probe < Private::NameProbes; ++probe) {
        auto &candidate = d->nameSlots[(home + probe) % Private::NameSlots];
        if (candidate.index < 0) {
            vacant = &candidate;
            break;
        }
        if (candidate.name.constData() == name.constData() && candidate.name.size() == name.size())
            return candidate.index;
    }
    const auto known = d->fieldBySpelling.constFind(name);
    const int index = known != d->fieldBySpelling.constEnd() ? *known
                                                             : d->fieldByName.value(name.trimmed().toLower(), -1);
    if (index >= 0 && !name.isEmpty())
        *(vacant ? vacant : &d->nameSlots[home % Private::NameSlots]) = {name, index};
    return index;
}

bool DataSet::hasField(const QString &name) const
{
    return fieldIndex(name) >= 0;
}

int DataSet::fieldAt(const QString &name) const
{
    requireOpen();
    const int index = fieldIndex(name);
    if (index < 0)
        throw DbError(QStringLiteral("字段“%1”不存在。").arg(name));
    return index;
}

int DataSet::fieldWidth(const QString &name) const
{
    const DataSetField &field = d->fields[fieldAt(name)];
    if (field.lookup >= 0 || field.def.type == 'M')
        return 0;
    return field.def.width;
}

char DataSet::fieldType(const QString &name) const
{
    const DataSetField &field = d->fields[fieldAt(name)];
    return field.lookup >= 0 ? 'C' : field.def.type;
}

void DataSet::setFieldTitle(const QString &field, const QString &title)
{
    d->titles.insert(field.trimmed().toLower(), title);
}

QString DataSet::fieldTitle(const QString &field) const
{
    const QString key = field.trimmed().toLower();
    if (d->titles.contains(key))
        return d->titles.value(key);
    const int index = fieldIndex(field);
    return index >= 0 ? d->fields[index].def.name : field;
}

void DataSet::setTextFit(const QString &field, TextFit fit)
{
    d->fits.insert(field.trimmed().toLower(), fit);
}

// ---- reading ---------------------------------------------------------------

QVariant DataSet::storedValue(int recno, int fieldIndex) const
{
    return d->file->value(recno, fieldIndex);
}

bool DataSet::storedInFile(int recno, int) const
{
    return recno >= 0;
}

QVariant DataSet::storedCell(int row, int fieldIndex) const
{
    if (row < 0 || row >= d->rowCount())
        return {};
    const DataSetField &field = std::as_const(d->fields)[fieldIndex];
    const QVariant value = d->live() ? storedValue(std::as_const(d->recnos)[row], field.source)
                                     : std::as_const(d->fixedRows)[row].value(field.source);
    return FieldValue::isBlank(value) ? QVariant() : shownValue(value);
}

QVariant DataSet::cellValue(int row, int fieldIndex) const
{
    const DataSetField &field = std::as_const(d->fields)[fieldIndex];
    if (field.lookup >= 0) {
        const int key = this->fieldIndex(d->lookups[field.lookup].keyField);
        return key < 0 ? QVariant() : lookupValue(field.lookup, cellValue(row, key));
    }
    const bool buffered = row == InsertRow || (d->state == Edit && row == d->current);
    if (buffered && d->buffer.contains(fieldIndex))
        return shownValue(d->buffer.value(fieldIndex));
    return row == InsertRow ? QVariant() : storedCell(row, fieldIndex);
}

QVariant DataSet::value(const QString &field) const
{
    const int index = fieldAt(field);
    syncRows();
    return cellValue(d->state == Insert ? InsertRow : d->current, index);
}

// Stored text and plain numbers go from their bytes to the string without a
// QVariant between: reading every field of a table is mostly this.
QString DataSet::asString(const QString &field) const
{
    const int index = fieldAt(field);
    int recno = -1;
    const DataSetField *stored = d->state == Insert ? nullptr : fieldAsStored(d->current, index, &recno);
    if (stored && stored->def.isText()) {
        const QByteArrayView gbk = d->file->textBytes(recno, stored->source);
        return GbkText::decode(gbk.data(), int(gbk.size()));
    }
    QByteArrayView number;
    if (stored && d->file->plainNumberText(recno, stored->source, &number))
        return number.isEmpty() ? QString() : QString::fromLatin1(number);
    return FieldValue::toText(value(field));
}

double DataSet::asNumber(const QString &field) const
{
    const QVariant v = value(field);
    if (FieldValue::isBlank(v))
        return 0;
    if (v.typeId() != QMetaType::QString)
        return v.toDouble();
    double number = 0;
    if (!ValueText::parseNumber(v.toString(), &number))
        throw DbError(
            QStringLiteral("字段“%1”的值“%2”不是有效的数字。").arg(field, v.toString()));
    return number;
}

QDate DataSet::asDate(const QString &field) const
{
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return FieldValue::isBlank(v) ? QDate() : ValueText::parseDate(v.toString().trimmed());
}

bool DataSet::isNull(const QString &field) const
{
    return FieldValue::isBlank(value(field));
}

QVariant DataSet::valueAt(int row, int fieldIndex) const
{
    syncRows();
    if (!d->open || fieldIndex < 0 || fieldIndex >= d->fields.size())
        return {};
    return cellValue(row, fieldIndex);
}

QString DataSet::textAt(int row, int fieldIndex) const
{
    return FieldValue::toText(valueAt(row, fieldIndex));
}

const DataSetField *DataSet::fieldAsStored(int row, int fieldIndex, int *recno) const
{
    syncRows();
    if (!d->live() || fieldIndex < 0 || fieldIndex >= d->fields.size() || row < 0
        || row >= d->rowCount())
        return nullptr;
    const DataSetField &field = std::as_const(d->fields)[fieldIndex];
    const bool edited = d->state == Edit && row == d->current && d->buffer.contains(fieldIndex);
    if (field.lookup >= 0 || edited)
        return nullptr;
    *recno = std::as_const(d->recnos)[row];
    return storedInFile(*recno, field.source) ? &field : nullptr;
}

bool DataSet::storedGbk(int row, int fieldIndex, QByteArrayView *gbk) const
{
    int recno = -1;
    const DataSetField *field = fieldAsStored(row, fieldIndex, &recno);
    if (!field || !field->def.isText())
        return false;
    *gbk = d->file->textBytes(recno, field->source);
    return true;
}

const DbfFile *DataSet::storedFile() const
{
    return d->file.get();
}

int DataSet::storedField(int fieldIndex) const
{
    if (!d->live() || fieldIndex < 0 || fieldIndex >= d->fields.size())
        return -1;
    const DataSetField &field = std::as_const(d->fields)[fieldIndex];
    return field.lookup >= 0 ? -1 : field.source;
}

int DataSet::storedRecord(int row) const
{
    syncRows();
    if (!d->live() || row < 0 || row >= d->rowCount())
        return -1;
    if (d->state == Edit && row == d->current && !d->buffer.changed().isEmpty())
        return -1;
    const int recno = std::as_const(d->recnos)[row];
    for (const DataSetField &field : std::as_const(d->fields)) {
        if (field.lookup < 0 && !storedInFile(recno, field.source))
            return -1;
    }
    return recno;
}

// ---- lookups ---------------------------------------------------------------

void DataSet::addLookupField(const QString &name, const QString &keyField, DataSet *lookup,
                             const QString &matchField, const QString &resultField,
                             const QString &title)
{
    LookupDefinition def;
    def.name = name;
    def.keyField = keyField;
    def.dataSet = lookup;
    def.matchField = matchField;
    def.resultField = resultField;
    d->lookups.append(def);
    if (!title.isEmpty())
        setFieldTitle(name, title);
    if (d->open) {
        rebuildLookupFields();
        announceRowsReset();
    }
}

void DataSet::rebuildLookupFields()
{
    QList<DataSetField> own;
    for (const DataSetField &field : std::as_const(d->fields)) {
        if (field.lookup < 0)
            own.append(field);
    }
    d->fields = own;
    for (int i = 0; i < d->lookups.size(); ++i) {
        DataSetField field;
        field.def.name = d->lookups[i].name;
        field.def.type = 'C';
        field.lookup = i;
        d->fields.append(field);
    }
    d->fieldByName.clear();
    for (int i = 0; i < d->fields.size(); ++i)
        d->fieldByName.insert(d->fields[i].def.name.toLower(), i);
    d->forgetNames();
    for (const DataSetField &field : std::as_const(d->fields)) {
        const QString &name = field.def.name;
        const int index = d->fieldByName.value(name.toLower());
        for (const QString &spelling : {name, name.toLower(), name.toUpper()})
            d->fieldBySpelling.insert(spelling, index);
    }
}

// The lookup's rows are read once and kept until its rows or its file change.
QVariant DataSet::lookupValue(int lookupIndex, const QVariant &key) const
{
    LookupDefinition &def = d->lookups[lookupIndex];
    DataSet *source = def.dataSet;
    if (!source || !source->isOpen() || FieldValue::isBlank(key))
        return {};
    source->syncRows();
    const quint64 generation = source->d->file ? source->d->file->generation() : 0;
    if (!def.cached || def.cachedGeneration != generation || def.cachedResets != source->d->resets) {
        def.cache.clear();
        const int match = source->fieldIndex(def.matchField);
        const int result = source->fieldIndex(def.resultField);
        const int count = source->d->rowCount();
        for (int row = 0; match >= 0 && result >= 0 && row < count; ++row) {
            const QString text = FieldValue::toText(source->cellValue(row, match));
            if (!def.cache.contains(text))
                def.cache.insert(text, source->cellValue(row, result));
        }
        def.cached = true;
        def.cachedGeneration = generation;
        def.cachedResets = source->d->resets;
    }
    return def.cache.value(FieldValue::toText(key));
}
