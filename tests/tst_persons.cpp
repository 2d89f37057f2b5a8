// The completing persons (page 8 with its dialog, register and picker) and
// the evaluation committee (page 7), driven as a user drives them, with the
// rows read back by another dBase reader; the rules they share tested from
// tables; and the completeness lock that the persons feed.
#include "engine/DataSet.h"
#include "records/widgets/DateEntry.h"
#include "records/forms/ChildList.h"
#include "records/pages/CgwcrManage.h"
#include "records/forms/WindowStacking.h"
#include "records/pages/Finto7Unit.h"
#include "support/WindowManagerClose.h"
#include "records/pages/Finto8Unit.h"
#include "records/pages/PersonRules.h"
#include "records/pages/Unitpage7.h"
#include "records/pages/Unitpage8.h"
#include "records/pages/Unitpage12.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "support/DbfReadBack.h"
#include "support/PagesFixture.h"
#include "support/StandingClock.h"

#include <QComboBox>
#include <QDateEdit>
#include <QScrollBar>
#include <QItemSelectionModel>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QWindow>
#include <QtTest>

namespace {

const QString Number = u"2023000001"_s;
const QString Region = u"."_s;

struct Person
{
    QString name;
    QString contribution = QString();
    QString workUnit = QString();
};

} // namespace

class TestPersons : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog log;
    TFpage8 *persons = nullptr;
    TFinto8 *personDialog = nullptr;
    TFormWcr *picker = nullptr;
    TFpage7 *committee = nullptr;
    TFinto7 *memberDialog = nullptr;

    void openRecord(const QString &item4 = Number)
    {
        f.openOnRecord(item4, u"1"_s, u"样例成果"_s);
        personDialog = f.add(new TFinto8(f.main()));
        persons = f.add(new TFpage8(f.main()));
        picker = f.add(new TFormWcr(f.main()));
        memberDialog = f.add(new TFinto7(f.main()));
        committee = f.add(new TFpage7(f.main()));
        persons->showRowsOf({item4, Region});
        committee->showRowsOf({item4, Region});
        log.clear();
    }

    bool addPerson(const Person &p)
    {
        return PagesFixture::throughButton<TFinto8>(persons->addButton, [&](TFinto8 *d) {
            d->edtry_180->setText(p.name);
            d->edtry_186->setText(p.contribution);
            if (!p.workUnit.isEmpty())
                d->edtry_185->setText(p.workUnit);
            d->Button1->click();
        });
    }

    bool modifyPerson(int row, const std::function<void(TFinto8 *)> &change)
    {
        persons->rows()->moveTo(row);
        return PagesFixture::throughButton<TFinto8>(persons->modifyButton, [&](TFinto8 *d) {
            change(d);
            d->Button1->click();
        });
    }

    bool addMember(const QString &name, const QString &role)
    {
        return PagesFixture::throughButton<TFinto7>(committee->addButton, [&](TFinto7 *d) {
            d->Edtwy_192->setText(name);
            d->cbwy_191->setCurrentIndex(d->cbwy_191->findText(role));
            d->Button1->click();
        });
    }

    static QStringList column(DataSet &rows, const QString &field)
    {
        QStringList values;
        for (int i = 0; i < rows.recordCount(); ++i)
            values << rows.textAt(i, rows.fieldIndex(field));
        return values;
    }

    // The record's rows of a child table as another reader sees them, in
    // serial order: "serial name extra".
    QStringList readBack(const QString &file, const QString &serial, const QString &name,
                         const QString &extra)
    {
        const DbfReadBack back = readWithPythonDbf(f.dataPath(), file,
                                                   {u"item_4"_s, serial, name, extra});
        if (!back.error.isEmpty())
            return {back.error};
        QList<std::pair<double, QString>> rows;
        for (const QJsonObject &row : back.rows) {
            if (row.value(u"item_4"_s).toString() != Number)
                continue;
            const double s = row.value(serial.toLower()).toDouble();
            rows.append({s, QString::number(s) + u' ' + row.value(name.toLower()).toString()
                                + u' ' + row.value(extra.toLower()).toString()});
        }
        std::sort(rows.begin(), rows.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });
        QStringList lines;
        for (const auto &r : rows)
            lines << r.second;
        return lines;
    }

