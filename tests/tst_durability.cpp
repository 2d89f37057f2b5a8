// Records that stand whole and reach the disk: the order of writes, syncs
// and renames of every write path, a delete killed at each of its writes,
// a store killed under one user and settled by another, numbers that child
// rows still carry, a table that start-up found damaged, and in order:
// start-up settling a change, a failed commit, a pack that writes its memo
// anew, a statement that writes and a list's changes applied.
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/IoFaults.h"
#include "engine/TableJournal.h"
#include "exchange/ImportStaging.h"
#include "exchange/ImportStore.h"
#include "exchange/core/CodeTables.h"
#include "exchange/core/ExchangeNames.h"
#include "exchange/core/ExportPackage.h"
#include "records/data/AchievementList.h"
#include "records/data/ChildRows.h"
#include "records/data/Numbering.h"
#include "records/forms/ChildList.h"
#include "records/pages/PersonList.h"
#include "support/ImportData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using IoFaults::Entry;
using IoFaults::Step;

const QString Journal = TableJournal::fileName();

QString stepName(Step step)
{
    switch (step) {
    case Step::Write: return u"write"_s;
    case Step::Sync: return u"sync"_s;
    case Step::Rename: return u"rename"_s;
    case Step::Remove: return u"remove"_s;
    case Step::SyncFolder: return u"sync folder"_s;
    case Step::WriteAhead: return u"write ahead"_s;
    }
    return {};
}

QString shown(const QList<Entry> &ledger)
{
    QStringList lines;
    for (const Entry &e : ledger)
        lines << stepName(e.step) + u' ' + e.file;
    return lines.join(u'\n');
}

// Whether the ledger holds `step` of `file` in (from, to).
bool holds(const QList<Entry> &ledger, Step step, const QString &file, qsizetype from, qsizetype to)
{
    for (qsizetype i = from + 1; i < to; ++i) {
        if (ledger[i].step == step && ledger[i].file == file)
            return true;
    }
    return false;
}

qsizetype lastBefore(const QList<Entry> &ledger, Step step, const QString &file, qsizetype before)
{
    for (qsizetype i = before - 1; i >= 0; --i) {
        if (ledger[i].step == step && ledger[i].file == file)
            return i;
    }
    return -1;
}

qsizetype first(const QList<Entry> &ledger, Step step, const QString &file = {})
{
    for (qsizetype i = 0; i < ledger.size(); ++i) {
        if (ledger[i].step == step && (file.isEmpty() || ledger[i].file == file))
            return i;
    }
    return -1;
}

// Every file other than the journal written before `at` is synced between
// its last write and `at`.
void requireWrittenSynced(const QList<Entry> &ledger, qsizetype at, const QString &what, QStringList &problems)
{
    QSet<QString> files;
    for (qsizetype i = 0; i < at; ++i) {
        if (ledger[i].step == Step::Write && ledger[i].file != Journal)
            files.insert(ledger[i].file);
    }
    for (const QString &file : files) {
        if (!holds(ledger, Step::Sync, file, lastBefore(ledger, Step::Write, file, at), at))
            problems << u"%1 at %2 before %3 was synced"_s.arg(what).arg(at).arg(file);
    }
}

// The promises of durability, held against a ledger:
// - the journal's last note, and its entry in the folder, are on the disk
//   before a table is written;
// - every table written is on the disk before the journal notes anything
//   further (the commit line) and before the journal is emptied or removed;
// - a file renamed into place is on the disk before the rename, and the
//   folder after it, before anything is removed;
// - every file of the folder written is on the disk at the end.
QStringList orderProblems(const QList<Entry> &ledger, const QString &folder)
{
    QStringList problems;
    const qsizetype noted = first(ledger, Step::Write, Journal), synced = first(ledger, Step::Sync, Journal);
    const qsizetype journalStart = noted < 0 ? synced : (synced < 0 ? noted : qMin(noted, synced));
    for (qsizetype i = 0; i < ledger.size(); ++i) {
        const Entry &e = ledger[i];
        if (e.step == Step::Write && e.file != Journal) {
            const qsizetype noted = lastBefore(ledger, Step::Write, Journal, i);
            if (noted >= 0 && !holds(ledger, Step::Sync, Journal, noted, i))
                problems << u"%1 written at %2 before the journal's note was synced"_s.arg(e.file).arg(i);
            if (journalStart >= 0 && journalStart < i && !holds(ledger, Step::SyncFolder, QFileInfo(folder).fileName().toLower(), journalStart, i))
                problems << u"%1 written at %2 before the journal's folder entry was synced"_s.arg(e.file).arg(i);
        }
        if (e.file == Journal && (e.step == Step::Write || e.step == Step::Remove))
            requireWrittenSynced(ledger, i, u"journal %1"_s.arg(stepName(e.step)), problems);
        if (e.step == Step::Rename) {
            const qsizetype written = lastBefore(ledger, Step::Write, e.file, i);
            if (written >= 0 && !holds(ledger, Step::Sync, e.file, written, i))
                problems << u"%1 renamed at %2 before it was synced"_s.arg(e.file).arg(i);
            qsizetype next = i + 1;
            while (next < ledger.size() && ledger[next].step != Step::Remove)
                ++next;
            bool folderSynced = false;
            for (qsizetype k = i + 1; k < next; ++k)
                folderSynced = folderSynced || ledger[k].step == Step::SyncFolder;
            if (!folderSynced)
                problems << u"the folder was not synced after the rename of %1 at %2"_s.arg(e.file).arg(i);
        }
    }
    QSet<QString> written;
    for (const Entry &e : ledger) {
        if (e.step == Step::Write && QDir(folder).exists(e.file))
            written.insert(e.file);
    }
    for (const QString &file : written) {
        if (!holds(ledger, Step::Sync, file, lastBefore(ledger, Step::Write, file, ledger.size()), ledger.size()))
            problems << u"%1 not synced after its last write"_s.arg(file);
    }
    return problems;
}

