#include "TableCheck.h"

#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/TableSource.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Kinds of fields as the program uses them: widths may differ (a ready
// code table from the authority), the kind may not.
QString kindOf(char type)
{
    switch (type) {
    case 'C':
        return QStringLiteral("文字");
    case 'M':
        return QStringLiteral("备注");
    case 'N':
    case 'F':
    case 'I':
        return QStringLiteral("数值");
    case 'D':
        return QStringLiteral("日期");
    case 'L':
        return QStringLiteral("逻辑");
    default:
        return QStringLiteral("未知类型");
    }
}

QString fieldsProblem(const DbfFile &file, const QList<DbfField> &expected)
{
    QStringList problems;
    for (const DbfField &want : expected) {
        const int index = file.fieldIndex(want.name);
        if (index < 0) {
            problems << QStringLiteral("缺少字段%1").arg(want.name);
            continue;
        }
        const QString kind = kindOf(file.field(index).type);
        if (kind != kindOf(want.type))
            problems << QStringLiteral("字段%1应为%2字段，文件中为%3字段").arg(want.name, kindOf(want.type), kind);
    }
    return problems.join(QStringLiteral("；"));
}

QList<TableSource::TableSpec> expectedTables()
{
    QList<TableSource::TableSpec> tables;
    const QDir layouts(QStringLiteral(":/schemas"));
    for (const QString &name : layouts.entryList({QStringLiteral("*.schema")}, QDir::Files))
        tables << TableSource::read(layouts.filePath(name));
    return tables;
}

} // namespace

namespace TableCheck {

QList<Problem> check(Database &db)
{
    QList<Problem> problems;
    for (const TableSource::TableSpec &table : expectedTables()) {
        if (!db.fileExists(table.fileName))
            continue;
        const QString shownName = QFileInfo(db.resolvePath(table.fileName)).fileName();
        std::shared_ptr<DbfFile> file;
        try {
            file = db.file(table.fileName);
        } catch (const DbError &) {
            continue;   // reported where the file is packed or opened
        }
        QString what = file->damage();
        if (what.isEmpty())
            what = fieldsProblem(*file, table.fields);
        if (what.isEmpty())
            continue;
        const Problem problem{shownName, what};
        file->refuseWrites(message(problem) + QStringLiteral("。不能修改。"));
        problems << problem;
    }
    return problems;
}

QString message(const Problem &problem)
{
    return QStringLiteral("表文件“%1”已损坏：%2").arg(problem.fileName, problem.what);
}

} // namespace TableCheck
