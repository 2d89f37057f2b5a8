// The import window over real packages made by the exchange writer and the
// archiver: choosing, unpacking, loading, the duplicate walk with its
// rename, storing, the repack of an older package, the year dialog, and the
// main window's "导入" with its refresh.
#include "exchange/ImportStaging.h"
#include "exchange/core/ExchangeNames.h"
#include "exchange/Unitin.h"
#include "exchange/formatitem4.h"
#include "support/DbfReadBack.h"
#include "support/ImportData.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QTableView>
#include <QtTest>

class TestImportWindow : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;
    std::unique_ptr<SourceFolder> m_source;
    TFormin *form = nullptr;

    Database *db() const { return f.db(); }

    // Opens the window and picks the file, as "请选择导入文件" does.
    void choose(const QString &path)
    {
        form->setFileChooser([path](QWidget *, const QString &) { return path; });
        form->Button1Click();
    }

    void openWithPackage(const QString &package)
    {
        form->FormShow();
        choose(package);
        QVERIFY2(form->Button3->isEnabled(), qPrintable(m_log.texts().join(" | ")));
        form->Button3Click();
    }

    QString folderOf(const QString &path) const { return QFileInfo(path).absolutePath(); }

    void saveShot(const QString &name)
    {
        const QString dir = qEnvironmentVariable("DRAVIK_SHOT_DIR");
        if (!dir.isEmpty())
            form->grab().save(QDir(dir).filePath(name));
    }

    // A click on the window's button, as the mouse gives it.
    void press(QPushButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    // The window on screen with the package chosen and loaded, by its buttons.
    void showLoaded(const QString &package)
    {
        form->setFileChooser([package](QWidget *, const QString &) { return package; });
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        press(form->Button1);
        press(form->Button3);
        QCOMPARE(m_log.last(), u"导入完毕！"_s);
    }

    // Title and number of every live kjcg row, as another dBase reader sees them.
    QStringList storedTitles() const
    {
        const DbfReadBack back = readWithPythonDbf(f.dataPath(), u"kjcg.DBF"_s, {u"item_4"_s, u"item_3"_s});
        if (!back.error.isEmpty())
            return {back.error};
        QStringList rows;
        for (const QJsonObject &row : back.rows)
            rows << row.value(u"item_4"_s).toString() + u" "_s + row.value(u"item_3"_s).toString();
        return rows;
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init()
    {
        m_log.clear();
        f.open();
        form = f.add(new TFormin(f.main()));
        f.add(new Tformformat(f.main()));
        m_source = std::make_unique<SourceFolder>(f.shippedPath());
        addSentRecord(m_source->db(), u"2019000001"_s, u"1"_s, u"数控机床远程诊断系统的研究与应用"_s,
                      {u"王\"小\"二"_s});
        addSentRecord(m_source->db(), u"2019000002"_s, u"3"_s, u"本地已有的成果"_s, {u"李四"_s});
        addSentRecord(m_source->db(), u"2020000001"_s, u"2"_s, u"区域创新政策评估"_s, {});
    }
    void cleanup()
    {
        m_source.reset();
        form = nullptr;
        f.stop();
    }

    // A folder that refuses every write, with records left staged: opening
    // the window says why once, and lists them under their titles.
    void aFolderThatRefusesWritesKeepsTheListTitled()
    {
        QTemporaryDir unpacked;
        unpackFiles(m_source->package(), unpacked.path());
        ImportStaging::load(db(), unpacked.path());
        db()->refuseWrites(u"数据只能查看和导出，不能修改。"_s);
        form->FormShow();
        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(m_log.last(), u"数据只能查看和导出，不能修改。"_s);
        const QAbstractItemModel *list = form->DBGrid1->model();
        QCOMPARE(list->rowCount(), 3);
        QCOMPARE(list->headerData(0, Qt::Horizontal).toString(), u"成果名称"_s);
        QCOMPARE(list->headerData(1, Qt::Horizontal).toString(), u"完成单位"_s);
        QCOMPARE(list->headerData(2, Qt::Horizontal).toString(), u"成果完成时间"_s);
    }

    void loadsDedupesAndStoresAPackage()
    {
        addAchievement(db(), u"2019000005"_s, u"1"_s, u"本地已有的成果"_s);
        const QString package = m_source->package();
        form->FormShow();
        QVERIFY(!form->Button3->isEnabled() && form->Button1->isEnabled());

        // The whole name counts, not its last characters.
        const QString lookalike = QDir(folderOf(package)).filePath(u"XCGSBQY.ARJ"_s);
        QFile::copy(package, lookalike);
        choose(lookalike);
        QCOMPARE(m_log.last(), u"请选择正确导入包,名字是CGSBQY.ARJ!"_s);
        QVERIFY(!form->Button3->isEnabled());

        choose(package);
        QVERIFY(form->Button3->isEnabled());
        QCOMPARE(m_log.boxes.size(), 1);
        form->Button3Click();
        QCOMPARE(m_log.last(), u"导入完毕！"_s);
        QCOMPARE(form->Label6->text(), u"记录条数:3条；"_s);
        QCOMPARE(form->Label2->text(), u"其中：应用技术1条，基础理论1条，软科学1条。"_s);
        QCOMPARE(form->DBGrid1->model()->rowCount(), 3);
        QCOMPARE(form->DBGrid1->model()->headerData(2, Qt::Horizontal).toString(), u"成果完成时间"_s);
        QVERIFY(!form->Button3->isEnabled() && !form->Button1->isEnabled() && !form->Button6->isEnabled());
        QVERIFY(form->Button4->isEnabled() && form->Button7->isEnabled() && form->Button8->isEnabled());
        saveShot(u"import-loaded.png"_s);

        // 排重, answered No: the rename panel is the only way on.
        m_log.answers = {QMessageBox::No};
        form->Button4Click();
        QCOMPARE(m_log.last(), u"导入的项目“本地已有的成果”有重复,是否删除？"_s);
        QVERIFY(!form->Panel1->isHidden());
        QCOMPARE(form->Edit2->text(), u"本地已有的成果"_s);
        QVERIFY(!form->Button5->isEnabled() && !form->Button4->isEnabled() && !form->DBGrid1->isEnabled());
        saveShot(u"import-rename.png"_s);
        form->Edit2->setText(u"本地已有的成果（二）"_s);
        form->Button9Click();
        QVERIFY(form->Panel1->isHidden() && form->Button5->isEnabled());
        form->Button4Click();
        QCOMPARE(m_log.last(), u"排重已经完成！"_s);
        QCOMPARE(m_log.lastCaption(), u"状态！"_s);
        QVERIFY(form->Button6->isEnabled());

        form->Button6Click();
        QCOMPARE(m_log.last(), u"入库完毕!"_s);
        QCOMPARE(form->Label6->text(), u"导入完毕。"_s);
        QVERIFY(form->Button1->isEnabled() && !form->Button6->isEnabled());
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 4);
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s, u"item_3='本地已有的成果（二）' and item_4='2019000007'"_s), 1);
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable()), 0);

        // Opening the window again discards what was staged, but for the
        // sender's unit row, which stays as it arrived.
        addSentRecord(m_source->db(), u"2019000003"_s, u"1"_s, u"未入库的成果"_s, {u"赵六"_s});
        appendRow(m_source->db(), u"unit.dbf"_s, {{u"unitcode"_s, u"9990001000"_s}, {u"item_9"_s, u"发送单位"_s}});
        openWithPackage(m_source->package());
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable()), 4);
        QCOMPARE(countRows(db(), u"UNITtemp.dbf"_s, u"item_9='发送单位'"_s), 1);
        form->FormShow();
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable()), 0);
        QCOMPARE(countRows(db(), u"UNITtemp.dbf"_s, u"item_9='发送单位'"_s), 1);
    }

    // An archive the archiver cannot read: its words, and no "导入".
    void aDamagedArchiveIsReportedAndNotLoaded()
    {
        const QString package = m_source->package();
        QFile file(package);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.resize(file.size() / 2);
        file.close();
        form->FormShow();
        choose(package);
        QCOMPARE(m_log.lastCaption(), u"提示"_s);
        QVERIFY2(m_log.last().contains(u"压缩程序"_s), qPrintable(m_log.last()));
        QVERIFY(!form->Button3->isEnabled());
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable()), 0);
    }

    // Another program's read-me in the package: unpacked without it, the
    // user told, the records loaded.
    void aPackageWithAnotherFileLoadsWithoutIt()
    {
        const QString out = m_source->writeFiles();
        putBytes(QDir(out).filePath(u"README.TXT"_s), "read me\r\n");
        packFiles(out, u"cgsbqy.arj"_s, ExchangeNames::allFiles() + QStringList{u"README.TXT"_s});
        form->FormShow();
        choose(QDir(out).filePath(u"cgsbqy.arj"_s));
        QCOMPARE(m_log.last(), u"导入包中的文件“README.TXT”不是导入包应有的文件，没有解压。"_s);
        QVERIFY(form->Button3->isEnabled());
        form->Button3Click();
        QCOMPARE(m_log.last(), u"导入完毕！"_s);
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable()), 3);
    }

    void aPackageOfTooFewFilesIsRefused()
    {
        openWithPackage(m_source->package({u"CGWCDW.TXT"_s, u"ZLQK.TXT"_s}));
        QCOMPARE(m_log.last(), u"文件的格式不正确"_s);
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable()), 0);
        QVERIFY(!form->Button6->isEnabled() && !form->Button4->isEnabled());
    }

    // 删除 and the year dialog take the row picked in the grid, wherever the
    // loading or an earlier command left the staged table.
    void commandsWorkOnTheRowPickedInTheGrid()
    {
        openWithPackage(m_source->package());
        QTableView *grid = form->DBGrid1;
        grid->setCurrentIndex(grid->model()->index(1, 0));
        m_log.answers = {QMessageBox::Yes};
        form->Button7Click();
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable()), 2);
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable(), u"item_4='2019000002'"_s), 0);

        grid->setCurrentIndex(grid->model()->index(1, 0));
        QCOMPARE(grid->model()->index(1, 2).data().toString(), u"2020000001"_s);
        QString shownYear;
        ModalHelper helper([&shownYear](QWidget *dialog) {
            shownYear = dialog->findChild<QLineEdit *>(u"edt_4"_s)->text();
            ModalHelper::click(dialog, u"btnexit"_s);
        });
        form->btnformatClick();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(shownYear, u"2020"_s);
    }

    void yearDialogMovesTheCurrentRecord()
    {
        openWithPackage(m_source->package());
        ModalHelper helper([](QWidget *dialog) {
            ModalHelper::setText(dialog, u"edt_4"_s, u"2030"_s);
            ModalHelper::click(dialog, u"btnsave"_s);
            ModalHelper::click(dialog, u"btnexit"_s);
        });
        form->btnformatClick();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(m_log.texts().mid(m_log.boxes.size() - 2),
                 QStringList({u"确定要更改成果年份吗？"_s, u"成果年份修改成功！"_s}));
        QCOMPARE(m_log.boxes.at(m_log.boxes.size() - 2).caption, u"请注意！"_s);
        QCOMPARE(m_log.lastCaption(), u"Dravik"_s);
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable(), u"item_4='2030000001'"_s), 1);
        QCOMPARE(countRows(db(), u"CGWCRtemp.dbf"_s, u"item_4='2030000001'"_s), 1);
    }

    // 排重 answered No on the second staged row: while its rename panel is
    // open nothing moves the list, 修改成果年份 included, and 确定 renames
    // that row, whatever was tried meanwhile.
    void renameTakesTheRowThePanelWasOpenedFor()
    {
        addAchievement(db(), u"2019000005"_s, u"1"_s, u"本地已有的成果"_s);
        showLoaded(m_source->package());
        m_log.answers = {QMessageBox::No};
        press(form->Button4);
        QCOMPARE(m_log.last(), u"导入的项目“本地已有的成果”有重复,是否删除？"_s);
        QVERIFY(form->Panel1->isVisible());
        QCOMPARE(form->DBGrid1->currentIndex().row(), 1);
        QStringList movers;
        for (QPushButton *b : {form->btnformat, form->Button7, form->Button4, form->Button6, form->Button8})
            movers << (b->isEnabled() ? b->text() : QString());
        movers.removeAll(QString());

        // A year change tried while the panel is open.
        ModalHelper yearDialog(
            [](QWidget *dialog) {
                ModalHelper::setText(dialog, u"edt_4"_s, u"2030"_s);
                ModalHelper::click(dialog, u"btnsave"_s);
                ModalHelper::click(dialog, u"btnexit"_s);
            },
            500);
        press(form->btnformat);
        QTest::qWait(600);

        form->Edit2->setText(u"本地已有的成果（改）"_s);
        press(form->Button9);
        QVERIFY(form->Panel1->isHidden() && form->btnformat->isEnabled() && form->DBGrid1->isEnabled());
        press(form->Button4);
        QCOMPARE(m_log.last(), u"排重已经完成！"_s);
        press(form->Button6);
        QCOMPARE(m_log.last(), u"入库完毕!"_s);
        form->hide();
        QCOMPARE(storedTitles(), QStringList({u"2019000005 本地已有的成果"_s,
                                              u"2019000006 数控机床远程诊断系统的研究与应用"_s,
                                              u"2019000007 本地已有的成果（改）"_s,
                                              u"2020000001 区域创新政策评估"_s}));
        QVERIFY2(movers.isEmpty(), qPrintable(movers.join(u' ')));
    }

    // Every record the store refuses is named with its reason, the whole
    // list in the box's details; the first lines stay as they were.
    void everyRefusedRecordIsNamed()
    {
        addSentRecord(m_source->db(), u"1899000003"_s, u"1"_s, u"百年前的成果"_s, {u"赵六"_s});
        addSentRecord(m_source->db(), u"abcd000004"_s, u"2"_s, u"编号有误的成果"_s, {});
        addSentRecord(m_source->db(), u"2051000005"_s, u"3"_s, u"未来的成果"_s, {});
        showLoaded(m_source->package());
        press(form->Button4);
        QCOMPARE(m_log.last(), u"排重已经完成！"_s);
        press(form->Button6);
        form->hide();
        const QString yearRefused = u"不能输入1900到2050外的年份！请用“修改成果年份”改正后再入库。"_s;
        QCOMPARE(m_log.last(),
                 u"入库完毕!\n已入库3条，3条未能入库，仍保留在导入数据中。\n"
                 u"年份不对、未能入库的成果：1899年1条，2051年1条。"_s + yearRefused + u"\n"
                 u"成果“百年前的成果”（登记号1899000003）未能入库："_s + yearRefused + u"\n"
                 u"全部未能入库的成果及原因请点“显示详情...”查看。"_s);
        QCOMPARE(m_log.boxes.last().details.split(u'\n'),
                 QStringList({u"成果“百年前的成果”（登记号1899000003）未能入库："_s + yearRefused,
                              u"成果“编号有误的成果”（登记号abcd000004）未能入库：登记号“abcd000004”不是正确的格式，无法编号。"_s,
                              u"成果“未来的成果”（登记号2051000005）未能入库："_s + yearRefused}));
        QCOMPARE(countRows(db(), ImportStaging::kjcgTable()), 3);
    }

    // An older package is repacked beside it under the standard names.
    void repacksAnOlderPackage()
    {
        const QString out = m_source->writeFiles();
        const QList<QPair<QString, QString>> old = {{u"KJCG.TXT"_s, u"KJCG12.TXT"_s}, {u"CGWCDW.TXT"_s, u"CGDW12.TXT"_s},
                                                   {u"CGWCR.TXT"_s, u"CGWCR12.TXT"_s}, {u"JDWYHMD.TXT"_s, u"JDMD12.TXT"_s},
                                                   {u"ZLQK.TXT"_s, u"ZLQK12.TXT"_s}};
        QStringList members;
        for (const auto &[standard, older] : old) {
            QVERIFY(QFile::rename(QDir(out).filePath(standard), QDir(out).filePath(older)));
            members << older;
        }
        packFiles(out, u"CGSB12.ARJ"_s, members.mid(0, 4));
        const QString partial = QDir(out).filePath(u"CGSB12.ARJ"_s);
        form->FormShow();
        form->setFileChooser([&](QWidget *, const QString &) { return partial; });
        form->Button2Click();
        QCOMPARE(m_log.last(), u"包内文件不正确，可能有缺失!"_s);
        QCOMPARE(m_log.lastCaption(), u"请注意！"_s);
        QVERIFY(fileIn(out, u"cgsbqy.arj"_s).isEmpty());

        packFiles(out, u"CGSB12.ARJ"_s, members);
        putBytes(QDir(out).filePath(u"cgsbqy.arj"_s), "old");
        m_log.answers = {QMessageBox::No};
        form->Button2Click();
        QCOMPARE(m_log.last(), u"文件夹中已有%1，是否替换？"_s.arg(QDir::toNativeSeparators(QDir(out).filePath(u"cgsbqy.arj"_s))));
        form->Button2Click();
        QCOMPARE(m_log.last(), u"你已改名成功!文件在"_s + QDir::toNativeSeparators(QDir(out).filePath(u"cgsbqy.arj"_s)));
        QCOMPARE(m_log.lastCaption(), u"Dravik"_s);

        QTemporaryDir check;
        QStringList unpacked = unpackFiles(QDir(out).filePath(u"cgsbqy.arj"_s), check.path());
        unpacked.sort();
        QStringList expected = recordFileNames();
        expected.sort();
        QCOMPARE(unpacked, expected);
        QCOMPARE(ImportStaging::load(db(), check.path()).rows, 3 + 2 + 3 + 3 + 3);
    }

    // The title bar's close box (a close from outside, as a window manager
    // sends it) and Esc leave as "退出" does: staged records ready to store
    // are not dropped without the question. The chosen path shows as chosen.
    void closeBoxAndEscAskLikeExit()
    {
        f.showList();
        const QString package = m_source->package();
        form->setFileChooser([&](QWidget *, const QString &) { return package; });
        const auto loadAndDedupe = [](QWidget *window) {
            ModalHelper::click(window, u"Button1"_s);
            ModalHelper::click(window, u"Button3"_s);
            ModalHelper::click(window, u"Button4"_s);
        };
        QString shown;
        m_log.answers = {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::No};
        ModalHelper byCloseBox([&](QWidget *window) {
            loadAndDedupe(window);
            shown = window->findChild<QLineEdit *>(u"Edit1"_s)->text();
            window->windowHandle()->close();
        });
        f.main()->BitBtn1->click();
        QVERIFY2(byCloseBox.ok(), qPrintable(byCloseBox.error()));
        QCOMPARE(shown, QDir::toNativeSeparators(package));
        QCOMPARE(m_log.last(), u"是否保存导入数据？"_s);
        QCOMPARE(m_log.lastCaption(), u"请注意！"_s);
        QVERIFY(!form->isVisible());
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 0);

        m_log.clear();
        m_log.answers = {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Yes};
        ModalHelper byEsc([&](QWidget *window) {
            loadAndDedupe(window);
            QTest::keyClick(window, Qt::Key_Escape);
        });
        f.main()->BitBtn1->click();
        QVERIFY2(byEsc.ok(), qPrintable(byEsc.error()));
        QVERIFY2(m_log.texts().contains(u"是否保存导入数据？"_s), qPrintable(m_log.texts().join(" | ")));
        QCOMPARE(m_log.last(), u"入库完毕!"_s);
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 3);
    }

    // While a package loads the window keeps painting, and what would
    // replace or leave the folder being read waits: the buttons are off,
    // and neither the close box nor Esc closes the window.
    void commandsWaitForTheLoad()
    {
        const QString package = m_source->package();
        form->show();
        choose(package);
        QStringList enabled;
        bool closed = false;
        QTimer::singleShot(0, form, [&] {
            for (QPushButton *b : {form->Button1, form->Button2, form->Button3, form->Button5, form->btnformat}) {
                if (b->isEnabled())
                    enabled << b->text();
            }
            form->windowHandle()->close();
            QTest::keyClick(form, Qt::Key_Escape);
            closed = !form->isVisible();
        });
        form->Button3Click();
        QVERIFY2(enabled.isEmpty(), qPrintable(enabled.join(u' ')));
        QVERIFY(!closed);
        QCOMPARE(m_log.last(), u"导入完毕！"_s);
        QVERIFY(form->isVisible());
        QVERIFY(form->Button5->isEnabled() && form->btnformat->isEnabled() && form->Button2->isEnabled());
        QVERIFY(!form->Button1->isEnabled() && !form->Button3->isEnabled());
        QCOMPARE(form->DBGrid1->model()->rowCount(), 3);
        form->hide();
    }

    // "导入" opens the window; however it is left, the main window lists
    // what arrived.
    void mainWindowRefreshesAfterTheImport()
    {
        f.showList();
        const QString package = m_source->package();
        form->setFileChooser([&](QWidget *, const QString &) { return package; });
        ModalHelper helper([](QWidget *window) {
            ModalHelper::click(window, u"Button1"_s);
            ModalHelper::click(window, u"Button3"_s);
            ModalHelper::click(window, u"Button8"_s);
            ModalHelper::click(window, u"Button5"_s);
        });
        f.main()->BitBtn1->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(m_log.last(), u"入库完毕！新增3条,覆盖0条。"_s);
        QStringList years;
        for (int i = 0; i < f.main()->cbYear->count(); ++i)
            years << f.main()->cbYear->itemText(i);
        QCOMPARE(years, QStringList({"2020", "2019"}));
    }
};

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
