#include "Unitpage2.h"

#include "engine/DataSet.h"
#include "engine/Filter.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "records/forms/AppContext.h"
#include "records/data/UnitDM.h"
#include "records/pages/PageControls.h"
#include "records/pages/SectionRules.h"
#include "records/pages/Unitpage6.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/MoneyEdit.h"
#include "records/widgets/NamedControls.h"
#include "records/widgets/OptionGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>


namespace {

using namespace PageBindings;

const QString Maroon = RequiredLabelStyle();
constexpr int ReasonRowHeight = 20;

std::span<const OptionText> optionsOf(const char *group)
{
    return FormOptions::of(QLatin1String(group));
}

// Counts take digits only; amounts in 万元 hold decimals, typed with their
// point as on page 3. A text that is no number is reported and becomes "0".
MoneyEdit *amountEdit(const QString &name, int maxLength, QWidget *parent, bool decimals = false)
{
    auto *edit = new MoneyEdit(parent);
    edit->setObjectName(name);
    edit->setAllowPoint(decimals);
    edit->setMaxTypedLength(maxLength);
    edit->setMinimumWidth(60);
    return edit;
}

QString reasonMessage()
{
    return QStringLiteral("非\"稳定应用\"的项目，其\"未应用或停用原因\"必须说明！");
}

} // namespace

TFpage2::TFpage2(QWidget *parent)
    : SectionPage(QStringLiteral("Fpage2"), QStringLiteral("btn_page02"), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);
    layout->addWidget(MakeTitlePanel(QStringLiteral("知识产权，成果应用情况"), this));
    layout->addWidget(buildProperty());
    layout->addWidget(buildApplication());
    layout->addWidget(buildEconomy());
    layout->addStretch(1);
    layout->addWidget(makeButtonBar(QStringLiteral("存储")));
    declareBindings();
    // Their places stay taken while hidden: ticking a box must not move the
    // boxes or the rows below under the user's mouse.
    for (QWidget *w : m_patentControls + m_softwareControls) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->hide();
    }
}

// ---- the controls ----------------------------------------------------------------

QWidget *TFpage2::buildProperty()
{
    auto *box = new QWidget(this);
    pl51 = new QGroupBox(box);
    pl51->setObjectName(QStringLiteral("pl51"));
    auto *forms = new QHBoxLayout(pl51);
    forms->setContentsMargins(6, 2, 6, 2);
    for (const OptionText &o : optionsOf("item_51"))
        forms->addWidget(MakeOptionBox<QCheckBox>(o, QStringLiteral("cb_51_"), pl51));
    cb_51_1 = pl51->findChild<QCheckBox *>(QStringLiteral("cb_51_1"));
    cb_51_3 = pl51->findChild<QCheckBox *>(QStringLiteral("cb_51_3"));
    cb_51_9 = pl51->findChild<QCheckBox *>(QStringLiteral("cb_51_9"));
    for (QCheckBox *form : {cb_51_1, cb_51_3})
        connect(form, &QCheckBox::clicked, this, [this] {
            runGuarded(this, [this] { RefreshItem51Controls(); });
        });

    edt_51_1 = new QLineEdit(box);
    edt_51_1->setObjectName(QStringLiteral("edt_51_1"));
    edt_51_1->hide();
    patent_ty = new QLineEdit(box);
    patent_ty->setObjectName(QStringLiteral("patent_ty"));
    patent_ty->hide();
    edt_51_2 = amountEdit(QStringLiteral("edt_51_2"), 4, box);
    edt_51_3 = amountEdit(QStringLiteral("edt_51_3"), 4, box);
    for (MoneyEdit *count : {edt_51_2, edt_51_3}) {
        count->setReadOnly(true);
        count->setEnabled(false);
    }
    Button1 = new QToolButton(box);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setText(QStringLiteral("进入填写专利"));
    connect(Button1, &QToolButton::clicked, this, &TFpage2::Button1Click);
    Edt_52 = new ByteLimitedEdit(80, box);
    Edt_52->setObjectName(QStringLiteral("Edt_52"));
    Edt_53 = new ByteLimitedEdit(12, box);
    Edt_53->setObjectName(QStringLiteral("Edt_53"));

    QLabel *applications = MakeFieldLabel(QStringLiteral("申请专利项数"), edt_51_2, box);
    QLabel *grants = MakeFieldLabel(QStringLiteral("授权项数"), edt_51_3, box);
    QLabel *softwareName = MakeFieldLabel(QStringLiteral("软件著作权名称"), Edt_52, box);
    QLabel *softwareNumber = MakeFieldLabel(QStringLiteral("软件著作权登记号"), Edt_53, box);
    m_patentControls = {applications, edt_51_2, grants, edt_51_3, Button1};
    m_softwareControls = {softwareName, Edt_52, softwareNumber, Edt_53};

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(4);
    grid->addWidget(MakeFieldLabel(QStringLiteral("知识产权形式"), cb_51_1, box), 0, 0);
    grid->addWidget(pl51, 0, 1, 1, 3);
    auto *patents = new QHBoxLayout;
    patents->setSpacing(6);
    patents->addWidget(applications);
    patents->addWidget(edt_51_2);
    patents->addSpacing(12);
    patents->addWidget(grants);
    patents->addWidget(edt_51_3);
    patents->addSpacing(12);
    patents->addWidget(Button1);
    patents->addStretch(1);
    grid->addLayout(patents, 0, 4);
    grid->addWidget(softwareName, 1, 0);
    grid->addWidget(Edt_52, 1, 1, 1, 2);
    grid->addWidget(softwareNumber, 1, 3);
    grid->addWidget(Edt_53, 1, 4);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
    return box;
}

