#include "Unitpage4a.h"

#include "engine/DataSet.h"
#include "records/widgets/NamedControls.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "records/widgets/SectionButton.h"
#include "records/data/UnitDM.h"
#include "records/unit/UnitBindings.h"
#include "records/unit/UnitCodes.h"
#include "records/unit/UnitProfile.h"
#include "records/unit/Unitpage10.h"
#include "records/unit/Unitpage11.h"
#include "records/unit/Unitpage4a1.h"
#include "records/unit/Unitpage4a3.h"
#include "records/unit/Unitpage4a5.h"
#include "records/unit/UnitMemoEditor.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/GbkMemo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>


namespace {

const QString GxjsFile = QStringLiteral("gxjs.dbf");
const QString XkflFile = QStringLiteral("xkfl.dbf");

GbkMemo *makeMemo(QWidget *parent, const QString &name, int height)
{
    auto *memo = new GbkMemo(parent);
    memo->setObjectName(name);
    memo->setReadOnly(true);
    if (height > 0)
        memo->setFixedHeight(height);
    memo->setToolTip(QStringLiteral("点击进行编辑"));
    return memo;
}

QLabel *label(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

} // namespace

TFpage4a::TFpage4a(QWidget *parent)
    : PageWindow(parent), BoundForm(this)
{
    setObjectName(QStringLiteral("Fpage4a"));
    setWindowTitle(QStringLiteral("单位情况"));

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(8, 4, 8, 4);
    page->setSpacing(2);
    page->addWidget(MakeTitlePanel(QStringLiteral("单位情况"), this));
    page->addWidget(buildIdentity());
    page->addWidget(buildDirections(), 1);
    page->addWidget(buildCommands());
    // A click into a memo opens its editor.
    for (GbkMemo *memo : {Memo1, Memo2, Memo3})
        memo->viewport()->installEventFilter(this);
    declareBindings();
}

// ---- construction ------------------------------------------------------------

QWidget *TFpage4a::buildIdentity()
{
    auto *box = new QWidget(this);
    edt_9 = MakeFieldEdit(box, QStringLiteral("edt_9"));
    edt_420 = MakeFieldEdit(box, QStringLiteral("edt_420"));
    Edt_37 = MakeFieldEdit(box, QStringLiteral("Edt_37"));
    Edt_38 = MakeFieldEdit(box, QStringLiteral("Edt_38"));
    Edt_39 = MakeFieldEdit(box, QStringLiteral("Edt_39"));
    Edt_40 = MakeFieldEdit(box, QStringLiteral("Edt_40"));
    Edt_60 = MakeFieldEdit(box, QStringLiteral("Edt_60"));
    Edt_41 = MakeFieldEdit(box, QStringLiteral("Edt_41"));
    Edt_41_2 = MakeFieldEdit(box, QStringLiteral("Edt_41_2"));
    Edt_61 = MakeFieldEdit(box, QStringLiteral("Edt_61"));
    cb_62 = MakePickList(box, QStringLiteral("cb_62"));
    CB_41_3 = MakePickList(box, QStringLiteral("CB_41_3"));
    cb_64 = MakePickList(box, QStringLiteral("cb_64"));
    cb_163 = new QCheckBox(QStringLiteral("其中,科研机构转制型企业"), box);
    cb_163->setObjectName(QStringLiteral("cb_163"));
    connect(cb_62, &QComboBox::activated, this, &TFpage4a::cb_62Change);

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    const auto row = [&](int r, const QString &leftLabel, QWidget *left, const QString &rightLabel,
                         QWidget *right) {
        grid->addWidget(label(leftLabel, box), r, 0);
        grid->addWidget(left, r, 1);
        if (right) {
            grid->addWidget(label(rightLabel, box), r, 2);
            grid->addWidget(right, r, 3);
        }
    };
    row(0, QStringLiteral("单位名称"), edt_9, QStringLiteral("单位法人代码"), edt_420);
    row(1, QStringLiteral("通讯地址"), Edt_37, QStringLiteral("邮政编码"), Edt_38);
    row(2, QStringLiteral("单位电话（含区号）"), Edt_39, QStringLiteral("单位传真（含区号）"), Edt_40);
    row(3, QStringLiteral("单位网址"), Edt_60, QStringLiteral("单位所在省市"), cb_64);
    row(4, QStringLiteral("单位属性"), cb_62, QStringLiteral("企业所有制属性"), CB_41_3);
    row(5, QStringLiteral("联系部门"), Edt_41, QStringLiteral("联系部门电话"), Edt_41_2);
    row(6, QStringLiteral("联系部门电子信箱"), Edt_61, QString(), nullptr);
    grid->addWidget(cb_163, 6, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);

    Memo3 = makeMemo(box, QStringLiteral("Memo3"), 40);
    grid->addWidget(label(QStringLiteral("单位简介"), box), 7, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(Memo3, 7, 1, 1, 3);
    return box;
}

QGroupBox *TFpage4a::buildCodeList(const QString &title, const QString &field,
                                   const QString &prefix, const QString &tableFile)
{
    const CodeList list = UnitCodeList::build(this, title, field, prefix, tableFile);
    m_codeLists << list;
    return list.panel;
}

QWidget *TFpage4a::buildDirections()
{
    auto *tabs = new QTabWidget(this);
    const auto tab = [&](QGroupBox *first, QGroupBox *second, const QString &memoTitle,
                         GbkMemo *memo) {
        auto *page = new QWidget(tabs);
        auto *memoBox = new QGroupBox(memoTitle, page);
        auto *memoLayout = new QVBoxLayout(memoBox);
        memoLayout->setContentsMargins(4, 2, 4, 4);
        memo->setParent(memoBox);
        memoLayout->addWidget(memo);
        auto *row = new QHBoxLayout(page);
        row->setContentsMargins(4, 4, 4, 4);
        row->addWidget(first, 3);
        row->addWidget(second, 3);
        row->addWidget(memoBox, 2);
        return page;
    };
    // Panels in the order their lists are loaded: 6, 4, 5, 7.
    QGroupBox *panel6 = buildCodeList(QStringLiteral("优势领域"), QStringLiteral("item_124_1"),
                                      QStringLiteral("edt_124_1_"), GxjsFile);
    QGroupBox *panel4 = buildCodeList(QStringLiteral("研究领域"), QStringLiteral("item_124_2"),
                                      QStringLiteral("edt_124_2_"), GxjsFile);
    QGroupBox *panel5 = buildCodeList(QStringLiteral("研究所属学科"), QStringLiteral("item_15_1"),
                                      QStringLiteral("edt_15_1_"), XkflFile);
    QGroupBox *panel7 = buildCodeList(QStringLiteral("优势学科"), QStringLiteral("item_15"),
                                      QStringLiteral("edt_15_"), XkflFile);
    panel4->setObjectName(QStringLiteral("Panel4"));
    panel5->setObjectName(QStringLiteral("Panel5"));
    panel6->setObjectName(QStringLiteral("Panel6"));
    panel7->setObjectName(QStringLiteral("Panel7"));
    Memo1 = makeMemo(this, QStringLiteral("Memo1"), 0);
    Memo2 = makeMemo(this, QStringLiteral("Memo2"), 0);
    tabs->addTab(tab(panel4, panel5, QStringLiteral("简要说明及补充"), Memo1),
                 QStringLiteral("研发方向"));
    tabs->addTab(tab(panel6, panel7, QStringLiteral("研发优势简要说明"), Memo2),
                 QStringLiteral("研发优势"));
    return tabs;
}

QWidget *TFpage4a::buildCommands()
{
    auto *box = new QWidget(this);
    btnSave01 = MakeButton(box, QStringLiteral("btnSave01"), QStringLiteral("存储"), 96);
    BitBtndtr = MakeButton(box, QStringLiteral("BitBtndtr"), QStringLiteral("学科带头人情况"), 96);
    quit01 = MakeButton(box, QStringLiteral("quit01"), QStringLiteral("退出"), 96);
    Button1 = MakeButton(box, QStringLiteral("Button1"), QStringLiteral("按照本单位情况填入"), 96);
    Button2 = MakeButton(box, QStringLiteral("Button2"), QStringLiteral("Button2"), 96);
    Button3 = MakeButton(box, QStringLiteral("Button3"), QStringLiteral("Button3"), 96);
    Button4 = MakeButton(box, QStringLiteral("Button4"), QStringLiteral("删除"), 96);
    Button5 = MakeButton(box, QStringLiteral("Button5"), QStringLiteral("所属二级单位情况"), 96);
    for (QPushButton *hidden : {Button1, Button2, Button3, Button4, Button5})
        hidden->hide();
    connect(btnSave01, &QPushButton::clicked, this, &TFpage4a::btnSave01Click);
    connect(quit01, &QPushButton::clicked, this, &TFpage4a::quit01Click);
    connect(BitBtndtr, &QPushButton::clicked, this, &TFpage4a::BitBtndtrClick);
    connect(Button2, &QPushButton::clicked, this, &TFpage4a::Button2Click);
    connect(Button3, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { LoadUnitPage(); }); });
    connect(Button4, &QPushButton::clicked, this, &TFpage4a::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TFpage4a::Button5Click);

    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    for (QPushButton *b : {btnSave01, BitBtndtr, quit01, Button1, Button2, Button3, Button4, Button5})
        row->addWidget(b);
    row->addStretch(1);
    return box;
}

