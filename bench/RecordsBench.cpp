#include "RecordsBench.h"

#include "BenchFiles.h"
#include "Generator.h"
#include "Measure.h"
#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/data/AchievementList.h"
#include "app/QueryBuilder.h"
#include "app/QueryBuilderPanel.h"
#include "records/widgets/Messages.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "app/StartUp.h"
#include "app/Unit1.h"
#include "records/data/UnitDM.h"
#include "records/pages/Finto8Unit.h"
#include "records/pages/Unitpage3.h"
#include "records/pages/UnitPage1.h"
#include "records/pages/Unitpage8.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/forms/EntryRoutines.h"
#include "engine/Database.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace RecordsBench {

namespace {

QStringList g_boxes;

// A run that showed a box did not do what it was timed for.
void failOnMessageBoxes(const char *operation)
{
    if (g_boxes.isEmpty())
        return;
    const QString first = g_boxes.first();
    g_boxes.clear();
    throw DbError(QStringLiteral("%1: the program showed a box: %2").arg(QLatin1String(operation), first));
}

double medianOf(QList<double> times)
{
    if (times.isEmpty())
        return -1;
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 3) + QStringLiteral("s");
}

// A fresh copy of the folder's table files for one run.
class ScratchData
{
public:
    ScratchData(const QString &folder, const QString &scratchRoot, const QString &name)
        : m_sources(BenchFiles::allTableFiles(folder)), m_path(QDir(scratchRoot).filePath(name))
    {
    }
    ~ScratchData() { QDir(m_path).removeRecursively(); }

    const QString &renew()
    {
        QDir(m_path).removeRecursively();
        BenchFiles::copyInto(m_sources, m_path);
        return m_path;
    }

private:
    QStringList m_sources;
    QString m_path;
};

// The shipped code tables and a registered unit: without them the main
// window would start in its first-run state and the figures would be of
// another program.
void checkStartedNormally(const StartUp::Windows &windows)
{
    const TDM &dm = windows.context().dm();
    if (dm.Tblunit->isEmpty())
        throw DbError(QStringLiteral("the unit table is empty: the main window is in its first-run state"));
    // The dictionary is checked through one of its lookup groups: Tblzdxx is
    // left filtered on the first query item, which may have no codes.
    if (windows.mainForm()->ComboBox2->count() == 0 || dm.QryCheckUp->isEmpty()
        || windows.context().dictionary().group(QStringLiteral("item_181")).isEmpty())
        throw DbError(QStringLiteral("the code tables (zdxx1, checkup, zdxx) are empty"));
}

// The program as far as the main window's first show, less the splash and
// the first-run unit page.
void fillMainWindow(const StartUp::Windows &windows)
{
    windows.mainForm()->prepareFilters();
    QCoreApplication::processEvents();
}

// "加入" for an item, an operator and a value, as the user adds it.
void addCondition(TMainForm *MainForm, const QString &item, const QString &op, const QString &value)
{
    QComboBox *items = MainForm->ComboBox2;
    items->setCurrentIndex(items->findText(item));
    MainForm->queryBuilder->ComboBox2Change();
    MainForm->ComboBox4->setCurrentIndex(MainForm->ComboBox4->findText(op));
    if (MainForm->queryBuilder->input() == QueryBuilder::Input::CodeList)
        MainForm->Combobox3->setCurrentIndex(
            MainForm->Combobox3->findText(value + QStringLiteral("  "), Qt::MatchStartsWith));
    else
        MainForm->Edit2->setText(value);
    MainForm->queryBuilder->SpeedButton24Click();
}

} // namespace

void answerMessageBoxes()
{
    Messages::setAnswerer([](const Messages::Request &request) {
        g_boxes.append(request.caption + QStringLiteral(": ") + request.text);
        std::fprintf(stderr, "box: %s\n", qPrintable(g_boxes.last()));
        return QMessageBox::Ok;
    });
}

QString switchYear()
{
    return QString::number(Generator::kLastYear - 1);
}

QString switchSql()
{
    return AchievementList::listSql(kSwitchCategory, switchYear());
}

