#pragma once
// Appends rows to a table file with another dBase writer (/usr/bin/python3
// with python3-dbf), so that a test starts from records another program
// wrote: its number and text forms, not ours.

#include "DbfReadBack.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

// Each row: field name -> text, number, or a date as "yyyy-mm-dd" (for a
// date field). Returns the writer's error, empty when it succeeded.
inline QString appendWithPythonDbf(const QString &dataPath, const QString &tableFile,
                                   const QJsonArray &rows)
{
    static const QString script = QStringLiteral(R"(
import dbf, datetime, json, sys
t = dbf.Table(sys.argv[1] + '/' + sys.argv[2])
t.open(dbf.READ_WRITE)
for row in json.loads(sys.stdin.read()):
    values = {}
    for name, value in row.items():
        kind = t.field_info(name.lower()).py_type
        if kind is datetime.date and isinstance(value, str):
            value = datetime.date.fromisoformat(value)
        values[name.lower()] = value
    t.append(values)
t.close()
)");
    QString error;
    runPythonDbf(script, dataPath, tableFile, {}, QJsonDocument(rows).toJson(QJsonDocument::Compact),
                 &error);
    return error;
}