// ---- bindings ------------------------------------------------------------------

// The nine texts required on leaving come first, in the order they are
// checked (untrimmed: a text of blanks counts as filled).
void TFpage4a::declareBindings()
{
    using namespace PageBindings;
    const auto required = [](const char *field, QLineEdit *edit, const char *label) {
        return text(QString::fromLatin1(field), edit).required(quotedMissing(QString::fromUtf8(label)));
    };
    bind(required("item_9", edt_9, "单位名称").trimmed());
    bind(required("item_37", Edt_37, "通讯地址"));
    bind(required("item_38", Edt_38, "邮政编码"));
    bind(required("item_420", edt_420, "单位法人"));
    bind(required("item_39", Edt_39, "单位电话"));
    bind(required("item_40", Edt_40, "单位传真"));
    bind(unitMemo(QStringLiteral("unitintrod"), Memo3).checkedBy([this] {
        return Memo3->toPlainText().isEmpty() ? quotedMissing(QStringLiteral("单位简介")) : QString();
    }));
    bind(required("item_41", Edt_41, "联系部门"));
    bind(required("item_41_2", Edt_41_2, "联系部门电话"));
    bind(text(QStringLiteral("item_60"), Edt_60));
    bind(text(QStringLiteral("item_61"), Edt_61));
    bind(unitMemo(QStringLiteral("advantage"), Memo2));
    bind(unitMemo(QStringLiteral("studydirec"), Memo1));
    bind(UnitBindings::attribute(cb_62));
    // The enterprise rule's emptying of what a unit of another kind holds
    // is stored by the next save; the change test asks about these two
    // only after the user changed them.
    Binding ownership = UnitBindings::ownership(CB_41_3, cb_62);
    ownership.loadedValueUnasked = true;
    bind(ownership);
    Binding converted = UnitBindings::converted(cb_163, cb_62);
    converted.loadedValueUnasked = true;
    bind(converted);
    bind(UnitBindings::province(cb_64));
    for (const CodeList &list : std::as_const(m_codeLists))
        bind(list.binding());
    bind(constant(QStringLiteral("unitcode"), UnitProfile::registeringUnitCode()));
    bind(constant(QStringLiteral("unitlevel"), UnitProfile::unitLevel()));
    bind(constant(QStringLiteral("endlevel"), UnitProfile::endLevel()));
    bind(constant(QStringLiteral("chiefexper"), UnitProfile::chiefExperts()));
}

