#include "Unit1.h"

#include "engine/Clock.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbfFile.h"
#include "engine/DataSetModel.h"
#include "printing/PrintPreparation.h"
#include "printing/PrintUnit.h"
#include "records/widgets/GridSelection.h"
#include "records/widgets/ListGrid.h"
#include "records/widgets/NamedControls.h"
#include "records/widgets/Abort.h"
#include "exchange/CodeManage.h"
#include "exchange/Unitout.h"
#include "records/data/AchievementList.h"
#include "records/data/ChildRows.h"
#include "app/QueryBuilderPanel.h"
#include "records/forms/EntryRoutines.h"
#include "records/forms/SectionWindow.h"
#include "records/widgets/Messages.h"
#include "records/widgets/SectionButton.h"
#include "records/data/UnitDM.h"
#include "app/UnitNew.h"
#include "exchange/Unitin.h"
#include "engine/DbError.h"
#include "records/unit/Unitpage4a.h"
#include "app/Unitwel.h"
#include "records/widgets/DropDownCombo.h"

#include <QCloseEvent>
#include <QDate>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>


namespace {

constexpr int FormWidth = 800;
constexpr int FormHeight = 570;

struct ListColumn
{
    const char *field;
    int width;
    bool maroonTitle;
};

const ListColumn ListColumns[] = {
    {"NO", 94, false},
    {"ITEM_120", 111, false},
    {"ITEM_3", 255, true},
    {"ITEM_9", 264, true},
};

QStringList listFields()
{
    QStringList fields;
    for (const ListColumn &c : ListColumns)
        fields << QString::fromLatin1(c.field);
    return fields;
}

// Two of the list's column titles are in maroon.
class ListGridModel : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::ForegroundRole && section >= 0
            && section < int(std::size(ListColumns)) && ListColumns[section].maroonTitle)
            return QColor(128, 0, 0);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    // The serial is the row's place in the list. Renumbering stores the
    // same; a table that may not be written keeps what it holds, and the
    // list shows the places all the same.
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (index.isValid() && index.column() == 0
            && (role == Qt::DisplayRole || role == Qt::EditRole))
            return QString::number(index.row() + 1);
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Dravik【LumetV5.0】"));
    setFixedSize(FormWidth, FormHeight);

    auto *top = new QWidget(this);
    buildFilters(top);
    buildGrid();
    buildSectionPanel();
    buildQueryPanel();
    queryBuilder = new QueryBuilderPanel(this);
    auto *commands = new QWidget(this);
    buildCommands(commands);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(top);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(Panel8);
    layout->addWidget(QueryPanel);
    layout->addWidget(commands);
}

// ---- construction ---------------------------------------------------------

void TMainForm::buildFilters(QWidget *panel)
{
    ComboBox1 = new QComboBox(panel);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(AchievementList::categoryNames());
    ComboBox1->setMinimumWidth(120);
    // The year list holds only years read from the records: nothing typed
    // ever reaches the list's SQL.
    cbYear = new QComboBox(panel);
    cbYear->setObjectName(QStringLiteral("cbYear"));
    cbYear->setEditable(false);
    cbYear->setMinimumWidth(80);
    connect(ComboBox1, &QComboBox::activated, this, &TMainForm::ComboBox1Change);
    connect(cbYear, &QComboBox::activated, this, &TMainForm::ComboBox1Change);

    auto *title = new QLabel(QStringLiteral("科技成果列表"), panel);
    title->setStyleSheet(QStringLiteral("color: #800000; font-weight: bold;"));
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("成果类型："), panel));
    row->addWidget(ComboBox1);
    row->addSpacing(16);
    row->addWidget(new QLabel(QStringLiteral("年份："), panel));
    row->addWidget(cbYear);
    row->addStretch(1);
    row->addWidget(title);
}

void TMainForm::buildGrid()
{
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    StyleListGrid(DBGrid1);
    // The unit's column takes the room the others leave: no empty strip.
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    m_listModel = new ListGridModel(this);
    DBGrid1->setModel(m_listModel);
    connect(m_listModel, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnWidths();
        showCurrentRow();
    });
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_followingCurrent && current.isValid() && isWired())
                    currentRowMoved(current.row());
            });
    connect(DBGrid1, &QTableView::clicked, this, &TMainForm::DBGrid1CellClick);
    applyColumnWidths();
}

