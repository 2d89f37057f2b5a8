// dravik-bench [N]: builds a data folder of N achievements (default 20000)
// in a temporary folder and prints one table of the engine's main operations,
// each beside a reference measured in the same run. Exits with 1 when some
// ratio misses its target.
//
// dravik-bench --generate DIR [N]: only writes the data folder into DIR, for
// profiling one operation with perf or callgrind.
// dravik-bench --scan DIR: only the full-read row on an existing folder,
// beside its reference, for repeating that row on a quiet moment.
// dravik-bench --engine-only DIR [like|scan|pack|export|import|store|overwrite|startup|switch|query|page]...:
// one side alone on an existing folder. The benchmark runs it as a child, one
// operation per child, to read that operation's peak memory. startup,
// switch and query make the program's windows on the offscreen platform.

#include "BenchFiles.h"
#include "BenchTable.h"
#include "EngineBench.h"
#include "ExchangeBench.h"
#include "ExportBench.h"
#include "ImportBench.h"
#include "Generator.h"
#include "Measure.h"
#include "PrintBench.h"
#include "RecordsBench.h"
#include "SqliteReference.h"
#include "WordBench.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "app/StartUp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

constexpr int kDefaultAchievements = 20000;
constexpr double kLikeTarget = 3;
constexpr double kScanTarget = 1;
constexpr double kPackTarget = 1.5;
// Start-up packs the 18 files and checks every table file; it is held to
// one plain copy of them.
constexpr double kStartUpTarget = 1;
constexpr double kSwitchTarget = 0.5;
constexpr double kQueryTarget = 3;
constexpr double kPageSaveTarget = 3;
constexpr double kExportTarget = 2;
// The whole export against arj alone packing the same files.
constexpr double kWholeExportTarget = 1.1;
constexpr double kExportOpenTarget = 3;
constexpr double kImportTarget = 4;
constexpr double kStoreTarget = 3;
// "同名覆盖" against "保存" of the same staged records.
constexpr double kOverwriteTarget = 3;
constexpr double kPageTarget = 3;
constexpr double kPersonTarget = 3;
// The highest resident memory of any engine child against the size of all
// table files: views of a file that several handles read must not count
// its pages several times.
constexpr double kPeakMemoryTarget = 1.25;

