// The completeness lock on every road a user takes through the main window:
// the real window on screen (offscreen), moved through a list of complete
// and incomplete records of two categories and two years with the keys a
// user presses, started, searched and reset, left for the unit page, the
// new-record dialog left without storing, and a delete. After each step the
// section marks, the ten controls of the lock and the question asked before
// closing speak for the record that is current.
#include "engine/DataSet.h"
#include "engine/DbfFile.h"
#include "exchange/Unitout.h"
#include "exchange/core/Archiver.h"
#include "records/data/Numbering.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

const QString Region = u"."_s;
const QString LockWarning = u"当前项目有未完成栏目，请您填写完毕!"_s;
const QString NoPersons = u"成果完成人员名单没有填完,是否以后再填写该项目？？"_s;
const QString NoSummary = u"成果概况没有填完,是否以后再填写该项目？"_s;
const QString NoPage2 = u"知识产权，成果应用情况没有填完,是否以后再填写该项目？"_s;
// A field page 2 requires of applied technology, and one page 1 requires
// of the other categories.
const QString Page2Field = u"ITEM_32"_s;
const QString SoftSummaryField = u"ITEM_210"_s;

// What the main window shows for its current record.
struct Shown
{
    QString name;            // item_3 of the current row
    QStringList notDone;     // section buttons not done
    bool locked = false;     // the ten controls of the lock disabled
    QString closeQuestion;   // asked before closing; empty: closes at once
    int lockedControls = 0;  // how many of the ten are disabled
};

} // namespace