EngineBench::Figure startUp(const QString &folder, const QString &scratchRoot)
{
    ScratchData scratch(folder, scratchRoot, QStringLiteral("startup"));
    QString data;
    std::unique_ptr<StartUp::Windows> windows;
    QList<double> made, filled;
    EngineBench::Figure figure;
    figure.seconds = Measure::median(
        [&] {
            made << Measure::seconds([&] { windows = std::make_unique<StartUp::Windows>(data); });
            filled << Measure::seconds([&] { fillMainWindow(*windows); });
        },
        [&] {
            windows.reset();
            data = scratch.renew();
        });
    failOnMessageBoxes("startup");
    checkStartedNormally(*windows);
    figure.count = windows->context().dm().Qrykjcg->recordCount();
    windows.reset();

    // The data module alone, to tell its share from the other windows'.
    std::unique_ptr<TDM> module;
    const double moduleSeconds = Measure::median([&] { module = std::make_unique<TDM>(data, Messages::ShowErrorBox); },
                                                 [&] {
                                                     module.reset();
                                                     data = scratch.renew();
                                                 });
    module.reset();
    failOnMessageBoxes("data module");
    figure.detail = QStringLiteral("the 36 windows with the data module %1 (the data module alone %2), "
                                   "filling the main window %3")
                        .arg(secondsText(medianOf(made)), secondsText(moduleSeconds), secondsText(medianOf(filled)));
    return figure;
}

EngineBench::Figure switchList(const QString &folder, const QString &scratchRoot)
{
    ScratchData scratch(folder, scratchRoot, QStringLiteral("switch"));
    StartUp::Windows windows(scratch.renew());
    fillMainWindow(windows);
    checkStartedNormally(windows);
    TMainForm *const MainForm = windows.mainForm();
    TDM *const DM = &windows.context().dm();
    const int yearIndex = MainForm->cbYear->findText(switchYear());
    if (yearIndex < 0)
        throw DbError(QStringLiteral("the year list holds no %1").arg(switchYear()));

    // Between runs the list goes back to the one shown at start-up.
    const auto showStartList = [&] {
        MainForm->ComboBox1->setCurrentIndex(0);
        MainForm->cbYear->setCurrentIndex(0);
        MainForm->ComboBox1Change();
    };
    const auto chooseSwitchList = [&] {
        MainForm->ComboBox1->setCurrentIndex(kSwitchCategory);
        MainForm->cbYear->setCurrentIndex(yearIndex);
    };
    EngineBench::Figure figure;
    figure.seconds = Measure::median(
        [&] {
            chooseSwitchList();
            MainForm->ComboBox1Change();
            QCoreApplication::processEvents();
        },
        showStartList, Measure::kQuickRepetitions);
    failOnMessageBoxes("switch");
    figure.count = DM->Qrykjcg->recordCount();
    if (DM->Qrykjcg->sql().trimmed() != switchSql())
        throw DbError(QStringLiteral("the switch listed \"%1\"").arg(DM->Qrykjcg->sql()));

    // The four steps of the switch, timed one by one.
    QList<double> load, marks, renumber, lock;
    for (int i = 0; i < Measure::kRepetitions; ++i) {
        showStartList();
        chooseSwitchList();
        load << Measure::seconds([&] { MainForm->LoadAchievementList(); });
        marks << Measure::seconds([&] { MainForm->MarkIncompletePages(); });
        renumber << Measure::seconds([&] { MainForm->RenumberList(); });
        lock << Measure::seconds([&] { MainForm->CheckPagesDone(); });
    }
    failOnMessageBoxes("switch steps");
    figure.detail = QStringLiteral("load %1, marks %2, renumbering %3, lock %4")
                        .arg(secondsText(medianOf(load)), secondsText(medianOf(marks)),
                             secondsText(medianOf(renumber)), secondsText(medianOf(lock)));
    return figure;
}

} // namespace RecordsBench