private slots:
    // Today is 2027-05-30 for the whole program.
    void initTestCase()
    {
        Clock::standAt(QDateTime(QDate(2027, 5, 30), QTime(10, 0)));
        f.buildOnce();
    }
    void cleanup() { f.stop(); }

    // ---- rules --------------------------------------------------------------

    void titleCodesMapBothWays_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        const QStringList twoChar = {u"1  院士"_s, u"2  正高"_s, u"1a  两院院士"_s,
                                     u"1b  中科院院士"_s, u"1c  工程院院士"_s, u" "_s};
        const QStringList letters = {u"1  院士"_s, u"a  两院院士"_s, u"b  中科院院士"_s};
        QTest::newRow("academy title of a two-character list") << twoChar << u"b"_s << 3;
        QTest::newRow("plain title beside them") << twoChar << u"1"_s << 0;
        QTest::newRow("letter codes as shipped") << letters << u"a"_s << 1;
        QTest::newRow("code the list lacks") << twoChar << u"z"_s << -1;
        QTest::newRow("no code never meets the blank item") << twoChar << u""_s << -1;
    }
    void titleCodesMapBothWays()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, stored);
        QFETCH(int, index);
        QCOMPARE(TitleCode::itemIndex(items, stored), index);
        if (index >= 0)
            QCOMPARE(TitleCode::ofItem(items.at(index)), stored);
    }

    // Each academy title of a two-character list is stored as its letter
    // alone (the field holds one character) and found again from it.
    void everyAcademyTitleStoresItsLetter_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("stored");
        QTest::newRow("两院院士") << u"1a  两院院士"_s << u"a"_s;
        QTest::newRow("中科院院士") << u"1b  中科院院士"_s << u"b"_s;
        QTest::newRow("工程院院士") << u"1c  工程院院士"_s << u"c"_s;
        QTest::newRow("院士 keeps its digit") << u"1  院士"_s << u"1"_s;
        QTest::newRow("其他 keeps its digit") << u"9  其他"_s << u"9"_s;
    }
    void everyAcademyTitleStoresItsLetter()
    {
        QFETCH(QString, item);
        QFETCH(QString, stored);
        QCOMPARE(TitleCode::ofItem(item), stored);
        const QStringList items = {u"1  院士"_s, u"1a  两院院士"_s, u"1b  中科院院士"_s,
                                   u"1c  工程院院士"_s, u"9  其他"_s, u" "_s};
        QCOMPARE(TitleCode::itemIndex(items, stored), int(items.indexOf(item)));
    }

    void birthMonths()
    {
        const QDate today(2031, 6, 15);
        QCOMPARE(PersonBirth::latest(today), today);  // born after 2000 is admitted
        QVERIFY(PersonBirth::defaultFor(today) <= PersonBirth::latest(today));
        QCOMPARE(PersonBirth::defaultFor(today), today.addDays(-10950));
        QCOMPARE(PersonBirth::dateOf(u"1980.5"_s), std::optional<QDate>(QDate(1980, 5, 1)));
        QCOMPARE(PersonBirth::dateOf(u"1980.05"_s), std::optional<QDate>(QDate(1980, 5, 1)));
        QVERIFY(!PersonBirth::dateOf(u"1980.13"_s));
        QVERIFY(!PersonBirth::dateOf(u"八〇年.05"_s));
        QCOMPARE(PersonBirth::textOf(QDate(2003, 4, 1)), u"2003.04"_s);
    }

    void committeeRanks()
    {
        QCOMPARE(CommitteeRole::rankOf(u"主任委员"_s), u"1"_s);
        QCOMPARE(CommitteeRole::rankOf(u" 副主任委员 "_s), u"2"_s);
        QCOMPARE(CommitteeRole::rankOf(u"委员"_s), u"3"_s);
        QCOMPARE(CommitteeRole::rankOf(u"秘书"_s), QString());
    }

    // ---- persons ------------------------------------------------------------

    // Five persons, two of one name; the second modified, the first deleted:
    // the rest keep their own data and their serials run 1..4.
    void personsAddModifyDelete()
    {
        openRecord();
        const QStringList names = {u"张三"_s, u"李四"_s, u"李四"_s, u"王五"_s, u"赵六"_s};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(addPerson({names[i], u"贡献%1"_s.arg(i + 1)}));
        DataSet &rows = *persons->rows();
        QCOMPARE(column(rows, u"item_187"_s), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
        QCOMPARE(column(rows, u"item_180"_s), names);
        // A new person is preset with the record's first completing unit.
        QCOMPARE(column(rows, u"item_185"_s).first(), f.list().asString(u"item_9"_s));

        QVERIFY(modifyPerson(1, [](TFinto8 *d) { d->edtry_186->setText(u"改过的贡献"_s); }));
        QCOMPARE(column(rows, u"item_186"_s).mid(1, 2), (QStringList{u"改过的贡献"_s, u"贡献3"_s}));

        rows.moveTo(0);
        persons->deleteClick();
        QCOMPARE(log.boxes.last().text, u"是否删除该项目？!"_s);
        QCOMPARE(readBack(u"cgwcr.DBF"_s, u"item_187"_s, u"item_180"_s, u"item_186"_s),
                 (QStringList{u"1 李四 改过的贡献"_s, u"2 李四 贡献3"_s, u"3 王五 贡献4"_s,
                              u"4 赵六 贡献5"_s}));
        // The register holds each name once.
        QCOMPARE(countRows(f.db(), u"cgwcrNew.dbf"_s), 4);
        QCOMPARE(countRows(f.db(), u"cgwcrNew.dbf"_s, u"item_180='李四'"_s), 1);
    }

    // A changed serial puts the person at that place.
    void aSerialMovesThePerson()
    {
        openRecord();
        for (const QString &name : {u"甲"_s, u"乙"_s, u"丙"_s})
            QVERIFY(addPerson({name}));
        QVERIFY(modifyPerson(2, [](TFinto8 *d) { d->edtry_187->setText(u"1"_s); }));
        QCOMPARE(column(*persons->rows(), u"item_180"_s), (QStringList{u"丙"_s, u"甲"_s, u"乙"_s}));
        QCOMPARE(column(*persons->rows(), u"item_187"_s), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
        log.clear();
        QVERIFY(modifyPerson(0, [](TFinto8 *d) { d->edtry_187->setText(u"一"_s); }) == false);
        QCOMPARE(log.texts().first(), u"输入序号必须为数字！"_s);
    }

    // The grid edits in place: a text cell and a code cell (from its choice
    // list) reach the exact row, also beside a person of the same name, and
    // stay after the list is read again; leaving the serial cell tells of a
    // serial another person holds, once per such person.
    void inPlaceEditsReachTheirRow()
    {
        openRecord();
        for (const QString &name : {u"甲"_s, u"李四"_s, u"李四"_s})
            QVERIFY(addPerson({name, u"原贡献"_s}));
        log.clear();
        QAbstractItemModel *model = persons->grid->model();
        const auto cell = [&](int row, const QString &title) {
            for (int c = 0; c < model->columnCount(); ++c) {
                if (model->headerData(c, Qt::Horizontal).toString() == title)
                    return model->index(row, c);
            }
            return QModelIndex();
        };
        QVERIFY(model->flags(cell(2, u"对成果创造性贡献"_s)) & Qt::ItemIsEditable);

        QAbstractItemDelegate *text = persons->grid->itemDelegateForIndex(cell(2, u"对成果创造性贡献"_s));
        std::unique_ptr<QWidget> edit(text->createEditor(persons->grid, {}, cell(2, u"对成果创造性贡献"_s)));
        auto *limited = qobject_cast<ByteLimitedEdit *>(edit.get());
        QVERIFY(limited);
        QCOMPARE(limited->maxBytes(), persons->rows()->fieldWidth(u"item_186"_s));
        limited->setText(u"格中改过"_s);
        text->setModelData(limited, model, cell(2, u"对成果创造性贡献"_s));

        const QModelIndex title = cell(1, u"技术职称"_s);
        QAbstractItemDelegate *codes = persons->grid->itemDelegateForIndex(title);
        std::unique_ptr<QWidget> editor(codes->createEditor(persons->grid, {}, title));
        auto *choices = qobject_cast<QComboBox *>(editor.get());
        QVERIFY(choices);
        QCOMPARE(choices->count(), 9);
        QCOMPARE(choices->itemText(0), u"1 院士"_s);
        QCOMPARE(choices->itemText(8), u"c 工程院院士"_s);
        codes->setEditorData(choices, title);
        QCOMPARE(choices->currentText(), u"4 中级"_s);  // a new person's preset title
        choices->setCurrentIndex(choices->findText(u"b 中科院院士"_s));
        codes->setModelData(choices, model, title);
        QVERIFY(log.texts().isEmpty());

        std::unique_ptr<QWidget> abroad(persons->grid->itemDelegateForIndex(cell(0, u"是否留学归国"_s))
                                            ->createEditor(persons->grid, {}, cell(0, u"是否留学归国"_s)));
        QCOMPARE(qobject_cast<QComboBox *>(abroad.get())->itemText(1), u"0 否"_s);

        persons->showRowsOf({Number, Region});
        QCOMPARE(column(*persons->rows(), u"item_183"_s), (QStringList{u"4"_s, u"b"_s, u"4"_s}));
        QCOMPARE(readBack(u"cgwcr.DBF"_s, u"item_187"_s, u"item_180"_s, u"item_186"_s),
                 (QStringList{u"1 甲 原贡献"_s, u"2 李四 原贡献"_s, u"3 李四 格中改过"_s}));

        // Leaving the serial cell: a unique serial says nothing, a shared one
        // is told and left as typed.
        QItemSelectionModel *current = persons->grid->selectionModel();
        current->setCurrentIndex(cell(0, u"序号"_s), QItemSelectionModel::NoUpdate);
        current->setCurrentIndex(cell(0, u"姓名"_s), QItemSelectionModel::NoUpdate);
        QVERIFY(log.texts().isEmpty());
        QVERIFY(model->setData(cell(0, u"序号"_s), u"3"_s));
        current->setCurrentIndex(cell(0, u"序号"_s), QItemSelectionModel::NoUpdate);
        current->setCurrentIndex(cell(0, u"性别"_s), QItemSelectionModel::NoUpdate);
        QCOMPARE(log.texts(), (QStringList{u"序号有重复，请重新输入序号！"_s}));
        persons->showRowsOf({Number, Region});
        QCOMPARE(column(*persons->rows(), u"item_187"_s), (QStringList{u"2"_s, u"3"_s, u"3"_s}));
    }

    // At the page's size every column shows without scrolling sideways, and
    // the person dialog opens with the name to type.
    void theGridFitsThePageAndTheDialogStartsAtTheName()
    {
        openRecord();
        QVERIFY(addPerson({u"甲"_s, u"贡献"_s}));
        persons->show();
        QCoreApplication::processEvents();
        QCOMPARE(persons->grid->horizontalScrollBar()->maximum(), 0);
        QVERIFY(persons->grid->columnWidth(8) >= persons->grid->columnWidth(7));
        persons->hide();
        QVERIFY(PagesFixture::throughButton<TFinto8>(persons->modifyButton, [](TFinto8 *d) {
            QCOMPARE(d->focusWidget(), d->edtry_180);
            d->Button2->click();
        }));
    }

    // A dictionary whose academy titles have two-character codes: what is
    // stored is the letter, and the dialog shows that title again.
    void academyTitlesSurviveStoreAndModify()
    {
        openRecord();
        f.db()->execute(u"delete from zdxx where zddm='item_183' and xxdm in ('a','b','c')"_s);
        appendRow(f.db(), u"zdxx.dbf"_s,
                  {{u"zddm"_s, u"item_183"_s}, {u"xxdm"_s, u"1b"_s}, {u"xxmc"_s, u"中科院院士"_s}});
        QVERIFY(PagesFixture::throughButton<TFinto8>(persons->addButton, [&](TFinto8 *d) {
            d->edtry_180->setText(u"院士甲"_s);
            QVERIFY(PagesFixture::choose(d->cbry_183, u"1b"_s));
            d->Button1->click();
        }));
        QCOMPARE(f.stored(u"cgwcr.DBF"_s, u"item_183"_s), u"b"_s);
        QString shown;
        QVERIFY(modifyPerson(0, [&](TFinto8 *d) {
            shown = d->cbry_183->currentText();
            d->edtry_186->setText(u"又改"_s);
        }));
        QCOMPARE(shown, u"1b  中科院院士"_s);
        QCOMPARE(f.stored(u"cgwcr.DBF"_s, u"item_183"_s), u"b"_s);

        // A stored title the list lacks shows nothing and is kept.
        f.db()->execute(u"update cgwcr set item_183='x'"_s);
        persons->renumber();
        QVERIFY(modifyPerson(0, [&](TFinto8 *d) {
            shown = d->cbry_183->currentText();
            d->edtry_186->setText(u"再改"_s);
        }));
        QCOMPARE(shown, QString());
        QCOMPARE(f.stored(u"cgwcr.DBF"_s, u"item_183"_s), u"x"_s);
    }

    void birthPickerAdmitsTheYoung()
    {
        openRecord();
        QVERIFY(PagesFixture::throughButton<TFinto8>(persons->addButton, [&](TFinto8 *d) {
            QCOMPARE(d->dtpry_182->allowedTo(), QDate(2027, 5, 30));
            QCOMPARE(d->dtpry_182->date(), QDate(1997, 6, 6));
            d->edtry_180->setText(u"新人"_s);
            d->dtpry_182->setDate(QDate(2003, 4, 1));
            d->Button1->click();
        }));
        QCOMPARE(f.stored(u"cgwcr.DBF"_s, u"item_182"_s), u"2003.04"_s);
        f.db()->execute(u"update cgwcr set item_182='1985.13'"_s);
        persons->renumber();
        log.clear();
        QVERIFY(modifyPerson(0, [](TFinto8 *) {}));
        QCOMPARE(log.texts().first(), u"1985.13不是正确的出生年月格式！"_s);
    }

    // The birth is typed as a user types it: a click on the year selects it
    // and the digits replace it, the month likewise; a year before the span
    // is refused with the span's message, and the picker shows the birth
    // typed before.
    void theBirthIsTyped()
    {
        openRecord();
        const QString span = u"“出生年月”应在1900.01至2027.05之间！"_s;
        QString shown;
        QVERIFY(PagesFixture::throughButton<TFinto8>(persons->addButton, [&](TFinto8 *d) {
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            DateEntry *picker = d->dtpry_182;
            QLineEdit *text = picker->findChild<QLineEdit *>();
            const auto clickAt = [&](int x) {
                QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(x, text->height() / 2));
                QCoreApplication::processEvents();
            };
            const int monthAt = text->fontMetrics().horizontalAdvance(u"0000.0"_s);
            d->edtry_180->setText(u"打字人"_s);
            clickAt(6);
            QTest::keyClicks(picker, u"1975"_s);
            clickAt(monthAt);
            QTest::keyClicks(picker, u"03"_s);
            QTest::keyClick(picker, Qt::Key_Return);
            QCOMPARE(picker->text(), u"1975.03"_s);
            QCOMPARE(log.texts(), QStringList());

            clickAt(6);
            QTest::keyClicks(picker, u"1890"_s);
            QTest::keyClick(picker, Qt::Key_Return);
            QCoreApplication::processEvents();
            QCOMPARE(log.texts(), QStringList{span});
            shown = picker->text();
            d->Button1->click();
        }));
        QCOMPARE(shown, u"1975.03"_s);
        QCOMPARE(f.stored(u"cgwcr.DBF"_s, u"item_182"_s), u"1975.03"_s);
    }

    // "是" to the leave question with a failing check keeps the entry.
    void leavingWithAFailedCheckKeepsTheInput()
    {
        openRecord();
        QVERIFY(PagesFixture::throughButton<TFinto8>(persons->addButton, [&](TFinto8 *d) {
            d->edtry_186->setText(u"只写了贡献"_s);
            d->Button2->click();
            QVERIFY(d->isVisible());
            QCOMPARE(d->edtry_186->text(), u"只写了贡献"_s);
            d->edtry_186->clear();
            d->Button2->click();
        }));
        QCOMPARE(log.texts(), (QStringList{u"记录已更改,是否保存后退出？"_s, u"姓名不能为空！"_s}));
        QCOMPARE(persons->rows()->recordCount(), 0);
        // An empty list cannot be left.
        persons->quitClick();
        QCOMPARE(log.last(), u"成果完成人员名单不能为空！"_s);
    }

    // A name with a quote is a value: the register finds it and keeps one
    // row; the picker adds the person again, the list stays dense.
    void registerAndPickerWithAQuote()
    {
        openRecord();
        QVERIFY(addPerson({u"O'Neil"_s, u"甲"_s, u"一所"_s}));
        QVERIFY(addPerson({u"O'Neil"_s, u"乙"_s, u"二所"_s}));
        QCOMPARE(countRows(f.db(), u"cgwcrNew.dbf"_s), 1);
        QCOMPARE(f.stored(u"cgwcrNew.dbf"_s, u"item_185"_s), u"二所"_s);

        QVERIFY(PagesFixture::throughButton<TFormWcr>(persons->quickAddButton, [&](TFormWcr *w) {
            w->DBGrid1->selectionModel()->select(w->DBGrid1->model()->index(0, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
            QCOMPARE(w->Label1->text(), u"选择了1记录！"_s);
            w->BitBtn1->click();
        }));
        DataSet &rows = *persons->rows();
        QCOMPARE(column(rows, u"item_180"_s), (QStringList{u"O'Neil"_s, u"O'Neil"_s, u"O'Neil"_s}));
        QCOMPARE(column(rows, u"item_187"_s), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
        QCOMPARE(column(rows, u"item_185"_s).last(), u"二所"_s);
        QCOMPARE(countRows(f.db(), u"cgwcr.DBF"_s, keyFilter(Number, Region)), 3);

        // Nothing chosen and "是": every register person is added.
        log.clear();
        QVERIFY(PagesFixture::throughButton<TFormWcr>(persons->quickAddButton,
                                                      [](TFormWcr *w) { w->BitBtn1->click(); }));
        QCOMPARE(log.texts(), QStringList{u"请选择您要导出的项目，是否全部选择？"_s});
        QCOMPARE(rows.recordCount(), 4);
    }

    // The second list over the person table: the current record's persons
    // whatever another window last did with the table, numbered in table
    // order and study abroad answered when it opens; it adds through the
    // same dialog.
    void secondListOverThePersonTable()
    {
        openRecord();
        auto *second = f.add(new TFpage12(f.main()));
        for (const auto &[serial, abroad] : {std::pair{u"5"_s, QString()}, std::pair{u"9"_s, u"1"_s}})
            appendRow(f.db(), u"cgwcr.DBF"_s,
                      {{u"ITEM_4"_s, Number}, {u"ITEM_DQDM"_s, Region}, {u"ITEM_187"_s, serial},
                       {u"ITEM_180"_s, u"旧人"_s + serial}, {u"ITEM_188"_s, abroad}});
        appendRow(f.db(), u"cgwcr.DBF"_s,
                  {{u"ITEM_4"_s, Number}, {u"ITEM_DQDM"_s, u"X01"_s}, {u"ITEM_180"_s, u"外地人"_s}});
        Table &table = *f.dm()->TblCgwcr;
        table.close();
        table.setFilter(Filter::exact({{u"item_dqdm"_s, u"X01"_s}}));
        table.setFiltered(true);
        table.open();
        second->show();
        DataSet &rows = *second->rows();
        QCOMPARE(column(rows, u"item_187"_s), (QStringList{u"1"_s, u"2"_s}));
        QCOMPARE(column(rows, u"item_188"_s), (QStringList{u"0"_s, u"1"_s}));
        QVERIFY(PagesFixture::throughButton<TFinto8>(second->addButton, [](TFinto8 *d) {
            d->edtry_180->setText(u"新人"_s);
            d->Button1->click();
        }));
        QCOMPARE(column(rows, u"item_180"_s), (QStringList{u"旧人5"_s, u"旧人9"_s, u"新人"_s}));
        QCOMPARE(column(rows, u"item_187"_s), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
        QCOMPARE(countRows(f.db(), u"cgwcr.DBF"_s, keyFilter(Number, Region)), 3);
        f.main()->sectionButton(u"btn_page08"_s)->setKind(SectionButton::NotDone);
        second->quitClick();
        QVERIFY(!second->isVisible());
        QVERIFY(f.main()->sectionButton(u"btn_page08"_s)->isDone());
    }

    // ---- committee ------------------------------------------------------------

    void committeeRankedChairmanFirst()
    {
        openRecord();
        QVERIFY(addMember(u"甲"_s, u"委员"_s));
        QVERIFY(addMember(u"乙"_s, u"委员"_s));
        QVERIFY(addMember(u"丙"_s, u"主任委员"_s));
        QVERIFY(addMember(u"丁"_s, u"副主任委员"_s));
        DataSet &rows = *committee->rows();
        QCOMPARE(column(rows, u"item_192"_s), (QStringList{u"丙"_s, u"丁"_s, u"甲"_s, u"乙"_s}));
        QCOMPARE(column(rows, u"item_194"_s), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"3"_s}));

        // 乙 becomes vice-chairman: above the plain members.
        rows.moveTo(3);
        QVERIFY(PagesFixture::throughButton<TFinto7>(committee->modifyButton, [](TFinto7 *d) {
            QVERIFY(d->edt_190->isHidden());  // the serial is not for typing
            d->cbwy_191->setCurrentIndex(d->cbwy_191->findText(u"副主任委员"_s));
            d->Button1->click();
        }));
        QCOMPARE(readBack(u"jdwyhmd.DBF"_s, u"item_190"_s, u"item_192"_s, u"item_191"_s),
                 (QStringList{u"1 丙 主任委员"_s, u"2 丁 副主任委员"_s, u"3 乙 副主任委员"_s,
                              u"4 甲 委员"_s}));

        // One chairman: a second is refused, the chairman himself is not.
        log.clear();
        QVERIFY(PagesFixture::throughButton<TFinto7>(committee->addButton, [](TFinto7 *d) {
            d->cbwy_191->setCurrentIndex(d->cbwy_191->findText(u"主任委员"_s));
            d->cbwy_191Change();
            QCOMPARE(d->cbwy_191->currentText(), u"委员"_s);
            d->Edtwy_192->clear();
            d->edtwy_195->setText(u"某研究所"_s);
            d->Button2->click();  // "是", but without a name nothing is stored
            QVERIFY(d->isVisible());
            d->Edtwy_192->setText(u"戊"_s);
            d->Button2->click();  // "是": stored
        }));
        QCOMPARE(log.texts(), (QStringList{u"只能有一个主任委员"_s, u"记录已更改，是否保存后退出？"_s,
                                           u"\"姓名\"不能为空！"_s, u"记录已更改，是否保存后退出？"_s,
                                           Messages::Texts::stored()}));
        rows.moveTo(0);
        log.clear();
        QVERIFY(PagesFixture::throughButton<TFinto7>(committee->modifyButton, [](TFinto7 *d) {
            d->cbwy_191Change();
            d->Button2->click();
        }));
        QVERIFY(log.boxes.isEmpty());
        QCOMPARE(column(rows, u"item_190"_s), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
    }

    void anEmptyCommitteeIsDoneWhenLeft()
    {
        openRecord();
        f.main()->sectionButton(u"btn_page07"_s)->setKind(SectionButton::NotDone);
        committee->show();
        committee->quitClick();
        QVERIFY(f.main()->sectionButton(u"btn_page07"_s)->isDone());
        QVERIFY(!committee->isVisible());

        // Its close box (a close the window manager sends) leaves it without the done mark.
        QVERIFY(committee->windowFlags() & Qt::WindowCloseButtonHint);
        f.main()->sectionButton(u"btn_page07"_s)->setKind(SectionButton::NotDone);
        committee->show();
        closeFromWindowManager(committee);
        QVERIFY(!f.main()->sectionButton(u"btn_page07"_s)->isDone());
        QVERIFY(!committee->isVisible());

        // Page 8 has no close box; a close sent anyway is its "退出", which
        // wants a person first.
        QVERIFY(!(persons->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(memberDialog->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(personDialog->windowFlags() & Qt::WindowCloseButtonHint));
        persons->show();
        log.clear();
        QVERIFY(!closeFromWindowManager(persons));
        QCOMPARE(log.texts(), QStringList{u"成果完成人员名单不能为空！"_s});
        QVERIFY(persons->isVisible());
        QVERIFY(addPerson({u"本地人"_s}));
        closeFromWindowManager(persons);
        QVERIFY(!persons->isVisible());
        QVERIFY(f.main()->sectionButton(u"btn_page08"_s)->isDone());
    }

    // The picker's close box and Escape leave it as its "退出" does.
    void thePickerIsLeftFromItsTitleBar()
    {
        openRecord();
        picker->show();
        closeFromWindowManager(picker);
        QVERIFY(!picker->isVisible());
        picker->show();
        QTest::keyClick(picker, Qt::Key_Escape);
        QVERIFY(!picker->isVisible());
        QVERIFY(log.boxes.isEmpty());
    }

    // Nothing worth storing never keeps the user in the dialog: "退出",
    // Escape and a close from the window manager leave an empty entry at
    // once, and "否" leaves a started one without storing.
    void theCommitteeDialogCanAlwaysBeLeft()
    {
        openRecord();
        const QList<std::function<void(TFinto7 *)>> ways = {
            [](TFinto7 *d) { d->Button2->click(); },
            [](TFinto7 *d) { QTest::keyClick(d, Qt::Key_Escape); },
            [](TFinto7 *d) { closeFromWindowManager(d); },
        };
        for (const auto &leave : ways) {
            QVERIFY(PagesFixture::throughButton<TFinto7>(committee->addButton, [&](TFinto7 *d) {
                QVERIFY(d->Edtwy_192->text().isEmpty());
                leave(d);
                QVERIFY(!d->isVisible());
            }));
            log.answer = QMessageBox::No;
            QVERIFY(PagesFixture::throughButton<TFinto7>(committee->addButton, [&](TFinto7 *d) {
                d->edtwy_196->setText(u"化学"_s);
                leave(d);
                QVERIFY(!d->isVisible());
            }));
            log.answer = QMessageBox::NoButton;
        }
        QCOMPARE(log.texts(), QStringList(3, u"记录已更改，是否保存后退出？"_s));
        QVERIFY(committee->rows()->isEmpty());
    }

    // The blank title item is a title: it stores an empty one.
    void aMemberWithTheBlankTitle()
    {
        openRecord();
        QVERIFY(PagesFixture::throughButton<TFinto7>(committee->addButton, [](TFinto7 *d) {
            d->Edtwy_192->setText(u"己"_s);
            d->cbwy_198->setCurrentIndex(d->cbwy_198->findText(u" "_s));
            QCOMPARE(d->cbwy_198->currentText(), u" "_s);
            d->Button1->click();
        }));
        QCOMPARE(log.texts(), QStringList{Messages::Texts::stored()});
        DataSet &rows = *committee->rows();
        QCOMPARE(column(rows, u"item_192"_s), QStringList{u"己"_s});
        QCOMPARE(column(rows, u"item_198"_s), QStringList{QString()});
    }

    // A dialog stands in front of the page that opened it, not of the main
    // window that made it.
    void aDialogStandsInFrontOfItsPage()
    {
        openRecord();
        WindowStacking::stackOverOpeners(*qApp);
        committee->setWindowModality(Qt::ApplicationModal);
        committee->show();
        QWindow *shown = nullptr;
        QVERIFY(PagesFixture::throughButton<TFinto7>(committee->addButton, [&](TFinto7 *d) {
            shown = d->windowHandle()->transientParent();
            d->Button2->click();
        }));
        QVERIFY(shown);
        QCOMPARE(shown, committee->windowHandle());
        committee->hide();
        committee->setWindowModality(Qt::NonModal);
    }

    // ---- the lock --------------------------------------------------------------

    void onePersonOfTheRecordOpensTheLock()
    {
        openRecord();
        QCOMPARE(f.notDone(), QStringList{u"btn_page08"_s});
        QVERIFY(!f.main()->BitBtn4->isEnabled());
        // A person of the same number in another region is not this record's.
        ::addPerson(f.db(), Number, u"999"_s, u"外地人"_s);
        f.main()->MarkIncompletePages();
        QVERIFY(!f.main()->CheckPagesDone());

        persons->show();
        QVERIFY(addPerson({u"本地人"_s}));
        persons->quitClick();
        QVERIFY(!persons->isVisible());
        QVERIFY(f.main()->sectionButton(u"btn_page08"_s)->isDone());
        QVERIFY(f.main()->BitBtn4->isEnabled());
        QVERIFY(f.main()->BitBtn2->isEnabled());
        f.main()->MarkIncompletePages();
        QVERIFY(f.main()->CheckPagesDone());
    }

    // A birth outside the picker's span is shown as stored and stays so
    // until the user changes it; leaving the untouched dialog asks nothing.
    void aBirthOutsideTheSpanIsKept()
    {
        openRecord();
        QVERIFY(addPerson({u"老人"_s}));
        f.db()->execute(u"update cgwcr set item_182='1890.05'"_s);
        persons->renumber();
        log.clear();
        persons->rows()->moveTo(0);
        QVERIFY(PagesFixture::throughButton<TFinto8>(persons->modifyButton, [](TFinto8 *d) {
            QCOMPARE(d->dtpry_182->date(), QDate(1890, 5, 1));
            QCOMPARE(d->dtpry_182->text(), u"1890.05"_s);
            d->Button2Click();  // untouched: no question
        }));
        QCOMPARE(log.texts(), QStringList());
        QVERIFY(modifyPerson(0, [](TFinto8 *) {}));
        QCOMPARE(f.stored(u"cgwcr.DBF"_s, u"item_182"_s), u"1890.05"_s);
    }
};

QTEST_MAIN(TestPersons)
#include "tst_persons.moc"
