#include "CodeLookup.h"

#include "engine/DataSet.h"
#include "engine/Database.h"
#include "records/forms/DictionaryService.h"

#include <QFileInfo>

DatabaseCodes::DatabaseCodes(Database *db, const DictionaryService *dictionary)
    : m_db(db), m_dictionary(dictionary)
{
}

QString DatabaseCodes::optionText(const QString &group, const QString &code) const
{
    if (m_dictionary)
        return m_dictionary->name(group, code);
    return firstMatch(QStringLiteral("zdxx"), QStringLiteral("xxdm"), QStringLiteral("xxmc"), code,
                      group);
}

QString DatabaseCodes::fieldText(const QString &table, const QString &keyField,
                                 const QString &resultField, const QString &key) const
{
    return firstMatch(table, keyField, resultField, key, QString());
}

// Table and field names come from the program, never from what was typed;
// the values are bound.
QString DatabaseCodes::firstMatch(const QString &table, const QString &keyField,
                                  const QString &resultField, const QString &key,
                                  const QString &group) const
{
    Query query(m_db);
    QString sql = QStringLiteral("select %1 from %2 where %3 = :key")
                      .arg(resultField, QFileInfo(table).completeBaseName(), keyField);
    if (!group.isNull())
        sql += QStringLiteral(" and zddm = :grp");
    query.setSql(sql);
    query.setParam(QStringLiteral("key"), key);
    if (!group.isNull())
        query.setParam(QStringLiteral("grp"), group);
    query.open();
    return query.isEmpty() ? QString() : query.asString(resultField);
}

bool DatabaseCodes::hasTable(const QString &table) const
{
    return m_db->fileExists(Database::tableFileName(table));
}

QList<QPair<QString, QString>> DatabaseCodes::rows(const QString &table, const QString &codeField,
                                                   const QString &textField) const
{
    QList<QPair<QString, QString>> list;
    const bool group = table.startsWith(QLatin1String("zdxx:"));
    if (!group && !hasTable(table))
        return list;
    Query query(m_db);
    query.setSql(group ? QStringLiteral("select %1, %2 from zdxx where zddm = :grp").arg(codeField, textField)
                       : QStringLiteral("select %1, %2 from %3")
                             .arg(codeField, textField, QFileInfo(table).completeBaseName()));
    if (group)
        query.setParam(QStringLiteral("grp"), table.mid(5));
    query.open();
    for (query.first(); !query.eof(); query.next()) {
        const QString code = query.asString(codeField).trimmed();
        const QString text = query.asString(textField).trimmed();
        // Texts of an earlier form version are not offered any more.
        if (!code.isEmpty() && !text.isEmpty() && !text.startsWith(QLatin1String("**")))
            list.append({code, text});
    }
    return list;
}
