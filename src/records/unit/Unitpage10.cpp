#include "Unitpage10.h"

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/widgets/Messages.h"
#include "records/data/UnitDM.h"
#include "records/unit/OwnUnitProfile.h"
#include "records/unit/UnitCodes.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/GbkMemo.h"
#include "records/widgets/GridSelection.h"
#include "records/widgets/ListGrid.h"
#include "records/widgets/NamedControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString GxjsFile = QStringLiteral("gxjs.dbf");
const QString XkflFile = QStringLiteral("xkfl.dbf");
const QString SecondLevel = QStringLiteral("2");

QLabel *framedValue(QWidget *parent, const QString &name)
{
    auto *value = new QLabel(parent);
    value->setObjectName(name);
    value->setFrameShape(QFrame::Panel);
    value->setFrameShadow(QFrame::Sunken);
    value->setMinimumHeight(22);
    return value;
}

// What the fill copies from the own-unit profile.
const QSet<QString> &profileFields()
{
    static const QSet<QString> fields = {
        QStringLiteral("item_9"),  QStringLiteral("item_37"), QStringLiteral("item_38"),
        QStringLiteral("item_39"), QStringLiteral("item_40"), QStringLiteral("item_41"),
        QStringLiteral("item_41_2"), QStringLiteral("item_61")};
    return fields;
}

} // namespace

TFpage10::TFpage10(QWidget *parent)
    : PageWindow(parent), BoundForm(this)
{
    setObjectName(QStringLiteral("Fpage10"));
    setWindowTitle(QStringLiteral("Fpage10"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);
    layout->addWidget(MakeTitlePanel(QStringLiteral("二级单位情况"), this));
    layout->addWidget(buildParents());
    auto *middle = new QHBoxLayout;
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    StyleListGrid(DBGrid1);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setFixedWidth(280);
    middle->addWidget(DBGrid1);
    middle->addWidget(buildEdits(), 1);
    layout->addLayout(middle);
    layout->addWidget(buildLists(), 1);
    layout->addWidget(buildCommands());
    declareBindings();
}

QWidget *TFpage10::buildParents()
{
    auto *box = new QWidget(this);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    Panel4 = framedValue(box, QStringLiteral("Panel4"));
    Panel5 = framedValue(box, QStringLiteral("Panel5"));
    Panel5->setFixedWidth(110);
    row->addWidget(new QLabel(QStringLiteral("所属一级单位名称"), box));
    row->addWidget(Panel4, 1);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("所属一级单位代码"), box));
    row->addWidget(Panel5);
    return box;
}

// Row by row, which is the tab order.
QWidget *TFpage10::buildEdits()
{
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    const auto place = [&](int row, int column, const QString &caption, QWidget *control, int span = 1) {
        auto *label = new QLabel(caption, box);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        labelControl(label, control);
        grid->addWidget(label, row, column);
        grid->addWidget(control, row, column + 1, 1, span);
    };
    edt_unit = new QLineEdit(box);
    edt_unit->setObjectName(QStringLiteral("edt_unit"));
    edt_unit->setReadOnly(true);
    place(0, 0, QStringLiteral("单位代码"), edt_unit);
    Edt_9 = MakeFieldEdit(box, QStringLiteral("Edt_9"));
    place(1, 0, QStringLiteral("单位名称"), Edt_9, 3);
    Edt_37 = MakeFieldEdit(box, QStringLiteral("Edt_37"));
    place(2, 0, QStringLiteral("通讯地址"), Edt_37, 3);
    Edt_38 = MakeFieldEdit(box, QStringLiteral("Edt_38"));
    place(3, 0, QStringLiteral("邮政编码"), Edt_38);
    Edt_41 = MakeFieldEdit(box, QStringLiteral("Edt_41"));
    place(3, 2, QStringLiteral("联系人"), Edt_41);
    Edt_39 = MakeFieldEdit(box, QStringLiteral("Edt_39"));
    place(4, 0, QStringLiteral("单位电话（含区号）"), Edt_39);
    Edt_40 = MakeFieldEdit(box, QStringLiteral("Edt_40"));
    place(4, 2, QStringLiteral("单位传真（含区号）"), Edt_40);
    Edt_41_2 = MakeFieldEdit(box, QStringLiteral("Edt_41_2"));
    place(5, 0, QStringLiteral("联系人电话"), Edt_41_2);
    Edt_61 = MakeFieldEdit(box, QStringLiteral("Edt_61"));
    place(5, 2, QStringLiteral("电子信箱"), Edt_61);
    return box;
}

