// What users read: each message box is caused as a user causes it, in the
// window that shows it, and its caption and text are compared in full, so
// that a changed word or punctuation mark fails here. The texts are written
// out, never taken from the code under test.
#include "exchange/CodeManage.h"
#include "exchange/UnitDuoyu.h"
#include "exchange/Unitin.h"
#include "exchange/Unitout.h"
#include "exchange/core/Archiver.h"
#include "records/pages/Finto7Unit.h"
#include "records/pages/Finto8Unit.h"
#include "records/pages/Unitpage2.h"
#include "records/pages/Unitpage3.h"
#include "records/pages/CgwcrManage.h"
#include "records/pages/Finto6Unit.h"
#include "records/pages/Unitpage4.h"
#include "records/pages/Unitpage6.h"
#include "records/pages/Unitpage7.h"
#include "records/pages/Unitpage8.h"
#include "records/pages/Unitpage12.h"
#include "records/unit/FirstUnitFields.h"
#include "records/unit/dw_Unit.h"
#include "support/ImportData.h"
#include "support/PagesFixture.h"

#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/MoneyEdit.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

namespace {

// The caption of every input check and notice; that of a plain box.
const QString Product = u"Dravik"_s;
const QString Title = u"Dravik－【LumetV5.0】"_s;

QString box(const QString &caption, const QString &text) { return caption + u" | "_s + text; }

QStringList shown(const BoxLog &log)
{
    QStringList boxes;
    for (const Messages::Request &r : log.boxes)
        boxes << box(r.caption, r.text);
    return boxes;
}

// "存储", then "退出" after a change, answered "是".
const QStringList SavedThenAskedAndSaved = {box(Product, u"存储成功！"_s),
                                            box(u"请注意！"_s, u"记录已经更改,是否保存？"_s),
                                            box(Product, u"存储成功！"_s)};

const QString Number = u"2023000001"_s;
const QString Region = u"."_s;

} // namespace