void TMainForm::buildSectionPanel()
{
    Panel8 = new QWidget(this);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    auto *grid = new QGridLayout(Panel8);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    constexpr int PerRow = 4;
    for (const AchievementList::Section &s : AchievementList::sections()) {
        auto *button = new SectionButton(s.button, s.caption, Panel8);
        button->setMinimumHeight(28);
        const int place = int(m_sectionButtons.size());
        grid->addWidget(button, place / PerRow, place % PerRow);
        m_sectionButtons << button;
        connect(button, &QPushButton::clicked, this,
                [this, windowClass = s.window] { openSection(windowClass); });
    }
}

void TMainForm::openSection(const QString &windowClass)
{
    runGuarded(this, [&] {
        context()
            .needOfClass<SectionWindow>(windowClass.toLatin1().constData())
            .openForCurrentRecord();
    });
}

void TMainForm::buildCommands(QWidget *panel)
{
    Button1 = MakeButton(panel, QStringLiteral("Button1"), QStringLiteral("新增"));
    Button5 = MakeButton(panel, QStringLiteral("Button5"), QStringLiteral("修改主项"));
    Button4 = MakeButton(panel, QStringLiteral("Button4"), QStringLiteral("删除"));
    BitBtn1 = MakeButton(panel, QStringLiteral("BitBtn1"), QStringLiteral("导入"));
    BitBtn2 = MakeButton(panel, QStringLiteral("BitBtn2"), QStringLiteral("导出"));
    BitBtn4 = MakeButton(panel, QStringLiteral("BitBtn4"), QStringLiteral("打印"));
    BitBtn3 = MakeButton(panel, QStringLiteral("BitBtn3"), QStringLiteral("更新指标项"));
    Button2 = MakeButton(panel, QStringLiteral("Button2"), QStringLiteral("单位情况"));
    BitBtn7 = MakeButton(panel, QStringLiteral("BitBtn7"), QStringLiteral("退出"));
    connect(Button4, &QPushButton::clicked, this, &TMainForm::Button4Click);
    connect(BitBtn7, &QPushButton::clicked, this, &TMainForm::BitBtn7Click);
    connect(Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TMainForm::BitBtn4Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TMainForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TMainForm::BitBtn3Click);
    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button6Click);
    connect(Button5, &QPushButton::clicked, this, &TMainForm::Button3Click);

    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    for (QPushButton *b : {Button1, Button5, Button4, BitBtn1, BitBtn2, BitBtn4, BitBtn3, Button2,
                           BitBtn7}) {
        b->setMinimumHeight(28);
        row->addWidget(b);
    }
}

QToolButton *TMainForm::speedButton(const QString &name, const QString &caption)
{
    auto *button = new QToolButton(QueryPanel);
    button->setObjectName(name);
    button->setText(caption);
    button->setMinimumWidth(40);
    return button;
}