class TestListLock : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;

    TMainForm *form() const { return f.main(); }
    Database *db() const { return f.db(); }
    Query &list() const { return f.list(); }

    // Category 1 of 2006 holds complete records and two incomplete ones
    // (no person; no intellectual-property field); 2005 starts with a
    // record without persons; category 2 of 2006 starts with a record
    // without its summary.
    void addFixture()
    {
        addComplete(db(), u"2006000001"_s, u"1"_s, u"甲"_s);
        addComplete(db(), u"2006000002"_s, u"1"_s, u"乙"_s);
        addAchievement(db(), u"2006000003"_s, u"1"_s, u"丙"_s);
        addComplete(db(), u"2006000004"_s, u"1"_s, u"丁"_s);
        addAchievement(db(), u"2006000005"_s, u"1"_s, u"戊"_s, Region, {Page2Field});
        addPerson(db(), u"2006000005"_s, Region, u"李四"_s);
        addAchievement(db(), u"2005000001"_s, u"1"_s, u"己"_s);
        addComplete(db(), u"2005000002"_s, u"1"_s, u"庚"_s);
        addAchievement(db(), u"2006000006"_s, u"2"_s, u"辛"_s, Region, {SoftSummaryField});
        addPerson(db(), u"2006000006"_s, Region, u"王五"_s);
        addComplete(db(), u"2006000007"_s, u"2"_s, u"壬"_s);
    }

    // The start-up as the program runs it: the window shown, its first
    // show handler run from the event loop.
    void startUp()
    {
        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
        QTRY_VERIFY(form()->ComboBox2->count() > 0);
        QCoreApplication::processEvents();
    }

    // Asked as the window manager asks, answered "Cancel": the window stays.
    QString closeQuestion()
    {
        const qsizetype before = m_log.boxes.size();
        m_log.answers << QMessageBox::Cancel;
        QCloseEvent event;
        QCoreApplication::sendEvent(form(), &event);
        if (m_log.boxes.size() == before) {
            m_log.answers.clear();
            return event.isAccepted() ? QString() : u"<refused without a question>"_s;
        }
        const QString question = m_log.boxes.takeLast().text;
        return event.isAccepted() ? u"<closed after: %1>"_s.arg(question) : question;
    }

    Shown shown()
    {
        Shown s;
        s.name = list().isOpen() && !list().isEmpty() ? list().asString(u"ITEM_3"_s).trimmed()
                                                      : QString();
        s.notDone = f.notDone();
        for (QWidget *w : form()->lockSet())
            s.lockedControls += w->isEnabled() ? 0 : 1;
        s.closeQuestion = closeQuestion();
        return s;
    }

    // One step's expectation; the grid's current row is the list's.
    void verifyShown(const QString &step, const Shown &expected)
    {
        const Shown s = shown();
        const QString where = step + u": "_s;
        QVERIFY2(s.name == expected.name, qPrintable(where + s.name));
        QVERIFY2(s.notDone == expected.notDone, qPrintable(where + s.notDone.join(u',')));
        QVERIFY2(s.lockedControls == (expected.locked ? 10 : 0),
                 qPrintable(where + u"%1 of 10 locked"_s.arg(s.lockedControls)));
        QVERIFY2(s.closeQuestion == expected.closeQuestion, qPrintable(where + s.closeQuestion));
        QVERIFY2(form()->DBGrid1->currentIndex().row() == list().recNo(), qPrintable(where));
        // "删除" is never locked.
        QVERIFY(form()->Button4->isEnabled());
    }

    void key(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(target, key, modifiers);
        QCoreApplication::processEvents();
    }

    // The pages' part: the section saved and the page left.
    void sectionSaved(const QString &button)
    {
        form()->markSectionDone(button);
        form()->pageLeft();
    }

    // A page's save of the current record.
    void fillField(const QString &item4, const QString &field)
    {
        QCOMPARE(list().asString(u"ITEM_4"_s).trimmed(), item4);
        list().edit();
        list().setString(field, u"1"_s);
        list().post();
    }

    QStringList gridColumn(int column) const
    {
        QStringList values;
        const QAbstractItemModel *model = form()->DBGrid1->model();
        for (int row = 0; row < model->rowCount(); ++row)
            values << model->index(row, column).data().toString();
        return values;
    }

    // The controls of the lock that are disabled, by name.
    QStringList lockedNames() const
    {
        QStringList names;
        for (QWidget *w : form()->lockSet()) {
            if (!w->isEnabled())
                names << w->objectName();
        }
        return names;
    }

    QStringList yearItems() const
    {
        QStringList years;
        for (int i = 0; i < form()->cbYear->count(); ++i)
            years << form()->cbYear->itemText(i);
        return years;
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init()
    {
        m_log.clear();
        f.open();
    }
    void cleanup()
    {
        if (form())
            form()->hide();
        f.stop();
    }

    // Down, Up, PageDown, End and Home on the grid, the filters chosen with
    // the keys: every row that becomes current is judged as a click judges
    // it, and an incomplete one keeps the user on it.
    void theKeysMoveTheLockWithTheRecord()
    {
        addFixture();
        startUp();
        QTableView *grid = form()->DBGrid1;
        verifyShown(u"start"_s, {u"甲"_s, {}, false, {}});

        key(grid, Qt::Key_Down);
        verifyShown(u"down to 乙"_s, {u"乙"_s, {}, false, {}});
        QVERIFY(m_log.boxes.isEmpty());

        key(grid, Qt::Key_Down);
        verifyShown(u"down to 丙"_s, {u"丙"_s, {u"btn_page08"_s}, true, NoPersons});
        QCOMPARE(m_log.texts(), QStringList{LockWarning});
        QCOMPARE(m_log.lastCaption(), u"提示信息"_s);
        // The lock holds: the grid takes no more keys.
        key(grid, Qt::Key_Down);
        verifyShown(u"down while locked"_s, {u"丙"_s, {u"btn_page08"_s}, true, NoPersons});

        addPerson(db(), u"2006000003"_s, Region, u"张三"_s);
        sectionSaved(u"btn_page08"_s);
        verifyShown(u"丙 completed"_s, {u"丙"_s, {}, false, {}});

        key(grid, Qt::Key_PageDown);
        verifyShown(u"page down to 戊"_s, {u"戊"_s, {u"btn_page02"_s}, true, NoPage2});
        QCOMPARE(m_log.texts().count(LockWarning), 2);
        fillField(u"2006000005"_s, Page2Field);
        sectionSaved(u"btn_page02"_s);
        verifyShown(u"戊 completed"_s, {u"戊"_s, {}, false, {}});

        key(grid, Qt::Key_Up);
        verifyShown(u"up to 丁"_s, {u"丁"_s, {}, false, {}});
        key(grid, Qt::Key_Home, Qt::ControlModifier);
        verifyShown(u"home to 甲"_s, {u"甲"_s, {}, false, {}});
        key(grid, Qt::Key_End, Qt::ControlModifier);
        verifyShown(u"end to 戊"_s, {u"戊"_s, {}, false, {}});

        // Another category: its first record lacks the summary, and page 2
        // is neither shown nor asked about.
        key(form()->ComboBox1, Qt::Key_Down);
        QCOMPARE(form()->ComboBox1->currentIndex(), 1);
        verifyShown(u"category 2"_s, {u"辛"_s, {u"btn_page01"_s}, true, NoSummary});
        QVERIFY(form()->sectionButton(u"btn_page02"_s)->isHidden());
        fillField(u"2006000006"_s, SoftSummaryField);
        sectionSaved(u"btn_page01"_s);
        key(grid, Qt::Key_Down);
        verifyShown(u"down to 壬"_s, {u"壬"_s, {}, false, {}});

        // Back to category 1, then the year 2005.
        key(form()->ComboBox1, Qt::Key_Up);
        verifyShown(u"category 1"_s, {u"甲"_s, {}, false, {}});
        key(form()->cbYear, Qt::Key_Down);
        QCOMPARE(form()->cbYear->currentText(), u"2005"_s);
        verifyShown(u"year 2005"_s, {u"己"_s, {u"btn_page08"_s}, true, NoPersons});
        QCOMPARE(m_log.texts(), QStringList({LockWarning, LockWarning}));
    }

    // The first record of the list is judged before the user touches it.
    void theStartJudgesTheFirstRecord()
    {
        addAchievement(db(), u"2006000001"_s, u"1"_s, u"无人员"_s);
        addComplete(db(), u"2006000002"_s, u"1"_s, u"完整"_s);
        startUp();
        verifyShown(u"start"_s, {u"无人员"_s, {u"btn_page08"_s}, true, NoPersons});
        QCOMPARE(gridColumn(0), QStringList({"1", "2"}));
    }

    // A search result and the list put back are judged on their first row.
    void searchAndResetJudgeTheirFirstRecord()
    {
        addFixture();
        startUp();
        form()->MMSysV->setPlainText(u" ITEM_3 like '%丙%'"_s);
        form()->SpeedButton16->click();
        verifyShown(u"search"_s, {u"丙"_s, {u"btn_page08"_s}, true, NoPersons});

        addPerson(db(), u"2006000003"_s, Region, u"张三"_s);
        sectionSaved(u"btn_page08"_s);
        form()->MMSysV->setPlainText(u" ITEM_3 like '%乙%'"_s);
        form()->SpeedButton16->click();
        verifyShown(u"search 乙"_s, {u"乙"_s, {}, false, {}});

        // Meanwhile the first record lost its persons (another window's
        // doing): the list put back starts on it.
        db()->execute(u"delete from cgwcr where item_4 = '2006000001'"_s);
        form()->SpeedButton26->click();
        verifyShown(u"reset"_s, {u"甲"_s, {u"btn_page08"_s}, true, NoPersons});
        QVERIFY(m_log.boxes.isEmpty());
    }

    // Leaving the unit page gives back what needs the unit; the lock's
    // controls, the search among them, follow the current record.
    void leavingTheUnitPageKeepsTheLock()
    {
        addFixture();
        startUp();
        key(form()->DBGrid1, Qt::Key_Down);
        key(form()->DBGrid1, Qt::Key_Down);
        verifyShown(u"丙"_s, {u"丙"_s, {u"btn_page08"_s}, true, NoPersons});
        f.context().recordHost().unitPageLeft();
        verifyShown(u"unit page left on 丙"_s, {u"丙"_s, {u"btn_page08"_s}, true, NoPersons});
        for (QWidget *w : {static_cast<QWidget *>(form()->Button4), static_cast<QWidget *>(form()->BitBtn3),
                           static_cast<QWidget *>(form()->sectionButton(u"btn_page01"_s)), static_cast<QWidget *>(form()->sectionButton(u"btn_page08"_s))})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }

    // First run: nothing but the unit page until the unit's row exists;
    // then the lock decides for the record that is current.
    void aFirstRunUnlocksOnlyAGoodRecord()
    {
        f.open({}, false);
        addAchievement(db(), u"2006000001"_s, u"1"_s, u"无人员"_s);
        form()->prepareFilters();
        QVERIFY(!form()->Button1->isEnabled() && !form()->sectionButton(u"btn_page01"_s)->isEnabled());
        QVERIFY(form()->Button2->isEnabled() && form()->BitBtn7->isEnabled());
        // The record is incomplete: the search is locked with the rest.
        QVERIFY(!form()->SpeedButton16->isEnabled());

        appendRow(db(), u"unit.dbf"_s, {{u"unitcode"_s, u"9990001000"_s}});
        f.dm()->Tblunit->refresh();
        f.context().recordHost().unitPageLeft();
        verifyShown(u"unit stored"_s, {u"无人员"_s, {u"btn_page08"_s}, true, NoPersons});
        QVERIFY(form()->sectionButton(u"btn_page08"_s)->isEnabled() && form()->BitBtn3->isEnabled());

        addPerson(db(), u"2006000001"_s, Region, u"张三"_s);
        f.context().recordHost().unitPageLeft();
        verifyShown(u"complete"_s, {u"无人员"_s, {}, false, {}});
    }

    // The dialog's category and year move the main window's list, marks and
    // lock together; leaving it without storing leaves them consistent.
    void theNewRecordDialogLeftWithoutStoring()
    {
        addFixture();
        startUp();
        const auto leaveWithoutStoring = [&](const std::function<void(TFormNew *)> &choose) {
            m_log.answers << QMessageBox::Cancel;  // "退出并储存？"
            ModalHelper helper([&](QWidget *modal) {
                auto *d = qobject_cast<TFormNew *>(modal);
                choose(d);
                d->edt_3->setText(u"未存"_s);
                d->Button2->click();
            });
            form()->Button1->click();
            QVERIFY2(helper.ok(), qPrintable(helper.error()));
            QCOMPARE(m_log.texts(), QStringList{u"退出并储存？"_s});
            m_log.clear();
        };

        leaveWithoutStoring([](TFormNew *d) {
            d->ComboBox1->setCurrentIndex(1);
            emit d->ComboBox1->activated(1);
        });
        QCOMPARE(form()->ComboBox1->currentIndex(), 1);
        verifyShown(u"category chosen"_s, {u"辛"_s, {u"btn_page01"_s}, true, NoSummary});
        QCOMPARE(form()->CurrentListSql, list().sql());

        fillField(u"2006000006"_s, SoftSummaryField);
        sectionSaved(u"btn_page01"_s);
        leaveWithoutStoring([](TFormNew *d) {
            d->ComboBox1->setCurrentIndex(0);
            emit d->ComboBox1->activated(0);
            d->cbYear->edit()->selectAll();
            QTest::keyClicks(d->cbYear->edit(), u"2005"_s);
        });
        QCOMPARE(form()->ComboBox1->currentIndex(), 0);
        QCOMPARE(form()->cbYear->currentText(), u"2005"_s);
        verifyShown(u"year typed"_s, {u"己"_s, {u"btn_page08"_s}, true, NoPersons});
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s, u"item_3='未存'"_s), 0);
    }

    // A new record of a year the list does not show is the first of its
    // own list.
    void aNewRecordIsNumberedInTheListItJoins()
    {
        addFixture();
        startUp();
        ModalHelper helper([&](QWidget *modal) {
            auto *d = qobject_cast<TFormNew *>(modal);
            d->cbYear->setText(u"2004"_s);
            d->edt_3->setText(u"新年份"_s);
            d->Button1->click();
        });
        form()->Button1->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(form()->cbYear->currentText(), u"2004"_s);
        QCOMPARE(list().recordCount(), 1);
        QCOMPARE(list().asString(u"NO"_s).trimmed(), u"1"_s);
        QCOMPARE(gridColumn(0), QStringList{"1"});
        QCOMPARE(yearItems(), QStringList({"2006", "2005", "2004"}));
        QCOMPARE(f.notDone().size(), 8);
        QCOMPARE(closeQuestion(), NoSummary);
    }

    // The last record of a year taken away: the year leaves the year list
    // and the list of the year now chosen is judged on its first record.
    void deletingTheLastRecordOfAYear()
    {
        addComplete(db(), u"2006000001"_s, u"1"_s, u"唯一"_s);
        addAchievement(db(), u"2005000001"_s, u"1"_s, u"己"_s);
        addComplete(db(), u"2005000002"_s, u"2"_s, u"他类"_s);
        startUp();
        verifyShown(u"start"_s, {u"唯一"_s, {}, false, {}});
        m_log.answer = QMessageBox::Yes;
        form()->Button4->click();
        m_log.clear();
        QCOMPARE(yearItems(), QStringList{"2005"});
        QCOMPARE(form()->cbYear->currentText(), u"2005"_s);
        verifyShown(u"deleted"_s, {u"己"_s, {u"btn_page08"_s}, true, NoPersons});

        // A year that still holds records of another category stays.
        form()->Button4->click();
        QCOMPARE(yearItems(), QStringList{"2005"});
        QCOMPARE(list().recordCount(), 0);
        verifyShown(u"empty list"_s, {QString(), {}, false, {}});
    }

    // A kjcg cut short at its end is kept for reading and export. Its first
    // record lacks its persons and can never get them: the lock holds only
    // what would write, the list is browsed, and 导出 writes the package of
    // the rows that are whole and says that their marks were not stored.
    void aDamagedListIsBrowsedAndExported()
    {
        if (Archiver::locate().isEmpty())
            QSKIP("arj is not installed");
        addAchievement(db(), u"2006000001"_s, u"1"_s, u"无人员"_s);
        addComplete(db(), u"2006000002"_s, u"1"_s, u"完整"_s);
        addComplete(db(), u"2006000003"_s, u"1"_s, u"被截断"_s);
        const QString kjcg = db()->resolvePath(u"kjcg.DBF"_s);
        const qint64 size = QFileInfo(kjcg).size();
        f.reopen([&] { QFile::resize(kjcg, size - 20); });
        QCOMPARE(QFileInfo(kjcg).size(), size - 20);
        QCOMPARE(m_log.boxes.size(), 1);
        QVERIFY2(m_log.last().endsWith(u"该表只能查看和导出，不能修改。"_s), qPrintable(m_log.last()));
        f.add(new TFormout(form()));
        m_log.clear();

        startUp();
        QCOMPARE(list().asString(u"ITEM_3"_s).trimmed(), u"无人员"_s);
        QCOMPARE(f.notDone(), QStringList{u"btn_page08"_s});
        const QStringList writers = {u"Button1"_s, u"Button5"_s, u"BitBtn1"_s, u"BitBtn4"_s};
        QCOMPARE(lockedNames(), writers);
        key(form()->DBGrid1, Qt::Key_Down);
        QCOMPARE(list().asString(u"ITEM_3"_s).trimmed(), u"完整"_s);
        QCOMPARE(lockedNames(), QStringList());
        key(form()->DBGrid1, Qt::Key_Up);
        QCOMPARE(list().asString(u"ITEM_3"_s).trimmed(), u"无人员"_s);
        QCOMPARE(lockedNames(), writers);
        QVERIFY2(m_log.boxes.isEmpty(), qPrintable(m_log.texts().join(u'\n')));

        QTemporaryDir scratch;
        const QString target = scratch.filePath(u"导出"_s);
        QDir().mkpath(target);
        ModalHelper exportWindow([&](QWidget *window) {
            window->findChild<QLineEdit *>(u"Edit1"_s)->setText(target);
            window->findChild<QRadioButton *>(u"RadioButton5"_s)->click();
            ModalHelper::click(window, u"Button2"_s);
            ModalHelper::click(window, u"Button1"_s);
        });
        QTest::mouseClick(form()->BitBtn2, Qt::LeftButton);
        QVERIFY2(exportWindow.ok(), qPrintable(exportWindow.error()));
        QVERIFY2(m_log.boxes.size() == 1, qPrintable(m_log.texts().join(u" | "_s)));
        const QStringList said = m_log.last().split(u'\n');
        QCOMPARE(said.size(), 2);
        QCOMPARE(said[0], u"你已打包成功!文件在"_s + QDir::toNativeSeparators(target) + u"/cgsbqy.arj"_s);
        QCOMPARE(said[1], u"导出标记未能保存：表文件“"_s + QDir::toNativeSeparators(kjcg)
                              + u"”已损坏：文件头记载3条记录，文件中只有2条完整的记录（文件被截短了）。不能修改。"_s);

        QProcess arj;
        arj.setWorkingDirectory(target);
        arj.start(u"arj"_s, {u"e"_s, u"-y"_s, u"cgsbqy.arj"_s, u"KJCG.TXT"_s});
        QVERIFY(arj.waitForFinished(60000) && arj.exitCode() == 0);
        QFile sent(QDir(target).filePath(u"KJCG.TXT"_s));
        QVERIFY(sent.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = sent.readAll().split('\n');
        QCOMPARE(lines.size(), 3);   // two rows, each ended by CR LF
        QVERIFY(lines[0].contains("2006000001") && lines[1].contains("2006000002"));
        QCOMPARE(lockedNames(), writers);
    }

    // A table kept for reading only (found damaged at start-up) is never
    // written: the list is judged all the same and shows its places.
    void aReadOnlyListIsJudgedAndNotWritten()
    {
        addAchievement(db(), u"2006000001"_s, u"1"_s, u"无人员"_s);
        addComplete(db(), u"2006000002"_s, u"1"_s, u"完整"_s);
        db()->execute(u"update kjcg set no = '7'"_s);
        const QString path = db()->resolvePath(u"kjcg.DBF"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        db()->file(u"kjcg.DBF"_s)->refuseWrites(u"表文件“kjcg.dbf”已损坏。不能修改。"_s);

        startUp();
        QVERIFY2(m_log.boxes.isEmpty(), qPrintable(m_log.texts().join(u'\n')));
        // The record cannot get its persons: only what would write is held.
        QCOMPARE(list().asString(u"ITEM_3"_s).trimmed(), u"无人员"_s);
        QCOMPARE(f.notDone(), QStringList{u"btn_page08"_s});
        QCOMPARE(lockedNames(), QStringList({u"Button1"_s, u"Button5"_s, u"BitBtn1"_s, u"BitBtn4"_s}));
        QCOMPARE(closeQuestion(), NoPersons);
        QCOMPARE(gridColumn(0), QStringList({"1", "2"}));
        form()->ComboBox1Change();
        QVERIFY2(m_log.boxes.isEmpty(), qPrintable(m_log.texts().join(u'\n')));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
};

QTEST_MAIN(TestListLock)
#include "tst_listlock.moc"
