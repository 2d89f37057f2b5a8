#pragma once
// Small table files for engine tests: a field list and rows of values, written
// through DbfFile into a test's own folder.

#include "engine/DbfFile.h"

#include <QDir>
#include <QList>
#include <QVariant>

inline DbfField dbfField(const QString &name, char type, int width = 0, int decimals = 0)
{
    DbfField f;
    f.name = name;
    f.type = type;
    f.width = width ? width : (type == 'D' ? 8 : type == 'M' ? 10 : type == 'L' ? 1 : 10);
    f.decimals = decimals;
    return f;
}

inline void makeTable(const QString &folder, const QString &fileName, const QList<DbfField> &fields,
                      const QList<QVariantList> &rows = {})
{
    const QString path = QDir(folder).filePath(fileName);
    DbfFile::create(path, fields);
    auto file = DbfFile::open(path);
    for (const QVariantList &row : rows) {
        QList<QPair<int, QVariant>> values;
        for (int i = 0; i < row.size(); ++i)
            values.append({i, row[i]});
        file->append(values);
    }
}