void TMainForm::buildQueryPanel()
{
    QueryPanel = new QGroupBox(QStringLiteral("查询条件输入区"), this);
    QueryPanel->setObjectName(QStringLiteral("QueryPanel"));
    const auto combo = [this](const QString &name, int width) {
        auto *c = new QComboBox(QueryPanel);
        c->setObjectName(name);
        c->setFixedWidth(width);
        return c;
    };
    ComboBox2 = combo(QStringLiteral("ComboBox2"), 190);
    ComboBox4 = combo(QStringLiteral("ComboBox4"), 70);
    ComboBox4->addItems(QueryBuilder::operators());
    Combobox3 = combo(QStringLiteral("Combobox3"), 220);
    Combobox3->setToolTip(QStringLiteral("选择查询条件，加‘**’的选项为1.0版的指标项"));
    Edit2 = new QLineEdit(QueryPanel);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setFixedWidth(220);
    // The classification choosers open from these arrows.
    for (DropDownCombo **arrow : {&ComboBox5, &ComboBox6}) {
        *arrow = new DropDownCombo(QueryPanel);
        (*arrow)->setFixedWidth(20);
    }
    ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
    ComboBox6->setObjectName(QStringLiteral("ComboBox6"));
    MMSysV = new QPlainTextEdit(QueryPanel);
    MMSysV->setObjectName(QStringLiteral("MMSysV"));
    MMSysV->setReadOnly(true);
    MMUserV = new QPlainTextEdit(QueryPanel);
    MMUserV->setObjectName(QStringLiteral("MMUserV"));
    MMUserV->setReadOnly(true);
    for (QPlainTextEdit *memo : {MMSysV, MMUserV})
        memo->setFixedHeight(44);

    SpeedButton24 = speedButton(QStringLiteral("SpeedButton24"), QStringLiteral("加入"));
    SpeedButton15 = speedButton(QStringLiteral("SpeedButton15"), QStringLiteral("and"));
    SpeedButton17 = speedButton(QStringLiteral("SpeedButton17"), QStringLiteral("not"));
    SpeedButton18 = speedButton(QStringLiteral("SpeedButton18"), QStringLiteral("or"));
    SpeedButton20 = speedButton(QStringLiteral("SpeedButton20"), QStringLiteral("("));
    SpeedButton21 = speedButton(QStringLiteral("SpeedButton21"), QStringLiteral(")"));
    SpeedButton23 = speedButton(QStringLiteral("SpeedButton23"), QStringLiteral("剪切"));
    SpeedButton16 = speedButton(QStringLiteral("SpeedButton16"), QStringLiteral("查询"));
    SpeedButton26 = speedButton(QStringLiteral("SpeedButton26"), QStringLiteral("恢复"));

    auto *pick = new QHBoxLayout;
    pick->addWidget(new QLabel(QStringLiteral("项目选择栏"), QueryPanel));
    pick->addWidget(ComboBox2);
    pick->addWidget(new QLabel(QStringLiteral("条件选择栏"), QueryPanel));
    pick->addWidget(ComboBox4);
    pick->addWidget(new QLabel(QStringLiteral("项目输入栏"), QueryPanel));
    pick->addWidget(Combobox3);
    pick->addWidget(Edit2);
    pick->addWidget(ComboBox5);
    pick->addWidget(ComboBox6);
    pick->addStretch(1);
    pick->addWidget(SpeedButton24);

    auto *joiners = new QHBoxLayout;
    for (QToolButton *b : {SpeedButton15, SpeedButton17, SpeedButton18, SpeedButton20,
                           SpeedButton21, SpeedButton23})
        joiners->addWidget(b);
    joiners->addStretch(1);
    joiners->addWidget(SpeedButton16);
    joiners->addWidget(SpeedButton26);

    auto *memos = new QHBoxLayout;
    memos->addWidget(new QLabel(QStringLiteral("查询条件显示："), QueryPanel));
    memos->addWidget(MMSysV, 3);
    memos->addWidget(MMUserV, 2);

    auto *layout = new QVBoxLayout(QueryPanel);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);
    layout->addLayout(pick);
    layout->addLayout(memos);
    layout->addLayout(joiners);
}

void TMainForm::applyColumnWidths()
{
    QHeaderView *header = DBGrid1->horizontalHeader();
    for (int i = 0; i < int(std::size(ListColumns)) && i < header->count(); ++i)
        header->resizeSection(i, ListColumns[i].width);
}

// ---- controls by role -----------------------------------------------------

SectionButton *TMainForm::sectionButton(const QString &name) const
{
    for (SectionButton *b : sectionButtons()) {
        if (b->objectName() == name)
            return b;
    }
    return nullptr;
}

QList<QWidget *> TMainForm::lockSet() const
{
    return {DBGrid1, ComboBox1, cbYear, SpeedButton16, SpeedButton26,
            Button1, Button5,   BitBtn1, BitBtn2,       BitBtn4};
}