void progress(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

QString schemaDir()
{
    return QStringLiteral(DRAVIK_SOURCE_DIR "/data/tables");
}

void reportMismatch(BenchTable &table, const char *what, qint64 engine, qint64 reference)
{
    table.addMismatch(QLatin1String(what), engine, reference);
}

void addLikeRow(BenchTable &table, const QString &data, SqliteReference &reference,
                QList<EngineBench::Figure> &engineFigures)
{
    progress(QStringLiteral("LIKE search..."));
    const EngineBench::Figure engine = EngineBench::runInChild(data, QStringLiteral("like"));
    const EngineBench::Figure native = reference.likeSearch();
    table.addRow(QStringLiteral("LIKE on item_3 (Query, count rows)"), engine.seconds, QStringLiteral("native SQLite"),
                 native.seconds, kLikeTarget);
    reportMismatch(table, "LIKE", engine.count, native.count);
    engineFigures.append(engine);
}

void addScanRow(BenchTable &table, const QString &data, SqliteReference &reference,
                QList<EngineBench::Figure> &engineFigures)
{
    progress(QStringLiteral("full scan..."));
    const EngineBench::Figure engine = EngineBench::runInChild(data, QStringLiteral("scan"));
    const EngineBench::Figure native = reference.fullScan();
    table.addRow(QStringLiteral("read every kjcg field (Table)"), engine.seconds, QStringLiteral("native SQLite"),
                 native.seconds, kScanTarget);
    reportMismatch(table, "scan", engine.count, native.count);
    engineFigures.append(engine);
}

// A plain copy of the same files: the reference of work that writes files.
double copySeconds(const QStringList &files, const QString &target)
{
    const double seconds = Measure::median([&] { BenchFiles::copyInto(files, target); },
                                           [&] { QDir(target).removeRecursively(); });
    QDir(target).removeRecursively();
    return seconds;
}

void addPackRow(BenchTable &table, const QString &data, const QString &work,
                QList<EngineBench::Figure> &engineFigures)
{
    progress(QStringLiteral("pack..."));
    const EngineBench::Figure engine = EngineBench::runInChild(data, QStringLiteral("pack"));
    const double copy = copySeconds(BenchFiles::packedFiles(data), QDir(work).filePath(QStringLiteral("copy")));
    table.addRow(QStringLiteral("pack the 18 files (%1 rows deleted)").arg(engine.count), engine.seconds,
                 QStringLiteral("copy .dbf+.dbt"), copy, kPackTarget);
    engineFigures.append(engine);
}

void addExchangeRows(BenchTable &table, const QString &data, const QString &work,
                     QList<EngineBench::Figure> &engineFigures)
{
    progress(QStringLiteral("exchange files..."));
    const EngineBench::Figure written = EngineBench::runInChild(data, QStringLiteral("export"));
    const EngineBench::Figure loaded = EngineBench::runInChild(data, QStringLiteral("import"));
    QStringList files;
    {
        Database db(data);
        files = ExchangeBench::writeFiles(db, QDir(work).filePath(QStringLiteral("exchange")));
    }
    const QStringList recordFiles = ExchangeBench::recordFiles(files);
    const QString copy = QDir(work).filePath(QStringLiteral("copy"));
    table.addRow(QStringLiteral("write the 7 exchange files (%1 rows)").arg(written.count), written.seconds,
                 QStringLiteral("copy of the files"), copySeconds(files, copy), kExportTarget);
    table.addRow(QStringLiteral("load the 5 record files to staging (%1 rows)").arg(loaded.count), loaded.seconds,
                 QStringLiteral("copy of the files"), copySeconds(recordFiles, copy), kImportTarget);
    table.addNote(QStringLiteral("Exchange files: %1 MB, of which the record files %2 MB.")
                      .arg(BenchFiles::totalSize(files) / (1024.0 * 1024.0), 0, 'f', 1)
                      .arg(BenchFiles::totalSize(recordFiles) / (1024.0 * 1024.0), 0, 'f', 1));
    engineFigures << written << loaded;
}

// A window operation run in a child beside the same SELECT read fully on the
// reference; title holds %1 for the rows listed.
EngineBench::Figure addSelectRow(BenchTable &table, const QString &data, SqliteReference &reference,
                                 const QString &operation, const QString &title, const QString &sql, double target)
{
    const EngineBench::Figure engine = EngineBench::runInChild(data, operation);
    const EngineBench::Figure native = reference.readAll(sql);
    table.addRow(title.arg(engine.count), engine.seconds, QStringLiteral("native SQLite select"), native.seconds,
                 target);
    reportMismatch(table, qPrintable(operation), engine.count, native.count);
    return engine;
}

void addExportRows(BenchTable &table, const QString &data, const QString &work, SqliteReference &reference,
                   QList<EngineBench::Figure> &engineFigures)
{
    progress(QStringLiteral("export window..."));
    const EngineBench::Figure opened = EngineBench::runInChild(data, QStringLiteral("exportopen"));
    const EngineBench::Figure native = reference.update(ExportBench::kResetSql, ExportBench::kMarkSql);
    table.addRow(QStringLiteral("open the export window (%1 marks reset)").arg(opened.count), opened.seconds,
                 QStringLiteral("native SQLite update"), native.seconds, kExportOpenTarget);
    reportMismatch(table, "export marks", opened.count, native.count);
    progress(QStringLiteral("whole export..."));
    const EngineBench::Figure exported = EngineBench::runInChild(data, QStringLiteral("exportall"));
    table.addRow(QStringLiteral("export every record to cgsbqy.arj (%1 records)").arg(exported.count),
                 exported.seconds, QStringLiteral("arj a of the 7 files"), ExportBench::arjPackSeconds(data, work),
                 kWholeExportTarget);
    engineFigures << opened << exported;
}

void addStoreRow(BenchTable &table, const QString &data, SqliteReference &reference,
                 QList<EngineBench::Figure> &engineFigures)
{
    progress(QStringLiteral("storing staged records..."));
    const EngineBench::Figure stored = EngineBench::runInChild(data, QStringLiteral("store"));
    const EngineBench::Figure native = ImportBench::nativeInserts(data, reference);
    table.addRow(QStringLiteral("store %1 staged records with their children").arg(stored.count), stored.seconds,
                 QStringLiteral("native SQLite inserts, one transaction"), native.seconds, kStoreTarget);
    reportMismatch(table, "store", stored.count, native.count);
    engineFigures.append(stored);
    progress(QStringLiteral("overwriting records of the same titles..."));
    const EngineBench::Figure overwritten = EngineBench::runInChild(data, QStringLiteral("overwrite"));
    table.addRow(QStringLiteral("overwrite %1 records of the same titles").arg(overwritten.count),
                 overwritten.seconds, QStringLiteral("store of the same records"), stored.seconds,
                 kOverwriteTarget);
    reportMismatch(table, "overwrite", overwritten.count, stored.count);
    engineFigures.append(overwritten);
}

void addProgramRows(BenchTable &table, const QString &data, const QString &work, SqliteReference &reference)
{
    progress(QStringLiteral("start-up..."));
    const EngineBench::Figure started = EngineBench::runInChild(data, QStringLiteral("startup"));
    const QString copy = QDir(work).filePath(QStringLiteral("copy"));
    table.addRow(QStringLiteral("start-up to the filled main window (%1 rows listed)").arg(started.count),
                 started.seconds, QStringLiteral("copy of all table files"),
                 copySeconds(BenchFiles::allTableFiles(data), copy), kStartUpTarget);
    progress(QStringLiteral("switching the list..."));
    const EngineBench::Figure switched
        = addSelectRow(table, data, reference, QStringLiteral("switch"),
                       QStringLiteral("switch category/year (%1 rows listed)"), RecordsBench::switchSql(), kSwitchTarget);
    const auto mb = [](qint64 bytes) { return QString::number(bytes / (1024.0 * 1024.0), 'f', 1); };
    table.addNote(QStringLiteral("Start-up: every window and the data module made on the offscreen platform, "
                                 "none shown, no splash; %1. Peak memory %2 MB.")
                      .arg(started.detail, mb(started.peakBytes)));
    table.addNote(QStringLiteral("Switch: category %1 of %2 chosen (\"%3\" read fully on the reference); %4. "
                                 "Peak memory %5 MB.")
                      .arg(RecordsBench::kSwitchCategory + 1).arg(RecordsBench::switchYear(), RecordsBench::switchSql(),
                           switched.detail, mb(switched.peakBytes)));
}

// The search of the query builder beside the same SELECT on the reference.
void addQueryRow(BenchTable &table, const QString &data, SqliteReference &reference)
{
    progress(QStringLiteral("query builder search..."));
    const EngineBench::Figure searched
        = addSelectRow(table, data, reference, QStringLiteral("query"),
                       QStringLiteral("query builder search (%1 rows listed)"), RecordsBench::querySql(), kQueryTarget);
    table.addNote(QStringLiteral("Query builder: \"%1\" built through the panel on the start-up list, then "
                                 "\"查询\" (search and renumbering of the result). Peak memory %2 MB.")
                      .arg(RecordsBench::queryCondition())
                      .arg(searched.peakBytes / (1024.0 * 1024.0), 0, 'f', 1));
}

// Page 3 opened on a record and saved with one changed field, beside a
// native select of that row and an update of the same column.
void addPage3Row(BenchTable &table, const QString &data, SqliteReference &reference)
{
    progress(QStringLiteral("page 3 opened and saved..."));
    const EngineBench::Figure saved = EngineBench::runInChild(data, QStringLiteral("page3"));
    const QString item4 = saved.detail.section(u' ', 0, 0);
    const EngineBench::Figure native
        = reference.selectAndUpdate(item4, QStringLiteral("ITEM_130"), RecordsBench::page3SaveText);
    table.addRow(QStringLiteral("page 3 opened on a record and saved with one change"), saved.seconds,
                 QStringLiteral("native select of the row + update of a column"), native.seconds,
                 kPageSaveTarget);
    reportMismatch(table, "page3", saved.count, native.count);
    table.addNote(QStringLiteral("Page 3: record %1 (the first of the start-up list) filled from the record, "
                                 "评价单位 changed, \"存储\" (check, write, post); the window not shown. "
                                 "Peak memory %2 MB.")
                      .arg(item4)
                      .arg(saved.peakBytes / (1024.0 * 1024.0), 0, 'f', 1));
}

// Page 1 opened on a record and saved unchanged, beside that record's row
// read by a native select plus page 1's widgets built once.
void addPageRow(BenchTable &table, const QString &data, SqliteReference &reference)
{
    progress(QStringLiteral("page 1 saved unchanged..."));
    const EngineBench::Figure page = EngineBench::runInChild(data, QStringLiteral("page"));
    const QStringList detail = page.detail.split(u' ');
    const double build = detail.value(0).section(u'=', 1).toDouble();
    const QString item4 = detail.value(1).section(u'=', 1);
    const qint64 rowid = reference.firstInteger(RecordsBench::pageRowidSql(item4));
    const EngineBench::Figure row = reference.readAll(RecordsBench::pageRecordSql(rowid));
    reportMismatch(table, "page", page.count, row.count);
    table.addRow(QStringLiteral("page 1 opened on a record and saved unchanged"), page.seconds,
                 QStringLiteral("native select of the row + building the page"),
                 row.seconds + build, kPageTarget);
    table.addNote(QStringLiteral("Page 1: record %1; the row read natively by its rowid in %2 s, the page's widgets "
                                 "built once in %3 s.")
                      .arg(item4)
                      .arg(row.seconds, 0, 'f', 6)
                      .arg(build, 0, 'f', 6));
}

// A person added to a record beside a native insert of such a row plus an
// update of that record's serials.
void addPersonRow(BenchTable &table, const QString &data, SqliteReference &reference)
{
    progress(QStringLiteral("adding a person..."));
    const EngineBench::Figure added = EngineBench::runInChild(data, QStringLiteral("person"));
    const QString item4 = added.detail.section(u'=', 1);
    const QString persons = Database::resolveIn(data, QStringLiteral("cgwcr.DBF"));
    reference.addTable(QStringLiteral("persons_ref"), persons);
    const auto file = DbfFile::open(persons, true);
    QList<QVariant> row = file->record(0);
    row[0] = item4;
    const EngineBench::Figure inserted = reference.insertRows({{QStringLiteral("persons_ref"), {row}}});
    // The number is made of digits by the generator.
    const QByteArray renumber = QStringLiteral("update persons_ref set item_187 = item_187 + 0 "
                                               "where item_4 = '%1'").arg(item4).toUtf8();
    const EngineBench::Figure serials = reference.update(renumber.constData(), "select 1");
    table.addRow(QStringLiteral("add a person to a record (%1 persons then)").arg(added.count), added.seconds,
                 QStringLiteral("native insert + update of the serials"),
                 inserted.seconds + serials.seconds, kPersonTarget);
    table.addNote(QStringLiteral("Person: record %1, through page 8's dialog (store, renumbering, register); "
                                 "the reference updated %2 serial rows.")
                      .arg(item4)
                      .arg(serials.count));
}

void addPrintRow(BenchTable &table, const QString &data)
{
    progress(QStringLiteral("printed persons list..."));
    const EngineBench::Figure printed = EngineBench::runInChild(data, QStringLiteral("print"));
    const EngineBench::Figure reference = EngineBench::runInChild(data, QStringLiteral("printref"));
    table.addRow(QStringLiteral("persons list of %1 persons laid out and drawn to PDF (%2 pages)")
                     .arg(PrintBench::kPersons)
                     .arg(printed.count),
                 printed.seconds, QStringLiteral("QTextDocument table to PDF"), reference.seconds, 2);
    progress(QStringLiteral("printed whole form..."));
    const EngineBench::Figure whole = EngineBench::runInChild(data, QStringLiteral("printall"));
    const EngineBench::Figure wholeReference = EngineBench::runInChild(data, QStringLiteral("printallref"));
    table.addRow(QStringLiteral("全文 of an applied record, %1 persons, %2 members, to PDF (%3 pages)")
                     .arg(PrintBench::kPersons)
                     .arg(PrintBench::kMembers)
                     .arg(whole.count),
                 whole.seconds, QStringLiteral("QTextDocument, same texts, to PDF"), wholeReference.seconds,
                 2);
    table.addNote(QStringLiteral("Whole form: peak memory of its child %1 MB.")
                      .arg(double(whole.peakBytes) / (1024 * 1024), 0, 'f', 1));
}

void addPeakRow(BenchTable &table, const QString &data, const QList<EngineBench::Figure> &engineFigures)
{
    qint64 peak = -1;
    QStringList each;
    for (const EngineBench::Figure &figure : engineFigures) {
        peak = qMax(peak, figure.peakBytes);
        each.append(figure.peakBytes < 0 ? figure.operation + QStringLiteral(" n/a")
                                         : QStringLiteral("%1 %2 MB").arg(figure.operation)
                                               .arg(figure.peakBytes / (1024.0 * 1024.0), 0, 'f', 1));
    }
    table.addRow(QStringLiteral("peak memory of the engine"), double(peak), QStringLiteral("table files"),
                 double(BenchFiles::totalSize(BenchFiles::allTableFiles(data))), kPeakMemoryTarget,
                 BenchTable::Unit::Bytes);
    table.addNote(QStringLiteral("Peak memory: VmHWM of a child process that runs one operation on the "
                                 "generated folder (%1); mapped table files count as resident; generation and "
                                 "the SQLite reference stay in the parent.")
                      .arg(each.join(QStringLiteral(", "))));
}

void addSizeNotes(BenchTable &table, const Generator &generator, const QString &data, const QString &sqlitePath)
{
    QStringList counts;
    for (auto it = generator.rowCounts().begin(); it != generator.rowCounts().end(); ++it)
        counts.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value()));
    const auto mb = [](qint64 bytes) { return QString::number(bytes / (1024.0 * 1024.0), 'f', 1); };
    table.addNote(QStringLiteral("Rows: %1.").arg(counts.join(QStringLiteral(", "))));
    table.addNote(QStringLiteral("Files: all tables %1 MB; kjcg .dbf %2 MB + .dbt %3 MB; the 18 packed files %4 MB; "
                                 "SQLite reference file %5 MB.")
                      .arg(mb(BenchFiles::totalSize(BenchFiles::allTableFiles(data))))
                      .arg(mb(QFileInfo(Database::resolveIn(data, QStringLiteral("kjcg.dbf"))).size()))
                      .arg(mb(QFileInfo(Database::resolveIn(data, QStringLiteral("kjcg.dbt"))).size()))
                      .arg(mb(BenchFiles::totalSize(BenchFiles::packedFiles(data))))
                      .arg(mb(QFileInfo(sqlitePath).size())));
    table.addNote(QStringLiteral("Times are medians of %1 runs (%2 for the two SQL rows); the copy uses "
                                 "std::filesystem::copy_file.")
                      .arg(Measure::kRepetitions).arg(Measure::kQuickRepetitions));
}

