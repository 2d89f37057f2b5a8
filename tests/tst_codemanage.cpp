// The code-table window: a distributed archive made by the real arj
// refreshes its table; a damaged file, a wrong name or a wrong table leaves
// the table as it was; a ready table file made by another dBase writer
// (python3-dbf) takes the place of a missing optional table and the
// classification chooser reads it at once.
#include "support/FileBytes.h"
#include "engine/DbfFile.h"
#include "exchange/CodeManage.h"
#include "exchange/core/Archiver.h"
#include "records/forms/DictionaryService.h"
#include "records/forms/Unittree.h"
#include "support/RecordsData.h"

#include <QLineEdit>
#include <QPushButton>
#include <QProcess>
#include <QTreeWidget>
#include <QtEndian>
#include <QtTest>

namespace {

// An archive made by arj from one text file.
QString makeArchive(const QString &folder, const QString &archiveName, const QString &textName,
                    const QByteArray &text)
{
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(textName));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(text);
    file.close();
    QProcess arj;
    arj.setWorkingDirectory(folder);
    arj.start(u"arj"_s, {u"a"_s, u"-y"_s, archiveName, textName});
    if (!arj.waitForFinished(60000) || arj.exitCode() != 0)
        return {};
    QFile::remove(file.fileName());
    return QDir(folder).filePath(archiveName);
}

QStringList rowsOf(Database *db, const QString &tableFile, const QStringList &fields)
{
    Table table(db, tableFile);
    table.open();
    QStringList rows;
    for (table.first(); !table.eof(); table.next()) {
        QStringList values;
        for (const QString &field : fields)
            values << table.asString(field);
        rows << values.join(u'|');
    }
    return rows;
}

bool runPython(const QString &script, const QStringList &args)
{
    QProcess python;
    python.start(u"/usr/bin/python3"_s, QStringList{u"-c"_s, script} + args);
    return python.waitForFinished(60000) && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
}

// A classification table as another program writes it.
const char *PythonWriter = R"(
import sys, dbf
t = dbf.Table(sys.argv[1], sys.argv[2], codepage='cp936', dbf_type='db3')
t.open(dbf.READ_WRITE)
t.append(('1', '110', u'新数学'))
t.append(('2', '11010', u'新数学史'))
t.close()
)";

const QStringList DfjhFields = {u"item_126"_s, u"item_41_"_s, u"xxmc"_s};

} // namespace

class TestCodeManage : public QObject
{
    Q_OBJECT

private:
    DataFixture f;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<TFcodeManage> window;
    std::unique_ptr<QTemporaryDir> scratch;
    QString chosen;

    void openWindow()
    {
        window = std::make_unique<TFcodeManage>();
        context = std::make_unique<AppContext>(*f.dm());
        context->addWindow(window.get());
        window->wire(*context);
        window->setFileChooser([this](QWidget *, const QString &) { return chosen; });
    }

    void click(const QString &button)
    {
        auto *b = window->findChild<QPushButton *>(button);
        QVERIFY2(b, qPrintable(button));
        b->click();
    }

private slots:
    void initTestCase() { f.buildOnce(); }

    void init() { scratch = std::make_unique<QTemporaryDir>(); }

    void cleanup()
    {
        window.reset();
        context.reset();
        f.stop();
    }

    void archiveRefreshesTheTable()
    {
        if (Archiver::locate().isEmpty())
            QSKIP("arj is not installed");
        QVERIFY(f.start());
        BoxLog log;
        openWindow();
        const QStringList before = context->dictionary().subclassItems(u"01"_s);
        chosen = makeArchive(scratch->filePath(u"包"_s), u"dfjhxx.arj"_s, u"DFJHXX.TXT"_s,
                             gbk(u"01\t91\t新子类甲\r\n\r\n02\t\"9\"\"2\"\t带引号\r\n"_s));
        QVERIFY(!chosen.isEmpty());
        click(u"Button4"_s);
        QCOMPARE(log.texts(), QStringList{u"导入更新成功！"_s});
        QCOMPARE(window->Edit1->text(), QDir::toNativeSeparators(chosen));
        QCOMPARE(rowsOf(f.db(), u"DFJHZDXX.DBF"_s, DfjhFields),
                 (QStringList{u"01|91|新子类甲"_s, u"02|9\"2|带引号"_s}));
        QVERIFY(f.dm()->TblDFJHZDXX->isOpen());
        QCOMPARE(f.dm()->TblDFJHZDXX->recordCount(), 2);
        // Page 3's list of sub-classes is read afresh.
        QVERIFY(before != QStringList({u"91  新子类甲"_s, u" "_s}));
        QCOMPARE(context->dictionary().subclassItems(u"01"_s), QStringList({u"91  新子类甲"_s, u" "_s}));
        // Only the archive is in its folder: the text went to a folder of our own.
        QCOMPARE(QDir(scratch->filePath(u"包"_s)).entryList(QDir::Files), QStringList{u"dfjhxx.arj"_s});
    }

