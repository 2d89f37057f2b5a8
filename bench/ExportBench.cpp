#include "ExportBench.h"

#include "BenchFiles.h"
#include "ExchangeBench.h"
#include "Measure.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "exchange/Unitout.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/ExchangeNames.h"
#include "records/widgets/Messages.h"
#include "app/StartUp.h"
#include "records/data/UnitDM.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>

namespace ExportBench {

namespace {

// Every row marked exported, as after an export of everything.
void markEveryRow(Database &db)
{
    const std::shared_ptr<DbfFile> file = db.file(QStringLiteral("kjcg.DBF"));
    const QList<QPair<int, QVariant>> mark = {{file->fieldIndex(QStringLiteral("ITEM_SJDC")), QStringLiteral("1")}};
    for (int recno = 0; recno < file->recordCount(); ++recno)
        file->update(recno, mark);
}

// The boxes of a run: its success message, and nothing else.
QStringList g_boxes;

void recordBoxes()
{
    Messages::setAnswerer([](const Messages::Request &request) {
        g_boxes.append(request.text);
        return QMessageBox::Yes;
    });
}

void requireOnlySuccess(const char *operation)
{
    const QStringList boxes = std::exchange(g_boxes, {});
    for (const QString &text : boxes) {
        if (!text.startsWith(QStringLiteral("你已打包成功!")))
            throw DbError(QStringLiteral("%1: the program showed a box: %2").arg(QLatin1String(operation), text));
    }
}

TFormout &exportWindow(const StartUp::Windows &windows)
{
    return windows.context().need<TFormout>();
}

} // namespace

EngineBench::Figure openWindow(const QString &folder, const QString &scratchRoot)
{
    recordBoxes();
    const QString data = QDir(scratchRoot).filePath(QStringLiteral("exportopen"));
    BenchFiles::copyInto(BenchFiles::allTableFiles(folder), data);
    StartUp::Windows windows(data);
    TFormout &window = exportWindow(windows);
    Database &db = *windows.context().dm().database();
    EngineBench::Figure figure;
    figure.seconds = Measure::median([&] { window.FormShow(); }, [&] { markEveryRow(db); });
    if (!g_boxes.isEmpty())
        throw DbError(QStringLiteral("exportopen: the program showed a box: %1").arg(g_boxes.first()));
    figure.count = db.file(QStringLiteral("kjcg.DBF"))->recordCount();
    return figure;
}

EngineBench::Figure exportAll(const QString &folder, const QString &scratchRoot)
{
    recordBoxes();
    const QString data = QDir(scratchRoot).filePath(QStringLiteral("exportall"));
    const QString target = QDir(scratchRoot).filePath(QStringLiteral("package"));
    BenchFiles::copyInto(BenchFiles::allTableFiles(folder), data);
    StartUp::Windows windows(data);
    TFormout &window = exportWindow(windows);
    EngineBench::Figure figure;
    figure.seconds = Measure::median(
        [&] {
            window.RadioButton5Click();
            figure.count = window.selectedRows().size();
            window.Button2Click();
            QCoreApplication::processEvents();
        },
        [&] {
            QDir(target).removeRecursively();
            QDir().mkpath(target);
            window.FormShow();
            window.Edit1->setText(target);
            EngineBench::settleWrites();
        });
    requireOnlySuccess("exportall");
    if (!QFileInfo::exists(QDir(target).filePath(ExchangeNames::ExportArchive)))
        throw DbError(QStringLiteral("exportall: no archive was made"));
    QDir(target).removeRecursively();
    return figure;
}

double arjPackSeconds(const QString &folder, const QString &scratchRoot)
{
    const QString files = QDir(scratchRoot).filePath(QStringLiteral("arjpack"));
    {
        Database db(folder);
        ExchangeBench::writeFiles(db, files);
    }
    const QString archive = QDir(files).filePath(ExchangeNames::ExportArchive);
    const double seconds = Measure::median(
        [&] {
            QProcess arj;
            arj.setWorkingDirectory(files);
            arj.setStandardInputFile(QProcess::nullDevice());
            arj.start(Archiver::locate(), QStringList{QStringLiteral("a"), QStringLiteral("-y"), QStringLiteral("-i"),
                                                      ExchangeNames::ExportArchive}
                                              + ExchangeNames::allFiles());
            if (!arj.waitForFinished(-1) || arj.exitCode() != 0)
                throw DbError(QStringLiteral("arj a failed: %1").arg(QString::fromLocal8Bit(arj.readAll())));
        },
        [&] {
            QFile::remove(archive);
            EngineBench::settleWrites();
        });
    QDir(files).removeRecursively();
    return seconds;
}

} // namespace ExportBench
