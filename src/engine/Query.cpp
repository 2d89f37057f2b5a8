#include "DataSet.h"

#include "Database.h"
#include "DbError.h"
#include "DbfFile.h"
#include "FieldValue.h"
#include "SqlStatement.h"
#include "SqlText.h"

#include <QMap>
#include <algorithm>

// Changes held back under cached updates. Appended rows get negative numbers
// until they are written.
struct PendingChanges
{
    QHash<int, QHash<int, QVariant>> edits;   // record -> file field -> value
    QMap<int, QHash<int, QVariant>> appends;  // held-back number -> values
    QList<int> deletes;
    int nextAppend = -1;

    bool isEmpty() const { return edits.isEmpty() && appends.isEmpty() && deletes.isEmpty(); }
    void clear() { *this = PendingChanges(); }
};

struct Query::QueryPrivate
{
    QString sql;
    QVariantMap params;
    bool live = false;
    bool cached = false;
    PendingChanges pending;
};

namespace {

QList<QPair<int, QVariant>> sortedValues(const QHash<int, QVariant> &values)
{
    QList<QPair<int, QVariant>> list;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        list.append({it.key(), it.value()});
    std::sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    return list;
}

void merge(QHash<int, QVariant> &into, const QList<QPair<int, QVariant>> &changes)
{
    for (const auto &change : changes)
        into.insert(change.first, change.second);
}

// The file field behind a result column that reads one as is.
DbfField columnField(Database *db, const SqlStatement &statement, int column)
{
    DbfField field;
    field.name = statement.columnName(column);
    const QString table = statement.originTable(column);
    const QString origin = statement.originColumn(column);
    if (table.isEmpty() || origin.isEmpty())
        return field;
    try {
        const std::shared_ptr<DbfFile> file = db->file(table);
        const int index = file->fieldIndex(origin);
        if (index >= 0) {
            const QString name = field.name;
            field = file->field(index);
            field.name = name;
        }
    } catch (const DbError &) {
        // Not a table file of ours: the column stays untyped text.
    }
    return field;
}

QVariant typedValue(const DbfField &field, const QVariant &value)
{
    if (FieldValue::isBlank(value))
        return {};
    if (field.type == 'D' && value.typeId() == QMetaType::QString)
        return QDate::fromString(value.toString(), Qt::ISODate);
    if (field.type == 'L')
        return value.toLongLong() != 0;
    return value;
}

} // namespace

Query::Query(Database *db, QObject *parent)
    : DataSet(db, parent), q(std::make_unique<QueryPrivate>())
{
}

Query::~Query() = default;

void Query::setSql(const QString &sql)
{
    close();
    q->sql = sql;
}

void Query::setSql(const QStringList &lines)
{
    setSql(lines.join(QLatin1Char('\n')));
}

QString Query::sql() const
{
    return q->sql;
}

void Query::setParam(const QString &name, const QVariant &value)
{
    QString key = name;
    if (key.startsWith(QLatin1Char(':')))
        key.remove(0, 1);
    q->params.insert(key, value);
}

void Query::clearParams()
{
    q->params.clear();
}

void Query::open()
{
    if (isOpen())
        return;
    if (q->sql.trimmed().isEmpty())
        throw DbError(QStringLiteral("查询语句为空，不能打开。"));
    const SqlText::LiveSelect select = SqlText::analyseSelect(q->sql);
    if (select.live && openLive(select))
        return;
    openFixed();
}

// The record numbers come from SQLite; the values are read from the file.
bool Query::openLive(const SqlText::LiveSelect &select)
{
    std::shared_ptr<DbfFile> file = wholeTableFile(select);
    QList<int> recnos;
    if (file) {
        recnos = file->liveRecnos();
    } else {
        SqlStatement statement(database(), select.recnoSql, q->params);
        while (statement.next())
            recnos.append(int(statement.integer(0)));
        file = database()->file(select.table);
    }
    QList<int> fields;
    for (const QString &column : select.columns) {
        const int index = file->fieldIndex(column);
        if (index < 0)
            return false;  // rowid or some other name: not a plain field
        fields.append(index);
    }
    if (select.columns.isEmpty()) {
        for (int i = 0; i < file->fieldCount(); ++i)
            fields.append(i);
    }
    q->live = true;
    q->pending.clear();
    setLiveRows(std::move(file), std::move(recnos), fields);
    return true;
}

