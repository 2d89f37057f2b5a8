#include "UnitPage1.h"

#include "engine/Clock.h"
#include "engine/DataSet.h"
#include "records/widgets/Messages.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/DigitInput.h"
#include "records/widgets/DropDownCombo.h"
#include "records/widgets/GbkMemo.h"
#include "records/data/FormOptions.h"
#include "records/pages/PageControls.h"
#include "records/widgets/OptionGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>


namespace {

using namespace PageBindings;

const QString Maroon = QStringLiteral("color: #800000;");
const QString AppliedCategory = QStringLiteral("1");

QLabel *fieldLabel(const QString &text, bool required, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    if (required)
        label->setStyleSheet(Maroon);
    return label;
}

QComboBox *pickList(const QString &name, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setMinimumWidth(130);
    return combo;
}

QLineEdit *digitEdit(const QString &name, int maxLength, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setFixedWidth(maxLength == 4 ? 44 : 28);
    AcceptOnlyDigits(edit, false, maxLength);
    return edit;
}

DropDownCombo *opener(const QString &name, QWidget *parent)
{
    auto *combo = new DropDownCombo(parent);
    combo->setObjectName(name);
    return combo;
}

// An option panel whose boxes carry their code at the end of their names.
template <class Box>
QGroupBox *optionPanel(const QString &name, const QString &title, const QString &boxPrefix,
                       std::span<const OptionText> options, int columns, QWidget *parent)
{
    auto *panel = new QGroupBox(title, parent);
    panel->setObjectName(name);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 0, 6, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    for (std::size_t i = 0; i < options.size(); ++i) {
        auto *box = MakeOptionBox<Box>(options[i], boxPrefix, panel);
        // Rows as high as the text: the five groups fit the page.
        box->setFixedHeight(box->fontMetrics().height() + 2);
        grid->addWidget(box, int(i) / columns, int(i) % columns);
    }
    return panel;
}

QWidget *pair(QWidget *first, QWidget *second, QWidget *parent)
{
    auto *holder = new QWidget(parent);
    auto *row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    row->addWidget(first, 1);
    row->addWidget(second);
    return holder;
}

// Leaving a year edit: a year from 1949 to this year, else "2004"; what is
// not a number counts as this year.
void tidyYear(QLineEdit *edit)
{
    const int thisYear = Clock::today().year();
    bool ok = false;
    int year = edit->text().trimmed().toInt(&ok);
    if (!ok)
        year = thisYear;
    if (year < 1949 || year > thisYear) {
        Messages::ShowWarning(edit->window(), QStringLiteral("年份不合理，合理取值为1949年至今！"));
        edit->setText(QStringLiteral("2004"));
        return;
    }
    edit->setText(QString::number(year));
}

// Leaving a month edit: 1..9 get their leading zero; outside 1..12 it
// becomes 12; an empty month stays empty.
void tidyMonth(QLineEdit *edit)
{
    const QString text = edit->text().trimmed();
    edit->setText(text);
    bool ok = false;
    int month = text.toInt(&ok);
    if (!ok)
        month = 12;
    if (month < 1 || month > 12) {
        Messages::ShowWarning(edit->window(), QStringLiteral("月份数不合理！"));
        edit->setText(QStringLiteral("12"));
    } else if (month <= 9) {
        edit->setText(QLatin1Char('0') + QString::number(month));
    }
}

} // namespace

TFpage1::TFpage1(QWidget *parent) : SectionPage(QStringLiteral("Fpage1"), QStringLiteral("btn_page01"), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    layout->addWidget(MakeTitlePanel(QStringLiteral("成  果  概  况"), this));
    layout->addWidget(buildFields());
    layout->addWidget(buildOptionGroups());
    layout->addWidget(buildMemos(), 1);
    layout->addWidget(makeButtonBar(QStringLiteral("储存")));
    declareBindings();
    // Until a record is loaded the page shows the applied-technology group,
    // so that it never needs more room than the page has.
    for (QWidget *w : {static_cast<QWidget *>(PL_200), static_cast<QWidget *>(cb_210),
                       static_cast<QWidget *>(m_formLabel)})
        w->hide();
}