QWidget *TFpage10::buildLists()
{
    auto *tabs = new QTabWidget(this);
    auto *advantage = new QWidget(tabs);
    advantageFields = UnitCodeList::build(advantage, QStringLiteral("研发优势: 优势领域"),
                                          QStringLiteral("item_124_1"), QStringLiteral("edt_124_1_"), GxjsFile);
    advantageFields.panel->setObjectName(QStringLiteral("Panel6"));
    advantageSubjects = UnitCodeList::build(advantage, QStringLiteral("优势学科"), QStringLiteral("item_15"),
                                            QStringLiteral("edt_15_"), XkflFile);
    advantageSubjects.panel->setObjectName(QStringLiteral("Panel7"));
    auto *memoBox = new QGroupBox(QStringLiteral("研发优势简要说明"), advantage);
    Memoad = new GbkMemo(memoBox);
    Memoad->setObjectName(QStringLiteral("Memoad"));
    auto *memoLayout = new QVBoxLayout(memoBox);
    memoLayout->setContentsMargins(4, 2, 4, 4);
    memoLayout->addWidget(Memoad);
    auto *row = new QHBoxLayout(advantage);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(advantageFields.panel, 3);
    row->addWidget(advantageSubjects.panel, 3);
    row->addWidget(memoBox, 2);
    tabs->addTab(advantage, QStringLiteral("研发优势"));
    Memointr = new GbkMemo(tabs);
    Memointr->setObjectName(QStringLiteral("Memointr"));
    tabs->addTab(Memointr, QStringLiteral("单位简介"));
    return tabs;
}

QWidget *TFpage10::buildCommands()
{
    auto *box = new QWidget(this);
    Button2 = MakeButton(box, QStringLiteral("Button2"), QStringLiteral("增加"), 90);
    btnSave01 = MakeButton(box, QStringLiteral("btnSave01"), QStringLiteral("存储"), 90);
    Button3 = MakeButton(box, QStringLiteral("Button3"), QStringLiteral("删除"), 90);
    BitBtndtr = MakeButton(box, QStringLiteral("BitBtndtr"), QStringLiteral("学科带头人情况"), 110);
    quit01 = MakeButton(box, QStringLiteral("quit01"), QStringLiteral("退出"), 90);
    Button1 = MakeButton(box, QStringLiteral("Button1"), QStringLiteral("按照本单位情况填入"), 130);
    Button1->hide();
    connect(Button2, &QPushButton::clicked, this, &TFpage10::Button2Click);
    connect(btnSave01, &QPushButton::clicked, this, &TFpage10::btnSave01Click);
    connect(Button3, &QPushButton::clicked, this, &TFpage10::Button3Click);
    connect(BitBtndtr, &QPushButton::clicked, this, &TFpage10::BitBtndtrClick);
    connect(quit01, &QPushButton::clicked, this, &TFpage10::quit01Click);
    connect(Button1, &QPushButton::clicked, this, &TFpage10::Button1Click);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    for (QPushButton *b : {Button2, btnSave01, Button3, BitBtndtr, quit01, Button1})
        row->addWidget(b);
    row->addStretch(1);
    return box;
}

void TFpage10::declareBindings()
{
    using namespace PageBindings;
    Binding code;
    code.field = QStringLiteral("unitcode");
    code.load = [this](const DataSet &row) { edt_unit->setText(row.asString(QStringLiteral("unitcode"))); };
    bind(code);
    const QList<std::pair<const char *, QLineEdit *>> texts = {
        {"item_9", Edt_9},   {"item_37", Edt_37}, {"item_38", Edt_38},   {"item_39", Edt_39},
        {"item_40", Edt_40}, {"item_41", Edt_41}, {"item_61", Edt_61}, {"item_41_2", Edt_41_2}};
    for (const auto &[field, edit] : texts)
        bind(text(QString::fromLatin1(field), edit));
    bind(memo(QStringLiteral("advantage"), Memoad));
    bind(memo(QStringLiteral("unitintrod"), Memointr));
    bind(advantageFields.binding());
    bind(advantageSubjects.binding());
}

void TFpage10::wire(AppContext &context)
{
    PageWindow::wire(context);
    Query &units = *context.dm().Qryunit;
    units.setFieldTitle(QStringLiteral("unitcode"), QStringLiteral("单位代码"));
    units.setFieldTitle(QStringLiteral("item_9"), QStringLiteral("单位名称"));
    DataSetModel *model = context.dm().DSQunit;
    model->setColumns({QStringLiteral("unitcode"), QStringLiteral("item_9")});
    DBGrid1->setModel(model);
    DBGrid1->setColumnWidth(0, ColumnWidthFor(DBGrid1, 10, QStringLiteral("单位代码")));
    applyFieldModel(units);
    connect(&units, &DataSet::currentChanged, this, [this] {
        if (isVisible())
            runGuarded(this, [this] { showCurrentUnit(); });
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        runGuarded(this, [this] { showCurrentUnit(); });
    });
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    chooseGridRow(current.row());
            });
}

DataSet &TFpage10::boundRow() const
{
    return *context().dm().Qryunit;
}

// ---- showing ---------------------------------------------------------------------

void TFpage10::openFor(const QString &parentName, const QString &parentCode)
{
    Panel4->setText(parentName);
    Panel5->setText(parentCode);
    showUnitsOf(parentCode);
    resize(PageWidth, PageHeight);
    exec();
}