QList<QWidget *> TMainForm::unitDependentControls() const
{
    QList<QWidget *> controls;
    for (SectionButton *b : sectionButtons())
        controls << b;
    controls << Button1 << Button5 << Button4 << BitBtn1 << BitBtn2 << BitBtn3 << BitBtn4 << cbYear
             << ComboBox1 << DBGrid1;
    return controls;
}

// A control that also needs the unit's row stays disabled without it,
// whatever the record. A record that cannot be completed, its tables
// taking no writes (a damaged table kept for viewing and export), holds
// only the commands that would write: the user browses on and exports.
void TMainForm::setLockSetEnabled(bool enabled)
{
    const bool ready = unitReady();
    const QList<QWidget *> needUnit = unitDependentControls();
    const QList<QWidget *> reading = enabled || recordTakesWrites() ? QList<QWidget *>() : readingControls();
    for (QWidget *w : lockSet())
        w->setEnabled((enabled || reading.contains(w)) && (ready || !needUnit.contains(w)));
}

QList<QWidget *> TMainForm::readingControls() const
{
    return {DBGrid1, ComboBox1, cbYear, SpeedButton16, SpeedButton26, BitBtn2};
}

// What completing a record writes: its own row and its persons.
bool TMainForm::recordTakesWrites() const
{
    Database &db = *dm().database();
    for (const QString &table : {QStringLiteral("kjcg.DBF"), QStringLiteral("cgwcr.DBF")}) {
        if (!db.file(table)->isWritable())
            return false;
    }
    return true;
}

bool TMainForm::unitReady() const
{
    return isWired() && dm().Tblunit->isOpen() && !dm().Tblunit->isEmpty();
}

void TMainForm::setUnitDependentEnabled(bool enabled)
{
    for (QWidget *w : unitDependentControls())
        w->setEnabled(enabled);
}

// ---- start-up -------------------------------------------------------------

void TMainForm::wire(AppContext &context)
{
    ContextWindow::wire(context);
    dm().DSQkjcg->setColumns(listFields());
    m_listModel->setSourceModel(dm().DSQkjcg);
    connect(dm().Qrykjcg, &DataSet::currentChanged, this, &TMainForm::showCurrentRow,
            Qt::UniqueConnection);
    applyColumnWidths();
}

TDM &TMainForm::dm() const
{
    return context().dm();
}

QString TMainForm::currentField(const QString &field) const
{
    const Query &list = *dm().Qrykjcg;
    if (!list.isOpen() || list.isEmpty())
        return {};
    return list.asString(field).trimmed();
}

// ---- the pages' host ------------------------------------------------------

DataSet &TMainForm::currentRecord()
{
    return *dm().Qrykjcg;
}

// With an empty list the new-record dialog comes first.
bool TMainForm::ensureCurrentRecord()
{
    const DataSet &list = currentRecord();
    if (list.isOpen() && !list.isEmpty())
        return true;
    Button1->click();
    return list.isOpen() && !list.isEmpty();
}

void TMainForm::markSectionDone(const QString &buttonName)
{
    if (SectionButton *button = sectionButton(buttonName))
        button->setKind(SectionButton::Done);
}

void TMainForm::pageLeft()
{
    runGuarded(this, [this] { CheckPagesDone(); });
}

int TMainForm::categoryIndex() const
{
    return ComboBox1->currentIndex();
}

// The commands that need the unit come back; those of the lock only while
// the current record is complete.
void TMainForm::unitPageLeft()
{
    runGuarded(this, [this] {
        const QList<QWidget *> locked = lockSet();
        for (QWidget *w : unitDependentControls()) {
            if (!locked.contains(w))
                w->setEnabled(true);
        }
        evaluateCurrentRecord();
    });
}

// The export marks the records it packed: the list shows them afresh.
void TMainForm::recordsChanged()
{
    reloadList();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The splash and the first-run page are modal: they run once the main
    // window is on screen.
    QTimer::singleShot(0, this, &TMainForm::FormShow);
}

void TMainForm::FormShow()
{
    runGuarded(this, [&] {
        if (auto *splash = context().window<Tformwel>())
            splash->showSplash();
        showUnitPageOnFirstRun();
        prepareFilters();
    });
}

