#include "Unitpage3.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/data/FormOptions.h"
#include "records/data/UnitDM.h"
#include "records/pages/PageControls.h"
#include "records/pages/SectionRules.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/MoneyEdit.h"
#include "records/widgets/NamedControls.h"
#include "records/widgets/OptionGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>


namespace {

using namespace PageBindings;

const QString Maroon = RequiredLabelStyle();
const QString NationalPlanBox = QStringLiteral("cb_126_01");
const QDate EarliestEvaluation(1950, 1, 1);

MoneyEdit *moneyEdit(const QString &name, const QString &warningPrefix, QWidget *parent)
{
    auto *edit = new MoneyEdit(parent);
    edit->setObjectName(name);
    edit->setAllowPoint(true);
    edit->setMaxTypedLength(7);
    edit->setWarningPrefix(warningPrefix);
    edit->setMinimumWidth(70);
    return edit;
}

// A sum is computed, never typed; it is drawn in the grey of a menu bar.
MoneyEdit *sumEdit(const QString &name, QWidget *parent)
{
    auto *edit = new MoneyEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setStyleSheet(QStringLiteral("background: palette(button);"));
    edit->setMinimumWidth(70);
    return edit;
}

QString quotedName(const char *name)
{
    return QStringLiteral("“") + QString::fromUtf8(name) + QStringLiteral("”:");
}

} // namespace

TFpage3::TFpage3(QWidget *parent)
    : SectionPage(QStringLiteral("Fpage3"), QStringLiteral("btn_page03"), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);
    layout->addWidget(MakeTitlePanel(QStringLiteral("课题立项，评价情况"), this));
    layout->addWidget(buildSource());
    layout->addWidget(buildApproval());
    layout->addWidget(buildFunding());
    layout->addWidget(buildEvaluation());
    layout->addStretch(1);
    layout->addWidget(makeButtonBar(QStringLiteral("存储")));
    declareBindings();
    cb_21_l->hide();
}

QString TFpage3::badDateMessage(const QString &stored)
{
    return QStringLiteral("本项评价日期：'") + stored + QStringLiteral("'")
           + QStringLiteral(" ") + Messages::Texts::badTimeReplaced();
}

// ---- the controls ----------------------------------------------------------------

