#include "ImportBench.h"

#include "BenchFiles.h"
#include "Measure.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "exchange/ImportStore.h"
#include "exchange/core/ExchangeNames.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <memory>

namespace ImportBench {

namespace {

constexpr int kStagedEvery = 10;

struct MainTable
{
    QString file;       // in the data folder
    QString reference;  // table name in the reference
    QString staging;    // exchange name of its staging table
};

const QList<MainTable> &mainTables()
{
    static const QList<MainTable> tables = {
        {QStringLiteral("kjcg.DBF"), QStringLiteral("kjcg"), ExchangeNames::Kjcg},
        {QStringLiteral("zlqk.DBF"), QStringLiteral("zlqk"), ExchangeNames::Zlqk},
        {QStringLiteral("cgwcr.DBF"), QStringLiteral("cgwcr"), ExchangeNames::Cgwcr},
        {QStringLiteral("jdwyhmd.DBF"), QStringLiteral("jdwyhmd"), ExchangeNames::Jdwyhmd},
        {QStringLiteral("cgwcdw.DBF"), QStringLiteral("cgwcdw"), ExchangeNames::Cgwcdw},
    };
    return tables;
}

QString keyOf(const DbfFile &file, int recno)
{
    return file.value(recno, file.fieldIndex(QStringLiteral("item_4"))).toString().trimmed() + QLatin1Char('|')
           + file.value(recno, file.fieldIndex(QStringLiteral("item_dqdm"))).toString().trimmed();
}

// The rows staged: every tenth achievement, and the child rows of those.
QHash<QString, QList<int>> stagedRecnos(const QString &folder)
{
    QHash<QString, QList<int>> recnos;
    QSet<QString> keys;
    const auto kjcg = DbfFile::open(Database::resolveIn(folder, mainTables().first().file), true);
    for (int recno = 0, live = 0; recno < kjcg->recordCount(); ++recno) {
        if (kjcg->isDeleted(recno) || live++ % kStagedEvery != 0)
            continue;
        recnos[mainTables().first().file].append(recno);
        keys.insert(keyOf(*kjcg, recno));
    }
    for (const MainTable &table : mainTables().mid(1)) {
        const auto file = DbfFile::open(Database::resolveIn(folder, table.file), true);
        for (int recno = 0; recno < file->recordCount(); ++recno) {
            if (!file->isDeleted(recno) && keys.contains(keyOf(*file, recno)))
                recnos[table.file].append(recno);
        }
    }
    return recnos;
}

QList<QPair<int, QVariant>> indexed(const QList<QVariant> &record)
{
    QList<QPair<int, QVariant>> values;
    for (int i = 0; i < record.size(); ++i)
        values.append({i, record.at(i)});
    return values;
}

// The main tables, the person list and staging tables holding the sample,
// as the template each repetition starts from.
QStringList makeTemplate(const QString &folder, const QString &templateDir)
{
    QStringList files;
    for (const MainTable &table : mainTables())
        files << BenchFiles::tableFiles(folder, table.file);
    files << BenchFiles::tableFiles(folder, QStringLiteral("cgwcrNew.dbf"));
    BenchFiles::copyInto(files, templateDir);

    const QHash<QString, QList<int>> sample = stagedRecnos(folder);
    for (const MainTable &table : mainTables()) {
        const auto source = DbfFile::open(Database::resolveIn(folder, table.file), true);
        const QString staging = QDir(templateDir).filePath(ExchangeNames::stagingTable(table.staging));
        DbfFile::create(staging, source->fields());
        const auto target = DbfFile::open(staging);
        DbfBulkAppend bulk(target);
        for (int recno : sample.value(table.file))
            target->append(indexed(source->record(recno)));
        bulk.finish();
    }
    const QString unit = ExchangeNames::stagingTable(ExchangeNames::Unit);
    DbfFile::create(QDir(templateDir).filePath(unit),
                    DbfFile::open(Database::resolveIn(folder, unit), true)->fields());
    return QDir(templateDir).entryList(QDir::Files);
}

} // namespace

namespace {

// count: the records stored, or for an overwrite those replaced.
EngineBench::Figure runStore(const QString &folder, const QString &scratchRoot, ImportStore::Mode mode)
{
    const QString templateDir = QDir(scratchRoot).filePath(QStringLiteral("store-template"));
    const QString run = QDir(scratchRoot).filePath(QStringLiteral("store"));
    QStringList templateFiles;
    for (const QString &name : makeTemplate(folder, templateDir))
        templateFiles << QDir(templateDir).filePath(name);
    std::unique_ptr<Database> db;
    EngineBench::Figure figure;
    figure.seconds = Measure::median(
        [&] {
            const ImportStore::Result result = ImportStore(db.get()).storeAll(mode);
            if (result.failed > 0)
                throw DbError(result.firstError());
            figure.count = mode == ImportStore::Mode::Save ? result.stored : result.overwritten;
        },
        [&] {
            db.reset();
            QDir(run).removeRecursively();
            BenchFiles::copyInto(templateFiles, run);
            db = std::make_unique<Database>(run);
            EngineBench::settleWrites();
        });
    db.reset();
    QDir(run).removeRecursively();
    QDir(templateDir).removeRecursively();
    return figure;
}

} // namespace

EngineBench::Figure storeStaged(const QString &folder, const QString &scratchRoot)
{
    return runStore(folder, scratchRoot, ImportStore::Mode::Save);
}

EngineBench::Figure overwriteStaged(const QString &folder, const QString &scratchRoot)
{
    return runStore(folder, scratchRoot, ImportStore::Mode::Overwrite);
}

EngineBench::Figure nativeInserts(const QString &folder, SqliteReference &reference)
{
    const QHash<QString, QList<int>> sample = stagedRecnos(folder);
    SqliteReference::TableRows rows;
    for (const MainTable &table : mainTables()) {
        const QString path = Database::resolveIn(folder, table.file);
        if (table.reference != QLatin1String("kjcg"))
            reference.addTable(table.reference, path);
        const auto file = DbfFile::open(path, true);
        QList<QList<QVariant>> values;
        for (int recno : sample.value(table.file))
            values.append(file->record(recno));
        rows.append({table.reference, values});
    }
    EngineBench::Figure figure = reference.insertRows(rows);
    figure.count = sample.value(mainTables().first().file).size();
    return figure;
}

} // namespace ImportBench
