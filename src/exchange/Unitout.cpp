#include "Unitout.h"

#include "records/widgets/ListGrid.h"
#include "ArchiverProgress.h"
#include "ExchangeFolders.h"
#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "exchange/core/SafeCopy.h"
#include "exchange/core/WorkFolders.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/ExportPackage.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/data/AchievementList.h"
#include "records/data/UnitDM.h"
#include "records/widgets/NamedControls.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString ReplaceQuestion = QStringLiteral(
    "该路径存在上报文件！选择“是”该文件将被覆盖；选择“否”放弃操作。如果需要保存现存文件，"
    "需要把该文件保存到到别的文件夹内，再执行该操作！");
const QString AllAgainHint = QStringLiteral("再次选择全部项目请双击");

bool askYesNo(QWidget *parent, const QString &question)
{
    return Messages::show(parent, QStringLiteral("提示信息"), question, QMessageBox::Information,
                          QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

// The folder followed by one separator, as the success message shows it.
QString withSeparator(const QString &folder)
{
    return folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/'))
               ? folder
               : folder + QDir::separator();
}

// Close, the filter (none when empty), open.
void ApplyDataSetFilter(Table &table, const QString &filter)
{
    table.close();
    table.setFiltered(false);
    table.setFilter(filter);
    table.setFiltered(!filter.isEmpty());
    table.open();
}

// A double click on "全部" selects all again.
class DoubleClickFilter : public QObject
{
public:
    DoubleClickFilter(QObject *parent, std::function<void()> action)
        : QObject(parent), m_action(std::move(action))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            m_action();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

TFormout::TFormout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Formout"));
    setWindowTitle(QStringLiteral("数据导出"));
    resize(720, 480);
    buildGrid();
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Button2 = MakeButton(this, QStringLiteral("Button2"), QStringLiteral("导出"), 75);
    Button1 = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("退出"), 75);
    connect(Button2, &QPushButton::clicked, this, &TFormout::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TFormout::Button1Click);

    auto *side = new QVBoxLayout;
    side->addWidget(buildRange());
    side->addWidget(buildFolders(), 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    side->addLayout(buttons);

    auto *list = new QVBoxLayout;
    list->addWidget(DBGrid1, 1);
    list->addWidget(Label1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(list, 3);
    layout->addLayout(side, 2);
}

void TFormout::buildGrid()
{
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setToolTip(QStringLiteral("多条选择，按住ctrl键！"));
    StyleListGrid(DBGrid1);
    DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBGrid1->setStyleSheet(QStringLiteral("QTableView { selection-background-color: maroon; "
                                          "selection-color: white; }"));
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
}

void TFormout::wire(AppContext &context)
{
    ContextWindow::wire(context);
    TDM &data = context.dm();
    data.T_temp_out->setFieldTitle(QStringLiteral("ITEM_3"), QStringLiteral("成果名称"));
    data.T_temp_out->setFieldTitle(QStringLiteral("ITEM_9"), QStringLiteral("完成单位"));
    data.DS_temp_out->setColumns({QStringLiteral("ITEM_3"), QStringLiteral("ITEM_9")});
    DBGrid1->setModel(data.DS_temp_out);
    DBGrid1->setColumnWidth(0, 200);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormout::showSelectionCount);
    connect(data.DS_temp_out, &QAbstractItemModel::modelReset, this, &TFormout::showSelectionCount);
}

TDM &TFormout::dm() const
{
    return context().dm();
}

QWidget *TFormout::buildRange()
{
    GroupBox1 = new QGroupBox(QStringLiteral("导出范围"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    RadioButton5 = new QRadioButton(QStringLiteral("全部"), GroupBox1);
    RadioButton5->setObjectName(QStringLiteral("RadioButton5"));
    RadioButton7 = new QRadioButton(QStringLiteral("年份"), GroupBox1);
    RadioButton7->setObjectName(QStringLiteral("RadioButton7"));
    ComboBox2 = MakePickList(GroupBox1, QStringLiteral("ComboBox2"));
    ComboBox2->setMinimumWidth(80);
    ComboBox2->hide();
    connect(RadioButton5, &QRadioButton::clicked, this, &TFormout::RadioButton5Click);
    connect(RadioButton7, &QRadioButton::clicked, this, &TFormout::RadioButton7Click);
    connect(ComboBox2, &QComboBox::activated, this, &TFormout::ComboBox2Change);
    RadioButton5->installEventFilter(new DoubleClickFilter(RadioButton5, [this] { RadioButton5Click(); }));
    connect(RadioButton5, &QRadioButton::toggled, this,
            [this](bool on) { RadioButton5->setToolTip(on ? AllAgainHint : QString()); });

    auto *row = new QHBoxLayout(GroupBox1);
    row->addWidget(RadioButton5);
    row->addWidget(RadioButton7);
    row->addWidget(ComboBox2);
    row->addStretch();
    return GroupBox1;
}

QWidget *TFormout::buildFolders()
{
    auto *box = new QGroupBox(QStringLiteral("导出到"), this);
    DriveComboBox1 = new QComboBox(box);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DirectoryListBox1 = new QTreeView(box);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    Edit1 = new QLineEdit(box);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    m_folders = new ExchangeFolders(DriveComboBox1, DirectoryListBox1, this);
    connect(m_folders, &ExchangeFolders::driveChosen, Edit1, &QLineEdit::setText);
    connect(m_folders, &ExchangeFolders::folderChosen, Edit1, &QLineEdit::setText);

    auto *column = new QVBoxLayout(box);
    column->addWidget(DriveComboBox1);
    column->addWidget(DirectoryListBox1, 1);
    column->addWidget(Edit1);
    return box;
}

void TFormout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// Every mark back to '0', the list empty until a range is chosen, the
// current folder as the target.
void TFormout::FormShow()
{
    runGuarded(this, [this] {
        fillYears();
        uncheckRange();
        // A table kept for viewing and export keeps its marks; the export
        // says so when it is done.
        if (dm().database()->file(QStringLiteral("kjcg.DBF"))->isWritable())
            ExportPackage::resetMarks(*dm().database());
    });
    dm().T_temp_out->close();
    Button2->setEnabled(false);
    ComboBox2->hide();
    Edit1->setText(ShownFolder(QDir::currentPath()));
    m_folders->showFolder(QDir::currentPath());
}

void TFormout::fillYears()
{
    Query years(dm().database());
    years.setSql(QStringLiteral("select distinct item_4 from kjcg order by item_4 desc"));
    years.open();
    QStringList numbers;
    for (years.first(); !years.eof(); years.next())
        numbers << years.asString(QStringLiteral("item_4"));
    ComboBox2->clear();
    ComboBox2->addItems(AchievementList::yearsOf(numbers));
    ComboBox2->setCurrentIndex(ComboBox2->count() > 0 ? 0 : -1);
}

void TFormout::uncheckRange()
{
    for (QRadioButton *button : {RadioButton5, RadioButton7}) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void TFormout::RadioButton5Click()
{
    RadioButton5->setChecked(true);
    ComboBox2->hide();
    showAllRecords();
}

void TFormout::showAllRecords()
{
    showFilteredList(QString());
}

void TFormout::RadioButton7Click()
{
    ComboBox2->show();
    Button2->setEnabled(true);
}

void TFormout::ComboBox2Change()
{
    const QString year = ComboBox2->currentText().trimmed();
    if (year.isEmpty())
        return;
    showFilteredList(QStringLiteral("item_4='%1*'").arg(year));
}

// The list with the filter, every row of it selected.
void TFormout::showFilteredList(const QString &filter)
{
    if (!runGuarded(this, [&] { ApplyDataSetFilter(*dm().T_temp_out, filter); }))
        return;
    Button2->setEnabled(true);
    selectAllShown();
}

void TFormout::selectAllShown()
{
    DBGrid1->selectAll();
    showSelectionCount();
}

void TFormout::showSelectionCount()
{
    Label1->setText(QStringLiteral("选择了%1记录！").arg(selectedRows().size()));
}

QList<int> TFormout::selectedRows() const
{
    QList<int> rows;
    if (!isWired() || !dm().T_temp_out->isOpen())
        return rows;
    for (const QItemSelectionRange &range : DBGrid1->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TFormout::setArchiverProgram(const QString &program)
{
    m_archiverProgram = program;
}

void TFormout::Button2Click()
{
    runGuarded(this, [this] { exportSelection(); });
}

bool TFormout::confirmReplacing(const QString &folder)
{
    if (ExportPackage::archiveIn(folder).isEmpty())
        return true;
    return askYesNo(this, ReplaceQuestion);
}

bool TFormout::confirmSelectingAll()
{
    if (!selectedRows().isEmpty())
        return true;
    if (!askYesNo(this, Messages::Texts::selectAllQuestion()))
        return false;
    RadioButton5Click();
    return true;
}

void TFormout::exportSelection()
{
    const QString folder = Edit1->text().trimmed();
    if (!confirmReplacing(folder) || !confirmSelectingAll())
        return;
    const QList<int> rows = selectedRows();
    WorkFolders::removeStale();
    QTemporaryDir work(WorkFolders::nameTemplate());
    RequireTemporaryFolder(work);
    QString notes;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        ExportPackage::writeFiles(*dm().database(), *dm().T_temp_out, rows, work.path(), &notes);
    }
    if (!packInto(work.path(), folder))
        return;
    const QString marksFailure = finishExport(rows);
    QString done = QStringLiteral("你已打包成功!文件在") + withSeparator(folder) + ExportPackage::archiveName();
    if (!marksFailure.isEmpty())
        done += QStringLiteral("\n导出标记未能保存：") + marksFailure;
    if (!notes.isEmpty())
        done += QLatin1Char('\n') + notes;
    Messages::ShowWarning(this, done);
}

// The archive is made beside the text files and moved into the folder
// only once the archiver has ended cleanly. False when the user cancelled.
bool TFormout::packInto(const QString &workFolder, const QString &folder)
{
    Archiver archiver(m_archiverProgram.isEmpty() ? Archiver::locate() : m_archiverProgram);
    ArchiverProgress progress(archiver, this);
    QString archive;
    try {
        archive = ExportPackage::pack(archiver, workFolder);
    } catch (const ArchiverCancelled &) {
        return false;
    }
    ExportPackage::placeArchive(archive, folder);
    return true;
}

// The rows carry their mark once the package is in place; the list then
// shows every record again, with no selection. The package stands whether
// or not the marks can be stored: why they could not is returned, for the
// message that the package is written (empty when they were stored).
QString TFormout::finishExport(const QList<int> &rows)
{
    DataSetModel &grid = *dm().DS_temp_out;
    grid.setDataSet(nullptr);
    const auto reattach = qScopeGuard([this, &grid] { grid.setDataSet(dm().T_temp_out); });
    QString marksFailure;
    try {
        ExportPackage::markExported(*dm().T_temp_out, rows);
    } catch (const DbError &error) {
        marksFailure = error.message();
    }
    ApplyDataSetFilter(*dm().T_temp_out, QString());
    return marksFailure;
}

void TFormout::Button1Click()
{
    runGuarded(this, [this] { dm().T_temp_out->open(); });
    close();
}

void TFormout::done(int result)
{
    QDialog::done(result);
    refreshMainWindow();
}

void TFormout::refreshMainWindow()
{
    if (!isWired())
        return;
    runGuarded(this, [this] { context().recordHost().recordsChanged(); });
}