#define VERIFY_ORDER(ledger, folder)                                                                              \
    do {                                                                                                          \
        const QStringList problems = orderProblems(ledger, folder);                                              \
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n') + u"\n--\n"_s + shown(ledger)));            \
    } while (false)

// Only the system's administrator runs a copy as another user.
#define REQUIRE_ADMINISTRATOR()                                                                                   \
    do {                                                                                                          \
        if (::geteuid() != 0)                                                                                     \
            QSKIP("only the system's administrator runs a copy as another user");                                \
    } while (false)

// The fields the kill test reads of each table by another dBase reader,
// for many data folders in one run: {folder: {table: [[item_4, item_dqdm]]}}.
const char *const KilledFoldersReader = R"(
import dbf, json, os, sys
out = {}
for folder in sys.argv[1:]:
    names = {f.lower(): f for f in os.listdir(folder)}
    out[folder] = {}
    for table in ['kjcg', 'cgwcr', 'cgwcdw', 'jdwyhmd', 'zlqk']:
        t = dbf.Table(os.path.join(folder, names[table + '.dbf']))
        t.open(dbf.READ_ONLY)
        out[folder][table] = [[r['item_4'].rstrip(), r['item_dqdm'].rstrip()] for r in t if not dbf.is_deleted(r)]
        t.close()
print(json.dumps(out))
)";

// Another user of the machine than the first, who may write the tables.
constexpr ChildUser Nobody{65534, 077};
constexpr ChildUser SecondUser{4711, 022};
// Two users who share a folder through a group, each with a main group of
// their own.
constexpr unsigned Office = 4712;
constexpr ChildUser FirstMember{65534, 077, Office};
constexpr ChildUser SecondMember{4711, 022, Office};

QStringList lines(const QString &output)
{
    return output.split(u'\n');
}

// The titles of the live records, in their order.
QStringList titles(Database *data)
{
    QStringList titles;
    Table kjcg(data, u"kjcg.DBF"_s);
    kjcg.open();
    for (kjcg.first(); !kjcg.eof(); kjcg.next())
        titles << kjcg.asString(u"ITEM_3"_s).trimmed();
    return titles;
}

QString runDeleteChild(const QString &folder, int killAt, bool *crashed)
{
    return runImportStoreChild({folder, u"delete"_s, u"2018000002"_s, u"."_s}, killAt, crashed);
}

} // namespace

class TestDurability : public QObject
{
    Q_OBJECT

    DataFixture f;
    BoxLog m_log;

    Database *db() const { return f.db(); }

    void stageSent(const QStringList &titles)
    {
        SourceFolder source(f.shippedPath());
        int serial = 1;
        for (const QString &title : titles)
            addSentRecord(source.db(), u"201800%1"_s.arg(serial++, 4, 10, QLatin1Char('0')), u"1"_s, title,
                          {u"李四"_s, title + u"人"_s});
        QTemporaryDir unpacked;
        unpackFiles(source.package(), unpacked.path());
        ImportStaging::load(db(), unpacked.path());
    }

    QList<Entry> ledgerOf(const std::function<void()> &work)
    {
        IoFaults::startLedger();
        work();
        // Names as spelled in the folder; compared here in lower case.
        QList<Entry> ledger = IoFaults::ledger();
        for (Entry &e : ledger)
            e.file = e.file.toLower();
        return ledger;
    }