QWidget *TFpage2::buildApplication()
{
    auto *box = new QGroupBox(QStringLiteral("成果应用情况"), this);
    CB_32 = MakePickList(box, QStringLiteral("CB_32"));
    CB_32->setMinimumWidth(160);
    connect(CB_32, &QComboBox::activated, this, &TFpage2::cb_32Change);

    pl_32_1 = new QGroupBox(box);
    pl_32_1->setObjectName(QStringLiteral("pl_32_1"));
    auto *groups = new QVBoxLayout(pl_32_1);
    groups->setContentsMargins(6, 2, 6, 2);
    groups->setSpacing(0);
    QHash<QChar, QCheckBox *> groupOf;
    for (const OptionText &o : optionsOf("item_32_1")) {
        auto *group = MakeOptionBox<QCheckBox>(o, QStringLiteral("cb_32_1_"), pl_32_1);
        group->setFixedHeight(ReasonRowHeight);
        group->setEnabled(false);  // ticked through a detailed reason
        groups->addWidget(group);
        groupOf.insert(QLatin1Char(o.code[0]), group);
    }
    KeepOneCheckBoxTicked(pl_32_1);

    Pl_160 = new QGroupBox(box);
    Pl_160->setObjectName(QStringLiteral("Pl_160"));
    auto *details = new QGridLayout(Pl_160);
    details->setContentsMargins(6, 2, 6, 2);
    details->setVerticalSpacing(0);
    // A detailed reason stands in the row of its group, the first digit of
    // its code, and ticks that group.
    QHash<QCheckBox *, int> usedInRow;
    for (const OptionText &o : optionsOf("item_160")) {
        auto *reason = MakeOptionBox<QRadioButton>(o, QStringLiteral("rb_160_"), Pl_160);
        reason->setFixedHeight(ReasonRowHeight);
        QCheckBox *group = groupOf.value(QLatin1Char(o.code[0]));
        details->addWidget(reason, groups->indexOf(group), usedInRow[group]++);
        connect(reason, &QRadioButton::toggled, this, [group](bool on) {
            if (on && group)
                group->setChecked(true);
        });
    }

    pl_161 = new QGroupBox(box);
    pl_161->setObjectName(QStringLiteral("pl_161"));
    auto *extensions = new QHBoxLayout(pl_161);
    extensions->setContentsMargins(6, 2, 6, 2);
    for (const OptionText &o : optionsOf("item_161"))
        extensions->addWidget(MakeOptionBox<QCheckBox>(o, QStringLiteral("cb_161_"), pl_161));

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(4);
    grid->addWidget(MakeFieldLabel(QStringLiteral("应用状态"), CB_32, box, true), 0, 0);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(CB_32);
    statusRow->addStretch(1);
    grid->addLayout(statusRow, 0, 1, 1, 2);
    auto *reasonLabel = new QVBoxLayout;
    reasonLabel->addWidget(MakeFieldLabel(QStringLiteral("未应用或停用原因"), pl_32_1, box, true));
    reasonLabel->addWidget(new QLabel(QStringLiteral("(单选)"), box));
    reasonLabel->addStretch(1);
    grid->addLayout(reasonLabel, 1, 0);
    grid->addWidget(pl_32_1, 1, 1);
    grid->addWidget(Pl_160, 1, 2);
    auto *extensionLabel = new QVBoxLayout;
    extensionLabel->addWidget(MakeFieldLabel(QStringLiteral("推广形式"), pl_161, box, true));
    extensionLabel->addWidget(new QLabel(QStringLiteral("（可复选，最多2项）"), box));
    grid->addLayout(extensionLabel, 2, 0);
    grid->addWidget(pl_161, 2, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget *TFpage2::buildEconomy()
{
    auto *box = new QGroupBox(QStringLiteral("经济效益"), this);
    Edt_45 = amountEdit(QStringLiteral("Edt_45"), 16, box);
    Edt_150 = amountEdit(QStringLiteral("Edt_150"), 5, box, true);
    Edt_162 = amountEdit(QStringLiteral("Edt_162"), 5, box, true);
    Edt_151_1 = amountEdit(QStringLiteral("Edt_151_1"), 7, box, true);
    Edt_152_1 = amountEdit(QStringLiteral("Edt_152_1"), 7, box, true);
    Edt_153 = amountEdit(QStringLiteral("Edt_153"), 7, box, true);
    Edt_154 = amountEdit(QStringLiteral("Edt_154"), 7, box, true);
    cb_46 = MakePickList(box, QStringLiteral("cb_46"));
    cb_47 = MakePickList(box, QStringLiteral("cb_47"));

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(4);
    const auto put = [grid](int row, int column, const char *label, QWidget *edit) {
        PutLabelled(grid, row, column, QString::fromUtf8(label), edit);
    };
    put(0, 0, "已转让企业数（个）", Edt_45);
    put(0, 1, "技术转让收入", Edt_150);
    put(0, 2, "其中，知识产权技术转让收入", Edt_162);
    put(1, 0, "净利润  （万元）", Edt_151_1);
    put(1, 1, "实交税金（万元）", Edt_152_1);
    put(1, 2, "出口创汇（万元）", Edt_153);
    put(2, 0, "节约资金（万元）", Edt_154);
    grid->addWidget(new QLabel(QStringLiteral("（数据长度及格式 9999999）"), box), 2, 2, 1, 4);
    put(3, 0, "预计达产投资（万元）", cb_46);
    put(3, 1, "预计达产利润（万元）", cb_47);
    return box;
}

// ---- bindings ----------------------------------------------------------------------

// In the order of the input check; the fields without a check follow.
void TFpage2::declareBindings()
{
    bind(pick(QStringLiteral("item_32"), CB_32, dictionary(QStringLiteral("item_32")), 3)
             .required(quotedMissing(QStringLiteral("应用状态"))));

    // The stable status stores no reason, whatever is ticked.
    Binding reasons = options(QStringLiteral("item_32_1"), pl_32_1, 1, QStringLiteral("未应用或停用原因"));
    const auto reasonCodes = reasons.value;
    reasons.value = [this, reasonCodes] {
        return ApplicationStatus::storesNoReason(CB_32->currentText()) ? QVariant(QString())
                                                                       : reasonCodes();
    };
    const auto noReason = reasons.blank;
    bind(reasons.follows(CB_32).checkedBy([this, noReason]() -> QString {
        if (ApplicationStatus::needsReason(CB_32->currentText()) && noReason())
            return reasonMessage();
        return {};
    }));
    bind(options(QStringLiteral("item_161"), pl_161, 1, QStringLiteral("推广形式"))
             .required(QStringLiteral("\"推广形式\"必须选择！")));

    Binding forms = options(QStringLiteral("item_51"), pl51, 1, QStringLiteral("知识产权形式"));
    const auto tickForms = forms.load;
    forms.load = [this, tickForms](const DataSet &record) {
        tickForms(record);
        RefreshItem51Controls();
    };
    bind(forms.checkedBy([this]() -> QString {
        if (cb_51_1->isChecked() && edt_51_2->text() == QLatin1String("0")
            && edt_51_3->text() == QLatin1String("0"))
            return QStringLiteral("请填写专利情况！");
        return {};
    }));

    Binding details = options(QStringLiteral("item_160"), Pl_160, 2, QStringLiteral("未应用或停用原因细类"));
    const auto detailCode = details.value;
    details.value = [this, detailCode] {
        return ApplicationStatus::storesNoReason(CB_32->currentText()) ? QVariant(QString())
                                                                       : detailCode();
    };
    bind(details.follows(CB_32));
    bind(patentCount(QStringLiteral("item_51_2"), edt_51_2));
    bind(patentCount(QStringLiteral("item_51_3"), edt_51_3));
    bind(patentDerived(QStringLiteral("item_51_1"), edt_51_1));
    bind(patentDerived(QStringLiteral("patent_ty"), patent_ty));
    // Shown with "软件著作权", not by the category; loading the forms' boxes
    // fills them from the record, or empties them while the box is unticked.
    for (auto [field, edit] : {std::pair{QStringLiteral("item_52"), Edt_52}, std::pair{QStringLiteral("item_53"), Edt_53}}) {
        Binding software = text(field, edit);
        software.widgets.clear();
        software.load = {};
        bind(software.follows(edit));
    }
    bind(money(QStringLiteral("item_45"), Edt_45));
    bind(money(QStringLiteral("item_150"), Edt_150));
    bind(money(QStringLiteral("item_151_1"), Edt_151_1));
    bind(money(QStringLiteral("item_152_1"), Edt_152_1));
    bind(money(QStringLiteral("item_153"), Edt_153));
    bind(money(QStringLiteral("item_154"), Edt_154));
    Binding transferIncome = money(QStringLiteral("item_162"), Edt_162);
    transferIncome.same = {};  // not asked about when the page is left
    bind(transferIncome);
    bind(pick(QStringLiteral("item_46"), cb_46, dictionary(QStringLiteral("item_46"), true), 2));
    bind(pick(QStringLiteral("item_47"), cb_47, dictionary(QStringLiteral("item_47"), true), 2));
}

// A count of the patents list: shown and stored as the record's patents
// have it (never a stored number that the patents contradict), and stored
// empty while "专利" is not ticked, so that no stale number outlives the
// patents. Loading the forms' boxes counts the patents.
Binding TFpage2::patentCount(const QString &field, MoneyEdit *edit)
{
    Binding b = money(field, edit);
    b.widgets.clear();  // shown with "专利"
    b.load = {};
    b.value = [this, edit] { return cb_51_1->isChecked() ? edit->storedValue() : QVariant(); };
    return b;
}

// The status and types derived from the patents; not compared when the page
// is left (they follow the counts).
Binding TFpage2::patentDerived(const QString &field, QLineEdit *edit)
{
    Binding b;
    b.field = field;
    b.value = [this, edit] {
        return QVariant(cb_51_1->isChecked() ? edit->text().trimmed() : QString());
    };
    return b;
}

// ---- loading and the rules of the page -----------------------------------------------

// Whatever goes wrong while the page is filled is told in the loader's words
// (the error's text, then its help context, 0 for every error here), and
// the page stays closed.
bool TFpage2::loadForShowing()
{
    QString error;
    try {
        loadFromRecord();
        return true;
    } catch (const Abort &) {
        return false;  // its warning has been shown
    } catch (const DbError &e) {
        error = e.message();
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    Messages::ShowWarning(this, QStringLiteral("读入数据时出错:") + error + QStringLiteral("0"));
    return false;
}

void TFpage2::afterLoad(const DataSet &)
{
    applyStatusRules(false);
}

Table &TFpage2::patentsOfRecord() const
{
    const DataSet &record = this->record();
    Table &patents = *context().dm().tblzlqk;
    patents.setFiltered(false);
    // The key as stored, whatever characters it holds.
    patents.setFilter(Filter::exact({{QStringLiteral("item_4"), record.asString(QStringLiteral("item_4"))},
                                     {QStringLiteral("item_dqdm"), record.asString(QStringLiteral("item_dqdm"))}}));
    patents.setFiltered(true);
    if (!patents.isOpen())
        patents.open();
    return patents;
}

void TFpage2::RefreshItem51Controls(bool reloadSoftware)
{
    const bool patents = cb_51_1->isChecked();
    const bool software = cb_51_3->isChecked();
    const DataSet &rec = record();
    const bool hasRecord = rec.isOpen() && !rec.isEmpty();
    if ((patents || software) && hasRecord)
        patentsOfRecord();
    if (patents && hasRecord) {
        Table &rows = *context().dm().tblzlqk;
        QList<PatentSummary::Patent> list;
        for (rows.first(); !rows.eof(); rows.next())
            list.append({rows.asString(QStringLiteral("patent_st")).trimmed(),
                         rows.asString(QStringLiteral("patent_ty")).trimmed()});
        rows.first();
        const PatentSummary::Summary summary = PatentSummary::of(list);
        patent_ty->setText(summary.types);
        edt_51_1->setText(summary.status);
        edt_51_2->setText(QString::number(summary.applications));
        edt_51_3->setText(QString::number(summary.grants));
    } else if (!patents) {
        for (QLineEdit *e : {static_cast<QLineEdit *>(edt_51_1), patent_ty,
                             static_cast<QLineEdit *>(edt_51_2), static_cast<QLineEdit *>(edt_51_3)})
            e->clear();
    }
    if (software && reloadSoftware && hasRecord) {
        Edt_52->setText(rec.asString(QStringLiteral("item_52")));
        Edt_53->setText(rec.asString(QStringLiteral("item_53")));
    } else if (!software) {
        Edt_52->clear();
        Edt_53->clear();
    }
    for (QWidget *w : m_patentControls)
        w->setVisible(patents);
    for (QWidget *w : m_softwareControls)
        w->setVisible(software);
}

void TFpage2::Button1Click()
{
    runGuarded(this, [this] {
        const DataSet &rec = record();
        if (!rec.isOpen() || rec.isEmpty())
            return;
        TFpage6 &patents = context().need<TFpage6>();
        patents.showRowsOf({rec.asString(QStringLiteral("item_4")), rec.asString(QStringLiteral("item_dqdm"))});
        patents.setWindowTitle(QStringLiteral("成果名称：") + rec.asString(QStringLiteral("item_3")));
        patents.exec();
    });
}

void TFpage2::cb_32Change()
{
    applyStatusRules(true);
}

// A stable application has no reason for not applying; what was never
// applied has no economic effect. alsoTransferIncome: the user chose the
// status (a loaded page keeps the transfer income as stored). What the rules
// clear is what the page shows, so a save stores it cleared.
void TFpage2::applyStatusRules(bool alsoTransferIncome)
{
    const QString status = CB_32->currentText();
    if (ApplicationStatus::isStable(status)) {
        for (QAbstractButton *group : OptionBoxesOf(pl_32_1)) {
            SetOptionTicked(group, false);
            group->setEnabled(false);
        }
        SetRadioButtonsEnabled(Pl_160, false);
    } else {
        SetRadioButtonsEnabled(Pl_160, true);
    }
    const bool notApplied = ApplicationStatus::isNotApplied(status);
    QList<MoneyEdit *> effects = {Edt_45, Edt_150, Edt_151_1, Edt_152_1, Edt_153, Edt_154};
    if (alsoTransferIncome)
        effects << Edt_162;
    for (MoneyEdit *e : effects) {
        if (notApplied)
            e->clear();
        e->setEnabled(!notApplied);
    }
}

// Patents go only with a save that posted: a refused or failed save leaves
// them all in place.
void TFpage2::afterPost()
{
    if (!cb_51_1->isChecked())
        deletePatentsOfRecord();
}

void TFpage2::deletePatentsOfRecord()
{
    Table &patents = patentsOfRecord();
    for (int left = patents.recordCount(); left > 0 && !patents.isEmpty(); --left) {
        patents.first();
        patents.remove();
    }
}