QWidget *TFpage1::buildFields()
{
    auto *box = new QWidget(this);
    // Their fields' widths come with the bindings when the page is wired.
    Edt_120 = MakeFieldEdit(box, QStringLiteral("Edt_120"));
    Edt_128 = MakeFieldEdit(box, QStringLiteral("Edt_128"));
    DTP_121 = new DateEntry(box);
    DTP_121->setObjectName(QStringLiteral("DTP_121"));
    DTP_121->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    SetPickerRange(DTP_121, QStringLiteral("登记日期"), QDate(1949, 1, 1), QDate(2051, 12, 31));
    DTP_121->setCalendarPopup(true);
    edt_8_y_s = digitEdit(QStringLiteral("edt_8_y_s"), 4, box);
    edt_8_m_s = digitEdit(QStringLiteral("edt_8_m_s"), 2, box);
    edt_8_y_e = digitEdit(QStringLiteral("edt_8_y_e"), 4, box);
    edt_8_m_e = digitEdit(QStringLiteral("edt_8_m_e"), 2, box);
    for (QLineEdit *e : {edt_8_y_s, edt_8_m_s, edt_8_y_e, edt_8_m_e})
        e->installEventFilter(this);
    CB_1 = pickList(QStringLiteral("CB_1"), box);
    cb_2 = pickList(QStringLiteral("cb_2"), box);
    cb_201 = pickList(QStringLiteral("cb_201"), box);
    cb_16 = pickList(QStringLiteral("cb_16"), box);
    cb_33 = pickList(QStringLiteral("cb_33"), box);
    Cb_125_1 = pickList(QStringLiteral("Cb_125_1"), box);
    cb_210 = pickList(QStringLiteral("cb_210"), box);
    edt_14_1 = MakeByteEdit(QStringLiteral("edt_14_1"), 198, box);
    edt_14_2 = MakeByteEdit(QStringLiteral("edt_14_2"), 198, box);
    edt_14_3 = MakeByteEdit(QStringLiteral("edt_14_3"), 198, box);
    Edt_15 = MakeFieldEdit(box, QStringLiteral("Edt_15"));
    edt_15_1 = MakeFieldEdit(box, QStringLiteral("edt_15_1"));
    edt_12 = MakeFieldEdit(box, QStringLiteral("edt_12"));
    edt_12_1 = MakeFieldEdit(box, QStringLiteral("edt_12_1"));
    cb_15 = opener(QStringLiteral("cb_15"), box);
    cb_15_1 = opener(QStringLiteral("cb_15_1"), box);
    CB_12 = opener(QStringLiteral("CB_12"), box);
    CB_12_1 = opener(QStringLiteral("CB_12_1"), box);

    auto *period = new QHBoxLayout;
    period->setSpacing(3);
    period->addWidget(fieldLabel(QStringLiteral("研究起始时间"), true, box));
    period->addWidget(edt_8_y_s);
    period->addWidget(new QLabel(QStringLiteral("年"), box));
    period->addWidget(edt_8_m_s);
    period->addWidget(new QLabel(QStringLiteral("月"), box));
    period->addSpacing(16);
    period->addWidget(fieldLabel(QStringLiteral("研究终止时间"), true, box));
    period->addWidget(edt_8_y_e);
    period->addWidget(new QLabel(QStringLiteral("年"), box));
    period->addWidget(edt_8_m_e);
    period->addWidget(new QLabel(QStringLiteral("月"), box));
    period->addStretch(1);

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    grid->addWidget(fieldLabel(QStringLiteral("成果管理编号"), false, box), 0, 0);
    grid->addWidget(Edt_120, 0, 1);
    grid->addWidget(fieldLabel(QStringLiteral("推荐单位"), false, box), 0, 2);
    grid->addWidget(Edt_128, 0, 3, 1, 3);
    grid->addWidget(fieldLabel(QStringLiteral("登记日期"), false, box), 1, 0);
    grid->addWidget(DTP_121, 1, 1);
    grid->addLayout(period, 1, 2, 1, 4);
    grid->addWidget(fieldLabel(QStringLiteral("成果密级"), true, box), 2, 0);
    grid->addWidget(CB_1, 2, 1);
    grid->addWidget(fieldLabel(QStringLiteral("成果水平"), false, box), 2, 2);
    grid->addWidget(cb_2, 2, 3);
    grid->addWidget(fieldLabel(QStringLiteral("研究形式"), true, box), 2, 4);
    grid->addWidget(cb_201, 2, 5);
    grid->addWidget(fieldLabel(QStringLiteral("关键词"), false, box), 3, 0);
    grid->addWidget(edt_14_1, 3, 1);
    grid->addWidget(edt_14_2, 3, 3);
    grid->addWidget(edt_14_3, 3, 5);
    grid->addWidget(fieldLabel(QStringLiteral("学科分类号"), false, box), 4, 0);
    grid->addWidget(pair(Edt_15, cb_15, box), 4, 1);
    grid->addWidget(pair(edt_15_1, cb_15_1, box), 4, 3);
    grid->addWidget(fieldLabel(QStringLiteral("中图分类号"), false, box), 5, 0);
    grid->addWidget(pair(edt_12, CB_12, box), 5, 1);
    grid->addWidget(pair(edt_12_1, CB_12_1, box), 5, 3);

    QLabel *stage = fieldLabel(QStringLiteral("成果所处阶段"), true, box);
    QLabel *scope = fieldLabel(QStringLiteral("转让范围"), true, box);
    Lb_125_1 = fieldLabel(QStringLiteral("成果属性"), true, box);
    Lb_125_1->setObjectName(QStringLiteral("Lb_125_1"));
    m_formLabel = fieldLabel(QStringLiteral("成果体现形式"), true, box);
    m_appliedLabels = {stage, scope};
    grid->addWidget(stage, 6, 0);
    grid->addWidget(cb_16, 6, 1);
    grid->addWidget(m_formLabel, 6, 0);
    grid->addWidget(cb_210, 6, 1);
    grid->addWidget(scope, 6, 2);
    grid->addWidget(cb_33, 6, 3);
    grid->addWidget(Lb_125_1, 6, 4);
    grid->addWidget(Cb_125_1, 6, 5);
    return box;
}