    // The record 甲 with its child rows, and the records 乙 and 丙 staged.
    void prepareStore()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        stageSent({u"乙"_s, u"丙"_s});
        f.stop();
    }

    // A copy of the prepared data folder that every user of the machine may
    // write (the fixture's own lies in a folder only its owner may enter).
    QString sharedCopy(const QTemporaryDir &home)
    {
        return sharedCopy(home, 0777, 0666);
    }

    // The data folder copied with those modes; given to that group when one
    // is given (the folder does not pass it on to the files made in it).
    QString sharedCopy(const QTemporaryDir &home, mode_t folderMode, mode_t fileMode, gid_t group = gid_t(-1))
    {
        ::chmod(QFile::encodeName(home.path()).constData(), 0755);
        const QString data = home.filePath(u"data"_s);
        if (!copyFolder(f.dataPath(), data))
            return QString();
        const auto share = [group](const QString &path, mode_t mode) {
            const QByteArray name = QFile::encodeName(path);
            return ::chown(name.constData(), uid_t(-1), group) == 0 && ::chmod(name.constData(), mode) == 0;
        };
        bool shared = share(data, folderMode);
        for (const QString &file : QDir(data).entryList(QDir::Files))
            shared = share(QDir(data).filePath(file), fileMode) && shared;
        return shared ? data : QString();
    }

    // The step of a change, made in a copy of the folder, at which its
    // commit line is written (each step on the disk counts once, as for a
    // kill).
    int commitLineOf(const QString &data, const std::function<void(Database &)> &change)
    {
        QTemporaryDir scratch;
        const QString copy = scratch.filePath(u"copy"_s);
        if (!copyFolder(data, copy))
            return -1;
        Database folder(copy);
        const QList<Entry> ledger = ledgerOf([&] { change(folder); });
        for (qsizetype i = ledger.size() - 2; i >= 0; --i) {
            if (ledger[i] == Entry{Step::Write, Journal} && ledger[i + 1] == Entry{Step::Sync, Journal})
                return int(i) + 1;
        }
        return -1;
    }

    // The same for the store of the staged records.
    int commitLineOfStore(const QString &data)
    {
        return commitLineOf(data, [](Database &folder) { ImportStore(&folder).storeAll(ImportStore::Mode::Save); });
    }

    // The store run by that user, killed just before its commit line.
    bool storeKilledBeforeCommit(const ChildUser &user, const QString &data)
    {
        const int commit = commitLineOfStore(data);
        bool crashed = false;
        const QString said = runImportStoreChildAs(user, {data, u"save"_s}, commit, &crashed);
        if (!crashed)
            qWarning("%s", qPrintable(said));
        return commit > 0 && crashed && QFile::exists(QDir(data).filePath(Journal));
    }

    // The staged records stored by nobody (umask 077) in a folder that
    // every user may write, killed before the commit line; "" when not.
    QString storeKilledUnderNobody(const QTemporaryDir &home)
    {
        prepareStore();
        const QString data = sharedCopy(home);
        return storeKilledBeforeCommit(Nobody, data) ? data : QString();
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { QVERIFY(f.start()); }
    void cleanup()
    {
        IoFaults::ledger();
        f.stop();
    }

    // "保存" and "同名覆盖": the journal reaches the disk before the first
    // table write, every table before the commit, and each table written
    // is on the disk when the store returns. A person known once is
    // written over, after its bytes were kept.
    void storeSyncsInJournalOrder_data()
    {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("保存") << false;
        QTest::newRow("同名覆盖") << true;
    }

    void storeSyncsInJournalOrder()
    {
        QFETCH(bool, overwrite);
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        appendRow(db(), u"cgwcrNew.dbf"_s, {{u"ITEM_180"_s, u"李四"_s}, {u"ITEM_185"_s, u"旧单位"_s}});
        stageSent({u"甲"_s, u"乙"_s});
        const auto mode = overwrite ? ImportStore::Mode::Overwrite : ImportStore::Mode::Save;
        ImportStore::Result result;
        const QList<Entry> ledger = ledgerOf([&] { result = ImportStore(db()).storeAll(mode); });
        QCOMPARE(result.stored, 2);
        QCOMPARE(result.failed, 0);
        VERIFY_ORDER(ledger, f.dataPath());
        const qsizetype firstTableWrite = first(ledger, Step::Write, u"kjcg.dbf"_s);
        QVERIFY(first(ledger, Step::Sync, Journal) >= 0);
        QVERIFY(first(ledger, Step::Sync, Journal) < firstTableWrite);
        QVERIFY(first(ledger, Step::Write, u"cgwcrnew.dbf"_s) >= 0);
        QVERIFY(first(ledger, Step::Remove, Journal) > firstTableWrite);
        QCOMPARE(tableRows(db(), u"cgwcrNew.dbf"_s, u"item_180='李四'"_s).size(), 1);
    }

    // A section page's post and a person added with the register: each
    // posted row is on the disk before the post returns, so before
    // "存储成功！"; a renumbering of the list waits once.
    void postedRowsAreSynced()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        addPerson(db(), u"2018000001"_s, u"."_s, u"张三"_s);
        TDM &dm = *f.dm();
        dm.Qrykjcg->close();
        dm.Qrykjcg->open();
        QList<Entry> ledger = ledgerOf([&] {
            dm.Qrykjcg->first();
            dm.Qrykjcg->edit();
            dm.Qrykjcg->setString(u"ITEM_130"_s, u"评价单位"_s);
            dm.Qrykjcg->post();
        });
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY(first(ledger, Step::Sync, u"kjcg.dbf"_s) > first(ledger, Step::Write, u"kjcg.dbf"_s));

        ledger = ledgerOf([&] {
            Table &persons = *dm.TblCgwcr;
            persons.close();
            persons.setFilter(AchievementList::recordKeyFilter(u"2018000001"_s, u"."_s));
            persons.setFiltered(true);
            persons.open();
            persons.append();
            persons.setString(u"ITEM_180"_s, u"李四"_s);
            persons.setString(u"ITEM_4"_s, u"2018000001"_s);
            persons.setString(u"ITEM_DQDM"_s, u"."_s);
            persons.setString(u"ITEM_187"_s, u"9"_s);
            persons.post();
            ChildList::renumberSerials(persons, u"item_187"_s);
            PersonRegister::keep(*dm.TblwcrNew, persons);
        });
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY(first(ledger, Step::Sync, u"cgwcr.dbf"_s) >= 0);
        QVERIFY(first(ledger, Step::Sync, u"cgwcrnew.dbf"_s) >= 0);
    }

    // The export's marks, set on every record sent and reset when its
    // window opens: written in one pass, on the disk once at its end, not
    // once a record (twenty thousand records took 60,000 syncs).
    void exportMarksWaitForTheDiskOnce()
    {
        for (const QString &number : {u"2018000001"_s, u"2018000002"_s, u"2018000003"_s})
            addAchievement(db(), number, u"1"_s, number);
        TDM &dm = *f.dm();
        dm.Qrykjcg->close();
        dm.Qrykjcg->open();
        QList<Entry> ledger = ledgerOf([&] { ExportPackage::markExported(*dm.Qrykjcg, {0, 1, 2}); });
        VERIFY_ORDER(ledger, f.dataPath());
        QCOMPARE(ledger.count(Entry{Step::Sync, u"kjcg.dbf"_s}), 1);
        QCOMPARE(ledger.last(), (Entry{Step::Sync, u"kjcg.dbf"_s}));

        ledger = ledgerOf([&] { QCOMPARE(ExportPackage::resetMarks(*dm.database()), 3); });
        VERIFY_ORDER(ledger, f.dataPath());
        QCOMPARE(ledger.count(Entry{Step::Sync, u"kjcg.dbf"_s}), 1);
        QCOMPARE(ledger.last(), (Entry{Step::Sync, u"kjcg.dbf"_s}));
    }

    // The delete, a pack, a code table replaced and an export archive put
    // in place.
    void wholeFileAndDeletePathsSyncInOrder()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        addAchievement(db(), u"2018000002"_s, u"1"_s, u"乙"_s);
        QList<Entry> ledger = ledgerOf([&] { QCOMPARE(ChildRows::deleteRecord(db(), {u"2018000001"_s, u"."_s}), 5); });
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY(first(ledger, Step::Write, Journal) < first(ledger, Step::Write, u"kjcg.dbf"_s));
        QVERIFY(first(ledger, Step::Sync, u"cgwcr.dbf"_s) >= 0);
        f.stop();

        Database folder(f.dataPath());
        ledger = ledgerOf([&] { folder.pack(u"kjcg.DBF"_s); });
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY(first(ledger, Step::Rename) >= 0);

        QTemporaryDir chosen;
        const QString copy = chosen.filePath(u"DFJHZDXX.DBF"_s);
        QVERIFY(QFile::copy(folder.resolvePath(u"DFJHZDXX.DBF"_s), copy));
        ledger = ledgerOf([&] { CodeTables::replaceFromTableFile(folder, u"DFJHZDXX.DBF"_s, copy); });
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY(first(ledger, Step::Rename, u"dfjhzdxx.dbf"_s) >= 0);

        QTemporaryDir work, target;
        const QString archive = work.filePath(ExportPackage::archiveName());
        putBytes(archive, QByteArray(4096, 'a'));
        ledger = ledgerOf([&] { ExportPackage::placeArchive(archive, target.path()); });
        VERIFY_ORDER(ledger, target.path());
        QCOMPARE(ledger.first(), (Entry{Step::Sync, ExportPackage::archiveName().toLower()}));
        QVERIFY(first(ledger, Step::SyncFolder) > first(ledger, Step::Rename));
    }

    // The delete killed before each of its writes, then start-up, then read
    // by another dBase reader: the record is whole or gone with all its
    // child rows, and the record of the same number in another region and
    // the other records stay whole.
    void deleteKilledAtEveryWriteLeavesRecordsWhole()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        addAchievement(db(), u"2018000002"_s, u"1"_s, u"乙"_s);
        addChildren(db(), u"2018000002"_s, u"."_s);
        addPerson(db(), u"2018000002"_s, u"."_s, u"王五"_s);
        addAchievement(db(), u"2018000002"_s, u"1"_s, u"别处的"_s, u"110"_s);
        addChildren(db(), u"2018000002"_s, u"110"_s);
        f.stop();

        QTemporaryDir runs;
        const QString prepared = f.dataPath();
        const QString whole = runs.filePath(u"whole"_s);
        QVERIFY(copyFolder(prepared, whole));
        bool crashed = false;
        const QString output = runDeleteChild(whole, 0, &crashed);
        QVERIFY2(!crashed && output.endsWith(u" 6"_s), qPrintable(output));
        const int writes = output.section(u' ', 0, 0).toInt();
        QVERIFY2(writes > 6, qPrintable(output));

        QStringList folders = {whole};
        for (int killAt = 1; killAt <= writes; ++killAt) {
            const QString folder = runs.filePath(u"kill%1"_s.arg(killAt));
            QVERIFY(copyFolder(prepared, folder));
            const QString said = runDeleteChild(folder, killAt, &crashed);
            QVERIFY2(crashed, qPrintable(u"write %1: %2"_s.arg(killAt).arg(said)));
            QStringList problems;
            TDM startUp(folder, [&](const QString &message) { problems << message; });
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
            QVERIFY(!QFile::exists(QDir(folder).filePath(Journal)));
            folders << folder;
        }

        QProcess python;
        python.start(u"/usr/bin/python3"_s, QStringList{u"-c"_s, QString::fromUtf8(KilledFoldersReader)} + folders);
        QVERIFY(python.waitForFinished(600000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        const QJsonObject read = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        // Rows of each key per table when the record is there.
        const QHash<QString, int> wholeRecord = {{u"kjcg"_s, 1}, {u"cgwcr"_s, 2}, {u"cgwcdw"_s, 1},
                                                 {u"jdwyhmd"_s, 1}, {u"zlqk"_s, 1}};
        int gone = 0;
        for (const QString &folder : folders) {
            const QJsonObject tables = read.value(folder).toObject();
            const auto rowsOf = [&](const QString &table, const QString &key) {
                int n = 0;
                for (const QJsonValue &row : tables.value(table).toArray())
                    n += row.toVariant().toStringList().join(u'|') == key;
                return n;
            };
            int there = 0, missing = 0;
            for (auto it = wholeRecord.cbegin(); it != wholeRecord.cend(); ++it) {
                const int rows = rowsOf(it.key(), u"2018000002|."_s);
                there += rows == it.value();
                missing += rows == 0;
                QCOMPARE(rowsOf(it.key(), u"2018000001|."_s), 1);
                QCOMPARE(rowsOf(it.key(), u"2018000002|110"_s), 1);
            }
            QVERIFY2(there == 5 || missing == 5, qPrintable(QFileInfo(folder).fileName()));
            gone += missing == 5;
            if (folder == whole)
                QCOMPARE(missing, 5);
        }
        QVERIFY(gone > 1);
        QVERIFY(gone < folders.size());
    }

    // Two users share a data folder whose tables both may write. The store
    // of the first, whose umask lets nobody else read what it makes, is
    // killed before its commit line: the journal it leaves has the tables'
    // permissions, so the second user's start-up takes the change back,
    // says nothing and lets a person be stored.
    void aChangeKilledUnderOneUserIsSettledByTheNext()
    {
        REQUIRE_ADMINISTRATOR();
        QTemporaryDir home;
        const QString data = storeKilledUnderNobody(home);
        QVERIFY(!data.isEmpty());
        const QString journal = QDir(data).filePath(Journal);
        QCOMPARE(QFile::permissions(journal), QFile::permissions(fileIn(data, u"kjcg.dbf"_s)));

        bool crashed = false;
        QCOMPARE(runImportStoreChildAs(SecondUser, {data, u"startup"_s, u"王二"_s}, 0, &crashed), u"stored"_s);
        QVERIFY(!QFile::exists(journal));
        Database folder(data);
        QCOMPARE(titles(&folder), QStringList{u"甲"_s});
        QCOMPARE(countRows(&folder, u"cgwcr.DBF"_s, u"item_180='王二'"_s), 1);
        QCOMPARE(countRows(&folder, u"cgwcr.DBF"_s, keyFilter(u"2018000002"_s, u"."_s)), 0);
    }

    // A folder shared through a group whose members alone may write its
    // tables. The journal of a store killed under one member and the
    // tables that the other member's start-up packs anew keep that group,
    // not the main group of whoever made them: the other member settles
    // the change, and the first still stores after that start-up.
    void aFolderSharedThroughAGroupStaysWritableForEachMember()
    {
        REQUIRE_ADMINISTRATOR();
        QTemporaryDir home;
        prepareStore();
        const QString data = sharedCopy(home, 0770, 0660, Office);
        QVERIFY(!data.isEmpty());
        QVERIFY(storeKilledBeforeCommit(FirstMember, data));
        const QString journal = QDir(data).filePath(Journal);
        QCOMPARE(QFileInfo(journal).groupId(), Office);

        bool crashed = false;
        QCOMPARE(runImportStoreChildAs(SecondMember, {data, u"startup"_s, u"王二"_s}, 0, &crashed), u"stored"_s);
        QVERIFY(!QFile::exists(journal));
        for (const QString &table : {u"kjcg.dbf"_s, u"kjcg.dbt"_s, u"cgwcr.dbf"_s})
            QCOMPARE(QFileInfo(fileIn(data, table)).groupId(), Office);
        QCOMPARE(runImportStoreChildAs(FirstMember, {data, u"startup"_s, u"张六"_s}, 0, &crashed), u"stored"_s);
        Database folder(data);
        QCOMPARE(titles(&folder), QStringList{u"甲"_s});
        QCOMPARE(countRows(&folder, u"cgwcr.DBF"_s, u"item_180='王二'"_s), 1);
        QCOMPARE(countRows(&folder, u"cgwcr.DBF"_s, u"item_180='张六'"_s), 1);
    }

    // A half-done change that the second user cannot settle (a journal it
    // may not read): one message at start-up, and every write of the run
    // refused with what to do, instead of a person stored that the first
    // user's next start-up would take back with the change. That start-up
    // settles it; nothing either of them stored is lost.
    void aHalfDoneChangeNobodyCanSettleRefusesEveryWrite()
    {
        REQUIRE_ADMINISTRATOR();
        QTemporaryDir home;
        const QString data = storeKilledUnderNobody(home);
        QVERIFY(!data.isEmpty());
        const QString journal = QDir(data).filePath(Journal);
        QVERIFY(QFile::setPermissions(journal, QFile::ReadOwner | QFile::WriteOwner));

        bool crashed = false;
        const QString said = runImportStoreChildAs(SecondUser, {data, u"startup"_s, u"王二"_s}, 0, &crashed);
        const QString shown = QDir::toNativeSeparators(journal);
        QCOMPARE(said.count(u"problem: "_s), 1);
        QVERIFY2(said.startsWith(u"problem: 上次修改数据表时程序被中断，那次修改只完成了一半，现在既无法完成也无法撤销它：\n"
                                 "无法读取日志文件“"_s + shown + u"”：没有访问权限\n"_s), qPrintable(said));
        QVERIFY2(said.contains(u"在它完成或撤销之前，数据只能查看和导出，不能修改。\n"
                               "请让做那次修改的用户（或能读写日志文件“"_s + shown + u"”的用户）启动本程序，程序会完成或撤销那次修改。\n"_s),
                 qPrintable(said));
        QCOMPARE(lines(said).last(), u"refused: 上次中断的修改只完成了一半，在它完成或撤销之前不能修改数据。"
                                     "请让做那次修改的用户（或能读写日志文件“"_s + shown + u"”的用户）启动本程序，程序会完成或撤销那次修改。"_s);
        QVERIFY(QFile::exists(journal));

        QCOMPARE(runImportStoreChildAs(Nobody, {data, u"startup"_s, u"张六"_s}, 0, &crashed), u"stored"_s);
        QVERIFY(!QFile::exists(journal));
        Database folder(data);
        QCOMPARE(titles(&folder), QStringList{u"甲"_s});
        QCOMPARE(countRows(&folder, u"cgwcr.DBF"_s, u"item_180='张六'"_s), 1);
        QCOMPARE(countRows(&folder, u"cgwcr.DBF"_s, u"item_180='王二'"_s), 0);
    }

    // A journal whose notes are damaged can be neither completed nor taken
    // back: one message at start-up, the journal kept, and no write of the
    // run gets through: a post, a delete, a store, a pack, a code table
    // replaced.
    void aJournalThatCannotBeReadKeepsEveryTableFromWrites()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        stageSent({u"乙"_s});
        f.stop();
        const QString journal = QDir(f.dataPath()).filePath(Journal);
        putBytes(journal, "boot\t00\ncount\tkjcg.dbf\tone\n");

        QStringList problems;
        TDM dm(f.dataPath(), [&](const QString &message) { problems << message; });
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().contains(u"那次修改只完成了一半"_s) && problems.first().contains(u"日志文件的内容已损坏"_s),
                 qPrintable(problems.first()));
        const QString refused = u"上次中断的修改只完成了一半，在它完成或撤销之前不能修改数据。请让做那次修改的用户（或能读写日志文件“"_s
                                + QDir::toNativeSeparators(journal) + u"”的用户）启动本程序，程序会完成或撤销那次修改。"_s;
        Database *data = dm.database();
        QCOMPARE(errorOf([&] {
                     dm.Qrykjcg->first();
                     dm.Qrykjcg->edit();
                     dm.Qrykjcg->setString(u"ITEM_130"_s, u"单位"_s);
                     dm.Qrykjcg->post();
                 }),
                 refused);
        dm.Qrykjcg->cancel();
        QCOMPARE(errorOf([&] { ChildRows::deleteRecord(data, {u"2018000001"_s, u"."_s}); }), refused);
        QCOMPARE(errorOf([&] { ImportStore(data).storeAll(ImportStore::Mode::Save); }), refused);
        QCOMPARE(errorOf([&] { data->pack(u"cgwcr.DBF"_s); }), refused);
        QTemporaryDir chosen;
        const QString copy = chosen.filePath(u"DFJHZDXX.DBF"_s);
        QVERIFY(QFile::copy(data->resolvePath(u"DFJHZDXX.DBF"_s), copy));
        QCOMPARE(errorOf([&] { CodeTables::replaceFromTableFile(*data, u"DFJHZDXX.DBF"_s, copy); }), refused);
        // A package loaded into the staging tables: said once, not as a
        // fault of the package's first line.
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2018000009"_s, u"1"_s, u"丁"_s, {u"李四"_s});
        QTemporaryDir unpacked;
        unpackFiles(source.package(), unpacked.path());
        QCOMPARE(errorOf([&] { ImportStaging::load(data, unpacked.path()); }), refused);
        QVERIFY(QFile::exists(journal));
        QCOMPARE(titles(data), QStringList{u"甲"_s});
    }

    // A store killed before its commit line, and a row that another writer
    // appended afterwards: taking the change back marks only the rows the
    // change appended, and the other row stays. A journal written before
    // the system last started (a power cut may have lost its notes of the
    // rows appended) takes back every row from its count on: no record is
    // left half stored.
    void takingBackRemovesOnlyTheRowsOfTheChange()
    {
        prepareStore();
        QTemporaryDir home;
        const QString data = home.filePath(u"data"_s);
        QVERIFY(copyFolder(f.dataPath(), data));
        QVERIFY(storeKilledBeforeCommit({unsigned(::geteuid()), 022}, data));
        {
            const auto persons = DbfFile::open(fileIn(data, u"cgwcr.dbf"_s));
            persons->append({{persons->fieldIndex(u"ITEM_4"_s), u"2018000001"_s},
                             {persons->fieldIndex(u"ITEM_DQDM"_s), u"."_s},
                             {persons->fieldIndex(u"ITEM_180"_s), u"后来的"_s}});
        }
        const QString afterRestart = home.filePath(u"restarted"_s);
        QVERIFY(copyFolder(data, afterRestart));
        QFile journal(QDir(afterRestart).filePath(Journal));
        QVERIFY(journal.open(QIODevice::ReadOnly));
        QByteArray notes;
        for (const QByteArray &line : journal.readAll().split('\n')) {
            if (line.startsWith("boot\t"))
                notes += "boot\t00\n";
            else if (!line.startsWith("append\t") && !line.isEmpty())
                notes += line + '\n';
        }
        journal.close();
        putBytes(journal.fileName(), notes);

        for (const QString &folder : {data, afterRestart}) {
            QStringList problems;
            TDM startUp(folder, [&](const QString &message) { problems << message; });
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
            Database *tables = startUp.database();
            QCOMPARE(titles(tables), QStringList{u"甲"_s});
            for (const QString &table : {u"cgwcr.DBF"_s, u"cgwcdw.DBF"_s, u"jdwyhmd.DBF"_s, u"zlqk.DBF"_s}) {
                QCOMPARE(countRows(tables, table, keyFilter(u"2018000002"_s, u"."_s)), 0);
                QCOMPARE(countRows(tables, table, keyFilter(u"2018000003"_s, u"."_s)), 0);
            }
            QCOMPARE(countRows(tables, u"cgwcr.DBF"_s, u"item_180='后来的'"_s), folder == data ? 1 : 0);
        }
    }

    // Child rows left behind by a delete of an older version keep their
    // number: neither a new record, nor an imported one, nor a staged
    // record moved to another year takes it.
    void numbersThatChildRowsCarryAreNotHandedOut()
    {
        addAchievement(db(), u"2018000003"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2018000007"_s, u"."_s);   // of a record no longer there
        addChildren(db(), u"2020000001"_s, u"."_s);
        QCOMPARE(Numbering::nextNumber(db(), u"2018"_s), u"2018000008"_s);

        stageSent({u"乙"_s});   // sent as 2018000001 of region 110
        const QString stagedPersons = ExchangeNames::stagingTable(ExchangeNames::Cgwcr);
        appendRow(db(), stagedPersons,
                  {{u"ITEM_4"_s, u"2021000001"_s}, {u"ITEM_DQDM"_s, u"110"_s}, {u"ITEM_180"_s, u"孤"_s}});
        {
            Table staged(db(), ImportStaging::kjcgTable());
            staged.open();
            staged.first();
            QCOMPARE(ImportStaging::changeYear(staged, u"2021"_s), u"2021000002"_s);
            QCOMPARE(ImportStaging::changeYear(staged, u"2020"_s), u"2020000001"_s);
        }
        QCOMPARE(countRows(db(), stagedPersons, keyFilter(u"2021000001"_s, u"110"_s)), 1);
        const ImportStore::Result result = ImportStore(db()).storeAll(ImportStore::Mode::Save);
        QCOMPARE(result.stored, 1);
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s, keyFilter(u"2020000002"_s, u"."_s)), 1);
        QCOMPARE(countRows(db(), u"cgwcr.DBF"_s, keyFilter(u"2020000002"_s, u"."_s)), 2);
        QCOMPARE(countRows(db(), u"cgwcr.DBF"_s, keyFilter(u"2020000001"_s, u"."_s)), 1);
    }

    // Damage that only start-up's pack finds (a memo pointer past the memo
    // file) keeps the table from every write of the run, each refusal
    // naming it.
    void tableThePackFoundDamagedTakesNoWrite()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        stageSent({u"乙"_s});
        f.stop();
        const QString kjcg = fileIn(f.dataPath(), u"kjcg.dbf"_s);
        qint64 at = 0;
        {
            const auto file = DbfFile::open(kjcg, true);
            const int memo = file->fieldIndex(u"ITEM_13"_s);
            QVERIFY(memo >= 0);
            QFile raw(kjcg);
            QVERIFY(raw.open(QIODevice::ReadOnly));
            const QByteArray header = raw.read(32);
            at = qFromLittleEndian<quint16>(header.constData() + 8) + 1 + file->field(memo).offset;
            QCOMPARE(file->field(memo).width, 10);
        }
        QFile raw(kjcg);
        QVERIFY(raw.open(QIODevice::ReadWrite));
        QVERIFY(raw.seek(at));
        raw.write("     99999");
        raw.close();

        QStringList problems;
        TDM dm(f.dataPath(), [&](const QString &message) { problems << message; });
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().startsWith(u"整理数据表 kjcg.DBF 时出错，该表未整理：\n表文件“"_s), qPrintable(problems.first()));
        QVERIFY2(problems.first().endsWith(u"。\n该表只能查看和导出，不能修改。"_s), qPrintable(problems.first()));
        Database *data = dm.database();
        const ImportStore::Result result = ImportStore(data).storeAll(ImportStore::Mode::Overwrite);
        QCOMPARE(result.stored, 0);
        const QString refused = result.firstError();
        QVERIFY2(refused.contains(u"kjcg.dbf"_s, Qt::CaseInsensitive) && refused.contains(u"已损坏"_s), qPrintable(refused));
        QCOMPARE(countRows(data, ExchangeNames::stagingTable(ExchangeNames::Kjcg)), 1);
        const QString posted = errorOf([&] {
            dm.Qrykjcg->first();
            dm.Qrykjcg->edit();
            dm.Qrykjcg->setString(u"ITEM_130"_s, u"单位"_s);
            dm.Qrykjcg->post();
        });
        QVERIFY2(posted.contains(u"kjcg.dbf"_s, Qt::CaseInsensitive) && posted.endsWith(u"不能修改。"_s), qPrintable(posted));
        dm.Qrykjcg->cancel();
        const QString deleted = errorOf([&] { ChildRows::deleteRecord(data, {u"2018000001"_s, u"."_s}); });
        QVERIFY2(deleted.contains(u"kjcg.dbf"_s, Qt::CaseInsensitive), qPrintable(deleted));
        QCOMPARE(countRows(data, u"kjcg.DBF"_s), 1);
    }

    // Start-up settling a change left half done: a store killed before its
    // commit line is taken back, a delete killed once its commit line was
    // on the disk is completed. The rows it wrote reach the disk before the
    // journal goes, and the folder after; so does the end of a change run
    // to its end.
    void settlingAChangeSyncsBeforeTheJournalGoes()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        addAchievement(db(), u"2018000002"_s, u"1"_s, u"乙"_s);
        addChildren(db(), u"2018000002"_s, u"."_s);
        stageSent({u"丙"_s});
        f.stop();

        QTemporaryDir home;
        const QString takenBack = home.filePath(u"takenBack"_s);
        QVERIFY(copyFolder(f.dataPath(), takenBack));
        QVERIFY(storeKilledBeforeCommit({unsigned(::geteuid()), 022}, takenBack));

        const QString completed = home.filePath(u"completed"_s);
        QVERIFY(copyFolder(f.dataPath(), completed));
        const int commit = commitLineOf(completed, [](Database &folder) {
            ChildRows::deleteRecord(&folder, {u"2018000002"_s, u"."_s});
        });
        QVERIFY(commit > 0);
        bool crashed = false;
        runDeleteChild(completed, commit + 2, &crashed);   // the line and its sync done
        QVERIFY(crashed);

        for (const QString &data : {takenBack, completed}) {
            QVERIFY(QFile::exists(QDir(data).filePath(Journal)));
            Database folder(data);
            const QList<Entry> ledger = ledgerOf([&] { TableJournal::recover(folder); });
            VERIFY_ORDER(ledger, data);
            const qsizetype removed = first(ledger, Step::Remove, Journal);
            QVERIFY2(first(ledger, Step::Write) >= 0 && removed > first(ledger, Step::Write), qPrintable(shown(ledger)));
            QVERIFY2(holds(ledger, Step::SyncFolder, QFileInfo(data).fileName().toLower(), removed, ledger.size()),
                     qPrintable(shown(ledger)));
            QCOMPARE(titles(&folder), data == takenBack ? (QStringList{u"甲"_s, u"乙"_s}) : QStringList{u"甲"_s});
            QCOMPARE(countRows(&folder, u"cgwcr.DBF"_s, keyFilter(u"2018000002"_s, u"."_s)),
                     data == takenBack ? 1 : 0);
        }

        Database folder(f.dataPath());
        const QList<Entry> ledger = ledgerOf([&] { ImportStore(&folder).storeAll(ImportStore::Mode::Save); });
        const qsizetype removed = first(ledger, Step::Remove, Journal);
        QVERIFY(removed >= 0);
        QVERIFY2(holds(ledger, Step::SyncFolder, QFileInfo(f.dataPath()).fileName().toLower(), removed, ledger.size()),
                 qPrintable(shown(ledger)));
    }

    // A store whose commit line cannot be written is taken back whole: the
    // rows it appended are marked deleted and on the disk before the
    // journal is emptied.
    void aStoreWhoseCommitFailsIsTakenBackInOrder()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        stageSent({u"乙"_s, u"丙"_s});
        f.stop();
        const int commit = commitLineOfStore(f.dataPath());
        QVERIFY(commit > 0);

        Database folder(f.dataPath());
        ImportStore::Result result;
        const QList<Entry> ledger = ledgerOf([&] {
            IoFaults::failNth(commit);
            result = ImportStore(&folder).storeAll(ImportStore::Mode::Save);
            IoFaults::clear();
        });
        QCOMPARE(result.stored, 0);
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY(first(ledger, Step::Write, u"kjcg.dbf"_s) >= 0);
        QCOMPARE(titles(&folder), QStringList{u"甲"_s});
        QCOMPARE(countRows(&folder, u"cgwcr.DBF"_s), 1);
        QVERIFY(!QFile::exists(QDir(f.dataPath()).filePath(Journal)));
    }

    // A pack that writes the memo file anew as well: both new files on the
    // disk before they take the old names, the folder after the renames and
    // again once the pack's marker is gone.
    void aPackWithANewMemoFileSyncsInOrder()
    {
        appendRow(db(), u"kjcg.DBF"_s, {{u"ITEM_4"_s, u"2018000001"_s}, {u"ITEM_DQDM"_s, u"."_s},
                                        {u"ITEM_3"_s, u"甲"_s}, {u"ITEM_13"_s, u"留下的简介"_s}});
        appendRow(db(), u"kjcg.DBF"_s, {{u"ITEM_4"_s, u"2018000002"_s}, {u"ITEM_DQDM"_s, u"."_s},
                                        {u"ITEM_3"_s, u"乙"_s}, {u"ITEM_13"_s, QString(3000, u'删')}});
        QCOMPARE(ChildRows::deleteRecord(db(), {u"2018000002"_s, u"."_s}), 1);
        f.stop();

        Database folder(f.dataPath());
        const QList<Entry> ledger = ledgerOf([&] { folder.pack(u"kjcg.DBF"_s); });
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY2(first(ledger, Step::Rename, u"kjcg.dbf.pack-dbt"_s) >= 0, qPrintable(shown(ledger)));
        const qsizetype markerGone = first(ledger, Step::Remove, u"kjcg.dbf.pack-commit"_s);
        QVERIFY2(markerGone >= 0, qPrintable(shown(ledger)));
        QVERIFY2(holds(ledger, Step::SyncFolder, QFileInfo(f.dataPath()).fileName().toLower(), markerGone, ledger.size()),
                 qPrintable(shown(ledger)));
        Table kjcg(&folder, u"kjcg.DBF"_s);
        kjcg.open();
        QCOMPARE(kjcg.recordCount(), 1);
        QCOMPARE(kjcg.asString(u"ITEM_13"_s), u"留下的简介"_s);
    }

    // A statement that writes, and a list's held-back changes applied: the
    // rows are on the disk when the call returns.
    void statementsAndAppliedListsAreSynced()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        addPerson(db(), u"2018000001"_s, u"."_s, u"张三"_s);
        QList<Entry> ledger = ledgerOf([&] {
            QCOMPARE(db()->execute(u"update cgwcr set item_180='李四' where item_4='2018000001'"_s), 1);
        });
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY(first(ledger, Step::Sync, u"cgwcr.dbf"_s) > first(ledger, Step::Write, u"cgwcr.dbf"_s));

        Query persons(db());
        persons.setSql(u"select * from cgwcr where item_4='2018000001'"_s);
        persons.setCachedUpdates(true);
        persons.open();
        persons.first();
        persons.edit();
        persons.setString(u"ITEM_180"_s, u"王五"_s);
        persons.post();
        persons.append();
        persons.setString(u"ITEM_4"_s, u"2018000001"_s);
        persons.setString(u"ITEM_DQDM"_s, u"."_s);
        persons.setString(u"ITEM_180"_s, u"赵六"_s);
        persons.post();
        ledger = ledgerOf([&] { persons.applyUpdates(); });
        VERIFY_ORDER(ledger, f.dataPath());
        QVERIFY(first(ledger, Step::Sync, u"cgwcr.dbf"_s) > first(ledger, Step::Write, u"cgwcr.dbf"_s));
        QCOMPARE(countRows(db(), u"cgwcr.DBF"_s, u"item_180='王五'"_s), 1);
        QCOMPARE(countRows(db(), u"cgwcr.DBF"_s, u"item_180='赵六'"_s), 1);
    }

    // Child rows staged without a staged record go with the store: their
    // marks are on the disk when it returns.
    void leftoverStagedRowsAreSyncedWithTheStore()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"甲"_s);
        stageSent({u"乙"_s});
        const QString stagedPersons = ExchangeNames::stagingTable(ExchangeNames::Cgwcr);
        appendRow(db(), stagedPersons,
                  {{u"ITEM_4"_s, u"2021000001"_s}, {u"ITEM_DQDM"_s, u"110"_s}, {u"ITEM_180"_s, u"孤"_s}});
        ImportStore::Result result;
        const QList<Entry> ledger = ledgerOf([&] { result = ImportStore(db()).storeAll(ImportStore::Mode::Save); });
        QCOMPARE(result.stored, 1);
        // Marked after the change was emptied, outside it: only their sync
        // is asked for.
        const QString staging = QFileInfo(db()->resolvePath(stagedPersons)).fileName().toLower();
        const qsizetype marked = lastBefore(ledger, Step::Write, staging, ledger.size());
        QVERIFY2(marked >= 0, qPrintable(shown(ledger)));
        QVERIFY2(holds(ledger, Step::Sync, staging, marked, ledger.size()), qPrintable(shown(ledger)));
        QCOMPARE(countRows(db(), stagedPersons, keyFilter(u"2021000001"_s, u"110"_s)), 0);
    }
};

QTEST_GUILESS_MAIN(TestDurability)
#include "tst_durability.moc"
