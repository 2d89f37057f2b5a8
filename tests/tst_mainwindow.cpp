// The main window over a data folder of its own: the list of a category and
// year, the section marks and the lock, the delete, the first-run state and
// the close question; and the start-up's windows and single-instance lock.
#include "records/widgets/AppInfo.h"
#include "records/data/Numbering.h"
#include "engine/DbError.h"
#include "app/StartUp.h"
#include "app/DataFolderLock.h"
#include "engine/DbfFile.h"
#include "records/unit/Unitpage4a.h"
#include "app/Unitwel.h"
#include "support/FileSizeLimit.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"
#include "support/StandingClock.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QLocale>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {
const QString Region = u"."_s;
}

namespace {

// What another user who may write the tables finds when taking the lock.
// The administrator opens every file: a child process then runs as nobody.
// Anyone else stands in for a user who may not write the lock file.
DataFolderLock::Outcome asSecondUser(const QString &data, const QByteArray &lockFile)
{
    if (::geteuid() != 0) {
        ::chmod(lockFile.constData(), 0444);
        return DataFolderLock(data).acquire();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(int(DataFolderLock(data).acquire()));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) >= 100)
        qFatal("the second user's copy did not run");
    return DataFolderLock::Outcome(WEXITSTATUS(status));
}

// The program and a fresh copy of the shipped data folder beside it.
QString installProgram(const QString &folder)
{
    const QString program = QDir(folder).filePath(u"dravik"_s);
    if (!QFile::copy(QStringLiteral(DRAVIK_BINARY_DIR "/dravik"), program))
        return QString();
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner | QFileDevice::ExeOther
                                       | QFileDevice::ReadOther);
    const QDir shipped(QStringLiteral(DRAVIK_BINARY_DIR "/data-dist"));
    const QDir data(QDir(folder).filePath(u"data"_s));
    QDir().mkpath(data.path());
    for (const QString &file : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(file), data.filePath(file));
    return program;
}

QByteArray gbkOrUtf8(const QString &text)
{
    return text.toLocal8Bit();
}