int generateOnly(const QString &folder, int achievements)
{
    Generator generator(schemaDir(), folder, achievements);
    generator.build();
    for (auto it = generator.rowCounts().begin(); it != generator.rowCounts().end(); ++it)
        std::printf("%s %d\n", qPrintable(it.key()), it.value());
    return 0;
}

int scanOnly(const QString &data)
{
    QTemporaryDir work;
    SqliteReference reference(QDir(work.path()).filePath(QStringLiteral("reference.sqlite")),
                              Database::resolveIn(data, QStringLiteral("kjcg.dbf")));
    EngineBench::settleWrites();
    BenchTable table;
    QList<EngineBench::Figure> engineFigures;
    addScanRow(table, data, reference, engineFigures);
    std::printf("\ndravik-bench: the full read of %s\n\n%s", qPrintable(data), qPrintable(table.render()));
    return table.misses() == 0 ? 0 : 1;
}

int runBenchmark(int achievements)
{
    QTemporaryDir work;
    const QString data = QDir(work.path()).filePath(QStringLiteral("data"));
    const QString sqlitePath = QDir(work.path()).filePath(QStringLiteral("reference.sqlite"));

    progress(QStringLiteral("generating %1 achievements...").arg(achievements));
    Generator generator(schemaDir(), data, achievements);
    const double generateSeconds = Measure::seconds([&] { generator.build(); });
    progress(QStringLiteral("loading the SQLite reference..."));
    SqliteReference reference(sqlitePath, Database::resolveIn(data, QStringLiteral("kjcg.dbf")));
    // A gigabyte of new files goes to the disk meanwhile: neither side of
    // the first rows shares the machine with that.
    EngineBench::settleWrites();

    BenchTable table;
    QList<EngineBench::Figure> engineFigures;
    addLikeRow(table, data, reference, engineFigures);
    addScanRow(table, data, reference, engineFigures);
    addPackRow(table, data, work.path(), engineFigures);
    addExchangeRows(table, data, work.path(), engineFigures);
    addExportRows(table, data, work.path(), reference, engineFigures);
    addStoreRow(table, data, reference, engineFigures);
    addProgramRows(table, data, work.path(), reference);
    addQueryRow(table, data, reference);
    addPageRow(table, data, reference);
    addPage3Row(table, data, reference);
    addPersonRow(table, data, reference);
    addPrintRow(table, data);
    progress(QStringLiteral("filling a Word form..."));
    WordBench::addRow(table);
    // Further engine operations add their row here, before the peak that covers them.
    addPeakRow(table, data, engineFigures);
    addSizeNotes(table, generator, data, sqlitePath);
    table.addNote(QStringLiteral("Generation took %1 s.").arg(generateSeconds, 0, 'f', 1));

    std::printf("\ndravik-bench: %d achievements\n\n%s", achievements, qPrintable(table.render()));
    return table.misses() == 0 ? 0 : 1;
}

