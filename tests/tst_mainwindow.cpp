// The main window over a data folder of its own: the list of a category and
// year, the section marks and the lock, the delete, the first-run state and
// the close question; and the start-up's windows and single-instance lock.
#include "AppInfo.h"
#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "engine/DbError.h"
#include "records/Messages.h"
#include "records/SectionButton.h"
#include "records/StartUp.h"
#include "records/Unit1.h"
#include "records/UnitDM.h"
#include "records/Unitpage4a.h"
#include "records/Unitwel.h"
#include "support/FileSizeLimit.h"
#include "support/ModalHelper.h"
#include "support/RecordsData.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {
const QString Region = QStringLiteral(".");
}

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_shipped;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TMainForm> m_form;
    MessageLog m_log;

    QString dataPath() const { return m_dir->filePath(QStringLiteral("data")); }
    Database *db() const { return m_dm->database(); }
    Query &list() const { return *m_dm->Qrykjcg; }

    // A fresh copy of the shipped tables: its unit table is empty.
    void reopenOnFreshFolder()
    {
        m_form.reset();
        m_dm.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(copyFolder(m_shipped.path(), dataPath()));
        openWindow();
    }

    void openWindow()
    {
        m_dm = std::make_unique<TDM>(dataPath());
        m_form = std::make_unique<TMainForm>();
    }

    void addUnit()
    {
        appendRow(db(), QStringLiteral("unit.dbf"),
                  {{QStringLiteral("unitcode"), QStringLiteral("9990001000")},
                   {QStringLiteral("item_9"), QStringLiteral("测试单位")}});
        m_dm->Tblunit->refresh();
    }

    // A complete record with one completing person.
    void addComplete(const QString &item4, const QString &category, const QString &name)
    {
        addAchievement(db(), item4, category, name);
        addPerson(db(), item4, Region, QStringLiteral("张三"));
    }

    QStringList listColumn(const QString &field) const
    {
        QStringList values;
        for (int row = 0; row < list().recordCount(); ++row)
            values << list().textAt(row, list().fieldIndex(field));
        return values;
    }

    QString current(const QString &field) const { return list().asString(field); }

    QStringList notDone() const
    {
        QStringList names;
        for (SectionButton *b : m_form->sectionButtons()) {
            if (!b->isDone())
                names << b->objectName();
        }
        return names;
    }

    QStringList disabled(const QList<QWidget *> &controls) const
    {
        QStringList names;
        for (QWidget *w : controls) {
            if (!w->isEnabled())
                names << w->objectName();
        }
        names.sort();
        return names;
    }

    static QStringList sorted(QStringList names)
    {
        names.sort();
        return names;
    }

    void selectRow(int row)
    {
        m_form->DBGrid1->selectionModel()->setCurrentIndex(
            m_form->DBGrid1->model()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_form->DBGrid1CellClick();
    }

    static QStringList lockNames()
    {
        return sorted({QStringLiteral("DBGrid1"), QStringLiteral("ComboBox1"),
                       QStringLiteral("cbYear"), QStringLiteral("SpeedButton16"),
                       QStringLiteral("SpeedButton26"), QStringLiteral("Button1"),
                       QStringLiteral("Button5"), QStringLiteral("BitBtn1"),
                       QStringLiteral("BitBtn2"), QStringLiteral("BitBtn4")});
    }

    // "删除" on the list's row `row`, answered yes while every write at or
    // beyond `limit` fails (the files named lie wholly below it): the
    // question, then the error in a box captioned "提示".
    void deleteWhileWritesFailFrom(int row, qint64 limit, const QStringList &filesBelow)
    {
        for (const QString &file : filesBelow)
            QVERIFY2(QFileInfo(db()->resolvePath(file)).size() < limit, qPrintable(file));
        m_form->prepareFilters();
        list().moveTo(row);
        m_log.answer = QMessageBox::Yes;
        {
            FileSizeLimit sizeLimit(limit);
            QVERIFY(sizeLimit.active());
            m_form->Button4Click();
        }
        QCOMPARE(m_log.boxes.size(), 2);
        QCOMPARE(m_log.boxes[1].caption, QStringLiteral("提示"));
    }

    QList<QWidget *> everyCommand() const
    {
        QList<QWidget *> all = m_form->unitDependentControls();
        all << m_form->Button2 << m_form->BitBtn7 << m_form->SpeedButton16 << m_form->SpeedButton26
            << m_form->ComboBox2 << m_form->SpeedButton24;
        return all;
    }

private slots:
    void initTestCase() { buildShippedTables(m_shipped.path()); }

    void init()
    {
        m_log.start();
        reopenOnFreshFolder();
        addUnit();
    }

    void cleanup()
    {
        m_form.reset();
        m_dm.reset();
        MessageLog::stop();
        m_dir.reset();
    }

    void listsTheCategoryAndYearNumbered()
    {
        addComplete(QStringLiteral("2006000001"), QStringLiteral("1"), QStringLiteral("甲"));
        addComplete(QStringLiteral("2005000001"), QStringLiteral("1"), QStringLiteral("乙"));
        addComplete(QStringLiteral("2006000002"), QStringLiteral("2"), QStringLiteral("丙"));
        addComplete(QStringLiteral("2006000003"), QStringLiteral("1"), QStringLiteral("丁"));
        m_form->prepareFilters();

        QCOMPARE(m_form->cbYear->count(), 2);
        QCOMPARE(m_form->cbYear->currentText(), QStringLiteral("2006"));
        QCOMPARE(m_form->cbYear->itemText(1), QStringLiteral("2005"));
        QCOMPARE(listColumn(QStringLiteral("ITEM_3")), QStringList({QStringLiteral("甲"), QStringLiteral("丁")}));
        QCOMPARE(listColumn(QStringLiteral("NO")), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
        QCOMPARE(list().recNo(), 0);
        QCOMPARE(CurrentListSql, list().sql());
        QVERIFY(!m_form->btn_page02->isHidden());

        // The grid shows the four columns with their titles.
        QAbstractItemModel *grid = m_form->DBGrid1->model();
        QCOMPARE(grid->columnCount(), 4);
        QCOMPARE(grid->headerData(0, Qt::Horizontal).toString(), QStringLiteral("序号"));
        QCOMPARE(grid->headerData(3, Qt::Horizontal).toString(), QStringLiteral("成果完成单位"));
        QCOMPARE(m_form->DBGrid1->horizontalHeader()->sectionSize(2), 255);

        m_form->ComboBox1->setCurrentIndex(1);
        m_form->ComboBox1Change();
        QCOMPARE(listColumn(QStringLiteral("ITEM_3")), QStringList({QStringLiteral("丙")}));
        QVERIFY(m_form->btn_page02->isHidden());

        m_form->ComboBox1->setCurrentIndex(0);
        m_form->cbYear->setCurrentIndex(1);
        m_form->ComboBox1Change();
        QCOMPARE(listColumn(QStringLiteral("ITEM_3")), QStringList({QStringLiteral("乙")}));
        QVERIFY(!m_form->btn_page02->isHidden());
    }

    void yearListFromTheData()
    {
        Query &years = *m_dm->tempquery;
        years.setSql(QStringLiteral("select item_4 from kjcg order by item_4 desc"));
        years.open();
        m_form->FillYearCombo(m_form->cbYear, years);
        QCOMPARE(m_form->cbYear->count(), 1);
        QCOMPARE(m_form->cbYear->itemText(0), QString::number(QDate::currentDate().year()));
        QCOMPARE(m_form->cbYear->currentIndex(), -1);

        addComplete(QStringLiteral("2006000002"), QStringLiteral("1"), QStringLiteral("甲"));
        addComplete(QStringLiteral("2005000001"), QStringLiteral("2"), QStringLiteral("乙"));
        addComplete(QStringLiteral("2006000001"), QStringLiteral("3"), QStringLiteral("丙"));
        years.close();
        years.open();
        m_form->FillYearCombo(m_form->cbYear, years);
        QCOMPARE(m_form->cbYear->count(), 2);
        QCOMPARE(m_form->cbYear->itemText(0), QStringLiteral("2006"));
        QCOMPARE(m_form->cbYear->itemText(1), QStringLiteral("2005"));
        QCOMPARE(m_form->cbYear->currentIndex(), 0);
    }

    void marksFromTheRulesAndThePersons()
    {
        const QString page2Field = ruleFieldOf(db(), QStringLiteral("1"), QStringLiteral("02"));
        const QString otherField = ruleFieldOf(db(), QStringLiteral("2"), QStringLiteral("01"));
        QVERIFY(!page2Field.isEmpty());
        QVERIFY(!otherField.isEmpty());
        addComplete(QStringLiteral("2006000001"), QStringLiteral("1"), QStringLiteral("完整"));
        addAchievement(db(), QStringLiteral("2006000002"), QStringLiteral("1"), QStringLiteral("缺人员"));
        addAchievement(db(), QStringLiteral("2006000003"), QStringLiteral("1"), QStringLiteral("缺知识产权"),
                       Region, {page2Field});
        addPerson(db(), QStringLiteral("2006000003"), Region, QStringLiteral("张三"));
        // A person of another region does not count for this record.
        addPerson(db(), QStringLiteral("2006000002"), QStringLiteral("X01"), QStringLiteral("李四"));
        m_form->prepareFilters();

        selectRow(0);
        QVERIFY(notDone().isEmpty());
        QVERIFY(disabled(m_form->lockSet()).isEmpty());
        QVERIFY(m_log.boxes.isEmpty());

        selectRow(1);
        QCOMPARE(current(QStringLiteral("ITEM_3")), QStringLiteral("缺人员"));
        QCOMPARE(notDone(), QStringList({QStringLiteral("btn_page08")}));
        QCOMPARE(disabled(m_form->lockSet()), lockNames());
        QVERIFY(m_form->Button4->isEnabled());
        QVERIFY(m_form->Button2->isEnabled());
        QVERIFY(m_form->BitBtn3->isEnabled());
        QVERIFY(m_form->btn_page08->isEnabled());
        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(m_log.boxes[0].caption, QStringLiteral("提示信息"));
        QCOMPARE(m_log.boxes[0].text, QStringLiteral("当前项目有未完成栏目，请您填写完毕!"));
        QCOMPARE(m_log.boxes[0].icon, QMessageBox::Information);

        list().moveTo(2);
        m_form->MarkIncompletePages();
        QVERIFY(!m_form->CheckPagesDone());
        QCOMPARE(notDone(), QStringList({QStringLiteral("btn_page02")}));

        addPerson(db(), QStringLiteral("2006000002"), Region, QStringLiteral("王五"));
        list().moveTo(1);
        m_form->MarkIncompletePages();
        QVERIFY(m_form->CheckPagesDone());
        QVERIFY(disabled(m_form->lockSet()).isEmpty());

        // Category 2 asks other fields and never page 2.
        addAchievement(db(), QStringLiteral("2006000004"), QStringLiteral("2"), QStringLiteral("软"),
                       Region, {otherField, page2Field});
        addPerson(db(), QStringLiteral("2006000004"), Region, QStringLiteral("赵六"));
        m_form->ComboBox1->setCurrentIndex(1);
        m_form->ComboBox1Change();
        QCOMPARE(notDone(), QStringList({QStringLiteral("btn_page01")}));
        QVERIFY(!m_form->CheckPagesDone());
    }

    void emptyListUnlocks()
    {
        m_form->prepareFilters();
        QCOMPARE(list().recordCount(), 0);
        m_form->ComboBox1Change();
        QVERIFY(notDone().isEmpty());
        QVERIFY(disabled(m_form->lockSet()).isEmpty());
    }

    void deletesOneRecordWithItsChildRows()
    {
        const QStringList numbers = {QStringLiteral("2006000001"), QStringLiteral("2006000002"),
                                     QStringLiteral("2006000003"), QStringLiteral("2006000004"),
                                     QStringLiteral("2006000005")};
        const QStringList names = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                                   QStringLiteral("四"), QStringLiteral("五")};
        for (int i = 0; i < numbers.size(); ++i) {
            addAchievement(db(), numbers[i], QStringLiteral("1"), names[i]);
            if (i != 2)  // the third has no person: it is incomplete
                addChildren(db(), numbers[i], Region);
        }
        // Another region's record under the same number as the second.
        const QString other = QStringLiteral("X01");
        addAchievement(db(), numbers[1], QStringLiteral("2"), QStringLiteral("外地"), other);
        addChildren(db(), numbers[1], other);
        m_form->prepareFilters();
        list().moveTo(1);

        m_log.answer = QMessageBox::Yes;
        m_form->Button4Click();

        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(m_log.boxes[0].caption, QStringLiteral("提示信息"));
        QCOMPARE(m_log.boxes[0].text, QStringLiteral("是否删除'二'项目?"));
        QCOMPARE(m_log.boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(m_log.boxes[0].icon, QMessageBox::Information);

        QCOMPARE(listColumn(QStringLiteral("ITEM_3")),
                 QStringList({QStringLiteral("一"), QStringLiteral("三"), QStringLiteral("四"),
                              QStringLiteral("五")}));
        QCOMPARE(listColumn(QStringLiteral("NO")),
                 QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                              QStringLiteral("4")}));
        QCOMPARE(current(QStringLiteral("ITEM_3")), QStringLiteral("三"));
        QCOMPARE(current(QStringLiteral("NO")), QStringLiteral("2"));
        QCOMPARE(m_form->DBGrid1->currentIndex().row(), 1);

        for (const QString &child : {QStringLiteral("cgwcr.DBF"), QStringLiteral("cgwcdw.DBF"),
                                     QStringLiteral("jdwyhmd.DBF"), QStringLiteral("zlqk.dbf")}) {
            QCOMPARE(countRows(db(), child, keyFilter(numbers[1], Region)), 0);
            QCOMPARE(countRows(db(), child, keyFilter(numbers[1], other)), 1);
            QCOMPARE(countRows(db(), child, keyFilter(numbers[0], Region)), 1);
            QCOMPARE(countRows(db(), child), 4);
        }
        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF"), keyFilter(numbers[1], other)), 1);
        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF")), 5);

        // The lock now speaks for the record shown, which has no person.
        QCOMPARE(notDone(), QStringList({QStringLiteral("btn_page08")}));
        QCOMPARE(disabled(m_form->lockSet()), lockNames());
        QVERIFY(m_form->Button4->isEnabled());
    }

    void declinedDeleteChangesNothing()
    {
        addComplete(QStringLiteral("2006000001"), QStringLiteral("1"), QStringLiteral("甲"));
        m_form->prepareFilters();
        m_log.answer = QMessageBox::No;
        m_form->Button4Click();
        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(list().recordCount(), 1);
        QCOMPARE(countRows(db(), QStringLiteral("cgwcr.DBF")), 1);
    }

    void deletingTheLastRowsKeepsTheFirstCurrent()
    {
        addComplete(QStringLiteral("2006000001"), QStringLiteral("1"), QStringLiteral("甲"));
        addComplete(QStringLiteral("2006000002"), QStringLiteral("1"), QStringLiteral("乙"));
        m_form->prepareFilters();
        m_log.answer = QMessageBox::Yes;
        list().moveTo(1);
        m_form->Button4Click();
        QCOMPARE(listColumn(QStringLiteral("ITEM_3")), QStringList({QStringLiteral("甲")}));
        QCOMPARE(list().recNo(), 0);

        m_form->Button4Click();
        QCOMPARE(list().recordCount(), 0);
        QVERIFY(notDone().isEmpty());
        QVERIFY(disabled(m_form->lockSet()).isEmpty());
        // The year list is not refilled by a delete.
        QCOMPARE(m_form->cbYear->currentText(), QStringLiteral("2006"));
        m_form->Button4Click();
        QCOMPARE(m_log.boxes.size(), 2);
    }

    // The main row cannot be deleted (its place in the file cannot be
    // written): the record keeps every child row, and the list is the
    // select of the category and year again, on the same record.
    void aMainRowThatCannotBeDeletedKeepsTheWholeRecord()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        const QString kjcg = QStringLiteral("kjcg.DBF");
        for (const char *n : {"2006000001", "2006000002", "2006000003"}) {
            addAchievement(db(), QString::fromLatin1(n), QStringLiteral("1"), QString::fromLatin1(n));
            addChildren(db(), QString::fromLatin1(n), Region);
        }
        const qint64 lastRowAt = QFileInfo(db()->resolvePath(kjcg)).size() - 1;
        const QString target = QStringLiteral("2006000004");
        addAchievement(db(), target, QStringLiteral("1"), QStringLiteral("末"));
        addChildren(db(), target, Region);
        const QStringList children = {QStringLiteral("cgwcr.DBF"), QStringLiteral("cgwcdw.DBF"),
                                      QStringLiteral("jdwyhmd.DBF"), QStringLiteral("zlqk.dbf")};
        deleteWhileWritesFailFrom(3, lastRowAt, children);
        if (QTest::currentTestFailed())
            return;

        QCOMPARE(countRows(db(), kjcg, keyFilter(target, Region)), 1);
        for (const QString &child : children)
            QCOMPARE(countRows(db(), child, keyFilter(target, Region)), 1);
        QVERIFY(list().isOpen());
        QVERIFY(list().sql().trimmed().startsWith(QStringLiteral("select"), Qt::CaseInsensitive));
        QCOMPARE(CurrentListSql, list().sql());
        QCOMPARE(list().recordCount(), 4);
        QCOMPARE(current(QStringLiteral("ITEM_4")), target);
        QVERIFY(notDone().isEmpty());
        QVERIFY(disabled(m_form->lockSet()).isEmpty());
    }

    // A child table that cannot follow: the record is gone all the same, and
    // the list is read again, renumbered, with its lock on the next record.
    void childRowsThatCannotBeDeletedLeaveNoHalfRecord()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        const QString target = QStringLiteral("2006000001");
        addAchievement(db(), target, QStringLiteral("1"), QStringLiteral("甲"));
        addAchievement(db(), QStringLiteral("2006000002"), QStringLiteral("1"), QStringLiteral("乙"));
        // Persons of the other record put the target's person far into its file.
        for (int i = 0; i < 60; ++i)
            addPerson(db(), QStringLiteral("2006000002"), Region, QStringLiteral("人%1").arg(i));
        addChildren(db(), target, Region);
        const qint64 personsEnd = QFileInfo(db()->resolvePath(QStringLiteral("cgwcr.DBF"))).size();
        deleteWhileWritesFailFrom(0, personsEnd - 400,
                                  {QStringLiteral("kjcg.DBF"), QStringLiteral("cgwcdw.DBF"),
                                   QStringLiteral("jdwyhmd.DBF"), QStringLiteral("zlqk.dbf")});
        if (QTest::currentTestFailed())
            return;

        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF"), keyFilter(target, Region)), 0);
        QCOMPARE(countRows(db(), QStringLiteral("cgwcdw.DBF"), keyFilter(target, Region)), 0);
        QCOMPARE(countRows(db(), QStringLiteral("cgwcr.DBF"), keyFilter(target, Region)), 1);
        QCOMPARE(CurrentListSql, list().sql());
        QCOMPARE(listColumn(QStringLiteral("ITEM_3")), QStringList{QStringLiteral("乙")});
        QCOMPARE(listColumn(QStringLiteral("NO")), QStringList{QStringLiteral("1")});
        QCOMPARE(current(QStringLiteral("ITEM_3")), QStringLiteral("乙"));
        QVERIFY(notDone().isEmpty());
    }

    void firstRunDisablesTheCommands()
    {
        reopenOnFreshFolder();
        QVERIFY(m_dm->Tblunit->isEmpty());
        m_form->prepareFilters();
        QStringList expected;
        for (QWidget *w : m_form->unitDependentControls())
            expected << w->objectName();
        QCOMPARE(expected.size(), 18);
        QCOMPARE(disabled(everyCommand()), sorted(expected));

        addUnit();
        m_form->prepareFilters();
        QVERIFY(disabled(everyCommand()).isEmpty());
    }

    void firstRunShowsTheUnitPage()
    {
        reopenOnFreshFolder();
        TFpage4a page;
        Fpage4a = &page;
        ModalHelper helper([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
        m_form->FormShow();
        Fpage4a = nullptr;
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), QStringLiteral("单位情况"));
        QVERIFY(!m_form->Button1->isEnabled());
        QVERIFY(m_form->Button2->isEnabled());
        QVERIFY(m_form->ComboBox2->count() > 0);
        QVERIFY(m_form->Edit2->isHidden());
    }

    void closeQuestionForTheCurrentRecord()
    {
        addAchievement(db(), QStringLiteral("2006000001"), QStringLiteral("1"), QStringLiteral("甲"));
        m_form->prepareFilters();
        m_form->MarkIncompletePages();

        m_log.answer = QMessageBox::Cancel;
        QCloseEvent refused;
        QCoreApplication::sendEvent(m_form.get(), &refused);
        QVERIFY(!refused.isAccepted());
        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(m_log.boxes[0].caption, QStringLiteral("提示信息"));
        QCOMPARE(m_log.boxes[0].text, QStringLiteral("成果完成人员名单没有填完,是否以后再填写该项目？？"));
        QCOMPARE(m_log.boxes[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);

        m_log.answer = QMessageBox::Ok;
        QCloseEvent allowed;
        QCoreApplication::sendEvent(m_form.get(), &allowed);
        QVERIFY(allowed.isAccepted());

        addPerson(db(), QStringLiteral("2006000001"), Region, QStringLiteral("张三"));
        m_form->MarkIncompletePages();
        QCloseEvent silent;
        QCoreApplication::sendEvent(m_form.get(), &silent);
        QVERIFY(silent.isAccepted());
        QCOMPARE(m_log.boxes.size(), 2);
    }

    void keepsItsSizeAndNames()
    {
        QCOMPARE(m_form->size(), QSize(800, 570));
        m_form->resize(900, 700);
        QCOMPARE(m_form->size(), QSize(800, 570));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Dravik【LumetV5.0】"));
        QCOMPARE(ExchangeNames,
                 QStringList({QStringLiteral("KJCG"), QStringLiteral("CGWCDW"), QStringLiteral("CGWCR"),
                              QStringLiteral("JDWYHMD"), QStringLiteral("ZLQK"), QStringLiteral("unit"),
                              QStringLiteral("expert")}));
        for (const char *name : {"Button1", "Button5", "Button4", "BitBtn1", "BitBtn2", "BitBtn4",
                                 "BitBtn3", "Button2", "BitBtn7"})
            QVERIFY2(m_form->findChild<QPushButton *>(QLatin1String(name)), name);
        QCOMPARE(m_form->findChild<QToolButton *>(QStringLiteral("SpeedButton16"))->text(),
                 QStringLiteral("查询"));
    }

    void startUpMakesEveryWindowOnceInOrder()
    {
        m_form.reset();
        m_dm.reset();
        {
            StartUp::Windows windows(dataPath());
            QStringList order = windows.creationOrder();
            QCOMPARE(order.size(), 36);
            QCOMPARE(order.mid(0, 5), QStringList({QStringLiteral("TMainForm"), QStringLiteral("Tformwel"),
                                                   QStringLiteral("TFpage6"), QStringLiteral("TDM"),
                                                   QStringLiteral("TFormTree")}));
            QCOMPARE(order.last(), QStringLiteral("TFormstudy"));
            QCOMPARE(order.removeDuplicates(), 0);
            QVERIFY(MainForm);
            QVERIFY(DM);
            QVERIFY(formwel);
            QCOMPARE(formwel->windowTitle(), QStringLiteral("国家DravikLumet〔V5.0〕"));
            QCOMPARE(formwel->size(), QSize(807, 600));
            // Once its time is up the splash no longer waits.
            formwel->Timer1Timer();
            formwel->showSplash();
            QVERIFY(formwel->timeIsUp());
        }
        QCOMPARE(MainForm, nullptr);
        QCOMPARE(DM, nullptr);
        QVERIFY(QFile::remove(QDir(dataPath()).filePath(QStringLiteral("unit.dbf"))));
        QVERIFY_THROWS_EXCEPTION(DbError, StartUp::Windows{dataPath()});
        QCOMPARE(MainForm, nullptr);
    }

    void aSecondCopyFindsTheLockTaken()
    {
        QTemporaryDir runtime;
        StartUp::SingleInstance first(runtime.path());
        QVERIFY(first.lockPath().contains(AppInfo::applicationTitle()));
        QVERIFY(first.tryAcquire());
        StartUp::SingleInstance second(runtime.path());
        QVERIFY(!second.tryAcquire());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