// The profile's memos are written by their editors; the page compares
// them exactly as stored.
Binding TFpage4a::unitMemo(const QString &field, GbkMemo *memo)
{
    Binding b = PageBindings::memo(field, memo);
    b.same = [field, memo](const DataSet &row) {
        return row.asString(field) == MemoTextToStore(memo->toPlainText());
    };
    return b;
}

void TFpage4a::wire(AppContext &context)
{
    PageWindow::wire(context);
    applyFieldModel(*context.dm().Tblunit);
}

TDM &TFpage4a::dm() const
{
    return context().dm();
}

DataSet &TFpage4a::boundRow() const
{
    return *context().dm().Tblunit;
}

// ---- loading -------------------------------------------------------------------

void TFpage4a::LoadUnitPage()
{
    Table &unit = *dm().Tblunit;
    if (!unit.isOpen())
        unit.open();
    loadFromRow();
}

void TFpage4a::afterLoad(const DataSet &unit)
{
    UnitBindings::openForAttribute(CB_41_3, cb_163, unit.asString(QStringLiteral("item_62")));
}

void TFpage4a::showLoaded()
{
    if (runGuarded(this, [this] { LoadUnitPage(); }))
        exec();
}

// ---- checks and comparison -------------------------------------------------------

void TFpage4a::CheckUnitPageInput()
{
    checkInput();
}