namespace RecordsBench {

QString queryCondition()
{
    return QueryBuilder::conditionPiece(QStringLiteral("item_3"), QueryBuilder::ContainsOperator,
                                        QStringLiteral("技术"))
           + QStringLiteral("and ")
           + QueryBuilder::conditionPiece(QStringLiteral("item_1"), QStringLiteral("="), QStringLiteral("1"));
}

QString querySql()
{
    return QueryBuilder::searchSql(queryCondition(), 0, QString::number(Generator::kLastYear))
        .join(QLatin1Char('\n'));
}

EngineBench::Figure querySearch(const QString &folder, const QString &scratchRoot)
{
    ScratchData scratch(folder, scratchRoot, QStringLiteral("query"));
    StartUp::Windows windows(scratch.renew());
    fillMainWindow(windows);
    checkStartedNormally(windows);
    TMainForm *const MainForm = windows.mainForm();
    TDM *const DM = &windows.context().dm();
    addCondition(MainForm, QStringLiteral("成果名称"), QueryBuilder::ContainsOperator, QStringLiteral("技术"));
    MainForm->SpeedButton15->click();  // and
    addCondition(MainForm, QStringLiteral("成果密级"), QStringLiteral("="), QStringLiteral("1"));
    if (MainForm->MMSysV->toPlainText() != queryCondition())
        throw DbError(QStringLiteral("the panel built \"%1\"").arg(MainForm->MMSysV->toPlainText()));

    EngineBench::Figure figure;
    figure.seconds = Measure::median(
        [&] {
            MainForm->queryBuilder->SpeedButton16Click();
            QCoreApplication::processEvents();
        },
        [&] {
            // The plain list again, the condition kept for the next run.
            MainForm->LoadAchievementList();
            MainForm->RenumberList();
        }, Measure::kQuickRepetitions);
    failOnMessageBoxes("query");
    figure.count = DM->Qrykjcg->recordCount();
    if (DM->Qrykjcg->sql() != querySql())
        throw DbError(QStringLiteral("the search listed \"%1\"").arg(DM->Qrykjcg->sql()));
    return figure;
}

QString pageRecordSql(qint64 rowid)
{
    return QStringLiteral("select * from kjcg where rowid = %1").arg(rowid);
}

QString pageRowidSql(const QString &item4)
{
    return QStringLiteral("select rowid from kjcg where item_4 = '%1'").arg(item4);
}

namespace {

QStringList listedNumbers(const Query &list, int most)
{
    QStringList numbers;
    const int field = list.fieldIndex(QStringLiteral("item_4"));
    for (int row = 0; row < list.recordCount() && numbers.size() < most; ++row)
        numbers.append(list.textAt(row, field).trimmed());
    return numbers;
}

// The first record of the start-up list that page 1 accepts, current in the
// list and loaded into the page. Generated records may leave out what page 1
// requires, whatever the number of records generated.
QString openAcceptedRecord(StartUp::Windows &windows, TFpage1 &page)
{
    Query &list = *windows.context().dm().Qrykjcg;
    const QStringList numbers = listedNumbers(list, 50);
    if (numbers.isEmpty())
        throw DbError(QStringLiteral("the start-up list is empty"));
    QString refused;
    for (const QString &item4 : numbers) {
        // The generated record holds several codes where page 1 takes one:
        // it is made one that page 1 accepts, as a user would have saved it.
        windows.context().dm().database()->execute(
            QStringLiteral("update kjcg set item_123 = '1', item_124_1 = '01;', item_125 = '03;' "
                           "where item_4 = :item_4"),
            {{QStringLiteral("item_4"), item4}});
        ReopenQuery(list, windows.mainForm()->CurrentListSql);
        if (!list.locate(QStringLiteral("item_4"), item4))
            continue;
        page.loadFromRecord();
        refused = page.firstFailingCheck();
        if (refused.isEmpty())
            return item4;
    }
    throw DbError(QStringLiteral("page 1 refuses the first %1 listed records, the last for: %2")
                      .arg(numbers.size())
                      .arg(refused));
}

} // namespace

EngineBench::Figure pageSave(const QString &folder, const QString &scratchRoot)
{
    ScratchData scratch(folder, scratchRoot, QStringLiteral("page"));
    StartUp::Windows windows(scratch.renew());
    fillMainWindow(windows);
    checkStartedNormally(windows);
    TFpage1 &page = windows.context().need<TFpage1>();
    const QString item4 = openAcceptedRecord(windows, page);
    g_boxes.clear();

    EngineBench::Figure figure;
    bool saved = true;
    figure.seconds = Measure::median(
        [&] {
            page.loadFromRecord();
            saved = page.save() && saved;
        },
        [] { g_boxes.clear(); }, Measure::kQuickRepetitions);
    // "存储成功！" is the one box a save shows.
    if (!saved || g_boxes.size() != 1 || !g_boxes.first().endsWith(QStringLiteral("存储成功！")))
        failOnMessageBoxes("page save");
    g_boxes.clear();
    if (!page.isUnchanged())
        throw DbError(QStringLiteral("page 1 counts its own save as a change"));

    const double build = Measure::median([] { TFpage1 built; }, {}, Measure::kQuickRepetitions);
    figure.count = 1;
    figure.detail = QStringLiteral("build=%1 item4=%2").arg(build, 0, 'f', 6).arg(item4);
    return figure;
}

EngineBench::Figure personAdd(const QString &folder, const QString &scratchRoot)
{
    ScratchData scratch(folder, scratchRoot, QStringLiteral("person"));
    StartUp::Windows windows(scratch.renew());
    fillMainWindow(windows);
    checkStartedNormally(windows);
    AppContext &context = windows.context();
    const Query &list = *context.dm().Qrykjcg;
    if (list.isEmpty())
        throw DbError(QStringLiteral("the start-up list is empty"));
    const QString item4 = list.asString(QStringLiteral("item_4")).trimmed();
    TFpage8 &persons = context.need<TFpage8>();
    TFinto8 &dialog = context.need<TFinto8>();
    persons.setDialog(&dialog);
    persons.showRowsOf({list.asString(QStringLiteral("item_4")), list.asString(QStringLiteral("item_dqdm"))});
    dialog.setWindowTitle(ChildList::addCaption(TFpage8::listTitle()));
    g_boxes.clear();
    EngineBench::settleWrites();   // the scratch copy of every table

    EngineBench::Figure figure;
    bool stored = true;
    int added = 0;
    figure.seconds = Measure::median(
        [&] {
            dialog.show();
            dialog.edtry_180->setText(QStringLiteral("测试人员%1").arg(++added));
            stored = dialog.Button1Click() && stored;
        },
        [] { g_boxes.clear(); }, Measure::kQuickRepetitions);
    if (!stored || g_boxes.size() != 1 || !g_boxes.first().endsWith(QStringLiteral("存储成功！")))
        failOnMessageBoxes("person add");
    g_boxes.clear();
    figure.count = persons.rows()->recordCount();
    figure.detail = QStringLiteral("item4=") + item4;
    return figure;
}

} // namespace RecordsBench

