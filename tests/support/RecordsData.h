#pragma once
// Data folders for the tests of the records windows: the shipped tables built
// from data/tables once per test program, copied afresh for each test, and
// small helpers that add achievement rows and their child rows.

#include "TableSource.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "records/Messages.h"

#include <QDir>
#include <QFile>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>

using FieldValues = QList<QPair<QString, QString>>;

// The shipped tables, built once into `folder`.
inline void buildShippedTables(const QString &folder)
{
    TableSource::buildAll(QStringLiteral(DRAVIK_SOURCE_DIR "/data/tables"), folder);
}

inline bool copyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QStringList files = QDir(from).entryList(QDir::Files);
    for (const QString &f : files) {
        if (!QFile::copy(QDir(from).filePath(f), QDir(to).filePath(f)))
            return false;
    }
    return true;
}

// Answers every message box with `answer` and keeps what was asked.
struct MessageLog
{
    QList<Messages::Request> boxes;
    QMessageBox::StandardButton answer = QMessageBox::Ok;

    void start()
    {
        boxes.clear();
        answer = QMessageBox::Ok;
        Messages::setAnswerer([this](const Messages::Request &r) {
            boxes << r;
            return answer;
        });
    }
    static void stop() { Messages::setAnswerer({}); }
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

// The kjcg fields that the completeness rules of a category ask for.
inline QStringList requiredFields(Database *db, const QString &category)
{
    Query rules(db);
    rules.setSql(QStringLiteral("select id from checkup where lb='a' or lb='%1'")
                     .arg(category == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("2")));
    rules.open();
    QStringList fields;
    for (rules.first(); !rules.eof(); rules.next())
        fields << rules.asString(QStringLiteral("id")).trimmed();
    return fields;
}

// The first rule of a category group whose section is `button` ('01'..'04').
inline QString ruleFieldOf(Database *db, const QString &lb, const QString &button)
{
    Query rules(db);
    rules.setSql(QStringLiteral("select id from checkup where lb='%1' and button='%2'").arg(lb, button));
    rules.open();
    return rules.isEmpty() ? QString() : rules.asString(QStringLiteral("id")).trimmed();
}

// An achievement whose required fields are all filled, except `leaveEmpty`.
inline void addAchievement(Database *db, const QString &item4, const QString &category,
                           const QString &name, const QString &region = QStringLiteral("."),
                           const QStringList &leaveEmpty = {})
{
    FieldValues values = {{QStringLiteral("ITEM_4"), item4},
                          {QStringLiteral("ITEM_CGLB"), category},
                          {QStringLiteral("ITEM_3"), name},
                          {QStringLiteral("ITEM_DQDM"), region}};
    for (const QString &field : requiredFields(db, category)) {
        if (!leaveEmpty.contains(field, Qt::CaseInsensitive) && field.compare(QLatin1String("ITEM_3"), Qt::CaseInsensitive) != 0)
            values.append({field, QStringLiteral("1")});
    }
    appendRow(db, QStringLiteral("kjcg.DBF"), values);
}

inline void addPerson(Database *db, const QString &item4, const QString &region, const QString &name)
{
    appendRow(db, QStringLiteral("cgwcr.DBF"),
              {{QStringLiteral("ITEM_4"), item4},
               {QStringLiteral("ITEM_DQDM"), region},
               {QStringLiteral("ITEM_180"), name}});
}

// One row in each child table of a record.
inline void addChildren(Database *db, const QString &item4, const QString &region)
{
    addPerson(db, item4, region, QStringLiteral("张三"));
    appendRow(db, QStringLiteral("cgwcdw.DBF"),
              {{QStringLiteral("ITEM_4"), item4}, {QStringLiteral("ITEM_DQDM"), region},
               {QStringLiteral("ITEM_170"), QStringLiteral("合作单位")}});
    appendRow(db, QStringLiteral("jdwyhmd.DBF"),
              {{QStringLiteral("ITEM_4"), item4}, {QStringLiteral("ITEM_DQDM"), region},
               {QStringLiteral("ITEM_192"), QStringLiteral("李四")}});
    appendRow(db, QStringLiteral("zlqk.dbf"),
              {{QStringLiteral("ITEM_4"), item4}, {QStringLiteral("ITEM_DQDM"), region},
               {QStringLiteral("PATENT_NO"), QStringLiteral("ZL001")}});
}

inline QString keyFilter(const QString &item4, const QString &region)
{
    return QStringLiteral("item_4='%1' and item_dqdm='%2'").arg(item4, region);
}