bool TFpage4a::IsUnitPageUnchanged() const
{
    return isUnchanged();
}

// ---- saving ------------------------------------------------------------------------

// The first save makes the registering unit's row.
bool TFpage4a::appendsRow(const DataSet &unit) const
{
    return unit.isEmpty();
}

void TFpage4a::SaveUnitPage()
{
    writeRow();
    context().recordHost().markSectionDone(QStringLiteral("btn_page04"));
}

bool TFpage4a::saveAndReport(bool explicitSave)
{
    return runGuarded(this, [&] {
        SaveUnitPage();
        if (!explicitSave)
            return;
        Messages::ShowWarning(this, Messages::Texts::stored());
    });
}

void TFpage4a::btnSave01Click()
{
    saveAndReport(true);
}

bool TFpage4a::Button2Click()
{
    return saveAndReport(false);
}

bool TFpage4a::saveForLeave()
{
    return saveAndReport(true);
}

// ---- leaving -----------------------------------------------------------------------

void TFpage4a::quit01Click()
{
    runGuarded(this, [this] { leavePage(); });
}

// With the required texts filled the page may be left; a changed page asks
// first, and a save that fails keeps it open. The main window's commands
// follow the unit table: they need the unit's row.
void TFpage4a::leavePage()
{
    checkInput();
    if (!confirmLeave(Messages::Texts::leaveQuestion()))
        return;
    if (!dm().Tblunit->isEmpty())
        context().recordHost().unitPageLeft();
    accept();
}

// ---- the unit attribute ------------------------------------------------------------

void TFpage4a::cb_62Change()
{
    UnitBindings::attributeChosen(cb_62, CB_41_3, cb_163);
}

// ---- the code lists ----------------------------------------------------------------


// ---- memos ---------------------------------------------------------------------------

bool TFpage4a::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Memo1->viewport())
            Memo1Click();
        else if (watched == Memo2->viewport())
            Memo2Click();
        else if (watched == Memo3->viewport())
            Memo3Click();
    }
    return PageWindow::eventFilter(watched, event);
}

void TFpage4a::openMemoEditor(UnitMemoEditor *editor, GbkMemo *memo)
{
    if (!editor)
        return;
    editor->Memo1->setPlainText(memo->toPlainText());
    editor->setPageMemo(memo);
    editor->exec();
}

void TFpage4a::Memo1Click()
{
    runGuarded(this, [this] { openMemoEditor(context().window<TFormstudy>(), Memo1); });
}

void TFpage4a::Memo2Click()
{
    runGuarded(this, [this] { openMemoEditor(context().window<Tformadvantage>(), Memo2); });
}

void TFpage4a::Memo3Click()
{
    runGuarded(this, [this] { openMemoEditor(context().window<Tformunitintrod>(), Memo3); });
}

// ---- discipline leaders and the hidden commands ---------------------------------------

// The page is saved first, so that the leaders are those of the unit code
// just written.
void TFpage4a::BitBtndtrClick()
{
    if (!Button2Click())
        return;
    runGuarded(this, [this] { openLeaders(); });
}

void TFpage4a::openLeaders()
{
    auto *leadersList = context().window<TFpage11>();
    if (!leadersList)
        return;
    leadersList->showRowsOf({dm().Tblunit->asString(QStringLiteral("unitcode"))});
    leadersList->exec();
}

// The registering unit's own row is never deleted: every export sends it
// and its leaders and second-level units belong to it.
void TFpage4a::Button4Click()
{
    runGuarded(this, [this] {
        if (dm().Qryunit->isEmpty() || dm().Tblunit->isEmpty())
            return;
        if (UnitCodes::isRegisteringUnit(dm().Tblunit->asString(QStringLiteral("unitcode")))) {
            Messages::ShowWarning(this, QStringLiteral("本单位情况不能删除！"));
            return;
        }
        if (Messages::show(this, QStringLiteral("提示信息"), Messages::Texts::deleteItemQuestion(),
                           QMessageBox::Information, QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes)
            dm().Tblunit->remove();
    });
}

void TFpage4a::Button5Click()
{
    runGuarded(this, [this] {
        const Table &unit = *dm().Tblunit;
        if (auto *units = context().window<TFpage10>())
            units->openFor(unit.asString(QStringLiteral("item_9")), unit.asString(QStringLiteral("unitcode")));
    });
}