QWidget *TFpage3::buildSource()
{
    auto *box = new QWidget(this);
    Pl_126 = new QGroupBox(box);
    Pl_126->setObjectName(QStringLiteral("Pl_126"));
    cb_126_01 = new QCheckBox(Pl_126);
    cb_126_01->setObjectName(NationalPlanBox);
    cb_126_01->setEnabled(false);  // ticked through a kind of national plan only
    auto *sources = new QGridLayout(Pl_126);
    sources->setContentsMargins(6, 4, 6, 4);
    sources->setVerticalSpacing(2);
    auto *national = new QHBoxLayout;
    // The caption sits apart from the box as every other box's caption does.
    national->setSpacing(cb_126_01->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, cb_126_01));
    national->addWidget(cb_126_01);
    national->addWidget(new QLabel(QStringLiteral("国家计划"), Pl_126));
    sources->addLayout(national, 0, 0);
    sources->setHorizontalSpacing(16);
    sources->setColumnStretch(5, 1);
    int i = 1;
    // The national plan (01) has no caption of its own: a label stands beside it.
    for (const OptionText &o : FormOptions::of(QStringLiteral("item_126"))) {
        sources->addWidget(MakeOptionBox<QCheckBox>(o, QStringLiteral("cb_126_"), Pl_126), i / 5, i % 5);
        ++i;
    }
    for (QAbstractButton *source : OptionBoxesOf(Pl_126))
        connect(source, &QAbstractButton::toggled, this, [this, source] { sourceToggled(source); });

    Pl_140 = new QGroupBox(box);
    Pl_140->setObjectName(QStringLiteral("Pl_140"));
    auto *kinds = new QGridLayout(Pl_140);
    kinds->setContentsMargins(6, 4, 6, 4);
    kinds->setVerticalSpacing(2);
    i = 0;
    for (const OptionText &o : FormOptions::of(QStringLiteral("item_140"))) {
        auto *kind = MakeOptionBox<QRadioButton>(o, QStringLiteral("RB_140_"), Pl_140);
        kinds->addWidget(kind, i / 3, i % 3);
        connect(kind, &QAbstractButton::toggled, this, [this](bool on) {
            if (on)
                cb_126_01->setChecked(true);
        });
        ++i;
    }
    SpeedButton11 = new QToolButton(Pl_140);
    SpeedButton11->setObjectName(QStringLiteral("SpeedButton11"));
    SpeedButton11->setText(QStringLiteral("清除"));
    kinds->addWidget(SpeedButton11, 0, 3, 2, 1);
    connect(SpeedButton11, &QToolButton::clicked, this, &TFpage3::SpeedButton11Click);

    Lb_41 = new QLabel(QStringLiteral("请选择计划"), box);
    Lb_41->setObjectName(QStringLiteral("Lb_41"));
    CB_41 = MakePickList(box, QStringLiteral("CB_41"));
    CB_41->setMinimumWidth(320);
    Lb_41->setBuddy(CB_41);
    // The row keeps its place while hidden: ticking a source must not push
    // the rows below away from the user's mouse.
    for (QWidget *w : {static_cast<QWidget *>(Lb_41), static_cast<QWidget *>(CB_41)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->hide();
    }

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(3);
    auto *sourceLabel = new QLabel(QStringLiteral("课题来源"), box);
    sourceLabel->setStyleSheet(Maroon);
    grid->addWidget(sourceLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(Pl_126, 0, 1);
    grid->addWidget(Pl_140, 1, 1);
    auto *subclassRow = new QHBoxLayout;
    subclassRow->setSpacing(6);
    subclassRow->addWidget(Lb_41);
    subclassRow->addWidget(CB_41);
    subclassRow->addStretch(1);
    grid->addLayout(subclassRow, 2, 1);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget *TFpage3::buildApproval()
{
    auto *box = new QWidget(this);
    Edt_127 = MakeByteEdit(QStringLiteral("Edt_127"), 30, box);
    Edt_127_1 = MakeByteEdit(QStringLiteral("Edt_127_1"), 140, box);
    Label1 = MakeFieldLabel(QStringLiteral("课题立项编号"), Edt_127, box);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Label1);
    row->addWidget(Edt_127, 2);
    row->addSpacing(12);
    row->addWidget(MakeFieldLabel(QStringLiteral("课题立项名称"), Edt_127_1, box));
    row->addWidget(Edt_127_1, 5);
    return box;
}

QWidget *TFpage3::buildFunding()
{
    auto *box = new QGroupBox(QStringLiteral("经费投入"), this);
    // Made row by row, so that the tab order is the visual order.
    Edt_141 = moneyEdit(QStringLiteral("Edt_141"), quotedName("国家投入"), box);
    Edt_148 = moneyEdit(QStringLiteral("Edt_148"), quotedName("部门投入"), box);
    Edt_143 = moneyEdit(QStringLiteral("Edt_143"), quotedName("基金投入"), box);
    // The warning names this source as the users' forms always did.
    Edt_144 = moneyEdit(QStringLiteral("Edt_144"), quotedName("自有基金"), box);
    const QString localPrefix = QStringLiteral("读取数据时，发现“地方投入”:");
    Edt_142_1 = moneyEdit(QStringLiteral("Edt_142_1"), localPrefix, box);
    Edt_142_2 = moneyEdit(QStringLiteral("Edt_142_2"), localPrefix, box);
    Edt_142_3 = moneyEdit(QStringLiteral("Edt_142_3"), localPrefix, box);
    Edt_142 = sumEdit(QStringLiteral("Edt_142"), box);
    Edt_243 = moneyEdit(QStringLiteral("Edt_243"), quotedName("银行贷款"), box);
    Edt_244 = moneyEdit(QStringLiteral("Edt_244"), quotedName("国外资金"), box);
    Edt_145 = moneyEdit(QStringLiteral("Edt_145"), quotedName("其他"), box);
    Edt_149 = sumEdit(QStringLiteral("Edt_149"), box);

    for (MoneyEdit *part : {Edt_142_1, Edt_142_2, Edt_142_3})
        connect(part, &MoneyEdit::amountChanged, this, &TFpage3::localPartChanged);
    for (MoneyEdit *source : {Edt_142, Edt_141, Edt_148, Edt_143, Edt_144, Edt_243, Edt_244, Edt_145})
        connect(source, &MoneyEdit::amountChanged, this, &TFpage3::totalPartChanged);

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(4);
    const auto put = [grid](int row, int column, const char *label, QWidget *edit) {
        PutLabelled(grid, row, column, QString::fromUtf8(label), edit);
    };
    put(0, 0, "国家投入", Edt_141);
    put(0, 1, "部门投入", Edt_148);
    put(0, 2, "基金投入", Edt_143);
    put(0, 3, "自有资金", Edt_144);
    put(1, 0, "省级投入", Edt_142_1);
    put(1, 1, "地级投入", Edt_142_2);
    put(1, 2, "县级投入", Edt_142_3);
    put(1, 3, "地方投入", Edt_142);
    put(2, 0, "银行贷款", Edt_243);
    put(2, 1, "国外资金", Edt_244);
    put(2, 2, "其他", Edt_145);
    put(2, 3, "总计（万元）", Edt_149);
    auto *hint = new QLabel(QStringLiteral("（数据长度及格式均为：9999999）"), box);
    grid->addWidget(hint, 3, 0, 1, 8, Qt::AlignRight);
    return box;
}

QWidget *TFpage3::buildEvaluation()
{
    auto *box = new QGroupBox(QStringLiteral("评价情况"), this);
    cb_21 = MakePickList(box, QStringLiteral("cb_21"));
    cb_21_l = MakePickList(box, QStringLiteral("cb_21_l"));
    Edt_130 = MakeByteEdit(QStringLiteral("Edt_130"), 80, box);
    date34 = new ClearableDate(box);
    date34->setPartNames(QStringLiteral("DTP_34"), QStringLiteral("CheckBox_34"),
                         QStringLiteral("edt_34"));
    SetPickerRange(date34->picker(), QStringLiteral("评价日期"), EarliestEvaluation);
    edt_22 = MakeByteEdit(QStringLiteral("edt_22"), 30, box);

    auto *forms = new QHBoxLayout;
    forms->setSpacing(0);
    forms->addWidget(cb_21, 1);
    forms->addWidget(cb_21_l, 1);
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(date34);
    dateRow->addWidget(new QLabel(QStringLiteral("(日期格式：YYYY.MM.DD)"), box));
    dateRow->addStretch(1);

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(4);
    grid->setHorizontalSpacing(12);
    grid->addWidget(MakeFieldLabel(QStringLiteral("评价方式"), cb_21, box, true), 0, 0);
    grid->addLayout(forms, 0, 1);
    grid->addWidget(MakeFieldLabel(QStringLiteral("评价单位"), Edt_130, box), 0, 2);
    grid->addWidget(Edt_130, 0, 3);
    grid->addWidget(MakeFieldLabel(QStringLiteral("评价日期"), date34->picker(), box), 1, 0);
    grid->addLayout(dateRow, 1, 1);
    grid->addWidget(MakeFieldLabel(QStringLiteral("评价报告编号"), edt_22, box), 1, 2);
    grid->addWidget(edt_22, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

// ---- bindings ----------------------------------------------------------------------

// In the order of the input check; the fields without a check follow. The
// project source comes before the kind of national plan, and both before
// the sub-class, because ticking them fills the sub-class list.
void TFpage3::declareBindings()
{
    const QString formMissing = QStringLiteral("“评价形式”不能为空！");
    bind(pick(QStringLiteral("item_21"), cb_21, dictionary(QStringLiteral("item_21")), 3)
             .only(Serves::AppliedOnly)
             .required(formMissing));
    bind(pick(QStringLiteral("item_21"), cb_21_l, dictionary(QStringLiteral("item_21_l")), 3)
             .only(Serves::OthersOnly)
             .required(formMissing));
    bind(options(QStringLiteral("item_126"), Pl_126, 2, QStringLiteral("课题来源"))
             .required(QStringLiteral("“课题来源”不能为空！")));
    const auto requiredForNationalPlan = [this](ByteLimitedEdit *edit, const QString &message) {
        return [this, edit, message]() -> QString {
            if (m_nationalPlanMarked && edit->text().trimmed().isEmpty())
                return message;
            return {};
        };
    };
    bind(text(QStringLiteral("item_127"), Edt_127)
             .checkedBy(requiredForNationalPlan(
                 Edt_127, QStringLiteral("“课题来源”为“国家计划”的项目，“课题立项编号”不能为空！"))));
    bind(text(QStringLiteral("item_127_1"), Edt_127_1)
             .checkedBy(requiredForNationalPlan(
                 Edt_127_1, QStringLiteral("“课题来源”为“国家计划”的项目，“课题立项名称”不能为空！"))));
    bind(money(QStringLiteral("item_142"), Edt_142));
    bind(money(QStringLiteral("item_149"), Edt_149).checkedBy([this]() -> QString {
        return totalTooLong() ? QStringLiteral("经费最大长度不超得过7位！") : QString();
    }));

    bind(options(QStringLiteral("item_140"), Pl_140, 1, QStringLiteral("国家计划")));
    bind(subclass());
    bind(text(QStringLiteral("item_130"), Edt_130));
    bind(text(QStringLiteral("item_22"), edt_22));
    bind(money(QStringLiteral("item_142_1"), Edt_142_1));
    bind(money(QStringLiteral("item_142_2"), Edt_142_2));
    bind(money(QStringLiteral("item_142_3"), Edt_142_3));
    bind(money(QStringLiteral("item_141"), Edt_141));
    bind(money(QStringLiteral("item_148"), Edt_148));
    bind(money(QStringLiteral("item_143"), Edt_143));
    bind(money(QStringLiteral("item_144"), Edt_144));
    bind(money(QStringLiteral("item_243"), Edt_243));
    bind(money(QStringLiteral("item_244"), Edt_244));
    bind(money(QStringLiteral("item_145"), Edt_145));
    bind(clearableDate(QStringLiteral("item_34"), date34, &TFpage3::badDateMessage));
}

// The sub-class of the ticked source. A record without one shows no list
// until a source is ticked; changing only the sub-class is no change that
// asks before leaving.
Binding TFpage3::subclass()
{
    const QString field = QStringLiteral("ITEM_41_1");
    auto sourceCode = std::make_shared<QString>();
    Binding b = pick(field, CB_41, [this, sourceCode](QComboBox *) { fillSubclasses(*sourceCode); }, 2);
    b.widgets.clear();  // shown and hidden by the source, not by the category
    b.follows(CB_41);
    b.same = {};
    const auto loadPick = b.load;
    b.load = [this, field, sourceCode, loadPick](const DataSet &record) {
        if (record.asString(field).trimmed().isEmpty()) {
            Lb_41->hide();
            CB_41->hide();
            return;
        }
        // "02;" is the source 02.
        const QString sources = record.asString(QStringLiteral("item_126"));
        *sourceCode = sources.mid(qMax(0, int(sources.size()) - 3), 2);
        loadPick(record);
        Lb_41->show();
        CB_41->show();
    };
    return b;
}

// The totals are computed: a stored total is kept as it is, and only a sum
// of amounts the user changed must fit the form's seven places. Leaving is
// never refused for a total; a changed page asks, and its save checks.
bool TFpage3::totalTooLong() const
{
    if (m_leaving)
        return false;
    for (const auto &[field, edit] : {std::pair{QStringLiteral("item_142"), Edt_142},
                                      std::pair{QStringLiteral("item_149"), Edt_149}}) {
        if (Funding::sumTooLong(edit->text()) && !showsAsLoaded(field))
            return true;
    }
    return false;
}

void TFpage3::checkBeforeLeaving()
{
    m_leaving = true;
    const auto done = qScopeGuard([this] { m_leaving = false; });
    checkInput();
}

void TFpage3::beforeLoad()
{
    m_loading = true;
}

void TFpage3::afterLoad(const DataSet &)
{
    m_loading = false;
    m_nationalPlanMarked = cb_126_01->isChecked();
    Label1->setStyleSheet(m_nationalPlanMarked ? Maroon : QString());
}

// ---- handlers ----------------------------------------------------------------------

// One source at a time; while the national plan is ticked no other source
// stays ticked ("清除" leaves the national plan).
void TFpage3::sourceToggled(QAbstractButton *source)
{
    if (cb_126_01->isChecked()) {
        for (QAbstractButton *other : OptionBoxesOf(Pl_126)) {
            if (other != cb_126_01)
                other->setChecked(false);
        }
    }
    if (!source->isChecked())
        return;
    UncheckOtherCheckBoxes(Pl_126, source->objectName(), {NationalPlanBox});
    CB_41->show();
    // The national plan's box has no caption of its own: its label names it.
    const QString caption = source == cb_126_01 ? QStringLiteral("国家计划") : source->text();
    Lb_41->setText(QStringLiteral("“") + caption + QStringLiteral("”的下属分类"));
    runGuarded(this, [&] { fillSubclasses(OptionCode(source, 2)); });
}

void TFpage3::fillSubclasses(const QString &sourceCode)
{
    QStringList items;
    try {
        items = context().dictionary().subclassItems(sourceCode);
    } catch (...) {
        CB_41->clear();  // no sub-class of another source stays offered
        throw;
    }
    const bool any = !items.isEmpty();
    Lb_41->setVisible(any);
    CB_41->setVisible(any);
    ShowComboItems(CB_41, items);
    CB_41->setCurrentIndex(-1);
}

void TFpage3::SpeedButton11Click()
{
    SetOptionTicked(cb_126_01, false);
    for (QAbstractButton *kind : OptionBoxesOf(Pl_140))
        SetOptionTicked(kind, false);
}

void TFpage3::localPartChanged()
{
    if (m_loading)
        return;
    Edt_142->setText(Funding::sumText({Edt_142_1->text(), Edt_142_2->text(), Edt_142_3->text()}));
    // The local sum may be what it was; the total follows all the same.
    totalPartChanged();
}

void TFpage3::totalPartChanged()
{
    if (m_loading)
        return;
    QStringList sources;
    for (MoneyEdit *source : {Edt_142, Edt_141, Edt_148, Edt_143, Edt_144, Edt_243, Edt_244, Edt_145})
        sources << source->text();
    Edt_149->setText(Funding::sumText(sources));
}