// A whole table needs no statement: its live rows in file order are what
// SQLite's scan would give. A name that is no table file here is left to
// SQLite, which reports it as it always has.
std::shared_ptr<DbfFile> Query::wholeTableFile(const SqlText::LiveSelect &select)
{
    if (!select.wholeTable || !q->params.isEmpty())
        return nullptr;
    try {
        return database()->file(select.table);
    } catch (const DbError &) {
        return nullptr;
    }
}

void Query::openFixed()
{
    SqlStatement statement(database(), q->sql, q->params);
    const int columnCount = statement.columnCount();
    if (columnCount == 0)
        throw DbError(QStringLiteral("这条SQL语句不返回记录，不能打开：\n%1").arg(q->sql));
    QList<DbfField> columns;
    for (int i = 0; i < columnCount; ++i)
        columns.append(columnField(database(), statement, i));
    QList<QList<QVariant>> rows;
    while (statement.next()) {
        QList<QVariant> row;
        row.reserve(columnCount);
        for (int i = 0; i < columnCount; ++i)
            row.append(typedValue(columns[i], statement.value(i)));
        rows.append(row);
    }
    q->live = false;
    q->pending.clear();
    setFixedRows(columns, std::move(rows));
}

void Query::close()
{
    DataSet::close();
    q->live = false;
    q->pending.clear();
}

int Query::execSql()
{
    if (q->sql.trimmed().isEmpty())
        throw DbError(QStringLiteral("SQL语句为空，不能执行。"));
    return database()->execute(q->sql, q->params);
}

bool Query::isLive() const
{
    return isOpen() && q->live;
}

// ---- cached updates ----------------------------------------------------------

void Query::setCachedUpdates(bool on)
{
    if (!on && q->pending.isEmpty() == false)
        applyUpdates();  // switching off writes what was held back
    q->cached = on;
}

bool Query::cachedUpdates() const
{
    return q->cached;
}

bool Query::updatesPending() const
{
    return !q->pending.isEmpty();
}

// Each change goes to the very record it was made on; an applied change is
// dropped at once, so a failure leaves only the rest pending.
void Query::applyUpdates()
{
    checkBrowseMode();
    std::shared_ptr<DbfFile> file = liveFile();
    if (!file || q->pending.isEmpty())
        return;
    PendingChanges &pending = q->pending;
    while (!pending.deletes.isEmpty()) {
        file->setDeleted(pending.deletes.first(), true);
        pending.deletes.removeFirst();
    }
    QList<int> edited = pending.edits.keys();
    std::sort(edited.begin(), edited.end());
    for (int recno : edited) {
        file->update(recno, sortedValues(pending.edits.value(recno)));
        pending.edits.remove(recno);
    }
    // Held-back numbers run -1, -2, ...: the first append is the last key.
    while (!pending.appends.isEmpty()) {
        const auto last = std::prev(pending.appends.end());
        const int recno = file->append(sortedValues(last.value()));
        renumberRow(last.key(), recno);
        pending.appends.erase(last);
    }
    file->sync();
    replaceLiveRows(liveRecnos());
}

void Query::cancelUpdates()
{
    if (q->pending.isEmpty())
        return;
    cancel();
    q->pending.clear();
    if (!isOpen())
        return;
    const int row = recNo();
    close();
    open();
    moveTo(row);
}

void Query::writeRow(int recno, const QList<QPair<int, QVariant>> &changes)
{
    if (!q->cached) {
        DataSet::writeRow(recno, changes);
    } else if (recno < 0) {
        merge(q->pending.appends[recno], changes);
    } else {
        merge(q->pending.edits[recno], changes);
    }
}

int Query::writeNewRow(const QList<QPair<int, QVariant>> &values)
{
    if (!q->cached)
        return DataSet::writeNewRow(values);
    const int id = q->pending.nextAppend--;
    merge(q->pending.appends[id], values);
    return id;
}

void Query::deleteRow(int recno)
{
    if (!q->cached) {
        DataSet::deleteRow(recno);
    } else if (recno < 0) {
        q->pending.appends.remove(recno);
    } else {
        q->pending.edits.remove(recno);
        q->pending.deletes.append(recno);
    }
}

bool Query::storedInFile(int recno, int fieldIndex) const
{
    if (recno < 0)
        return false;
    const auto edit = q->pending.edits.constFind(recno);
    return edit == q->pending.edits.constEnd() || !edit->contains(fieldIndex);
}

QVariant Query::storedValue(int recno, int fieldIndex) const
{
    if (storedInFile(recno, fieldIndex))
        return DataSet::storedValue(recno, fieldIndex);
    if (recno < 0)
        return q->pending.appends.value(recno).value(fieldIndex);
    return q->pending.edits.value(recno).value(fieldIndex);
}