void TMainForm::showUnitPageOnFirstRun()
{
    if (dm().Tblunit->isEmpty())
        Button2Click();
}

void TMainForm::Button2Click()
{
    if (!isWired())
        return;
    if (auto *unitPage = context().window<TFpage4a>())
        runGuarded(this, [&] { unitPage->showLoaded(); });
}

// However the import window was left, records may have arrived: the year
// list, the list and the lock are read again.
void TMainForm::BitBtn1Click()
{
    auto *import = isWired() ? context().window<TFormin>() : nullptr;
    if (!import)
        return;
    runGuarded(this, [&] { import->exec(); });
    runGuarded(this, [this] {
        fillYearList();
        reloadList();
    });
}

// The export window refreshes the list itself when it closes.
void TMainForm::BitBtn2Click()
{
    if (auto *exportWindow = isWired() ? context().window<TFormout>() : nullptr)
        runGuarded(this, [&] { exportWindow->exec(); });
}

void TMainForm::BitBtn3Click()
{
    if (auto *codeTables = isWired() ? context().window<TFcodeManage>() : nullptr)
        runGuarded(this, [&] { codeTables->exec(); });
}

void TMainForm::prepareFilters()
{
    Edit2->hide();
    ComboBox5->hide();
    ComboBox6->hide();
    fillYearList();
    ComboBox1->setCurrentIndex(0);
    cbYear->setCurrentIndex(0);
    prepareQueryItems();
    setUnitDependentEnabled(unitReady());
    reloadList();
}

void TMainForm::evaluateCurrentRecord()
{
    MarkIncompletePages();
    CheckPagesDone();
}

// The lock is in place before the numbers are written: a renumbering that
// fails leaves no incomplete record unlocked.
void TMainForm::reloadList()
{
    LoadAchievementList();
    evaluateCurrentRecord();
    RenumberList();
}

void TMainForm::chooseCategory(int categoryIndex)
{
    if (categoryIndex == ComboBox1->currentIndex())
        return;
    ComboBox1->setCurrentIndex(categoryIndex);
    reloadList();
}

void TMainForm::chooseYear(const QString &year)
{
    const int index = cbYear->findText(year.trimmed(), Qt::MatchExactly);
    if (index < 0 || index == cbYear->currentIndex())
        return;
    cbYear->setCurrentIndex(index);
    reloadList();
}

bool TMainForm::refreshYearList()
{
    const QString chosen = cbYear->currentText();
    fillYearList();
    const int kept = chosen.isEmpty() ? -1 : cbYear->findText(chosen, Qt::MatchExactly);
    if (kept >= 0)
        cbYear->setCurrentIndex(kept);
    return cbYear->currentText() == chosen;
}

void TMainForm::fillYearList()
{
    Query &years = *dm().tempquery;
    years.close();
    years.setSql(QStringLiteral("select item_4 from kjcg order by item_4 desc"));
    years.open();
    FillYearCombo(cbYear, years);
}

// The first query item comes with the input that fits it, as if chosen.
void TMainForm::prepareQueryItems()
{
    queryBuilder->fillItems();
    Combobox3->setCurrentIndex(0);
    ComboBox4->setCurrentIndex(0);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (size() != QSize(FormWidth, FormHeight))
        resize(FormWidth, FormHeight);
}

QString TMainForm::closeQuestion() const
{
    QHash<QString, bool> done;
    for (SectionButton *b : sectionButtons())
        done.insert(b->objectName(), b->isDone());
    return AchievementList::closeQuestion(
        isWired() ? currentField(QStringLiteral("item_cglb")) : QString(), done);
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    QString question;
    runGuarded(this, [&] { question = closeQuestion(); });
    if (question.isEmpty()) {
        event->accept();
        return;
    }
    const auto answer = Messages::show(this, QStringLiteral("提示信息"), question,
                                       QMessageBox::Information,
                                       QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Ok)
        event->accept();
    else
        event->ignore();
}

void TMainForm::BitBtn7Click()
{
    close();
    if (!isWired())
        return;
    if (auto *splash = context().window<Tformwel>())
        splash->close();
}