// Only a child that makes the program's windows needs a GUI application; the
// engine's children stay as small as the engine.
bool makesWindows(int argc, char *argv[])
{
    if (argc < 3 || qstrcmp(argv[1], "--engine-only") != 0)
        return false;
    for (int i = 3; i < argc; ++i)
        if (RecordsBench::kOperations.contains(QString::fromLocal8Bit(argv[i]))
            || ExportBench::kOperations.contains(QString::fromLocal8Bit(argv[i]))
            || PrintBench::kOperations.contains(QString::fromLocal8Bit(argv[i])))
            return true;
    return false;
}

std::unique_ptr<QCoreApplication> makeApplication(int &argc, char *argv[])
{
    if (!makesWindows(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    // No screen: the windows are made but never shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QApplication>(argc, argv);
    StartUp::setUpApplication(*app);
    RecordsBench::answerMessageBoxes();
    return app;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    const QStringList args = app->arguments();
    try {
        if (args.size() >= 3 && args[1] == QLatin1String("--engine-only"))
            return EngineBench::runChild(args[2], args.size() > 3 ? args.mid(3) : EngineBench::kOperations);
        if (args.size() >= 3 && args[1] == QLatin1String("--scan"))
            return scanOnly(args[2]);
        if (args.size() >= 3 && args[1] == QLatin1String("--generate"))
            return generateOnly(args[2], args.value(3, QString::number(kDefaultAchievements)).toInt());
        bool ok = true;
        const int achievements = args.size() > 1 ? args[1].toInt(&ok) : kDefaultAchievements;
        if (!ok || achievements < 1) {
            std::fprintf(stderr, "usage: dravik-bench [N]\n");
            return 2;
        }
        return runBenchmark(achievements);
    } catch (const DbError &error) {
        std::fprintf(stderr, "error: %s\n", qPrintable(error.message()));
        return 1;
    }
}
