#pragma once
// Data folders for the tests of the records windows: the shipped tables built
// from data/tables once per test program, copied afresh for each test, every
// message box recorded and answered, and helpers that add achievement rows
// and their child rows.

#include "engine/TableSource.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "BoxLog.h"
#include "records/widgets/Messages.h"
#include "records/data/UnitDM.h"

#include <QDir>
#include <QFile>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

using namespace Qt::StringLiterals;
using FieldValues = QList<QPair<QString, QString>>;

// Copies the files of `from`, less those of `leaveOut` (named in any case).
inline bool copyFolder(const QString &from, const QString &to, const QStringList &leaveOut = {})
{
    QDir().mkpath(to);
    for (const QString &f : QDir(from).entryList(QDir::Files)) {
        if (!leaveOut.contains(f, Qt::CaseInsensitive)
            && !QFile::copy(QDir(from).filePath(f), QDir(to).filePath(f)))
            return false;
    }
    return true;
}

// The shipped tables, built once; each start() makes a fresh copy of them
// (less `leaveOut`) and the data module on it.
class DataFixture
{
public:
    virtual ~DataFixture() { DataFixture::stop(); }

    void buildOnce()
    {
        TableSource::buildAll(QStringLiteral(DRAVIK_SOURCE_DIR "/data/tables"), m_shipped.path());
    }
    bool start(const QStringList &leaveOut = {})
    {
        stop();
        m_dir = std::make_unique<QTemporaryDir>();
        if (!copyFolder(m_shipped.path(), dataPath(), leaveOut))
            return false;
        m_dm = std::make_unique<TDM>(dataPath(), Messages::ShowErrorBox);
        return true;
    }
    virtual void stop() { m_dm.reset(); }
    // The data module made again on the same folder, as the program's next
    // start finds it (after stop(), or in place of the one open).
    void restart()
    {
        m_dm.reset();
        m_dm = std::make_unique<TDM>(dataPath(), Messages::ShowErrorBox);
    }

    QString shippedPath() const { return m_shipped.path(); }
    QString dataPath() const { return m_dir->filePath(u"data"_s); }
    TDM *dm() const { return m_dm.get(); }
    Database *db() const { return m_dm->database(); }

    // A fresh read of one row of a table file (first row by default).
    QString stored(const QString &tableFile, const QString &field, int row = 0) const
    {
        Table table(db(), tableFile);
        table.open();
        if (row >= table.recordCount())
            return u"<no row>"_s;
        table.moveTo(row);
        return table.asString(field);
    }

    QStringList storedRow(const QString &tableFile, const QStringList &fields, int row = 0) const
    {
        QStringList values;
        for (const QString &field : fields)
            values << stored(tableFile, field, row);
        return values;
    }

protected:
    QTemporaryDir m_shipped;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDM> m_dm;
};

inline void appendRow(Database *db, const QString &tableFile, const FieldValues &values)
{
    Table table(db, tableFile);
    table.open();
    table.append();
    for (const auto &[field, value] : values)
        table.setString(field, value);
    table.post();
}

inline int countRows(Database *db, const QString &tableFile, const QString &filter = {})
{
    Table table(db, tableFile);
    if (!filter.isEmpty()) {
        table.setFilter(filter);
        table.setFiltered(true);
    }
    table.open();
    return table.recordCount();
}

// The kjcg fields that the checkup rules of a category group (lb) ask for,
// all of them or those of one section `button` ('01'..'04').
inline QStringList ruleFields(Database *db, const QString &lb, const QString &button = {})
{
    Query rules(db);
    rules.setSql(button.isEmpty()
                     ? u"select id from checkup where lb='a' or lb='%1'"_s.arg(lb)
                     : u"select id from checkup where lb='%1' and button='%2'"_s.arg(lb, button));
    rules.open();
    QStringList fields;
    for (rules.first(); !rules.eof(); rules.next())
        fields << rules.asString(u"id"_s).trimmed();
    return fields;
}

// An achievement whose required fields are all filled, except `leaveEmpty`.
inline void addAchievement(Database *db, const QString &item4, const QString &category, const QString &name,
                           const QString &region = u"."_s, const QStringList &leaveEmpty = {})
{
    FieldValues values
        = {{u"ITEM_4"_s, item4}, {u"ITEM_CGLB"_s, category}, {u"ITEM_3"_s, name}, {u"ITEM_DQDM"_s, region}};
    for (const QString &field : ruleFields(db, category == u"1"_s ? category : u"2"_s)) {
        if (!leaveEmpty.contains(field, Qt::CaseInsensitive)
            && field.compare(u"ITEM_3"_s, Qt::CaseInsensitive) != 0)
            values.append({field, u"1"_s});
    }
    appendRow(db, u"kjcg.DBF"_s, values);
}

inline void addPerson(Database *db, const QString &item4, const QString &region, const QString &name)
{
    appendRow(db, u"cgwcr.DBF"_s, {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_180"_s, name}});
}

// A record whose required sections are all done.
inline void addComplete(Database *db, const QString &item4, const QString &category, const QString &name)
{
    addAchievement(db, item4, category, name);
    addPerson(db, item4, u"."_s, u"张三"_s);
}

inline const QStringList ChildFiles = {u"cgwcr.DBF"_s, u"cgwcdw.DBF"_s, u"jdwyhmd.DBF"_s, u"zlqk.dbf"_s};

// One row in each child table of a record.
inline void addChildren(Database *db, const QString &item4, const QString &region)
{
    const QStringList fields = {u"ITEM_180"_s, u"ITEM_170"_s, u"ITEM_192"_s, u"PATENT_NO"_s};
    for (int i = 0; i < ChildFiles.size(); ++i)
        appendRow(db, ChildFiles[i],
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {fields[i], u"子行"_s}});
}

inline QString keyFilter(const QString &item4, const QString &region)
{
    return u"item_4='%1' and item_dqdm='%2'"_s.arg(item4, region);
}