// Whether the process has a file of that name open (what /proc shows).
bool holdsOpen(qint64 pid, const QString &fileName)
{
    const QDir fds(u"/proc/%1/fd"_s.arg(pid));
    for (const QString &fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (QFileInfo(fds.filePath(fd)).symLinkTarget().endsWith(fileName, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QProcessEnvironment programEnvironment(const QString &runtime)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    return environment;
}

void startProgram(QProcess &process, const QString &program, const QString &runtime)
{
    process.setProcessEnvironment(programEnvironment(runtime));
    process.start(program, {});
    QVERIFY(process.waitForStarted(10000));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;

    Database *db() const { return f.db(); }
    Query &list() const { return f.list(); }
    TMainForm *form() const { return f.main(); }

    static int liveMainWindows()
    {
        int count = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            count += qobject_cast<TMainForm *>(w) ? 1 : 0;
        return count;
    }

    QStringList listColumn(const QString &field) const
    {
        QStringList values;
        for (int row = 0; row < list().recordCount(); ++row)
            values << list().textAt(row, list().fieldIndex(field));
        return values;
    }

    QString current(const QString &field) const { return list().asString(field); }

    static QStringList disabled(const QList<QWidget *> &controls)
    {
        QStringList names;
        for (QWidget *w : controls) {
            if (!w->isEnabled())
                names << w->objectName();
        }
        names.sort();
        return names;
    }

    void selectRow(int row)
    {
        form()->DBGrid1->selectionModel()->setCurrentIndex(form()->DBGrid1->model()->index(row, 0),
                                                           QItemSelectionModel::ClearAndSelect
                                                               | QItemSelectionModel::Rows);
        form()->DBGrid1CellClick();
    }

    // The lock: every control of the set disabled, "删除" never.
    void verifyLocked(bool locked)
    {
        QStringList names
            = {u"DBGrid1"_s, u"ComboBox1"_s, u"cbYear"_s,  u"SpeedButton16"_s, u"SpeedButton26"_s,
               u"Button1"_s, u"Button5"_s,   u"BitBtn1"_s, u"BitBtn2"_s,       u"BitBtn4"_s};
        names.sort();
        QCOMPARE(disabled(form()->lockSet()), locked ? names : QStringList());
        QVERIFY(form()->Button4->isEnabled());
    }

    // "删除" on the list's row `row`, answered yes while every write at or
    // beyond `limit` fails (the files named lie wholly below it): the
    // question, then the error in a box captioned "提示".
    void deleteWhileWritesFailFrom(int row, qint64 limit, const QStringList &filesBelow)
    {
        for (const QString &file : filesBelow)
            QVERIFY2(QFileInfo(db()->resolvePath(file)).size() < limit, qPrintable(file));
        form()->prepareFilters();
        list().moveTo(row);
        {
            FileSizeLimit sizeLimit(limit);
            QVERIFY(sizeLimit.active());
            form()->Button4Click();
        }
        QCOMPARE(m_log.boxes.size(), 2);
        QCOMPARE(m_log.boxes[1].caption, u"提示"_s);
    }

private slots:
    // Today is 2029-01-29 for the whole program.
    void initTestCase()
    {
        Clock::standAt(QDateTime(QDate(2029, 1, 29), QTime(10, 0)));
        f.buildOnce();
    }
    void init()
    {
        m_log.clear();
        f.open();
    }
    void cleanup() { f.stop(); }

    void listsTheCategoryAndYearNumbered()
    {
        addComplete(db(), u"2006000001"_s, u"1"_s, u"甲"_s);
        addComplete(db(), u"2005000001"_s, u"1"_s, u"乙"_s);
        addComplete(db(), u"2006000002"_s, u"2"_s, u"丙"_s);
        addComplete(db(), u"2006000003"_s, u"1"_s, u"丁"_s);
        form()->prepareFilters();

        QCOMPARE(listColumn(u"ITEM_3"_s), QStringList({"甲", "丁"}));
        QCOMPARE(listColumn(u"NO"_s), QStringList({"1", "2"}));
        QCOMPARE(list().recNo(), 0);
        QCOMPARE(form()->CurrentListSql, list().sql());
        QVERIFY(!form()->sectionButton(u"btn_page02"_s)->isHidden());

        form()->ComboBox1->setCurrentIndex(1);
        form()->ComboBox1Change();
        QCOMPARE(listColumn(u"ITEM_3"_s), QStringList({"丙"}));
        QVERIFY(form()->sectionButton(u"btn_page02"_s)->isHidden());

        form()->ComboBox1->setCurrentIndex(0);
        form()->cbYear->setCurrentIndex(1);
        form()->ComboBox1Change();
        QCOMPARE(listColumn(u"ITEM_3"_s), QStringList({"乙"}));
        QVERIFY(!form()->sectionButton(u"btn_page02"_s)->isHidden());
    }

    void yearListFromTheData()
    {
        Query &years = *f.dm()->tempquery;
        years.setSql(u"select item_4 from kjcg order by item_4 desc"_s);
        years.open();
        form()->FillYearCombo(form()->cbYear, years);
        QCOMPARE(form()->cbYear->count(), 1);
        QCOMPARE(form()->cbYear->itemText(0), u"2029"_s);
        QCOMPARE(form()->cbYear->currentIndex(), -1);

        addComplete(db(), u"2006000002"_s, u"1"_s, u"甲"_s);
        addComplete(db(), u"2005000001"_s, u"2"_s, u"乙"_s);
        addComplete(db(), u"2006000001"_s, u"3"_s, u"丙"_s);
        years.close();
        years.open();
        form()->FillYearCombo(form()->cbYear, years);
        QCOMPARE(form()->cbYear->count(), 2);
        QCOMPARE(form()->cbYear->itemText(0), u"2006"_s);
        QCOMPARE(form()->cbYear->itemText(1), u"2005"_s);
        QCOMPARE(form()->cbYear->currentIndex(), 0);
    }

    void marksFromTheRulesAndThePersons()
    {
        // Required of applied technology on page 2; of the other two
        // categories on page 1.
        const QString page2Field = u"ITEM_32"_s;
        const QString otherField = u"ITEM_210"_s;
        addComplete(db(), u"2006000001"_s, u"1"_s, u"完整"_s);
        addAchievement(db(), u"2006000002"_s, u"1"_s, u"缺人员"_s);
        addAchievement(db(), u"2006000003"_s, u"1"_s, u"缺知识产权"_s, Region, {page2Field});
        addPerson(db(), u"2006000003"_s, Region, u"张三"_s);
        // A person of another region does not count for this record.
        addPerson(db(), u"2006000002"_s, u"X01"_s, u"李四"_s);
        form()->prepareFilters();
        // The marks count the persons without filtering the persons table,
        // which other windows read.
        const QString personsFilter = f.dm()->TblCgwcr->filter();

        selectRow(0);
        QVERIFY(f.notDone().isEmpty());
        verifyLocked(false);
        QVERIFY(m_log.boxes.isEmpty());

        selectRow(1);
        QCOMPARE(current(u"ITEM_3"_s), u"缺人员"_s);
        QCOMPARE(f.notDone(), QStringList{"btn_page08"});
        verifyLocked(true);
        QVERIFY(form()->Button2->isEnabled() && form()->BitBtn3->isEnabled()
                && form()->sectionButton(u"btn_page08"_s)->isEnabled());
        QCOMPARE(m_log.texts(), QStringList{"当前项目有未完成栏目，请您填写完毕!"});
        QCOMPARE(m_log.lastCaption(), u"提示信息"_s);
        QCOMPARE(m_log.boxes[0].icon, QMessageBox::Information);

        list().moveTo(2);
        form()->MarkIncompletePages();
        QVERIFY(!form()->CheckPagesDone());
        QCOMPARE(f.notDone(), QStringList{"btn_page02"});

        addPerson(db(), u"2006000002"_s, Region, u"王五"_s);
        list().moveTo(1);
        form()->MarkIncompletePages();
        QVERIFY(form()->CheckPagesDone());
        verifyLocked(false);
        QCOMPARE(f.dm()->TblCgwcr->filter(), personsFilter);

        // Category 2 asks other fields and never page 2.
        addAchievement(db(), u"2006000004"_s, u"2"_s, u"软"_s, Region, {otherField, page2Field});
        addPerson(db(), u"2006000004"_s, Region, u"赵六"_s);
        form()->ComboBox1->setCurrentIndex(1);
        form()->ComboBox1Change();
        QCOMPARE(f.notDone(), QStringList{"btn_page01"});
        QVERIFY(!form()->CheckPagesDone());
        verifyLocked(true);

        // So does the third category.
        addAchievement(db(), u"2006000005"_s, u"3"_s, u"基础"_s, Region, {otherField});
        addPerson(db(), u"2006000005"_s, Region, u"孙七"_s);
        form()->ComboBox1->setCurrentIndex(2);
        form()->ComboBox1Change();
        QCOMPARE(current(u"ITEM_3"_s), u"基础"_s);
        QCOMPARE(f.notDone(), QStringList{"btn_page01"});
        verifyLocked(true);
    }

    void deletesOneRecordWithItsChildRows()
    {
        const QStringList numbers = {"2006000001", "2006000002", "2006000003", "2006000004", "2006000005"};
        const QStringList names = {"一", "二", "三", "四", "五"};
        for (int i = 0; i < numbers.size(); ++i) {
            addAchievement(db(), numbers[i], u"1"_s, names[i]);
            if (i != 2) // the third has no person: it is incomplete
                addChildren(db(), numbers[i], Region);
        }
        // Another region's record under the same number as the second.
        const QString other = u"X01"_s;
        addAchievement(db(), numbers[1], u"2"_s, u"外地"_s, other);
        addChildren(db(), numbers[1], other);
        form()->prepareFilters();
        list().moveTo(1);

        m_log.answer = QMessageBox::No;
        form()->Button4Click();
        QCOMPARE(list().recordCount(), 5);
        QCOMPARE(countRows(db(), u"cgwcr.DBF"_s), 5);

        m_log.answer = QMessageBox::Yes;
        form()->Button4Click();
        QCOMPARE(m_log.texts(), QStringList({"是否删除'二'项目?", "是否删除'二'项目?"}));
        QCOMPARE(m_log.lastCaption(), u"提示信息"_s);
        QCOMPARE(m_log.boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);

        QCOMPARE(listColumn(u"ITEM_3"_s), QStringList({"一", "三", "四", "五"}));
        QCOMPARE(listColumn(u"NO"_s), QStringList({"1", "2", "3", "4"}));
        QCOMPARE(current(u"ITEM_3"_s), u"三"_s);
        QCOMPARE(current(u"NO"_s), u"2"_s);
        QCOMPARE(form()->DBGrid1->currentIndex().row(), 1);

        for (const QString &child : ChildFiles) {
            QCOMPARE(countRows(db(), child, keyFilter(numbers[1], Region)), 0);
            QCOMPARE(countRows(db(), child, keyFilter(numbers[1], other)), 1);
            QCOMPARE(countRows(db(), child, keyFilter(numbers[0], Region)), 1);
            QCOMPARE(countRows(db(), child), 4);
        }
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s, keyFilter(numbers[1], other)), 1);
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 5);

        // The lock now speaks for the record shown, which has no person.
        QCOMPARE(f.notDone(), QStringList{"btn_page08"});
        verifyLocked(true);
        for (const Table *children : {f.dm()->TblCgwcdw, f.dm()->tblzlqk, f.dm()->Tbljdwyhmd, f.dm()->TblCgwcr})
            QVERIFY2(!children->filtered(), qPrintable(children->filter()));
    }

    void deletingTheLastRowsKeepsTheFirstCurrent()
    {
        addComplete(db(), u"2006000001"_s, u"1"_s, u"甲"_s);
        addComplete(db(), u"2006000002"_s, u"1"_s, u"乙"_s);
        form()->prepareFilters();
        list().moveTo(1);
        form()->Button4Click();
        QCOMPARE(listColumn(u"ITEM_3"_s), QStringList{"甲"});
        QCOMPARE(list().recNo(), 0);

        form()->Button4Click();
        QCOMPARE(list().recordCount(), 0);
        QVERIFY(f.notDone().isEmpty());
        verifyLocked(false);
        // The year left with its last record; an empty list asks nothing.
        QCOMPARE(form()->cbYear->count(), 1);
        QCOMPARE(form()->cbYear->itemText(0), u"2029"_s);
        QCOMPARE(form()->cbYear->currentIndex(), -1);
        form()->Button4Click();
        QCOMPARE(m_log.boxes.size(), 2);
    }

    // The main row cannot be deleted (its place in the file cannot be
    // written): the record keeps every child row, and the list is the
    // select of the category and year again, on the same record.
    void aMainRowThatCannotBeDeletedKeepsTheWholeRecord()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        const QString kjcg = u"kjcg.DBF"_s;
        for (const QString &n : {u"2006000001"_s, u"2006000002"_s, u"2006000003"_s}) {
            addAchievement(db(), n, u"1"_s, n);
            addChildren(db(), n, Region);
        }
        const qint64 lastRowAt = QFileInfo(db()->resolvePath(kjcg)).size() - 1;
        const QString target = u"2006000004"_s;
        addAchievement(db(), target, u"1"_s, u"末"_s);
        addChildren(db(), target, Region);
        deleteWhileWritesFailFrom(3, lastRowAt, ChildFiles);
        if (QTest::currentTestFailed())
            return;

        for (const QString &file : ChildFiles + QStringList{kjcg})
            QCOMPARE(countRows(db(), file, keyFilter(target, Region)), 1);
        QVERIFY(list().isOpen());
        QVERIFY(list().sql().trimmed().startsWith(u"select"_s, Qt::CaseInsensitive));
        QCOMPARE(form()->CurrentListSql, list().sql());
        QCOMPARE(list().recordCount(), 4);
        QCOMPARE(current(u"ITEM_4"_s), target);
        QVERIFY(f.notDone().isEmpty());
        verifyLocked(false);
    }

    // A child table that cannot follow: the record is gone all the same, and
    // the list is read again, renumbered, with its lock on the next record.
    void childRowsThatCannotBeDeletedLeaveNoHalfRecord()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        // The largest number of the year: the next new record would take it.
        const QString target = u"2006000003"_s;
        addAchievement(db(), target, u"1"_s, u"甲"_s);
        addAchievement(db(), u"2006000002"_s, u"1"_s, u"乙"_s);
        // Persons of the other record put the target's person far into its file.
        for (int i = 0; i < 60; ++i)
            addPerson(db(), u"2006000002"_s, Region, u"人%1"_s.arg(i));
        addChildren(db(), target, Region);
        const qint64 personsEnd = QFileInfo(db()->resolvePath(u"cgwcr.DBF"_s)).size();
        deleteWhileWritesFailFrom(0, personsEnd - 400, {"kjcg.DBF", "cgwcdw.DBF", "jdwyhmd.DBF", "zlqk.dbf"});
        if (QTest::currentTestFailed())
            return;

        QCOMPARE(countRows(db(), u"kjcg.DBF"_s, keyFilter(target, Region)), 0);
        QCOMPARE(countRows(db(), u"cgwcdw.DBF"_s, keyFilter(target, Region)), 0);
        QCOMPARE(countRows(db(), u"cgwcr.DBF"_s, keyFilter(target, Region)), 1);
        QCOMPARE(form()->CurrentListSql, list().sql());
        QCOMPARE(listColumn(u"ITEM_3"_s), QStringList{"乙"});
        QCOMPARE(listColumn(u"NO"_s), QStringList{"1"});
        QCOMPARE(current(u"ITEM_3"_s), u"乙"_s);
        QVERIFY(f.notDone().isEmpty());
        // The persons left behind are never inherited by a new record.
        QCOMPARE(Numbering::nextNumber(db(), u"2006"_s), u"2006000004"_s);
    }

    void firstRunDisablesTheCommands()
    {
        f.open({}, false);
        QVERIFY(f.dm()->Tblunit->isEmpty());
        form()->prepareFilters();
        QList<QWidget *> every = form()->unitDependentControls();
        QStringList expected;
        for (QWidget *w : every)
            expected << w->objectName();
        expected.sort();
        QCOMPARE(expected.size(), 18);
        every << form()->Button2 << form()->BitBtn7 << form()->SpeedButton16 << form()->SpeedButton26
              << form()->ComboBox2 << form()->SpeedButton24;
        QCOMPARE(disabled(every), expected);

        appendRow(db(), u"unit.dbf"_s, {{u"unitcode"_s, u"9990001000"_s}});
        f.dm()->Tblunit->refresh();
        form()->prepareFilters();
        QVERIFY(disabled(every).isEmpty());
    }

    void firstRunShowsTheUnitPage()
    {
        f.open({}, false);
        TFpage4a *page = f.add(new TFpage4a(form()));
        ModalHelper helper([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
        form()->FormShow();
        delete page;
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), u"单位情况"_s);
        QVERIFY(!form()->Button1->isEnabled());
        QVERIFY(form()->Button2->isEnabled());
        QVERIFY(form()->ComboBox2->count() > 0);
    }

    void closeQuestionForTheCurrentRecord()
    {
        addAchievement(db(), u"2006000001"_s, u"1"_s, u"甲"_s);
        form()->prepareFilters();
        form()->MarkIncompletePages();
        const auto closeAnswered = [&](QMessageBox::StandardButton answer) {
            m_log.answer = answer;
            QCloseEvent event;
            QCoreApplication::sendEvent(form(), &event);
            return event.isAccepted();
        };
        QVERIFY(!closeAnswered(QMessageBox::Cancel));
        QCOMPARE(m_log.texts(), QStringList{"成果完成人员名单没有填完,是否以后再填写该项目？？"});
        QCOMPARE(m_log.lastCaption(), u"提示信息"_s);
        QCOMPARE(m_log.boxes[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QVERIFY(closeAnswered(QMessageBox::Ok));

        addPerson(db(), u"2006000001"_s, Region, u"张三"_s);
        form()->MarkIncompletePages();
        QVERIFY(closeAnswered(QMessageBox::Cancel));
        QCOMPARE(m_log.boxes.size(), 2);
    }

    void startUpMakesEveryWindowOnceInOrder()
    {
        const QString data = f.dataPath();
        f.stop();
        {
            StartUp::Windows windows(data);
            QStringList order = windows.creationOrder();
            QCOMPARE(order.size(), 36);
            QCOMPARE(order.mid(0, 5), QStringList({"TMainForm", "Tformwel", "TFpage6", "TDM", "TFormTree"}));
            QCOMPARE(order.last(), u"TFormstudy"_s);
            QCOMPARE(order.removeDuplicates(), 0);
            QVERIFY(windows.mainForm() && windows.context().window<Tformwel>());
            QCOMPARE(windows.context().window<TMainForm>(), windows.mainForm());
            QCOMPARE(liveMainWindows(), 1);
            // Every window that uses data was handed the context at start-up.
            int wired = 0;
            for (QWidget *w : windows.context().windows()) {
                if (auto *user = dynamic_cast<ContextWindow *>(w)) {
                    QVERIFY2(user->isWired(), w->metaObject()->className());
                    ++wired;
                }
            }
            QVERIFY(wired >= 10);
        }
        QCOMPARE(liveMainWindows(), 0);
        QVERIFY(QFile::remove(QDir(data).filePath(u"unit.dbf"_s)));
        QVERIFY_THROWS_EXCEPTION(DbError, StartUp::Windows{data});
        QCOMPARE(liveMainWindows(), 0);
    }

    // The panel shows the sections in their order, and each button opens its
    // own window on the current record: a button wired to another section's
    // window, or one left out, fails here.
    void eachSectionButtonOpensItsWindow()
    {
        addComplete(db(), u"2006000001"_s, u"1"_s, u"甲"_s);
        const QString data = f.dataPath();
        f.stop();
        StartUp::Windows windows(data);
        TMainForm *main = windows.mainForm();
        main->prepareFilters();
        const QList<QPair<QString, QString>> expected = {
            {u"成果概况"_s, u"TFpage1"_s},         {u"知识产权，成果应用情况"_s, u"TFpage2"_s},
            {u"课题立项，评价情况"_s, u"TFpage3"_s}, {u"第一完成单位情况"_s, u"TFpage4"_s},
            {u"合作完成单位情况"_s, u"TFpage5"_s},   {u"评价委员会名单"_s, u"TFpage7"_s},
            {u"成果完成人员名单"_s, u"TFpage8"_s},   {u"鉴定证书内容"_s, u"TFpage9"_s},
        };
        const QList<SectionButton *> buttons = main->sectionButtons();
        QCOMPARE(buttons.size(), expected.size());
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->text(), expected[i].first);
            QVERIFY(buttons[i]->isEnabled());
            QString opened;
            ModalHelper helper([&](QWidget *modal) {
                opened = QString::fromLatin1(modal->metaObject()->className());
                static_cast<QDialog *>(modal)->reject();
            });
            buttons[i]->click();
            QVERIFY2(helper.ok(), qPrintable(helper.error()));
            QCOMPARE(opened, expected[i].second);
        }
    }

    // The desktop shows the title; Qt's own buttons, dates and sizes read in
    // Chinese whatever the desktop's locale.
    void theApplicationIsSetUpInChinese()
    {
        StartUp::setUpApplication(*qApp);
        // Each window's caption is its whole title: the desktop knows the
        // program by its name and desktop file, and no display name is
        // appended to every caption.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(QCoreApplication::applicationName(), AppInfo::productName());
        QCOMPARE(QGuiApplication::desktopFileName(), u"dravik"_s);
        QCOMPARE(QLocale().language(), QLocale::Chinese);
        QMessageBox box(QMessageBox::Question, u"请注意！"_s, u"记录已经更改,是否保存？"_s,
                        QMessageBox::Yes | QMessageBox::No);
        QVERIFY2(box.button(QMessageBox::Yes)->text().contains(u"是"_s),
                 qPrintable(box.button(QMessageBox::Yes)->text()));
        QVERIFY(box.button(QMessageBox::No)->text().contains(u"否"_s));
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QVERIFY(buttons.button(QDialogButtonBox::Ok)->text().contains(u"确定"_s));
        QVERIFY(buttons.button(QDialogButtonBox::Cancel)->text().contains(u"取消"_s));
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

    // A data folder that two users of the machine share: the lock file the
    // first one made, whatever that user's umask, is taken by the second
    // once the first has quit, and found held while the first runs.
    void theLockIsTakenByEveryUserWhoWritesTheTables()
    {
        QTemporaryDir home;
        QVERIFY(::chmod(QFile::encodeName(home.path()).constData(), 0755) == 0);
        const QString data = QDir(home.path()).filePath(u"data"_s);
        QVERIFY(QDir().mkpath(data));
        QVERIFY(::chmod(QFile::encodeName(data).constData(), 0777) == 0);
        {
            QFile table(QDir(data).filePath(u"kjcg.DBF"_s));
            QVERIFY(table.open(QIODevice::WriteOnly));
        }
        QVERIFY(::chmod(QFile::encodeName(QDir(data).filePath(u"kjcg.DBF"_s)).constData(), 0666) == 0);
        const QByteArray lockFile = QFile::encodeName(QDir(data).filePath(u"dravik.lock"_s));
        for (const mode_t mask : {mode_t(022), mode_t(077)}) {
            QFile::remove(QString::fromLocal8Bit(lockFile));
            const mode_t before = ::umask(mask);
            {
                DataFolderLock first(data);
                const DataFolderLock::Outcome outcome = first.acquire();
                ::umask(before);
                QCOMPARE(outcome, DataFolderLock::Outcome::Acquired);
                QCOMPARE(asSecondUser(data, lockFile), DataFolderLock::Outcome::HeldElsewhere);
            }
            struct stat made {};
            QVERIFY(::stat(lockFile.constData(), &made) == 0);
            QCOMPARE(made.st_mode & 0044, mode_t(0044));
            QCOMPARE(asSecondUser(data, lockFile), DataFolderLock::Outcome::Acquired);
        }
    }

    // A table another user may not write is found whatever the case its
    // file name is written in on the disk.
    void aTableOthersMayNotWriteIsFoundInAnyCase()
    {
        QTemporaryDir home;
        QVERIFY(::chmod(QFile::encodeName(home.path()).constData(), 0755) == 0);
        const QString data = QDir(home.path()).filePath(u"data"_s);
        QVERIFY(QDir().mkpath(data));
        QVERIFY(::chmod(QFile::encodeName(data).constData(), 0777) == 0);
        for (const QString &name : {u"kjcg.dbf"_s, u"CGWCR.dbf"_s}) {
            QFile table(QDir(data).filePath(name));
            QVERIFY(table.open(QIODevice::WriteOnly));
        }
        QVERIFY(::chmod(QFile::encodeName(QDir(data).filePath(u"kjcg.dbf"_s)).constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(QDir(data).filePath(u"CGWCR.dbf"_s)).constData(), 0644) == 0);
        const QByteArray lockFile = QFile::encodeName(QDir(data).filePath(u"dravik.lock"_s));
        QCOMPARE(asSecondUser(data, lockFile), DataFolderLock::Outcome::ReadOnly);
    }

    // Two real copies of the program, each with a runtime folder of its
    // own, on one data folder: the second ends at once without a word and
    // without touching the folder (its start-up pack would replace the
    // files the first has open); once the first is gone the folder is free.
    void oneCopyPerDataFolder()
    {
        QTemporaryDir home;
        const QString program = installProgram(home.path());
        const QString data = QDir(home.path()).filePath(u"data"_s);
        QTemporaryDir firstRuntime;
        QProcess first;
        startProgram(first, program, firstRuntime.path());
        const auto stopFirst = qScopeGuard([&] {
            first.kill();
            first.waitForFinished(10000);
        });
        QTRY_VERIFY_WITH_TIMEOUT(DataFolderLock(data).acquire() == DataFolderLock::Outcome::HeldElsewhere, 30000);
        // Its start-up pack is over once it has the tables open.
        QTRY_VERIFY_WITH_TIMEOUT(holdsOpen(first.processId(), u"cgwcrNew.dbf"_s), 30000);
        // A row the next start-up pack would remove.
        {
            auto kjcg = DbfFile::open(QDir(data).filePath(u"kjcg.dbf"_s));
            kjcg->setDeleted(kjcg->append({{0, u"x"_s}}), true);
        }
        const qint64 packed = QFileInfo(QDir(data).filePath(u"kjcg.dbf"_s)).size();

        QTemporaryDir secondRuntime;
        QProcess second;
        startProgram(second, program, secondRuntime.path());
        QVERIFY2(second.waitForFinished(30000), "the second copy kept running");
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardError(), QByteArray());
        QCOMPARE(QFileInfo(QDir(data).filePath(u"kjcg.dbf"_s)).size(), packed);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(DataFolderLock(data).acquire(), DataFolderLock::Outcome::Acquired);
    }

    // A data folder nothing can be written to: one message naming it, and
    // no attempt at the tables (which would fail one by one).
    void aReadOnlyDataFolderIsOneMessage()
    {
        QTemporaryDir home;
        const QString program = installProgram(home.path());
        const QString data = QDir(home.path()).filePath(u"data"_s);
        QStringList command = {program};
        if (::geteuid() == 0) {
            // The system's administrator writes everywhere: the program
            // runs as nobody instead.
            if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
                QSKIP("setpriv is not installed");
            command = QStringList{u"setpriv"_s, u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s} + command;
            QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                   | QFileDevice::ReadOther | QFileDevice::ExeOther);
        }
        for (const QString &file : QDir(data).entryList(QDir::Files))
            QFile::setPermissions(QDir(data).filePath(file), QFileDevice::ReadOwner | QFileDevice::ReadOther);
        QFile::setPermissions(data, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                        | QFileDevice::ExeOther);
        const auto writable = qScopeGuard([&] {
            QFile::setPermissions(data, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        QTemporaryDir runtime;
        if (::geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(runtime.path()).constData(), 65534, 65534) == 0);
        QProcess copy;
        copy.setProcessEnvironment(programEnvironment(runtime.path()));
        copy.start(command.first(), command.mid(1));
        const auto stop = qScopeGuard([&] {
            copy.kill();
            copy.waitForFinished(10000);
        });
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += copy.readAllStandardError()).contains("\n"_ba) && said.contains(gbkOrUtf8(u"数据文件夹"_s)), 30000);
        const QString message = QString::fromLocal8Bit(said);
        QVERIFY2(message.contains(u"数据文件夹“"_s + QDir::toNativeSeparators(data) + u"”"_s), qPrintable(message));
        QVERIFY2(message.contains(u"只读"_s), qPrintable(message));
        QVERIFY(!message.contains(u"整理数据表"_s));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
