#pragma once
#include "engine/DbfFile.h"

#include <QList>
#include <QString>
#include <QStringList>

// The shipped tables are kept as readable UTF-8 text in data/tables:
//   NAME.schema  the table file's name and its fields, in stored order:
//                  # comment
//                  table kjcg.dbf
//                  field ITEM_1 C 1
//                  field ITEM_45 F 20 6
//   NAME.rows    optional rows: TSV, first line the field names, then one
//                row a line; "\n", "\t" and "\\" are escapes in values; an
//                empty value is a blank field.
namespace TableSource {

struct TableSpec
{
    QString fileName;          // as the table file is spelled on disk
    QList<DbfField> fields;
    QList<QStringList> rows;   // texts, converted by field type on build
};

// Throws DbError naming the source file and line on any fault.
TableSpec read(const QString &schemaPath);
void build(const TableSpec &table, const QString &outDir);
// Every *.schema of srcDir into outDir (made when missing).
void buildAll(const QString &srcDir, const QString &outDir);
// A table as TSV: a first row of field names, memo line breaks as "\n",
// NULL as nothing.
QString dump(const QString &dbfPath);

} // namespace TableSource
