// The export window against the real arj program: the package holds exactly
// the seven files, byte for byte what the exchange writer makes of the
// chosen rows; child rows follow the whole record key; the user's folder
// sees nothing but the finished archive; every failure is reported and
// leaves an existing archive as it was.
#include "support/FileBytes.h"
#include "support/RecordsData.h"
#include "exchange/ExchangeFolders.h"
#include "exchange/Unitout.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/ExchangeFile.h"
#include "exchange/core/ExchangeNames.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

namespace {

// Unpacks with the system's arj into a fresh folder; its file names.
QStringList unpackWithArj(const QString &archive, const QString &into)
{
    QDir().mkpath(into);
    QProcess arj;
    arj.setWorkingDirectory(into);
    arj.start(u"arj"_s, {u"e"_s, u"-y"_s, archive});
    if (!arj.waitForFinished(60000) || arj.exitCode() != 0)
        return {u"<arj failed>"_s};
    return QDir(into).entryList(QDir::Files, QDir::Name);
}

// The lines of a whole table as the writer makes them, kept when they
// belong to one of the keys.
QByteArray writerLinesFor(Database *db, const QString &tableFile, const QStringList &keys, const QString &scratch)
{
    Table table(db, tableFile);
    table.open();
    const QString path = QDir(scratch).filePath(tableFile + u".all"_s);
    WriteExchangeFile(table, path, ExchangeLine::Child);
    QByteArray kept;
    for (const QByteArray &line : fileBytes(path).split('\n')) {
        for (const QString &key : keys) {
            if (line.startsWith(key.toUtf8() + '\t'))
                kept += line + '\n';
        }
    }
    return kept;
}

QByteArray wholeTable(Database *db, const QString &tableFile, ExchangeLine kind, const QString &scratch)
{
    Table table(db, tableFile);
    table.open();
    const QString path = QDir(scratch).filePath(tableFile + u".whole"_s);
    WriteExchangeFile(table, path, kind);
    return fileBytes(path);
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private:
    DataFixture f;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<TFormout> window;
    std::unique_ptr<QTemporaryDir> scratch;
    QString target;

    void addRecord(const QString &item4, const QString &region, const QString &name)
    {
        addAchievement(f.db(), item4, u"1"_s, name, region);
        addChildren(f.db(), item4, region);
    }

    // Five records; the fifth has the number of the first in another region.
    void addFiveRecords()
    {
        addRecord(u"2024000001"_s, u"."_s, u"甲成果"_s);
        addRecord(u"2024000002"_s, u"."_s, u"乙成果"_s);
        addRecord(u"2024000003"_s, u"."_s, u"丙成果"_s);
        addRecord(u"2023000001"_s, u"."_s, u"丁成果"_s);
        addRecord(u"2024000001"_s, u"X01"_s, u"外地成果"_s);
        appendRow(f.db(), u"unit.dbf"_s, {{u"unitcode"_s, u"9990001000"_s}, {u"item_9"_s, u"本单位"_s}});
        appendRow(f.db(), u"unitexpert.dbf"_s, {{u"unitcode"_s, u"9990001000"_s}, {u"item_180"_s, u"李四"_s}});
    }

    void openWindow()
    {
        window = std::make_unique<TFormout>();
        context = std::make_unique<AppContext>(*f.dm());
        context->addWindow(window.get());
        window->wire(*context);
        window->FormShow();
        window->Edit1->setText(target);
        // What the window's event loop would have done by the time a user clicks.
        QCoreApplication::processEvents();
    }

    // Rows of the whole list whose name is one of these.
    void selectByName(const QStringList &names)
    {
        window->RadioButton5Click();
        window->DBGrid1->clearSelection();
        Table &list = *f.dm()->T_temp_out;
        for (int row = 0; row < list.recordCount(); ++row) {
            if (names.contains(list.textAt(row, list.fieldIndex(u"ITEM_3"_s))))
                window->DBGrid1->selectionModel()->select(
                    window->DBGrid1->model()->index(row, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    QString marks() const
    {
        QString all;
        Table kjcg(f.db(), u"kjcg.DBF"_s);
        kjcg.open();
        for (kjcg.first(); !kjcg.eof(); kjcg.next())
            all += kjcg.asString(u"ITEM_SJDC"_s).isEmpty() ? u"-"_s : kjcg.asString(u"ITEM_SJDC"_s);
        return all;
    }

    QString archive() const { return QDir(target).filePath(u"cgsbqy.arj"_s); }

private slots:
    void initTestCase()
    {
        if (Archiver::locate().isEmpty())
            QSKIP("arj is not installed");
        f.buildOnce();
    }

    void init()
    {
        QVERIFY(f.start());
        scratch = std::make_unique<QTemporaryDir>();
        target = scratch->filePath(u"目标 文件夹"_s);
        QDir().mkpath(target);
    }

    void cleanup()
    {
        window.reset();
        context.reset();
        f.stop();
    }

    void twoRecordsMakeExactlyTheirPackage()
    {
        addFiveRecords();
        BoxLog log;
        openWindow();
        QCOMPARE(window->ComboBox2->count(), 2);
        QCOMPARE(window->ComboBox2->itemText(0), u"2024"_s);
        selectByName({u"甲成果"_s, u"乙成果"_s});
        QCOMPARE(window->Label1->text(), u"选择了2记录！"_s);
        window->Button2Click();
        QCOMPARE(log.last(), u"你已打包成功!文件在"_s + QDir::toNativeSeparators(target) + u"/cgsbqy.arj"_s);

        // The user's folder holds the archive and nothing else.
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList{u"cgsbqy.arj"_s});
        const QString out = scratch->filePath(u"unpacked"_s);
        QStringList expected = ExchangeNames::allFiles();
        expected.sort();
        QCOMPARE(unpackWithArj(archive(), out), expected);

        const QByteArray kjcg = fileBytes(QDir(out).filePath(u"KJCG.TXT"_s));
        QCOMPARE(kjcg.count("\r\n"), 2);
        QVERIFY(kjcg.contains(gbk(u"甲成果"_s)) && kjcg.contains(gbk(u"乙成果"_s)));
        QVERIFY(!kjcg.contains(gbk(u"外地成果"_s)));
        const QStringList keys = {u"2024000001\t."_s, u"2024000002\t."_s};
        const QStringList children = {u"CGWCDW"_s, u"CGWCR"_s, u"JDWYHMD"_s, u"ZLQK"_s};
        for (const QString &name : children) {
            const QByteArray written = fileBytes(QDir(out).filePath(name + u".TXT"_s));
            QCOMPARE(written.count("\r\n"), 2);
            QCOMPARE(written, writerLinesFor(f.db(), name.toLower() + u".DBF"_s, keys, scratch->path()));
        }
        QCOMPARE(fileBytes(QDir(out).filePath(u"UNIT.TXT"_s)),
                 wholeTable(f.db(), u"unit.dbf"_s, ExchangeLine::Unit, scratch->path()));
        QCOMPARE(fileBytes(QDir(out).filePath(u"EXPERT.TXT"_s)),
                 wholeTable(f.db(), u"unitexpert.dbf"_s, ExchangeLine::Expert, scratch->path()));

        // The exported rows carry their mark until the window opens again.
        QCOMPARE(marks(), u"11000"_s);
        QCOMPARE(window->selectedRows().size(), 0);
        window->FormShow();
        QCOMPARE(marks(), u"00000"_s);
    }

    // Run by killedExportsLeaveNoWorkFolders in a process of its own, which
    // its archiver kills while it packs.
    void exportKilledWhilePacking()
    {
        if (qEnvironmentVariableIsEmpty("DRAVIK_KILLING_ARCHIVER"))
            QSKIP("only as a process of killedExportsLeaveNoWorkFolders");
        addFiveRecords();
        BoxLog log;
        openWindow();
        window->setArchiverProgram(qEnvironmentVariable("DRAVIK_KILLING_ARCHIVER"));
        selectByName({u"甲成果"_s});
        window->Button2Click();
        QFAIL("the export was not killed");
    }

    // An export killed while it packs leaves its two work folders behind;
    // the next export removes them, and only them: not a folder of a
    // program still running, nor anything else in the temporary folder.
    void killedExportsLeaveNoWorkFolders()
    {
        QTemporaryDir temp;
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", oldTemp); });
        const QString killer = scratch->filePath(u"killing-arj"_s);
        putFile(killer, "#!/bin/sh\nkill -9 $PPID\nsleep 2\n");
        QFile::setPermissions(killer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcess killed;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TMPDIR"_s, temp.path());
        environment.insert(u"DRAVIK_KILLING_ARCHIVER"_s, killer);
        killed.setProcessEnvironment(environment);
        killed.start(QCoreApplication::applicationFilePath(), {u"exportKilledWhilePacking"_s});
        QVERIFY(killed.waitForStarted());
        const qint64 pid = killed.processId();
        QVERIFY(killed.waitForFinished(60000));
        QCOMPARE(killed.exitStatus(), QProcess::CrashExit);
        const QStringList left = QDir(temp.path()).entryList({u"dravik-work-*"_s}, QDir::Dirs);
        QCOMPARE(left.size(), 2);
        for (const QString &folder : left)
            QVERIFY2(folder.startsWith(u"dravik-work-%1-"_s.arg(pid)), qPrintable(folder));

        QVERIFY(QDir(temp.path()).mkdir(u"dravik-work-notes"_s));
        QTemporaryDir running(QDir(temp.path()).filePath(u"dravik-work-%1-XXXXXX"_s.arg(QCoreApplication::applicationPid())));
        QVERIFY(running.isValid());
        addFiveRecords();
        BoxLog log;
        openWindow();
        selectByName({u"甲成果"_s});
        window->Button2Click();
        QVERIFY2(log.last().startsWith(u"你已打包成功"_s), qPrintable(log.last()));
        QStringList kept = {u"dravik-work-notes"_s, QFileInfo(running.path()).fileName()};
        kept.sort();
        QCOMPARE(QDir(temp.path()).entryList({u"dravik-work-*"_s}, QDir::Dirs, QDir::Name), kept);
    }

    void existingArchiveStaysUnlessReplaced()
    {
        addFiveRecords();
        BoxLog log;
        putFile(archive(), "old package");
        openWindow();
        selectByName({u"甲成果"_s});
        log.answers = {QMessageBox::No};
        window->Button2Click();
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.lastCaption(), u"提示信息"_s);
        QVERIFY(log.last().startsWith(u"该路径存在上报文件！"_s));
        QCOMPARE(fileBytes(archive()), QByteArray("old package"));
        QCOMPARE(QDir(target).entryList(QDir::Files), QStringList{u"cgsbqy.arj"_s});
        QCOMPARE(marks(), u"00000"_s);

        log.clear();
        window->Button2Click();
        QVERIFY(log.last().startsWith(u"你已打包成功!"_s));
        QVERIFY(fileBytes(archive()).size() > 100);
        QCOMPARE(QDir(target).entryList(QDir::Files), QStringList{u"cgsbqy.arj"_s});
    }

    void failuresAreReportedAndLeaveTheOldArchive_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("says");
        QTest::newRow("no archiver") << u"/nonexistent/arj"_s << QString() << u"压缩程序"_s;
        QTest::newRow("archiver fails") << u"failing"_s << QString() << u"磁盘已满"_s;
        QTest::newRow("folder missing") << QString() << u"不存在"_s << u"无法建立文件"_s;
    }

    void failuresAreReportedAndLeaveTheOldArchive()
    {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(QString, says);
        addFiveRecords();
        BoxLog log;
        putFile(archive(), "old package");
        openWindow();
        if (program == u"failing"_s) {
            program = scratch->filePath(u"arj"_s);
            putFile(program, "#!/bin/sh\necho 磁盘已满\nexit 3\n");
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        window->setArchiverProgram(program);
        if (!folder.isEmpty())
            window->Edit1->setText(QDir(target).filePath(folder));
        selectByName({u"甲成果"_s});
        window->Button2Click();
        QVERIFY2(log.last().contains(says), qPrintable(log.last()));
        QVERIFY(!log.last().contains(u"成功"_s));
        QCOMPARE(fileBytes(archive()), QByteArray("old package"));
        QCOMPARE(QDir(target).entryList(QDir::Files), QStringList{u"cgsbqy.arj"_s});
        QCOMPARE(marks(), u"00000"_s);
        // The selection stays for another try.
        QCOMPARE(window->selectedRows().size(), 1);
    }

    // Another program stored a control character in a memo: it goes as the
    // blank every receiving installation would store, and the user is told.
    void controlCharacterInAMemoGoesAsABlank()
    {
        addFiveRecords();
        {
            Table kjcg(f.db(), u"kjcg.DBF"_s);
            kjcg.open();
            QVERIFY(kjcg.locate(u"ITEM_3"_s, u"乙成果"_s));
            kjcg.edit();
            kjcg.setString(u"ITEM_13"_s, u"成果简介QQ完"_s);
            kjcg.post();
        }
        const QString memoPath = QDir(f.dataPath()).filePath(u"kjcg.dbt"_s);
        QByteArray memo = fileBytes(memoPath);
        const qsizetype at = memo.indexOf("QQ");
        QVERIFY(at > 0);
        memo[at] = '\x01';
        putFile(memoPath, memo);
        BoxLog log;
        openWindow();
        selectByName({u"甲成果"_s, u"乙成果"_s});
        window->Button2Click();
        QCOMPARE(log.last(), u"你已打包成功!文件在"_s + QDir::toNativeSeparators(target)
                                 + u"/cgsbqy.arj\nKJCG.TXT中有1个控制字符（如从Word粘贴带来的换行符），已换成空格。"_s);
        const QString out = scratch->filePath(u"unpacked"_s);
        unpackWithArj(archive(), out);
        const QByteArray kjcg = fileBytes(QDir(out).filePath(u"KJCG.TXT"_s));
        QVERIFY(kjcg.contains(gbk(u"\t成果简介 Q完\t"_s)));
        QCOMPARE(kjcg.count("\r\n"), 2);
        QCOMPARE(marks(), u"11000"_s);
    }

    void nothingSelectedAsksToSelectAll()
    {
        addFiveRecords();
        BoxLog log;
        openWindow();
        window->RadioButton7Click();
        log.answers = {QMessageBox::No};
        window->Button2Click();
        QCOMPARE(log.texts(), QStringList{u"请选择您要导出的项目，是否全部选择？"_s});
        QVERIFY(QDir(target).isEmpty());

        log.clear();
        window->Button2Click();
        QVERIFY(log.last().startsWith(u"你已打包成功!"_s));
        QCOMPARE(marks(), u"11111"_s);
    }

    void yearChoiceSelectsThatYear()
    {
        addFiveRecords();
        BoxLog log;
        openWindow();
        window->RadioButton7Click();
        QVERIFY(window->ComboBox2->isVisibleTo(window.get()));
        window->ComboBox2->setCurrentIndex(1);
        window->ComboBox2Change();
        QCOMPARE(window->Label1->text(), u"选择了1记录！"_s);
        window->Button2Click();
        QCOMPARE(marks(), u"00010"_s);
    }

    // No drive letters here: the roots, and a real folder tree.
    void folderListsFillTheTarget()
    {
        BoxLog log;
        openWindow();
        window->FormShow();
        QCOMPARE(window->Edit1->text(), QDir::toNativeSeparators(QDir::currentPath()));
        QCOMPARE(window->DriveComboBox1->itemText(0), QDir::toNativeSeparators(QDir::rootPath()));
        window->folders()->chooseDrive(QDir::rootPath());
        QCOMPARE(window->Edit1->text(), QDir::toNativeSeparators(QDir::rootPath()));
        window->folders()->chooseFolder(target);
        QCOMPARE(window->Edit1->text(), QDir::toNativeSeparators(target));
    }

    // A key list of any length: thousands of records in one package.
    void threeThousandRecords()
    {
        {
            Table kjcg(f.db(), u"kjcg.DBF"_s);
            kjcg.open();
            for (int i = 1; i <= 3000; ++i) {
                kjcg.append();
                kjcg.setString(u"ITEM_4"_s, u"2024%1"_s.arg(i, 6, 10, QLatin1Char('0')));
                kjcg.setString(u"ITEM_DQDM"_s, u"."_s);
                kjcg.setString(u"ITEM_3"_s, u"成果%1"_s.arg(i));
                kjcg.post();
            }
        }
        addPerson(f.db(), u"2024003000"_s, u"."_s, u"王五"_s);
        BoxLog log;
        openWindow();
        window->RadioButton5Click();
        QCOMPARE(window->Label1->text(), u"选择了3000记录！"_s);
        window->Button2Click();
        QVERIFY2(log.last().startsWith(u"你已打包成功!"_s), qPrintable(log.last()));
        const QString out = scratch->filePath(u"unpacked"_s);
        unpackWithArj(archive(), out);
        QCOMPARE(fileBytes(QDir(out).filePath(u"KJCG.TXT"_s)).count("\r\n"), 3000);
        QVERIFY(fileBytes(QDir(out).filePath(u"CGWCR.TXT"_s)).contains(gbk(u"王五"_s)));
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