// ---- the list -------------------------------------------------------------

void TMainForm::LoadAchievementList()
{
    Query &list = *dm().Qrykjcg;
    const int category = ComboBox1->currentIndex();
    const QString sql = AchievementList::listSql(category, cbYear->currentText());
    if (!sql.isEmpty()) {
        showSectionsOfCategory(category);
        list.close();
        list.setSql(sql);
        list.open();
    }
    CurrentListSql = list.sql();
}

void TMainForm::showSectionsOfCategory(int categoryIndex)
{
    const QString category = AchievementList::categoryCode(categoryIndex);
    const QList<AchievementList::Section> &sections = AchievementList::sections();
    for (int i = 0; i < sections.size(); ++i)
        m_sectionButtons[i]->setVisible(AchievementList::belongsTo(sections[i], category));
}

void TMainForm::FillYearCombo(QComboBox *combo, DataSet &dataSet)
{
    QStringList numbers;
    for (dataSet.first(); !dataSet.eof(); dataSet.next())
        numbers << dataSet.asString(QStringLiteral("item_4"));
    const QStringList years = AchievementList::yearsOf(numbers);
    combo->clear();
    if (years.isEmpty()) {
        combo->addItem(QString::number(Clock::today().year()));
        combo->setCurrentIndex(-1);
        return;
    }
    combo->addItems(years);
    combo->setCurrentIndex(0);
}

void TMainForm::MarkIncompletePages()
{
    const QStringList notDone =
        AchievementList::sectionsNotDone(*dm().QryCheckUp, *dm().Qrykjcg, ComboBox1->currentIndex());
    for (SectionButton *b : sectionButtons())
        b->setKind(notDone.contains(b->objectName()) ? SectionButton::NotDone : SectionButton::Done);
}

bool TMainForm::CheckPagesDone()
{
    QHash<QString, bool> done;
    for (SectionButton *b : sectionButtons())
        done.insert(b->objectName(), b->isDone());
    const bool complete =
        AchievementList::isComplete(currentField(QStringLiteral("item_cglb")), done);
    setLockSetEnabled(complete);
    return complete;
}

// Only numbers that are wrong are written, and never into a table that may
// not be written (a damaged one, kept for reading and export): its list
// shows the places all the same.
void TMainForm::RenumberList()
{
    Query &list = *dm().Qrykjcg;
    // Detached, the grid does not repaint once per row.
    dm().DSQkjcg->setDataSet(nullptr);
    const auto reattach = qScopeGuard([&] {
        if (list.state() == DataSet::Edit)
            list.cancel();
        dm().DSQkjcg->setDataSet(&list);
        if (list.isOpen())
            list.first();
    });
    if (!dm().database()->file(QStringLiteral("kjcg.DBF"))->isWritable())
        return;
    const QString no = QStringLiteral("no");
    const int count = list.recordCount();
    DbfSyncBatch oneSync;
    list.first();
    for (int i = 1; i <= count; ++i) {
        const QString place = QString::number(i);
        if (list.asString(no).trimmed() != place) {
            list.edit();
            list.setString(no, place);
            list.post();
        }
        list.next();
    }
    oneSync.finish();
}

void TMainForm::FollowNewRecordFilter(int categoryIndex, const QString &yearText)
{
    chooseCategory(categoryIndex);
    chooseYear(yearText);
}

void TMainForm::showCurrentRow()
{
    if (!isWired() || m_listModel->sourceModel() != dm().DSQkjcg || !dm().DSQkjcg->dataSet())
        return;
    const Query &list = *dm().Qrykjcg;
    m_followingCurrent = true;
    SelectGridRow(DBGrid1, list.isOpen() ? list.recNo() : -1);
    m_followingCurrent = false;
}

// ---- handlers -------------------------------------------------------------

void TMainForm::ComboBox1Change()
{
    runGuarded(this, [&] { reloadList(); });
}

void TMainForm::DBGrid1CellClick()
{
    runGuarded(this, [&] {
        if (dm().Qrykjcg->isEmpty())
            return;
        evaluateCurrentRecord();
        m_lockWarningDue = true;
        warnWhenLocked();
    });
}