namespace RecordsBench {

namespace {

// The first record of the start-up list with a page 3 that passes its
// checks: generated records hold codes of their own in the project source.
void preparePage3(TFpage3 &page)
{
    page.loadFromRecord();
    page.findChild<QAbstractButton *>(QStringLiteral("cb_126_02"))->setChecked(true);
    QComboBox *forms = page.category() == QLatin1String("1") ? page.cb_21 : page.cb_21_l;
    forms->setCurrentIndex(0);
    if (!page.save())
        throw DbError(QStringLiteral("page 3 of the first record could not be saved"));
}

} // namespace

EngineBench::Figure page3Save(const QString &folder, const QString &scratchRoot)
{
    ScratchData scratch(folder, scratchRoot, QStringLiteral("page3"));
    StartUp::Windows windows(scratch.renew());
    fillMainWindow(windows);
    checkStartedNormally(windows);
    TFpage3 &page = windows.context().need<TFpage3>();
    const DataSet &record = *windows.context().dm().Qrykjcg;
    preparePage3(page);
    const QString saved = QStringLiteral("Dravik: 存储成功！");
    g_boxes.removeAll(saved);
    failOnMessageBoxes("page 3 prepared");

    int run = 0;
    EngineBench::Figure figure;
    figure.seconds = Measure::median(
        [&] {
            page.loadFromRecord();
            page.Edt_130->setText(page3SaveText(++run));
            if (!page.save())
                throw DbError(QStringLiteral("page 3 was not saved"));
            QCoreApplication::processEvents();
        },
        [&] {
            // Events start-up left queued are no part of a save.
            QCoreApplication::processEvents();
            g_boxes.removeAll(saved);
        },
        Measure::kShortRepetitions);
    g_boxes.removeAll(saved);
    failOnMessageBoxes("page 3");
    if (record.asString(QStringLiteral("item_130")) != page3SaveText(run))
        throw DbError(QStringLiteral("page 3 stored \"%1\"").arg(record.asString(QStringLiteral("item_130"))));
    figure.count = 1;
    figure.detail = record.asString(QStringLiteral("ITEM_4"));
    return figure;
}

QString page3SaveText(int run)
{
    return QStringLiteral("评价单位%1").arg(run);
}

} // namespace RecordsBench