QWidget *TFpage1::buildOptionGroups()
{
    auto *box = new QWidget(this);
    const auto options = [](const char *group) { return FormOptions::of(QLatin1String(group)); };
    PL_123 = optionPanel<QRadioButton>(QStringLiteral("PL_123"), QStringLiteral("成果体现形式"),
                                       QStringLiteral("rb_123_"), options("item_123"), 7, box);
    Pl_124_1 = optionPanel<QCheckBox>(QStringLiteral("Pl_124_1"), QString(),
                                      QStringLiteral("CB_124_1_"), options("item_124_1"), 4, box);
    PL_200 = optionPanel<QCheckBox>(QStringLiteral("PL_200"), QString(), QStringLiteral("cb_200_"),
                                    options("item_200"), 4, box);
    PL_125 = optionPanel<QCheckBox>(QStringLiteral("PL_125"), QStringLiteral("成果主要应用行业"),
                                    QStringLiteral("CB_125_"), options("item_125"), 4, box);
    for (QGroupBox *required : {PL_123, PL_125})
        required->setStyleSheet(QStringLiteral("QGroupBox { color: #800000; }"
                                               " QRadioButton, QCheckBox { color: black; }"));
    // One tick at a time in these groups.
    for (QGroupBox *single : {Pl_124_1, PL_200, PL_125})
        KeepOneCheckBoxTicked(single);

    Label22 = new QLabel(box);
    Label22->setObjectName(QStringLiteral("Label22"));
    Label22->setWordWrap(true);
    Label22->setFixedWidth(54);
    auto *goals = new QHBoxLayout;
    goals->setSpacing(4);
    goals->addWidget(Label22, 0, Qt::AlignTop);
    goals->addWidget(Pl_124_1, 1);
    goals->addWidget(PL_200, 1);

    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PL_123);
    layout->addLayout(goals);
    layout->addWidget(PL_125);
    return box;
}

