#pragma once
// Reads rows of a table file with another dBase reader (/usr/bin/python3
// with python3-dbf), so that a test sees what any program reading the file
// would see, not what our own engine makes of it.

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs a python3-dbf script on a table file of the folder (the file as the
// folder spells it): argv[1] the folder, argv[2] the file, then `arguments`;
// `input` goes to its standard input. Returns its output; *error gets its
// error text when it fails.
inline QByteArray runPythonDbf(const QString &script, const QString &dataPath, const QString &tableFile,
                               const QStringList &arguments, const QByteArray &input, QString *error)
{
    QString fileName = tableFile;
    for (const QString &f : QDir(dataPath).entryList(QDir::Files)) {
        if (f.compare(tableFile, Qt::CaseInsensitive) == 0)
            fileName = f;
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral("-c"), script, dataPath, fileName} + arguments);
    python.write(input);
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        *error = QString::fromUtf8(python.readAllStandardError());
        if (error->isEmpty())
            *error = QStringLiteral("python3-dbf did not finish");
        return {};
    }
    return python.readAllStandardOutput();
}

struct DbfReadBack
{
    QList<QJsonObject> rows;  // field name (lower case) -> text, number or null
    QString error;            // empty when the reader succeeded
};

// The listed fields of every row of the file (named in any case; none listed:
// every field), text trimmed at the right, memo text as stored, numbers as
// numbers, empty numbers as null.
inline DbfReadBack readWithPythonDbf(const QString &dataPath, const QString &tableFile,
                                     const QStringList &fields)
{
    static const QString script = QStringLiteral(R"(
import dbf, json, sys
t = dbf.Table(sys.argv[1] + '/' + sys.argv[2])
t.open(dbf.READ_ONLY)
names = sys.argv[3:] or list(t.field_names)
rows = []
for r in t:
    if dbf.is_deleted(r):
        continue
    row = {}
    for f in names:
        v = r[f]
        if isinstance(v, str):
            v = v.rstrip()
        elif v is not None and not isinstance(v, (int, float)):
            v = str(v)
        row[f.lower()] = v
    rows.append(row)
t.close()
print(json.dumps(rows))
)");
    DbfReadBack result;
    const QByteArray out = runPythonDbf(script, dataPath, tableFile, fields, {}, &result.error);
    if (!result.error.isEmpty())
        return result;
    for (const QJsonValue &row : QJsonDocument::fromJson(out).array())
        result.rows.append(row.toObject());
    return result;
}