// However another row becomes current (a click, the arrow and page keys),
// it is evaluated as a click evaluates it, before anything else can use
// it. The warning waits until the key or mouse event is over, so that a
// click onto an incomplete record shows it once.
void TMainForm::currentRowMoved(int row)
{
    runGuarded(this, [&] {
        Query &list = *dm().Qrykjcg;
        if (!list.isOpen() || list.isEmpty())
            return;
        if (list.recNo() != row)
            list.moveTo(row);
        evaluateCurrentRecord();
        if (!DBGrid1->isEnabled() && !m_lockWarningDue) {
            m_lockWarningDue = true;
            QTimer::singleShot(0, this, &TMainForm::warnWhenLocked);
        }
    });
}

void TMainForm::warnWhenLocked()
{
    if (!m_lockWarningDue)
        return;
    m_lockWarningDue = false;
    if (!DBGrid1->isEnabled())
        Messages::show(this, QStringLiteral("提示信息"),
                       QStringLiteral("当前项目有未完成栏目，请您填写完毕!"),
                       QMessageBox::Information);
}

void TMainForm::Button4Click()
{
    runGuarded(this, [&] { deleteCurrentRecord(); });
}

void TMainForm::BitBtn4Click()
{
    const auto recordComplete = [this] {
        MarkIncompletePages();
        return CheckPagesDone();
    };
    if (!isWired())
        return;
    runGuarded(this, [&] {
        auto *print = context().window<TPrintForm>();
        if (print && PrintPreparation::prepare(context().dm(), recordComplete, this))
            print->exec();
    });
}

void TMainForm::Button6Click()
{
    runGuarded(this, [&] { context().need<TFormNew>().openForNewRecord(); });
}

void TMainForm::Button3Click()
{
    runGuarded(this, [&] { context().need<TFormNew>().openForModify(); });
}

// The record is its number together with its region: records of another
// region that carry the same number are not touched.
void TMainForm::deleteCurrentRecord()
{
    Query &list = *dm().Qrykjcg;
    if (!list.isOpen() || list.isEmpty())
        return;
    const QString question = QStringLiteral("是否删除'") + list.asString(QStringLiteral("item_3"))
                             + QStringLiteral("'") + QStringLiteral("项目?");
    if (Messages::show(this, QStringLiteral("提示信息"), question, QMessageBox::Information,
                       QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    const int position = list.recNo();
    const QString item4 = list.asString(QStringLiteral("item_4"));
    const QString itemDqdm = list.asString(QStringLiteral("item_dqdm"));
    try {
        ChildRows::deleteRecord(dm().database(), {item4, itemDqdm});
        LoadAchievementList();
    } catch (...) {
        showListAfterFailedDelete(position);
        throw;
    }
    showListAfterDelete(position);
}

// When the record was the last of its year, the year leaves the year list
// and the list of the year now chosen is shown.
void TMainForm::showListAfterDelete(int position)
{
    if (!refreshYearList()) {
        reloadList();
        return;
    }
    RenumberList();
    showRecordAfterDelete(position);
}

// The record that followed takes the deleted one's place; after the last
// one the list stays on its first row.
void TMainForm::showRecordAfterDelete(int position)
{
    Query &list = *dm().Qrykjcg;
    if (list.isOpen() && position < list.recordCount())
        list.moveTo(position);
    showCurrentRow();
    evaluateCurrentRecord();
}

// The failure that stopped the delete is the one the user is told about.
// The list still comes back from the category and year, and the lock
// speaks for the record shown; each step is tried on its own.
void TMainForm::showListAfterFailedDelete(int position)
{
    const auto quietly = [](const auto &step) {
        try {
            step();
        } catch (...) {
        }
    };
    bool yearKept = true;
    quietly([&] { yearKept = refreshYearList(); });
    quietly([&] { LoadAchievementList(); });
    quietly([&] { RenumberList(); });
    quietly([&] { showRecordAfterDelete(yearKept ? position : 0); });
}
