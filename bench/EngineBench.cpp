#include "EngineBench.h"

#include "BenchFiles.h"
#include "ExchangeBench.h"
#include "ExportBench.h"
#include "ImportBench.h"
#include "Measure.h"
#include "PrintBench.h"
#include "RecordsBench.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "records/data/UnitDM.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace EngineBench {

Figure likeSearch(const QString &folder)
{
    Database db(folder);
    Figure figure;
    figure.seconds = Measure::median([&] {
        Query query(&db);
        query.setSql(QString::fromUtf8(kLikeSql));
        query.open();
        figure.count = query.recordCount();
        query.close();
    }, {}, Measure::kQuickRepetitions);
    return figure;
}

Figure fullScan(const QString &folder)
{
    Database db(folder);
    Figure figure;
    qint64 characters = 0;
    figure.seconds = Measure::median([&] {
        Table table(&db, QStringLiteral("kjcg"));
        table.open();
        const QStringList names = table.fieldNames();
        figure.count = 0;
        for (table.first(); !table.eof(); table.next()) {
            for (const QString &name : names)
                characters += table.asString(name).size();
            ++figure.count;
        }
        table.close();
    }, {}, Measure::kQuickRepetitions);
    if (characters == 0)
        std::fprintf(stderr, "warning: the scan read no text\n");
    return figure;
}

void settleWrites()
{
#ifndef Q_OS_WIN
    ::sync();
#endif
}

namespace {

qint64 markDeleted(const QString &folder)
{
    qint64 marked = 0;
    for (const QString &name : TDM::packedFiles()) {
        const std::shared_ptr<DbfFile> file = DbfFile::open(Database::resolveIn(folder, name));
        for (int row = kDeleteEvery / 2; row < file->recordCount(); row += kDeleteEvery) {
            file->setDeleted(row, true);
            ++marked;
        }
    }
    return marked;
}

} // namespace

Figure packTables(const QString &folder, const QString &scratchRoot)
{
    const QString scratch = QDir(scratchRoot).filePath(QStringLiteral("pack"));
    const QStringList sources = BenchFiles::packedFiles(folder);
    std::unique_ptr<Database> db;
    Figure figure;
    figure.seconds = Measure::median(
        [&] {
            for (const QString &name : TDM::packedFiles())
                db->pack(name);
        },
        [&] {
            db.reset();
            QDir(scratch).removeRecursively();
            BenchFiles::copyInto(sources, scratch);
            figure.count = markDeleted(scratch);
            db = std::make_unique<Database>(scratch);
            // The pack makes its new files durable before it renames them;
            // that flush must not wait for the preparation's own writes.
            settleWrites();
        });
    db.reset();
    QDir(scratch).removeRecursively();
    return figure;
}

namespace {

using Operation = Figure (*)(const QString &folder, const QString &scratch);

Figure likeOperation(const QString &folder, const QString &) { return likeSearch(folder); }
Figure scanOperation(const QString &folder, const QString &) { return fullScan(folder); }

Operation operationNamed(const QString &name)
{
    static const QHash<QString, Operation> operations = {
        { QStringLiteral("like"), likeOperation },
        { QStringLiteral("scan"), scanOperation },
        { QStringLiteral("pack"), packTables },
        { QStringLiteral("export"), ExchangeBench::exportFiles },
        { QStringLiteral("import"), ExchangeBench::importFiles },
        { QStringLiteral("store"), ImportBench::storeStaged },
        { QStringLiteral("overwrite"), ImportBench::overwriteStaged },
        { QStringLiteral("startup"), RecordsBench::startUp },
        { QStringLiteral("switch"), RecordsBench::switchList },
        { QStringLiteral("exportopen"), ExportBench::openWindow },
        { QStringLiteral("exportall"), ExportBench::exportAll },
        { QStringLiteral("query"), RecordsBench::querySearch },
        { QStringLiteral("page3"), RecordsBench::page3Save },
        { QStringLiteral("page"), RecordsBench::pageSave },
        { QStringLiteral("person"), RecordsBench::personAdd },
        { QStringLiteral("print"), PrintBench::personsList },
        { QStringLiteral("printref"), PrintBench::personsReference },
        { QStringLiteral("printall"), PrintBench::wholeForm },
        { QStringLiteral("printallref"), PrintBench::wholeFormReference },
    };
    return operations.value(name, nullptr);
}

} // namespace

int runChild(const QString &folder, const QStringList &operations)
{
    QTemporaryDir scratch;
    try {
        for (const QString &name : operations) {
            const Operation operation = operationNamed(name);
            if (!operation) {
                std::fprintf(stderr, "unknown operation %s\n", qPrintable(name));
                return 2;
            }
            const Figure figure = operation(folder, scratch.path());
            std::printf("%s %.6f %lld %lld %s\n", qPrintable(name), figure.seconds, figure.count,
                        Measure::peakMemory(), qPrintable(figure.detail));
            std::fflush(stdout);
        }
    } catch (const DbError &error) {
        std::fprintf(stderr, "engine error: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}

Figure runInChild(const QString &folder, const QString &operation)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                { QStringLiteral("--engine-only"), folder, operation });
    Figure figure;
    figure.operation = operation;
    if (!child.waitForStarted(-1)) {
        std::fprintf(stderr, "cannot start the engine child: %s\n", qPrintable(child.errorString()));
        return figure;
    }
    child.waitForFinished(-1);
    const QStringList words = QString::fromUtf8(child.readAllStandardOutput()).simplified().split(u' ');
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || words.size() < 4
        || words.first() != operation) {
        std::fprintf(stderr, "the engine child for \"%s\" failed\n", qPrintable(operation));
        return figure;
    }
    figure.seconds = words.at(1).toDouble();
    figure.count = words.at(2).toLongLong();
    figure.peakBytes = words.at(3).toLongLong();
    figure.detail = words.mid(4).join(u' ');
    return figure;
}

} // namespace EngineBench
