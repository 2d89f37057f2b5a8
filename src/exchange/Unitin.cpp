#include "Unitin.h"

#include "records/widgets/ListGrid.h"
#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "exchange/ArchiverProgress.h"
#include "exchange/ImportStaging.h"
#include "exchange/OldPackage.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/ExchangeNames.h"
#include "exchange/core/SafeCopy.h"
#include "exchange/core/WorkFolders.h"
#include "exchange/formatitem4.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/data/UnitDM.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/FileChoice.h"
#include "records/widgets/GridSelection.h"
#include "records/widgets/NamedControls.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QShowEvent>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>


namespace {

// Keeps the window painted without paying for it on every record.
constexpr int RecordsPerRepaint = 200;

// The number column shows the year only.
class YearDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant &value, const QLocale &) const override
    {
        return value.toString().left(4);
    }
};

QFrame *makePanel(QWidget *parent, const QString &name)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->hide();
    return panel;
}

class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TFormin::TFormin(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Formin"));
    setWindowTitle(QStringLiteral("数据导入"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    resize(680, 480);
    buildControls();
    m_chooser = [](QWidget *parentWidget, const QString &title) {
        return ChooseFileToOpen(parentWidget, title, QStringLiteral("arj(*.arj)"));
    };
}

TFormin::~TFormin() = default;

void TFormin::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    Button1 = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("请选择导入文件"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    PadCaption(Button1);
    Button2 = MakeButton(this, QStringLiteral("Button2"), QStringLiteral("改名"));
    top->addWidget(Button1);
    top->addWidget(Edit1, 1);
    top->addWidget(Button2);
    layout->addLayout(top);
    layout->addLayout(buildPackageNotes());

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    StyleListGrid(DBGrid1);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setItemDelegateForColumn(2, new YearDelegate(DBGrid1));
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(buildRenamePanel());
    layout->addWidget(buildLoadingPanel());
    layout->addWidget(buildStoringPanel());

    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto *counts = new QHBoxLayout;
    counts->addWidget(Label6);
    counts->addWidget(Label2, 1);
    layout->addLayout(counts);

    Button3 = MakeButton(this, QStringLiteral("Button3"), QStringLiteral("导入"));
    Button4 = MakeButton(this, QStringLiteral("Button4"), QStringLiteral("排重"));
    Button6 = MakeButton(this, QStringLiteral("Button6"), QStringLiteral("保存"));
    Button7 = MakeButton(this, QStringLiteral("Button7"), QStringLiteral("删除"));
    Button8 = MakeButton(this, QStringLiteral("Button8"), QStringLiteral("同名覆盖"));
    btnformat = MakeButton(this, QStringLiteral("btnformat"), QStringLiteral("修改成果年份"));
    PadCaption(btnformat);
    Button5 = MakeButton(this, QStringLiteral("Button5"), QStringLiteral("退出"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {Button3, Button4, Button6, Button7, Button8, btnformat, Button5})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TFormin::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormin::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFormin::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TFormin::Button4Click);
    connect(Button6, &QPushButton::clicked, this, &TFormin::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TFormin::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TFormin::Button8Click);
    connect(btnformat, &QPushButton::clicked, this, &TFormin::btnformatClick);
    connect(Button5, &QPushButton::clicked, this, &TFormin::Button5Click);
    connect(Button9, &QPushButton::clicked, this, &TFormin::Button9Click);
    connect(Edit2, &QLineEdit::returnPressed, Button9, &QPushButton::click);
}

// Tells which package the window takes, and what "改名" is for.
QHBoxLayout *TFormin::buildPackageNotes()
{
    auto *notes = new QHBoxLayout;
    notes->addWidget(new QLabel(QStringLiteral("导入包的名字必须是CGSBQY.ARJ；"), this));
    notes->addWidget(new QLabel(QStringLiteral("名为CGSB加单位代码的旧包（如CGSB12.ARJ），请先点“改名”转换。"), this), 1);
    return notes;
}

QFrame *TFormin::buildRenamePanel()
{
    Panel1 = makePanel(this, QStringLiteral("Panel1"));
    auto *row = new QHBoxLayout(Panel1);
    row->addWidget(new QLabel(QStringLiteral("请修改成果名称"), Panel1));
    Edit2 = new ByteLimitedEdit(140, Panel1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    row->addWidget(Edit2, 1);
    Button9 = MakeButton(Panel1, QStringLiteral("Button9"), QStringLiteral("确定"));
    row->addWidget(Button9);
    return Panel1;
}

QFrame *TFormin::buildLoadingPanel()
{
    Panel4 = makePanel(this, QStringLiteral("Panel4"));
    auto *row = new QHBoxLayout(Panel4);
    row->addWidget(new QLabel(QStringLiteral("正在处理数据"), Panel4));
    Label5 = new QLabel(Panel4);
    Label5->setObjectName(QStringLiteral("Label5"));
    row->addWidget(Label5, 1);
    return Panel4;
}

QFrame *TFormin::buildStoringPanel()
{
    Panelstat = makePanel(this, QStringLiteral("Panelstat"));
    auto *row = new QHBoxLayout(Panelstat);
    row->addWidget(new QLabel(QStringLiteral("正在处理数据"), Panelstat));
    Gauge1 = new QProgressBar(Panelstat);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    row->addWidget(Gauge1, 1);
    return Panelstat;
}

void TFormin::setFileChooser(FileChooser chooser)
{
    m_chooser = std::move(chooser);
}

QString TFormin::chooseFile(const QString &title)
{
    return m_chooser ? m_chooser(this, title) : QString();
}

TDM &TFormin::dm() const
{
    return context().dm();
}

Table &TFormin::staged() const
{
    return *dm().T_temp_in;
}

void TFormin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// Whatever was staged and not stored is discarded when the window opens.
void TFormin::FormShow()
{
    Table &table = staged();
    table.close();
    // A folder that refuses writes keeps what is staged; the list still
    // shows it under its titles.
    runGuarded(this, [&] { ImportStaging::clearAll(dm().database()); });
    runGuarded(this, [&] {
        table.setTableName(ImportStaging::kjcgTable());
        table.open();
        table.setFieldTitle(QStringLiteral("ITEM_3"), QStringLiteral("成果名称"));
        table.setFieldTitle(QStringLiteral("ITEM_9"), QStringLiteral("完成单位"));
        table.setFieldTitle(QStringLiteral("ITEM_4"), QStringLiteral("成果完成时间"));
    });
    dm().DS_temp_in->setDataSet(&table);
    dm().DS_temp_in->setColumns({QStringLiteral("ITEM_3"), QStringLiteral("ITEM_9"), QStringLiteral("ITEM_4")});
    DBGrid1->setModel(dm().DS_temp_in);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TFormin::followGridRow,
            Qt::UniqueConnection);
    DBGrid1->setColumnWidth(0, 320);
    DBGrid1->setColumnWidth(1, 200);
    setOnlyChoiceAndExit();
    Panel1->hide();
    Panel4->hide();
    Panelstat->hide();
    Edit1->clear();
    Label6->clear();
    Label2->clear();
    m_unpacked.reset();
}

// 删除, the year dialog and the rename work on the staged table's current
// row: it must be the row the user picked in the grid.
void TFormin::followGridRow(const QModelIndex &current)
{
    Table &table = staged();
    if (!current.isValid() || !table.isOpen() || table.recNo() == current.row())
        return;
    runGuarded(this, [&] { table.moveTo(current.row()); });
}

void TFormin::setOnlyChoiceAndExit()
{
    Button1->setEnabled(true);
    Button5->setEnabled(true);
    Button2->setEnabled(true);
    btnformat->setEnabled(true);
    for (QPushButton *b : {Button3, Button4, Button6, Button7, Button8})
        b->setEnabled(false);
    DBGrid1->setEnabled(true);
}

void TFormin::setStoringButtons()
{
    for (QPushButton *b : {Button1, Button2, Button3, Button4, Button6, Button7, Button8, Button5, btnformat})
        b->setEnabled(false);
}

// The window keeps painting while a package loads; a click on one of these
// would replace or leave the folder being read.
void TFormin::setLoadingButtons(bool loading)
{
    for (QPushButton *b : {Button1, Button2, Button3, Button5, btnformat})
        b->setEnabled(!loading);
}

void TFormin::showCounts()
{
    const ImportStaging::CategoryCounts counts = ImportStaging::countCategories(dm().database());
    Label6->setText(counts.totalText());
    Label2->setText(counts.detailText());
    staged().refresh();
    staged().first();
    SelectGridRow(DBGrid1, staged().recNo());
}

void TFormin::Button1Click()
{
    runGuarded(this, [this] { choosePackage(); });
}

void TFormin::choosePackage()
{
    const QString path = chooseFile(QStringLiteral("请选择要导入的文件夹"));
    if (path.isEmpty())
        return;
    // As chosen: on a disk that tells case apart, the upper-cased name
    // would be another file.
    Edit1->setText(QDir::toNativeSeparators(path));
    if (!ImportStaging::isPackageName(path)) {
        Messages::show(this, QStringLiteral("请注意！"), QStringLiteral("请选择正确导入包,名字是CGSBQY.ARJ!"),
                       QMessageBox::NoIcon);
        return;
    }
    unpackPackage(path);
}

// "导入" is offered only once the archiver has unpacked the whole package.
void TFormin::unpackPackage(const QString &path)
{
    Button3->setEnabled(false);
    m_unpacked = std::make_unique<QTemporaryDir>(WorkFolders::nameTemplate());
    auto forget = qScopeGuard([this] { m_unpacked.reset(); });
    RequireTemporaryFolder(*m_unpacked);
    QStringList skipped;
    try {
        Archiver archiver;
        ArchiverProgress shown(archiver, this);
        archiver.unpack(path, m_unpacked->path(), {}, ExchangeNames::allFiles(), &skipped);
    } catch (const ArchiverCancelled &) {
        return;
    }
    forget.dismiss();
    Button3->setEnabled(true);
    if (!skipped.isEmpty())
        Messages::ShowWarning(this, ImportStaging::skippedMembersNote(skipped));
}

void TFormin::Button3Click()
{
    runGuarded(this, [this] { loadPackage(); });
}

// Whatever ends the load, the grid is attached again and the unpacked
// files are gone before anything is said.
void TFormin::loadPackage()
{
    if (!m_unpacked)
        return;
    setLoadingButtons(true);
    Panel4->show();
    dm().DS_temp_in->setDataSet(nullptr);
    int records = 0;
    ImportStaging::LoadProgress progress;
    progress.file = [this](const QString &text) {
        Label5->setText(text);
        QApplication::processEvents();
    };
    progress.record = [&records] {
        if (++records % RecordsPerRepaint == 0)
            QApplication::processEvents();
    };
    ImportStaging::LoadResult result;
    QString notAPackage;
    {
        const auto attachAgain = qScopeGuard([this] {
            m_unpacked.reset();
            dm().DS_temp_in->setDataSet(&staged());
            Panel4->hide();
            setLoadingButtons(false);
            Button3->setEnabled(false);
        });
        WaitCursor wait;
        try {
            result = ImportStaging::load(dm().database(), m_unpacked->path(), progress);
        } catch (const ImportStaging::NotAPackage &error) {
            notAPackage = error.message();
        }
    }
    if (!notAPackage.isEmpty()) {
        Messages::ShowWarning(this, notAPackage);
        return;
    }
    Button1->setEnabled(false);
    for (QPushButton *b : {Button4, Button7, Button8})
        b->setEnabled(true);
    showCounts();
    if (staged().isEmpty())
        Messages::ShowWarning(this, QStringLiteral("导入的文件为空表！"));
    QString done = QStringLiteral("导入完毕！");
    if (result.shortLines > 0)
        done += QStringLiteral("\n其中有%1行数据少于表的列数，缺少的数据为空。").arg(result.shortLines);
    if (!result.notes().isEmpty())
        done += QLatin1Char('\n') + result.notes();
    Messages::ShowWarning(this, done);
}

// The year change moves the list back to its first row: it waits with the
// rest while a row is being renamed.
void TFormin::setDuplicateControlsEnabled(bool enabled)
{
    for (QPushButton *b : {Button5, Button4, Button7, Button8, Button2, btnformat})
        b->setEnabled(enabled);
    DBGrid1->setEnabled(enabled);
}

void TFormin::Button4Click()
{
    runGuarded(this, [this] { checkDuplicates(); });
}

void TFormin::checkDuplicates()
{
    for (int row = ImportStaging::nextDuplicate(staged(), 0); row >= 0;
         row = ImportStaging::nextDuplicate(staged(), 0)) {
        SelectGridRow(DBGrid1, row);
        const QString title = staged().asString(QStringLiteral("item_3")).trimmed();
        const auto answer = Messages::show(this, QStringLiteral("请注意！"),
                                           QStringLiteral("导入的项目“%1”有重复,是否删除？").arg(title),
                                           QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            Edit2->setText(title);
            setDuplicateControlsEnabled(false);
            for (QPushButton *b : {Button1, Button3, Button6})
                b->setEnabled(false);
            Panel1->show();
            Edit2->setFocus();
            return;
        }
        ImportStaging::deleteCurrent(staged());
        showCounts();
    }
    Messages::show(this, QStringLiteral("状态！"), QStringLiteral("排重已经完成！"), QMessageBox::NoIcon);
    if (!staged().isEmpty()) {
        Button6->setEnabled(true);
    } else {
        Button1->setEnabled(true);
        for (QPushButton *b : {Button4, Button7, Button8})
            b->setEnabled(false);
    }
}

// The new title goes to the row the panel was opened for: nothing that
// moves the staged table is enabled while the panel is open. The panel
// closes whether or not it could be stored.
void TFormin::Button9Click()
{
    runGuarded(this, [this] {
        const auto closePanel = qScopeGuard([this] {
            setDuplicateControlsEnabled(true);
            Panel1->hide();
            SelectGridRow(DBGrid1, staged().recNo());
        });
        ImportStaging::renameCurrent(staged(), Edit2->text());
    });
}

void TFormin::Button7Click()
{
    runGuarded(this, [this] { deleteStagedRecord(); });
}

void TFormin::deleteStagedRecord()
{
    if (staged().isEmpty())
        return;
    if (Messages::show(this, QStringLiteral("请注意！"), QStringLiteral("是否删除数据？"), QMessageBox::Question,
                       QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    runGuarded(this, [this] { ImportStaging::deleteCurrent(staged()); });
    const int row = staged().recNo();
    if (staged().isEmpty()) {
        Button1->setEnabled(true);
        for (QPushButton *b : {Button4, Button8, Button7})
            b->setEnabled(false);
    }
    showCounts();
    if (row >= 0) {
        staged().moveTo(row);
        SelectGridRow(DBGrid1, row);
    }
}

void TFormin::Button6Click()
{
    runGuarded(this, [this] { store(ImportStore::Mode::Save); });
}

void TFormin::Button8Click()
{
    runGuarded(this, [this] { store(ImportStore::Mode::Overwrite); });
}

// Whatever stops the store, it is reported with the count of what was
// stored, and the window offers the commands again.
void TFormin::store(ImportStore::Mode mode)
{
    setStoringButtons();
    Panelstat->show();
    const int total = staged().recordCount();
    Gauge1->setRange(0, qMax(1, total));
    Gauge1->setValue(0);
    dm().DS_temp_in->setDataSet(nullptr);
    ImportStore::Result result;
    try {
        WaitCursor wait;
        result = ImportStore(dm().database()).storeAll(mode, [this](int done, int) {
            Gauge1->setValue(done);
            QApplication::processEvents();
        });
    } catch (...) {
        result.problems = {Guard::currentText()};
        result.failed = total;
    }
    dm().DS_temp_in->setDataSet(&staged());
    Panelstat->hide();
    afterStoring(result);
    Messages::ShowWarning(this, ImportStore::resultMessage(mode, result), ImportStore::resultDetails(result));
}

// Records that could not be stored stay staged, and the commands on them
// stay offered.
void TFormin::afterStoring(const ImportStore::Result &result)
{
    setOnlyChoiceAndExit();
    showCounts();
    if (staged().isEmpty()) {
        Label6->setText(QStringLiteral("导入完毕。"));
        Label2->clear();
        return;
    }
    if (result.failed > 0) {
        for (QPushButton *b : {Button4, Button6, Button7, Button8})
            b->setEnabled(true);
    }
}

void TFormin::btnformatClick()
{
    runGuarded(this, [this] {
        auto *yearChange = context().window<Tformformat>();
        if (!yearChange)
            return;
        yearChange->setStaged(&staged());
        yearChange->exec();
        showCounts();
    });
}

void TFormin::Button2Click()
{
    runGuarded(this, [this] { repackOldPackage(); });
}

void TFormin::repackOldPackage()
{
    const QString path = chooseFile(QStringLiteral("请选择要改名的文件夹"));
    if (path.isEmpty())
        return;
    QString code;
    if (!ImportStaging::isOldPackageName(path, &code)) {
        Messages::show(this, QStringLiteral("请注意！"),
                       QStringLiteral("请选择正确文件,被改名的文件类似CGSBXXX.ARJ(XXX为数字)!"), QMessageBox::NoIcon);
        return;
    }
    try {
        Archiver archiver;
        ArchiverProgress shown(archiver, this);
        const QString made = OldPackage::repack(archiver, path, code, [this](const QString &existing) {
            return Messages::show(this, QStringLiteral("请注意！"),
                                  QStringLiteral("文件夹中已有%1，是否替换？").arg(QDir::toNativeSeparators(existing)),
                                  QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
                   == QMessageBox::Yes;
        });
        if (made.isEmpty())
            return;
        Messages::ShowWarning(this, QStringLiteral("你已改名成功!文件在") + QDir::toNativeSeparators(made));
    } catch (const OldPackage::MissingMembers &error) {
        Messages::show(this, QStringLiteral("请注意！"), error.message(), QMessageBox::NoIcon);
    } catch (const ArchiverCancelled &) {
    }
}

void TFormin::Button5Click()
{
    runGuarded(this, [this] { leave(); });
}

void TFormin::reject()
{
    if (Button5->isEnabled())
        runGuarded(this, [this] { leave(); });
}

void TFormin::leave()
{
    if (Button6->isEnabled()
        && Messages::show(this, QStringLiteral("请注意！"), QStringLiteral("是否保存导入数据？"),
                          QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
               == QMessageBox::Yes) {
        Button6Click();
    }
    setOnlyChoiceAndExit();
    Panel1->hide();
    accept();
}
