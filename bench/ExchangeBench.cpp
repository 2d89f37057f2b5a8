#include "ExchangeBench.h"

#include "BenchFiles.h"
#include "Measure.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbfFile.h"
#include "exchange/core/ExchangeFile.h"
#include "exchange/core/ExchangeNames.h"
#include "exchange/core/ExportPackage.h"

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <numeric>

namespace ExchangeBench {

namespace {

struct ExchangeTable
{
    QString name;       // exchange name
    QString table;      // table file it is written from
};

const QList<ExchangeTable> &exchangeTables()
{
    static const QList<ExchangeTable> tables = {
        { ExchangeNames::Kjcg, QStringLiteral("kjcg.DBF") },
        { ExchangeNames::Cgwcdw, QStringLiteral("cgwcdw.DBF") },
        { ExchangeNames::Cgwcr, QStringLiteral("cgwcr.DBF") },
        { ExchangeNames::Jdwyhmd, QStringLiteral("jdwyhmd.DBF") },
        { ExchangeNames::Zlqk, QStringLiteral("zlqk.DBF") },
        { ExchangeNames::Unit, QStringLiteral("unit.dbf") },
        { ExchangeNames::Expert, QStringLiteral("unitexpert.dbf") },
    };
    return tables;
}

// A staging table as the import finds it: the shipped columns, no rows.
void makeEmptyStagingTable(const QString &folder, const QString &name, const QString &scratch)
{
    const QString fileName = ExchangeNames::stagingTable(name);
    const QList<DbfField> fields = DbfFile::open(Database::resolveIn(folder, fileName), true)->fields();
    DbfFile::create(QDir(scratch).filePath(fileName), fields);
}

} // namespace

// As the export writes them when every record is selected.
QStringList writeFiles(Database &db, const QString &outDir, qint64 *rows)
{
    QDir().mkpath(outDir);
    Table records(&db, QStringLiteral("kjcg.DBF"));
    records.open();
    QList<int> all(records.recordCount());
    std::iota(all.begin(), all.end(), 0);
    const QStringList paths = ExportPackage::writeFiles(db, records, all, outDir);
    if (rows) {
        *rows = 0;
        for (const ExchangeTable &t : exchangeTables()) {
            Table table(&db, t.table);
            table.open();
            *rows += table.recordCount();
        }
    }
    return paths;
}

QStringList recordFiles(const QStringList &paths)
{
    QStringList files;
    const QStringList names = ExchangeNames::records();
    for (const QString &path : paths)
        if (names.contains(QFileInfo(path).completeBaseName(), Qt::CaseInsensitive))
            files.append(path);
    return files;
}

EngineBench::Figure exportFiles(const QString &folder, const QString &scratchRoot)
{
    Database db(folder);
    const QString out = QDir(scratchRoot).filePath(QStringLiteral("export"));
    EngineBench::Figure figure;
    figure.seconds = Measure::median([&] { writeFiles(db, out, &figure.count); },
                                     [&] { QDir(out).removeRecursively(); });
    QDir(out).removeRecursively();
    return figure;
}

EngineBench::Figure importFiles(const QString &folder, const QString &scratchRoot)
{
    const QString exchange = QDir(scratchRoot).filePath(QStringLiteral("exchange"));
    const QString staging = QDir(scratchRoot).filePath(QStringLiteral("staging"));
    QStringList files;
    {
        Database source(folder);
        files = recordFiles(writeFiles(source, exchange));
    }
    std::unique_ptr<Database> db;
    EngineBench::Figure figure;
    figure.seconds = Measure::median(
        [&] {
            figure.count = 0;
            for (const QString &path : files) {
                Table table(db.get(), ExchangeNames::stagingTable(QFileInfo(path).completeBaseName()));
                figure.count += LoadExchangeFile(table, path);
            }
        },
        [&] {
            db.reset();
            QDir(staging).removeRecursively();
            QDir().mkpath(staging);
            for (const QString &path : files)
                makeEmptyStagingTable(folder, QFileInfo(path).completeBaseName(), staging);
            db = std::make_unique<Database>(staging);
            EngineBench::settleWrites();
        });
    db.reset();
    QDir(staging).removeRecursively();
    QDir(exchange).removeRecursively();
    return figure;
}

} // namespace ExchangeBench