QTabWidget *TFpage1::buildMemos()
{
    memoTabs = new QTabWidget(this);
    Mo_13_1 = new GbkMemo(memoTabs);
    Mo_13_1->setObjectName(QStringLiteral("Mo_13_1"));
    Mo_13 = new GbkMemo(memoTabs);
    Mo_13->setObjectName(QStringLiteral("Mo_13"));
    for (GbkMemo *memo : {Mo_13_1, Mo_13})
        memo->setMinimumHeight(40);
    memoTabs->addTab(Mo_13_1, QStringLiteral("成果简介"));
    memoTabs->addTab(Mo_13, QStringLiteral("成果公报内容"));
    memoTabs->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { color: #800000; }"));
    return memoTabs;
}

// In the order of the input check; the fields without a check follow.
void TFpage1::declareBindings()
{
    bind(researchPeriod(QStringLiteral("item_8"), edt_8_y_s, edt_8_m_s, edt_8_y_e, edt_8_m_e,
                        [this] { return DTP_121->date(); }));
    bind(dictionaryPick(QStringLiteral("item_1"), CB_1, 3)
             .required(quotedMissing(QStringLiteral("成果密级"))));
    bind(keyWords(QStringLiteral("item_14"), {edt_14_1, edt_14_2, edt_14_3}, 196,
                  QStringLiteral("\"关键词\"三栏总字数不要超过98字")));
    bind(dictionaryPick(QStringLiteral("item_16"), cb_16, 3)
             .withLabel(m_appliedLabels[0])
             .only(Serves::AppliedOnly, true)
             .required(quotedMissing(QStringLiteral("成果所处阶段"))));
    bind(dictionaryPick(QStringLiteral("item_33"), cb_33, 3)
             .withLabel(m_appliedLabels[1])
             .only(Serves::AppliedOnly, true)
             .required(quotedMissing(QStringLiteral("转让范围"))));
    bind(options(QStringLiteral("item_123"), PL_123, 1, QStringLiteral("成果体现形式"))
             .only(Serves::AppliedOnly, true)
             .required(quotedMissing(QStringLiteral("成果体现形式"))));
    bind(dictionaryPick(QStringLiteral("item_210"), cb_210, 3)
             .withLabel(m_formLabel)
             .only(Serves::OthersOnly, true)
             .required(quotedMissing(QStringLiteral("成果体现形式"))));
    bind(options(QStringLiteral("item_200"), PL_200, 2, QStringLiteral("社会经济目标"))
             .only(Serves::OthersOnly, true)
             .required(quotedMissing(QStringLiteral("社会经济目标"))));
    bind(dictionaryPick(QStringLiteral("item_125_1"), Cb_125_1, 2)
             .withLabel(Lb_125_1)
             .only(Serves::AppliedOnly, true)
             .required(quotedMissing(QStringLiteral("成果属性"))));
    bind(dictionaryPick(QStringLiteral("item_201"), cb_201, 3)
             .required(quotedMissing(QStringLiteral("研究形式"))));
    bind(options(QStringLiteral("item_125"), PL_125, 2, QStringLiteral("成果应用行业"))
             .required(quotedMissing(QStringLiteral("成果应用行业"))));
    bind(memo(QStringLiteral("item_13_1"), Mo_13_1).required(quotedMissing(QStringLiteral("成果简介"))));
    bind(memo(QStringLiteral("item_13"), Mo_13).required(quotedMissing(QStringLiteral("成果公报内容"))));

    bind(text(QStringLiteral("item_120"), Edt_120));
    bind(text(QStringLiteral("item_128"), Edt_128));
    bind(registrationDate());
    bind(dictionaryPick(QStringLiteral("item_2"), cb_2, 3));
    bind(options(QStringLiteral("item_124_1"), Pl_124_1, 2, QStringLiteral("所属高新科技领域"))
             .only(Serves::AppliedOnly, true));
    const QString subjectFile = QStringLiteral("xkfl.dbf");
    const QString libraryFile = QStringLiteral("ztflh.dbf");
    bind(classification(QStringLiteral("item_15"), Edt_15, cb_15, subjectFile));
    bind(classification(QStringLiteral("item_15_1"), edt_15_1, cb_15_1, subjectFile));
    bind(classification(QStringLiteral("item_12"), edt_12, CB_12, libraryFile));
    bind(classification(QStringLiteral("item_12_1"), edt_12_1, CB_12_1, libraryFile));
    // Every save of an applied-technology record names the registering unit
    // as the one that recommends it.
    bind(constant(QStringLiteral("outcomeb"), QStringLiteral("9990001000")).only(Serves::AppliedOnly));
}

// A record without a date the picker can show gets today: that is the date
// the page shows, so the save stores it. Leaving asks only about another day.
Binding TFpage1::registrationDate()
{
    const QString field = QStringLiteral("item_121");
    // The stored date, or today when the picker cannot show one.
    const auto shownFor = [this, field](const DataSet &record) {
        const QDate stored = record.asDate(field);
        const bool shown = !record.asString(field).trimmed().isEmpty() && PickerCanShow(DTP_121, stored);
        return shown ? stored : Clock::today();
    };
    Binding b;
    b.field = field;
    b.widgets = {DTP_121};
    b.load = [this, field, shownFor](const DataSet &record) {
        const QString text = record.asString(field).trimmed();
        const QDate date = shownFor(record);
        const bool asStored = !text.isEmpty() && date == record.asDate(field);
        if (!text.isEmpty() && !asStored)
            Messages::ShowWarning(this, QLatin1Char('\'') + text + QLatin1Char('\'')
                                            + Messages::Texts::badTimeReplaced());
        DTP_121->showDate(date);
    };
    b.value = [this] { return QVariant(DTP_121->date()); };
    b.same = [this, shownFor](const DataSet &record) { return DTP_121->date() == shownFor(record); };
    return b;
}

void TFpage1::afterLoad(const DataSet &)
{
    const bool applied = category() == AppliedCategory;
    Label22->setText(applied ? QStringLiteral("所属高新科技领域") : QStringLiteral("社会经济目标"));
    Label22->setStyleSheet(applied ? QString() : Maroon);
}

void TFpage1::periodEditExit(QLineEdit *edit)
{
    if (edit == edt_8_y_s || edit == edt_8_y_e)
        tidyYear(edit);
    else if (edit == edt_8_m_s || edit == edt_8_m_e)
        tidyMonth(edit);
}

bool TFpage1::eventFilter(QObject *watched, QEvent *event)
{
    // The box of the edit's own check takes the focus: that is no leaving.
    if (event->type() == QEvent::FocusOut && isVisible() && !Messages::boxShowing())
        periodEditExit(qobject_cast<QLineEdit *>(watched));
    return SectionPage::eventFilter(watched, event);
}