void TFpage10::showUnitsOf(const QString &parentCode)
{
    Query &units = *context().dm().Qryunit;
    units.close();
    units.setSql(QStringLiteral("select * from unit where coalesce(upunitcode,'') = :parent"
                                " and coalesce(unitlevel,'') = '2'"));
    units.clearParams();
    units.setParam(QStringLiteral("parent"), parentCode);
    units.open();
    showCurrentUnit();
}

// The edits always show the chosen unit, so that "存储" writes back what
// belongs to it; with no unit they are empty.
void TFpage10::showCurrentUnit()
{
    const DataSet &units = boundRow();
    if (!units.isOpen())
        return;
    if (units.isEmpty()) {
        for (QLineEdit *edit : findChildren<QLineEdit *>())
            edit->clear();
        Memoad->clear();
        Memointr->clear();
    } else {
        loadFromRow();
    }
    SelectGridRow(DBGrid1, units.recNo());
}

// Typing is never lost to another choice: a changed unit is offered for
// saving before the list moves on.
bool TFpage10::keepTypedInput()
{
    const DataSet &units = boundRow();
    if (!units.isOpen() || units.isEmpty())
        return true;
    return confirmLeave(Messages::Texts::leaveQuestion());
}

void TFpage10::chooseGridRow(int row)
{
    runGuarded(this, [&] {
        DataSet &units = boundRow();
        if (!units.isOpen() || row == units.recNo() || row >= units.recordCount())
            return;
        if (!keepTypedInput()) {
            SelectGridRow(DBGrid1, units.recNo());
            return;
        }
        units.moveTo(row);
    });
}

// ---- add, store, delete ---------------------------------------------------------------

bool TFpage10::Button2Click()
{
    return runGuarded(this, [this] { addUnit(); });
}

void TFpage10::addUnit()
{
    if (!keepTypedInput())
        return;
    const QString parent = Panel5->text();
    Query children(context().dm().database());
    children.setSql(QStringLiteral("select unitcode from unit where upunitcode = :uncode"));
    children.setParam(QStringLiteral("uncode"), parent);
    children.open();
    QStringList codes;
    for (children.first(); !children.eof(); children.next())
        codes << children.asString(QStringLiteral("unitcode"));
    const UnitCodes::NextCode next = UnitCodes::nextChildCode(parent, codes);
    if (!next.refusal.isEmpty()) {
        Messages::ShowWarning(this, next.refusal);
        throw Abort{};
    }
    DataSet &units = boundRow();
    try {
        units.append();
        units.setString(QStringLiteral("unitcode"), next.code);
        units.setString(QStringLiteral("upunitcode"), parent);
        units.setString(QStringLiteral("unitlevel"), SecondLevel);
        units.setString(QStringLiteral("endlevel"), QStringLiteral("0"));
        units.post();
    } catch (...) {
        if (units.state() != DataSet::Browse)
            units.cancel();
        throw;
    }
    showCurrentUnit();
    Edt_9->setFocus();
}

bool TFpage10::btnSave01Click()
{
    return runGuarded(this, [this] { save(); });
}

// The unit page's section is marked too, as every save of unit data does.
void TFpage10::save()
{
    if (boundRow().isEmpty()) {
        Messages::ShowWarning(this, QStringLiteral("请先按“增加”增加一个二级单位！"));
        throw Abort{};
    }
    writeRow();
    Messages::ShowWarning(this, Messages::Texts::stored());
    context().recordHost().markSectionDone(QStringLiteral("btn_page04"));
}

void TFpage10::Button3Click()
{
    runGuarded(this, [this] { deleteUnit(); });
}

void TFpage10::deleteUnit()
{
    DataSet &units = boundRow();
    if (!units.isOpen() || units.isEmpty())
        return;
    if (UnitCodes::isRegisteringUnit(units.asString(QStringLiteral("unitcode")))) {
        Messages::ShowWarning(this, QStringLiteral("本单位不能删除！"));
        throw Abort{};
    }
    if (Messages::show(this, QStringLiteral("提示信息"), Messages::Texts::deleteItemQuestion(),
                       QMessageBox::Information, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    units.remove();
    showCurrentUnit();
}

void TFpage10::quit01Click()
{
    accept();
}

void TFpage10::BitBtndtrClick()
{
    runGuarded(this, [this] {
        // The persons' second list lives with the section pages.
        if (auto *persons = qobject_cast<QDialog *>(context().windowOfClass("TFpage12")))
            persons->exec();
    });
}

// ---- the own-unit profile ----------------------------------------------------------

bool TFpage10::Button1Click()
{
    return runGuarded(this, [this] { fillFromProfile(); });
}

void TFpage10::fillFromProfile()
{
    const Query &profile = OwnUnitProfile::readForFill(*context().dm().Qrydwqk, this);
    for (const Binding &b : bindings()) {
        if (b.load && profileFields().contains(b.field))
            b.load(profile);
    }
}