class TestMessages : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog log;
    std::unique_ptr<QTemporaryDir> scratch;

    template <class Window>
    Window *open()
    {
        auto *window = f.add(new Window(f.main()));
        return window;
    }

    TFpage8 *persons = nullptr;
    TFpage7 *committee = nullptr;

    // One record with one person and one committee member, each stored
    // through its list's add dialog.
    void openLists(const FieldValues &values = {})
    {
        f.openOnRecord(Number, u"1"_s, u"样例成果"_s, values);
        open<TFinto8>();
        open<TFinto7>();
        persons = open<TFpage8>();
        committee = open<TFpage7>();
        persons->showRowsOf({Number, Region});
        committee->showRowsOf({Number, Region});
        log.clear();
        QVERIFY(PagesFixture::throughButton<TFinto8>(persons->addButton, [](TFinto8 *d) {
            d->edtry_180->setText(u"张三"_s);
            d->Button1->click();
            d->Button2->click();
        }));
        QVERIFY(PagesFixture::throughButton<TFinto7>(committee->addButton, [](TFinto7 *d) {
            d->Edtwy_192->setText(u"王五"_s);
            d->Button1->click();
        }));
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init()
    {
        log.clear();
        scratch = std::make_unique<QTemporaryDir>();
    }
    void cleanup() { f.stop(); }

    // ---- the main window ---------------------------------------------------------------

    void mainWindowAsksBeforeClosing_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("section");  // rule section left empty; "" none, "08" no person
        QTest::addColumn<QString>("question");
        QTest::newRow("summary") << u"1"_s << u"01"_s << u"成果概况没有填完,是否以后再填写该项目？"_s;
        QTest::newRow("application")
            << u"1"_s << u"02"_s << u"知识产权，成果应用情况没有填完,是否以后再填写该项目？"_s;
        QTest::newRow("evaluation") << u"2"_s << u"03"_s << u"课题立项，评价没有填完,是否以后再填写该项目？"_s;
        QTest::newRow("first unit")
            << u"3"_s << u"04"_s << u"第一完成单位情况没有填完,是否以后再填写该项目？"_s;
        QTest::newRow("persons")
            << u"1"_s << u"08"_s << u"成果完成人员名单没有填完,是否以后再填写该项目？？"_s;
    }

    // Closed as the window manager closes it: the first section not done
    // is named; "取消" keeps the window.
    void mainWindowAsksBeforeClosing()
    {
        QFETCH(QString, category);
        QFETCH(QString, section);
        QFETCH(QString, question);
        f.open();
        const QString lb = category == u"1"_s ? category : u"2"_s;
        // A section's rules belong to the category group or to all ("a").
        const QStringList empty = section == u"08"_s
                                      ? QStringList()
                                      : ruleFields(f.db(), lb, section) + ruleFields(f.db(), u"a"_s, section);
        QVERIFY(section == u"08"_s || !empty.isEmpty());
        addAchievement(f.db(), Number, category, u"样例成果"_s, Region, empty);
        if (section != u"08"_s)
            addPerson(f.db(), Number, Region, u"张三"_s);
        f.showList();
        f.main()->ComboBox1->setCurrentIndex(category.toInt() - 1);
        f.main()->ComboBox1Change();
        log.clear();
        log.answer = QMessageBox::Cancel;
        QCloseEvent close;
        QApplication::sendEvent(f.main(), &close);
        QVERIFY(!close.isAccepted());
        QCOMPARE(shown(log), QStringList{box(u"提示信息"_s, question)});
    }

    // ---- section pages 2 and 3 -----------------------------------------------------------

    void sectionPageSavesAndAsks_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("page 2") << u"btn_page02"_s;
        QTest::newRow("page 3") << u"btn_page03"_s;
    }

    // "存储" of a page that passes its check, then a change left through
    // "退出" and its question, answered "是".
    void sectionPageSavesAndAsks()
    {
        QFETCH(QString, page);
        f.openOnRecord(Number, u"1"_s, u"样例成果"_s,
                       {{u"item_51"_s, QString()}, {u"item_161"_s, QString()}});
        log.clear();
        const auto choose = [](QComboBox *combo, const QString &code) {
            QVERIFY2(PagesFixture::choose(combo, code), qPrintable(code));
        };
        const auto tick = [](QObject *panel, const QString &name) {
            panel->findChild<QAbstractButton *>(name)->click();
        };
        std::function<void()> fill, change;
        if (auto *p2 = f.window<TFpage2>(); page == u"btn_page02"_s) {
            fill = [&, p2] { choose(p2->CB_32, u"1"_s); tick(p2->pl_161, u"cb_161_4"_s); };
            change = [p2] { p2->Edt_150->insert(u"5"_s); };
        } else {
            auto *p3 = f.window<TFpage3>();
            fill = [&, p3] { tick(p3->Pl_126, u"cb_126_03"_s); choose(p3->cb_21, u"1"_s); };
            change = [p3] { p3->Edt_130->insert(u"省科技厅"_s); };
        }
        auto *button = f.main()->findChild<QAbstractButton *>(page);
        QVERIFY(PagesFixture::throughButton<SectionPage>(button, [&](SectionPage *p) {
            fill();
            p->btnSave01->click();
            change();
            p->quit01->click();
        }));
        QCOMPARE(shown(log), SavedThenAskedAndSaved);
    }

    // ---- the lists and their dialogs -----------------------------------------------------

    void listsAskBeforeDeleting_data()
    {
        QTest::addColumn<QString>("list");
        QTest::newRow("persons") << u"persons"_s;
        QTest::newRow("second person list") << u"second"_s;
        QTest::newRow("person register") << u"register"_s;
        QTest::newRow("committee") << u"committee"_s;
    }

    // "删除" asks first; "否" keeps the row.
    void listsAskBeforeDeleting()
    {
        QFETCH(QString, list);
        openLists();
        open<TFormWcr>();
        log.clear();
        log.answer = QMessageBox::No;
        if (list == u"persons"_s) {
            persons->deleteButton->click();
            QCOMPARE(persons->rows()->recordCount(), 1);
        } else if (list == u"second"_s) {
            auto *second = open<TFpage12>();
            f.main()->MarkIncompletePages();
            second->show();
            second->deleteButton->click();
            QCOMPARE(second->rows()->recordCount(), 1);
            second->hide();
        } else if (list == u"register"_s) {
            QVERIFY(PagesFixture::throughButton<TFormWcr>(persons->quickAddButton, [](TFormWcr *w) {
                w->Button1->click();
                w->BitBtn5->click();
            }));
            QCOMPARE(countRows(f.db(), u"cgwcrNew.dbf"_s), 1);
        } else {
            committee->deleteButton->click();
            QCOMPARE(committee->rows()->recordCount(), 1);
        }
        QCOMPARE(shown(log), QStringList{box(u"提示信息"_s, u"是否删除该项目？!"_s)});
    }

    // A person and a member stored through their add dialogs; the patent
    // dialog left with a typed number.
    void dialogsSaveAndAsk()
    {
        openLists({{u"item_51"_s, u"1;"_s}});
        QCOMPARE(shown(log), QStringList(2, box(Product, u"存储成功！"_s)));

        log.clear();
        log.answer = QMessageBox::No;
        QVERIFY(PagesFixture::throughButton<TFpage2>(f.main()->sectionButton(u"btn_page02"_s), [&](TFpage2 *page) {
            QVERIFY(PagesFixture::throughButton<TFpage6>(page->Button1, [&](TFpage6 *patents) {
                QVERIFY(PagesFixture::throughButton<TFinto6>(patents->addButton, [](TFinto6 *d) {
                    d->edtzl_no->setText(u"ZL2023100001"_s);
                    d->Button2->click();
                }));
                patents->quitButton->click();
            }));
            page->reject();
        }));
        QCOMPARE(shown(log), QStringList{box(u"请注意！"_s, u"记录已更改，是否保存后退出？"_s)});
    }

    // The own-unit profile, opened from page 4: "存储", then a change left
    // through "退出" and its question.
    void ownUnitProfileSavesAndAsks()
    {
        f.openOnRecord(Number, u"1"_s, u"样例成果"_s);
        auto *page4 = open<TFpage4>();
        open<Tdw_Form>();
        page4->loadFromRecord();
        const auto fill = [](Tdw_Form *window) {
            FirstUnitFields &d = *window->fields;
            d.Edt_9->setText(u"本所"_s);
            d.Edt_37->setText(u"本所地址"_s);
            d.Edt_38->setText(u"100081"_s);
            QVERIFY(PagesFixture::choose(d.cb_62, u"4"_s));
            QVERIFY(PagesFixture::choose(d.cb_64, u"11"_s));
            d.Edt_41->setText(u"本所联系人"_s);
            d.Edt_41_2->setText(u"62000000"_s);
        };
        log.clear();
        QVERIFY(PagesFixture::throughButton<Tdw_Form>(page4->Button2, [&](Tdw_Form *window) {
            fill(window);
            window->Button1->click();
        }));
        QVERIFY(PagesFixture::throughButton<Tdw_Form>(page4->Button2, [&](Tdw_Form *window) {
            window->fields->Edt_37->setText(u"新地址"_s);
            window->Button2->click();
        }));
        QCOMPARE(shown(log), SavedThenAskedAndSaved);
    }

    // ---- the code-table window ---------------------------------------------------------

    void codeTables_data()
    {
        QTest::addColumn<QString>("archiveButton");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("tableButton");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("success");
        QTest::newRow("project sub-classes")
            << u"Button4"_s << u"DFJHXX.ARJ"_s << u"Button2"_s << u"DFJHZDXX.DBF"_s
            << u"更新“课题来源”下级菜单成功!"_s;
        QTest::newRow("library classification")
            << u"Button6"_s << u"ZTFLB.ARJ"_s << u"Button7"_s << u"ZTFLH.DBF"_s
            << u"更新“中图分类号”菜单成功!"_s;
        QTest::newRow("subject classification")
            << u"Button8"_s << u"XKFLB.ARJ"_s << u"Button9"_s << u"XKFL.DBF"_s
            << u"更新“学科分类”菜单成功!"_s;
        QTest::newRow("ministries")
            << u"Button10"_s << u"LSBWB.ARJ"_s << u"Button11"_s << u"LSBW.DBF"_s
            << u"更新“隶属部委”菜单成功!"_s;
    }

    // A wrongly named archive, a wrongly named table file, and a good table
    // file, through each group's two buttons.
    void codeTables()
    {
        QFETCH(QString, archiveButton);
        QFETCH(QString, archive);
        QFETCH(QString, tableButton);
        QFETCH(QString, table);
        QFETCH(QString, success);
        f.open();
        auto *window = open<TFcodeManage>();
        QString chosen;
        window->setFileChooser([&](QWidget *, const QString &) { return chosen; });
        const auto press = [&](const QString &name) {
            log.clear();
            window->findChild<QPushButton *>(name)->click();
            return shown(log);
        };

        chosen = scratch->filePath(u"X"_s + archive);
        QCOMPARE(press(archiveButton),
                 QStringList{box(u"请注意！"_s, u"请选择正确导入包,名字是"_s + archive + u"!"_s)});

        chosen = scratch->filePath(u"MY"_s + table);
        QCOMPARE(press(tableButton),
                 QStringList{box(Product, u"请选择正确的文件（"_s + table + u"）！"_s)});

        const QString shipped = fileIn(f.shippedPath(), table);
        QVERIFY2(!shipped.isEmpty(), qPrintable(table));
        chosen = scratch->filePath(table);
        QVERIFY(QFile::copy(shipped, chosen));
        QCOMPARE(press(tableButton), QStringList{box(Product, success)});
    }

    // ---- the import window -------------------------------------------------------------

    void importWindow()
    {
        if (Archiver::locate().isEmpty())
            QSKIP("arj is not installed");
        f.open();
        addAchievement(f.db(), u"2019000005"_s, u"1"_s, u"本地已有的成果"_s);
        auto *form = open<TFormin>();
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2019000001"_s, u"1"_s, u"本地已有的成果"_s, {u"张三"_s});
        addSentRecord(source.db(), u"2019000002"_s, u"3"_s, u"新成果"_s, {u"李四"_s});
        const QString package = source.package();
        QString chosen;
        form->setFileChooser([&](QWidget *, const QString &) { return chosen; });
        form->FormShow();

        // A package under another name, then one whose repacking name is wrong.
        chosen = QDir(QFileInfo(package).absolutePath()).filePath(u"CGSB01.ARJ.bak"_s);
        QFile::copy(package, chosen);
        form->Button1Click();
        chosen = QDir(QFileInfo(package).absolutePath()).filePath(u"CGSB1234.ARJ"_s);
        QFile::copy(package, chosen);
        form->Button2Click();
        QCOMPARE(shown(log),
                 (QStringList{box(u"请注意！"_s, u"请选择正确导入包,名字是CGSBQY.ARJ!"_s),
                              box(u"请注意！"_s,
                                  u"请选择正确文件,被改名的文件类似CGSBXXX.ARJ(XXX为数字)!"_s)}));

        chosen = package;
        form->Button1Click();
        log.clear();
        form->Button3Click();
        QCOMPARE(shown(log), QStringList{box(Product, u"导入完毕！"_s)});

        // Delete, declined; the duplicate walk, declined and then renamed.
        log.clear();
        log.answers = {QMessageBox::No, QMessageBox::No};
        form->Button7Click();
        form->Button4Click();
        form->Edit2->setText(u"本地已有的成果（二）"_s);
        form->Button9Click();
        form->Button4Click();
        QCOMPARE(shown(log),
                 (QStringList{box(u"请注意！"_s, u"是否删除数据？"_s),
                              box(u"请注意！"_s, u"导入的项目“本地已有的成果”有重复,是否删除？"_s),
                              box(u"状态！"_s, u"排重已经完成！"_s)}));

        // Leaving with records still staged asks to store them.
        log.clear();
        log.answers = {QMessageBox::No};
        form->Button5Click();
        QCOMPARE(shown(log), QStringList{box(u"请注意！"_s, u"是否保存导入数据？"_s)});
    }

    void importOfAnEmptyPackage()
    {
        if (Archiver::locate().isEmpty())
            QSKIP("arj is not installed");
        f.open();
        auto *form = open<TFormin>();
        SourceFolder source(f.shippedPath());
        const QString package = source.package();
        form->setFileChooser([&](QWidget *, const QString &) { return package; });
        form->FormShow();
        form->Button1Click();
        QVERIFY(form->Button3->isEnabled());
        form->Button3Click();
        QCOMPARE(shown(log), (QStringList{box(Product, u"导入的文件为空表！"_s),
                                          box(Product, u"导入完毕！"_s)}));
    }

    // The list of duplicate titles cannot be left while two rows remain.
    void duplicateListRefusesToClose()
    {
        f.open();
        addAchievement(f.db(), u"2019000001"_s, u"1"_s, u"同名成果"_s);
        addAchievement(f.db(), u"2019000002"_s, u"1"_s, u"同名成果"_s);
        Query &duplicates = *f.dm()->Query2;
        duplicates.setSql(u"select * from kjcg where item_3='同名成果'"_s);
        duplicates.open();
        QCOMPARE(duplicates.recordCount(), 2);
        auto *window = open<TFormDuoyu>();
        window->show();
        QCloseEvent close;
        QApplication::sendEvent(window, &close);
        QVERIFY(!close.isAccepted());
        QVERIFY(window->isVisible());
        QCOMPARE(shown(log), QStringList{box(u"提示信息"_s, u"还有重复信息，请删除。"_s)});

        log.clear();
        window->Button1->click();
        QCOMPARE(duplicates.recordCount(), 1);
        window->Button2->click();
        QVERIFY(!window->isVisible());
        QVERIFY(log.boxes.isEmpty());
    }

    // ---- the export window -------------------------------------------------------------

    void exportQuestions()
    {
        f.open();
        addAchievement(f.db(), u"2024000001"_s, u"1"_s, u"甲成果"_s);
        const QString target = scratch->filePath(u"目标"_s);
        QDir().mkpath(target);
        QFile old(QDir(target).filePath(u"cgsbqy.arj"_s));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old package");
        old.close();
        auto *window = open<TFormout>();
        window->FormShow();
        window->Edit1->setText(target);
        QCoreApplication::processEvents();
        window->DBGrid1->clearSelection();
        log.answers = {QMessageBox::Yes, QMessageBox::No};
        window->Button2Click();
        QCOMPARE(shown(log),
                 (QStringList{
                     box(u"提示信息"_s,
                         u"该路径存在上报文件！选择“是”该文件将被覆盖；选择“否”放弃操作。"
                         u"如果需要保存现存文件，需要把该文件保存到到别的文件夹内，再执行该操作！"_s),
                     box(u"提示信息"_s, u"请选择您要导出的项目，是否全部选择？"_s)}));
    }

    // ---- the person and committee dialogs ----------------------------------------------

    void dialogChecks_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");  // an edit's new text; a list is emptied
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        QTest::newRow("person: serial") << u"person"_s << u"edtry_187"_s << QString() << Product
                                        << u"序号不能为空！"_s;
        QTest::newRow("person: serial no number") << u"person"_s << u"edtry_187"_s << u"一"_s << Title
                                                  << u"输入序号必须为数字！"_s;
        QTest::newRow("person: title") << u"person"_s << u"cbry_183"_s << QString() << Product
                                       << u"技术职称不能为空！"_s;
        QTest::newRow("person: education") << u"person"_s << u"cbry_184"_s << QString() << Product
                                           << u"文化程度不能为空！"_s;
        QTest::newRow("member: sex") << u"member"_s << u"cbwy_193"_s << QString() << Product
                                     << u"\"性别\"不能为空！"_s;
        QTest::newRow("member: title") << u"member"_s << u"cbwy_198"_s << QString() << Product
                                       << u"\"职称\"不能为空！"_s;
        QTest::newRow("member: role") << u"member"_s << u"cbwy_191"_s << QString() << Product
                                      << u"\"评价委员会职务\"不能为空！"_s;
    }

    // Each check of the person and committee dialogs, met on "存储" of the
    // row stored first; the dialog stays open.
    void dialogChecks()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        openLists();
        log.clear();
        const auto breakAndStore = [&](ChildListDialog *d) {
            QWidget *widget = d->findChild<QWidget *>(control);
            if (auto *edit = qobject_cast<QLineEdit *>(widget))
                edit->setText(typed);
            else
                qobject_cast<QComboBox *>(widget)->setCurrentIndex(-1);
            d->Button1->click();
            QVERIFY(d->isVisible());
            d->reject();
        };
        if (dialog == u"person"_s)
            QVERIFY(PagesFixture::throughButton<TFinto8>(persons->modifyButton, breakAndStore));
        else
            QVERIFY(PagesFixture::throughButton<TFinto7>(committee->modifyButton, breakAndStore));
        QCOMPARE(shown(log), QStringList{box(caption, message)});
    }

    // ---- section page 2 ----------------------------------------------------------------

    // The record's patents cannot be read: the page says so and is not shown.
    void page2ThatCannotBeRead()
    {
        f.openOnRecord(Number, u"1"_s, u"样例成果"_s, {{u"item_51"_s, u"1;"_s}});
        f.dm()->tblzlqk->close();
        f.db()->release(u"zlqk.dbf"_s);
        QVERIFY(QFile::remove(fileIn(f.dataPath(), u"zlqk.dbf"_s)));
        log.clear();
        ModalHelper helper([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); }, 500);
        f.main()->sectionButton(u"btn_page02"_s)->click();
        QVERIFY(!helper.ran());
        QCOMPARE(log.boxes.size(), 1);
        QCOMPARE(log.lastCaption(), Product);
        QVERIFY2(log.last().startsWith(u"读入数据时出错:"_s) && log.last().endsWith(u"0"_s)
                     && log.last().size() > 9,
                 qPrintable(log.last()));
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
