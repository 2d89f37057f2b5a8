#include "DataSet.h"

#include "Database.h"
#include "DbError.h"
#include "DbfFile.h"
#include "Filter.h"

struct Table::TablePrivate
{
    QString tableName;
    Filter filter;
    bool filtered = false;
    bool bound = false;  // filter tied to the open file's fields

    bool applies() const { return filtered && !filter.isEmpty(); }
};

Table::Table(Database *db, const QString &tableName, QObject *parent)
    : DataSet(db, parent), t(std::make_unique<TablePrivate>())
{
    t->tableName = tableName;
}

Table::~Table() = default;

QString Table::tableName() const
{
    return t->tableName;
}

void Table::setTableName(const QString &name)
{
    close();
    t->tableName = name;
}

QString Table::filter() const
{
    return t->filter.text();
}

Filter Table::filterRule() const
{
    return t->filter;
}

bool Table::filtered() const
{
    return t->filtered;
}

// A new filter is tried on the open file before it replaces the old one, so
// a bad text leaves the table as it was.
void Table::setFilter(const QString &expression)
{
    setFilter(Filter::parse(expression));
}

void Table::setFilter(Filter filter)
{
    checkBrowseMode();
    if (isOpen() && t->filtered)
        filter.bind(*liveFile());
    t->filter = std::move(filter);
    t->bound = isOpen() && t->filtered;
    if (isOpen() && t->filtered)
        refreshRows();
}

void Table::setFiltered(bool on)
{
    if (t->filtered == on)
        return;
    checkBrowseMode();
    if (on && isOpen())
        t->filter.bind(*liveFile());
    t->filtered = on;
    t->bound = on && isOpen();
    if (isOpen())
        refreshRows();
}

static QList<int> visibleRows(const DbfFile &file, const Filter *filter)
{
    if (!filter)
        return file.liveRecnos();
    QList<int> recnos;
    const int count = file.recordCount();
    recnos.reserve(count);
    for (int recno = 0; recno < count; ++recno) {
        if (!file.isDeleted(recno) && filter->matches(file, recno))
            recnos.append(recno);
    }
    return recnos;
}

void Table::open()
{
    if (isOpen())
        return;
    if (t->tableName.trimmed().isEmpty())
        throw DbError(QStringLiteral("没有指定表文件名，不能打开。"));
    std::shared_ptr<DbfFile> file = database()->file(t->tableName);
    if (t->applies())
        t->filter.bind(*file);
    t->bound = t->applies();
    QList<int> recnos = visibleRows(*file, t->bound ? &t->filter : nullptr);
    setLiveRows(std::move(file), std::move(recnos));
}

void Table::close()
{
    DataSet::close();
    t->bound = false;
}

void Table::pack()
{
    const bool wasOpen = isOpen();
    close();
    try {
        database()->pack(t->tableName);
    } catch (const DbError &) {
        if (wasOpen)
            open();
        throw;
    }
    if (wasOpen)
        open();
}

void Table::refresh()
{
    if (!isOpen())
        return;
    checkBrowseMode();
    refreshRows();
}

void Table::refreshRows()
{
    std::shared_ptr<DbfFile> file = liveFile();
    if (!file)
        return;
    replaceLiveRows(visibleRows(*file, t->bound && t->applies() ? &t->filter : nullptr));
}

bool Table::checksRowAfterPost() const
{
    return t->bound && t->applies();
}

bool Table::keepsRowAfterPost(const QList<QVariant> &record) const
{
    return !checksRowAfterPost() || t->filter.matches(record);
}