    void damagedOrWrongArchiveLeavesTheTable()
    {
        if (Archiver::locate().isEmpty())
            QSKIP("arj is not installed");
        QVERIFY(f.start());
        const QStringList before = rowsOf(f.db(), u"DFJHZDXX.DBF"_s, DfjhFields);
        BoxLog log;
        openWindow();
        chosen = makeArchive(scratch->filePath(u"坏"_s), u"DFJHXX.ARJ"_s, u"DFJHXX.TXT"_s,
                             gbk(u"01\t91\t甲\r\n01\t92\t乙\r\n01\t\"未结束\r\n"_s));
        click(u"Button4"_s);
        QVERIFY2(log.last().contains(u"DFJHXX.TXT"_s) && log.last().contains(u"第 3 行"_s), qPrintable(log.last()));
        QCOMPARE(rowsOf(f.db(), u"DFJHZDXX.DBF"_s, DfjhFields), before);
        QVERIFY(f.dm()->TblDFJHZDXX->isOpen());

        // The archive holds another file instead.
        log.clear();
        chosen = makeArchive(scratch->filePath(u"缺"_s), u"DFJHXX.ARJ"_s, u"OTHER.TXT"_s, "x\r\n");
        click(u"Button4"_s);
        QVERIFY2(log.last().contains(u"DFJHXX.ARJ"_s) && !log.last().contains(u"成功"_s), qPrintable(log.last()));
        QCOMPARE(rowsOf(f.db(), u"DFJHZDXX.DBF"_s, DfjhFields), before);

        // A name that only ends like the archive's.
        log.clear();
        chosen = scratch->filePath(u"XDFJHXX.ARJ"_s);
        click(u"Button4"_s);
        QCOMPARE(log.lastCaption(), u"请注意！"_s);
        QCOMPARE(log.last(), u"请选择正确导入包,名字是DFJHXX.ARJ!"_s);

        // A cancelled choice does nothing.
        log.clear();
        chosen.clear();
        click(u"Button4"_s);
        QVERIFY(log.boxes.isEmpty());
        QCOMPARE(rowsOf(f.db(), u"DFJHZDXX.DBF"_s, DfjhFields), before);
    }

    void readyTableFileReplacesAMissingClassification()
    {
        QVERIFY(f.start({u"xkfl.dbf"_s}));
        QVERIFY(!f.dm()->XkflPresent);
        const QString folder = scratch->filePath(u"现成"_s);
        QDir().mkpath(folder);
        chosen = QDir(folder).filePath(u"xkfl.dbf"_s);
        QVERIFY(runPython(QString::fromUtf8(PythonWriter), {chosen, u"level C(2); xxdm C(10); xxmc C(60)"_s}));
        BoxLog log;
        openWindow();
        click(u"Button9"_s);
        QCOMPARE(log.texts(), QStringList{u"更新“学科分类”菜单成功!"_s});
        QVERIFY(f.dm()->XkflPresent);
        QVERIFY(f.dm()->Txkfl2->isOpen());

        // The chooser reads the new table without a restart.
        TFormTree tree;
        tree.setTable(f.dm()->Table1);
        QLineEdit edit;
        tree.setTarget(&edit, u"xkfl.dbf"_s);
        tree.FormShow();
        QTreeWidgetItem *root = tree.TreeView1->topLevelItem(0);
        QVERIFY(root && root->childCount() == 1);
        QCOMPARE(root->child(0)->text(0), u"110  新数学"_s);
        QCOMPARE(root->child(0)->child(0)->text(0), u"11010  新数学史"_s);
    }

    void wrongTableFilesAreRefused()
    {
        QVERIFY(f.start());
        const QStringList before = rowsOf(f.db(), u"lsbw.dbf"_s, {u"Bwdm"_s, u"Bwmc"_s});
        const QByteArray ownBytes = fileBytes(f.db()->resolvePath(u"lsbw.dbf"_s));
        BoxLog log;
        openWindow();

        chosen = scratch->filePath(u"MYLSBW.DBF"_s);
        click(u"Button11"_s);
        QCOMPARE(log.last(), u"请选择正确的文件（LSBW.DBF）！"_s);

        // The data folder's own file, named in another case.
        log.clear();
        chosen = f.db()->resolvePath(u"lsbw.dbf"_s);
        click(u"Button11"_s);
        QVERIFY2(log.last().contains(u"正在使用"_s), qPrintable(log.last()));
        QCOMPARE(fileBytes(f.db()->resolvePath(u"lsbw.dbf"_s)), ownBytes);

        // Other fields.
        log.clear();
        const QString folder = scratch->filePath(u"别处"_s);
        QDir().mkpath(folder);
        chosen = QDir(folder).filePath(u"LSBW.DBF"_s);
        DbfFile::create(chosen, {DbfField{u"Bwdm"_s, 'C', 3}, DbfField{u"Other"_s, 'N', 8}});
        click(u"Button11"_s);
        QVERIFY2(log.last().contains(u"字段"_s), qPrintable(log.last()));

        // The right table cut short (a copy that broke off): refused by
        // name with what is wrong, the rows all kept.
        log.clear();
        const int recordLength = qFromLittleEndian<quint16>(ownBytes.constData() + 10);
        putFile(chosen, ownBytes.left(ownBytes.size() - 1 - 5 * recordLength));
        click(u"Button11"_s);
        QVERIFY2(log.last().contains(QDir::toNativeSeparators(chosen)) && log.last().contains(u"已损坏"_s)
                     && log.last().contains(u"截短"_s) && !log.last().contains(u"成功"_s),
                 qPrintable(log.last()));
        QCOMPARE(fileBytes(f.db()->resolvePath(u"lsbw.dbf"_s)), ownBytes);

        // Not a table at all.
        log.clear();
        QFile junk(chosen);
        QVERIFY(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
        junk.write("not a table");
        junk.close();
        click(u"Button11"_s);
        QVERIFY2(log.last().contains(u"不是可用的数据表"_s), qPrintable(log.last()));

        QCOMPARE(rowsOf(f.db(), u"lsbw.dbf"_s, {u"Bwdm"_s, u"Bwmc"_s}), before);
        QVERIFY(f.dm()->tblLsbw->isOpen());
    }
};

QTEST_MAIN(TestCodeManage)
#include "tst_codemanage.moc"
