#include "UnitNew.h"

#include "engine/Clock.h"
#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/widgets/NamedControls.h"
#include "records/widgets/Abort.h"
#include "records/data/AchievementList.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "records/widgets/SectionButton.h"
#include "app/Unit1.h"
#include "records/data/UnitDM.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/FormOrder.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>


namespace {

constexpr int FirstYear = 1900;
constexpr int LastYear = 2050;

QLabel *formLabel(const QString &text, bool required, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    if (required)
        label->setStyleSheet(QStringLiteral("color: #800000; font-weight: bold;"));
    return label;
}

bool onlyDigits(const QString &text)
{
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

int categoryIndexOf(const QString &category)
{
    bool ok = false;
    const int code = category.trimmed().toInt(&ok);
    return ok && code >= 1 && code <= 3 ? code - 1 : 0;
}

} // namespace

// ---- year box -------------------------------------------------------------

YearSpinBox::YearSpinBox(QWidget *parent) : QAbstractSpinBox(parent)
{
    lineEdit()->setMaxLength(4);
    setText(QString::number(FirstYear));
}

void YearSpinBox::setText(const QString &text)
{
    lineEdit()->setText(text);
}

void YearSpinBox::stepBy(int steps)
{
    bool ok = false;
    int year = text().trimmed().toInt(&ok);
    if (!ok)
        year = FirstYear;
    setText(QString::number(qBound(FirstYear, year + steps, LastYear)));
}

QValidator::State YearSpinBox::validate(QString &, int &) const
{
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled YearSpinBox::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

// ---- the dialog -----------------------------------------------------------

TFormNew::TFormNew(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormNew"));
    setWindowTitle(QStringLiteral("请填写"));
    buildControls();
    setFixedSize(520, 250);
}

QString TFormNew::newCaption()
{
    return QStringLiteral("请填写新项目！");
}

QString TFormNew::modifyCaption()
{
    return QStringLiteral("修改主要项目！");
}

void TFormNew::buildControls()
{
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(AchievementList::categoryNames());
    cbYear = new YearSpinBox(this);
    cbYear->setObjectName(QStringLiteral("cbYear"));
    cbYear->setFixedWidth(80);
    edt_120 = new ByteLimitedEdit(20, this);
    edt_120->setObjectName(QStringLiteral("edt_120"));
    edt_3 = new ByteLimitedEdit(140, this);
    edt_3->setObjectName(QStringLiteral("edt_3"));
    edt_9 = new ByteLimitedEdit(140, this);
    edt_9->setObjectName(QStringLiteral("edt_9"));
    Button1 = new QPushButton(QStringLiteral("存储"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("退出"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    // The row's own spacing keeps "请选择年份" off its edit: a grid with
    // different horizontal and vertical spacing passes none on.
    auto *choice = new QHBoxLayout;
    choice->setSpacing(grid->horizontalSpacing());
    choice->addWidget(ComboBox1);
    choice->addSpacing(24);
    choice->addWidget(formLabel(QStringLiteral("请选择年份"), true, this));
    choice->addWidget(cbYear);
    choice->addStretch(1);
    grid->addWidget(formLabel(QStringLiteral("请选择成果类型"), true, this), 0, 0);
    grid->addLayout(choice, 0, 1);
    grid->addWidget(formLabel(QStringLiteral("成果管理编号"), false, this), 1, 0);
    grid->addWidget(edt_120, 1, 1);
    grid->addWidget(formLabel(QStringLiteral("成果名称"), true, this), 2, 0);
    grid->addWidget(edt_3, 2, 1);
    grid->addWidget(formLabel(QStringLiteral("成果第一完成单位名称"), true, this), 3, 0);
    grid->addWidget(edt_9, 3, 1);

    QHBoxLayout *buttons = ButtonRow({Button1, Button2}, 24);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (QLineEdit *edit : {static_cast<QLineEdit *>(edt_120), static_cast<QLineEdit *>(edt_3),
                            static_cast<QLineEdit *>(edt_9)})
        connect(edit, &QLineEdit::textChanged, this, &TFormNew::markChanged);
    connect(cbYear->edit(), &QLineEdit::textChanged, this, &TFormNew::cbYearChange);
    cbYear->installEventFilter(this);
    connect(ComboBox1, &QComboBox::activated, this, &TFormNew::ComboBox1Change);
    connect(Button1, &QPushButton::clicked, this, &TFormNew::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormNew::Button2Click);
}

void TFormNew::markChanged()
{
    NewFormSaved = false;
}

// ---- openers --------------------------------------------------------------

void TFormNew::openForNewRecord()
{
    setWindowTitle(newCaption());
    edt_120->clear();
    edt_3->clear();
    const Table &unit = *dm().Tblunit;
    edt_9->setText(unit.isOpen() && !unit.isEmpty() ? unit.asString(QStringLiteral("item_9"))
                                                    : QString());
    exec();
}

void TFormNew::openForModify()
{
    const Query &list = *dm().Qrykjcg;
    if (!list.isOpen() || list.isEmpty()) {
        Messages::show(parentWidget(), QStringLiteral("请注意！"),
                       QStringLiteral("当前没有可以修改的项目"), QMessageBox::Question);
        return;
    }
    m_old = {list.asString(QStringLiteral("item_4")).trimmed(),
             list.asString(QStringLiteral("item_dqdm")).trimmed()};
    OldItem4 = m_old.item4;
    OldItem3 = list.asString(QStringLiteral("item_3"));
    setWindowTitle(modifyCaption());
    ComboBox1->setCurrentIndex(categoryIndexOf(list.asString(QStringLiteral("item_cglb"))));
    cbYear->setText(m_old.item4.left(4));
    edt_120->setText(list.asString(QStringLiteral("item_120")));
    edt_3->setText(list.asString(QStringLiteral("item_3")));
    edt_9->setText(list.asString(QStringLiteral("item_9")));
    exec();
}

void TFormNew::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    BuddyLabels(this);
    TabInVisualOrder(this);
    FormShow();
    // Category and year come preset: the caret waits in the first field
    // still to fill. A modified record has them all filled: the caret waits
    // in its name, not on a selected year that a typed digit would replace.
    QWidget *field = windowTitle() == modifyCaption() ? edt_3 : FirstFieldToType(this);
    if (field)
        field->setFocus();
}

// A new record starts from the main window's category and year and the own
// unit's name. A modified record keeps what the opener read from it: the
// list may show records of other years (after a query), and taking the main
// window's year would renumber the record unasked.
void TFormNew::FormShow()
{
    runGuarded(this, [&] {
        if (windowTitle() == newCaption()) {
            const Query &ownUnit = *dm().Qrydwqk;
            if (ownUnit.isOpen() && !ownUnit.isEmpty() && !ownUnit.isNull(QStringLiteral("item_9")))
                edt_9->setText(ownUnit.asString(QStringLiteral("item_9")));
            if (mainForm()) {
                ComboBox1->setCurrentIndex(mainForm()->ComboBox1->currentIndex());
                const QString year = mainForm()->cbYear->currentText();
                cbYear->setText(year.isEmpty() ? QString::number(Clock::today().year()) : year);
            }
        }
    });
    NewFormSaved = true;
}

// ---- changes --------------------------------------------------------------

// The main window follows the category and year chosen here with its list,
// marks and lock together, so that leaving without storing leaves it
// consistent.
void TFormNew::ComboBox1Change()
{
    NewFormSaved = false;
    if (mainForm())
        runGuarded(this, [&] { mainForm()->chooseCategory(ComboBox1->currentIndex()); });
}

void TFormNew::cbYearChange()
{
    NewFormSaved = false;
    const QString text = cbYear->text();
    if (!onlyDigits(text)) {
        Messages::ShowWarning(this, QStringLiteral("不能输入非数字的字符！"));
        cbYear->setFocus();
        return;
    }
    if (mainForm())
        runGuarded(this, [&] { mainForm()->chooseYear(text); });
}

void TFormNew::cbYearExit()
{
    if (Numbering::isValidYear(cbYear->text().trimmed()))
        return;
    Messages::ShowWarning(this, Numbering::invalidYearText());
    // The focus is on its way elsewhere: bring it back once it got there.
    QTimer::singleShot(0, cbYear, [this] { cbYear->setFocus(); });
}

bool TFormNew::eventFilter(QObject *watched, QEvent *event)
{
    // The box of the edit's own check takes the focus: that is no leaving.
    if (watched == cbYear && event->type() == QEvent::FocusOut && isVisible()
        && !Messages::boxShowing())
        cbYearExit();
    return QDialog::eventFilter(watched, event);
}

// ---- closing --------------------------------------------------------------

void TFormNew::done(int result)
{
    if (!NewFormSaved)
        return;
    QDialog::done(result);
}

void TFormNew::Button2Click()
{
    currentListSql() = dm().Qrykjcg->sql();
    if (NewFormSaved) {
        close();
        return;
    }
    const bool noName = edt_3->text().trimmed().isEmpty();
    const bool noUnit = edt_9->text().trimmed().isEmpty();
    if (noName && noUnit) {
        NewFormSaved = true;
        close();
        return;
    }
    if (noName || noUnit) {
        store();  // names the missing item
        return;
    }
    const auto answer = Messages::show(this, QStringLiteral("提示信息"), QStringLiteral("退出并储存？"),
                                       QMessageBox::Information,
                                       QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Ok) {
        store();  // closes when it stored; a refused store keeps the input
        return;
    }
    NewFormSaved = true;
    close();
}

// ---- store ----------------------------------------------------------------

void TFormNew::Button1Click()
{
    store();
}

bool TFormNew::store()
{
    bool stored = false;
    runGuarded(this, [&] { stored = storeChecked(); });
    return stored;
}

Numbering::MainItems TFormNew::mainItems() const
{
    Numbering::MainItems items;
    items.categoryIndex = ComboBox1->currentIndex();
    items.year = cbYear->text().trimmed().left(4);
    items.name = edt_3->text().trimmed();
    items.firstUnit = edt_9->text().trimmed();
    items.managementNumber = edt_120->text();
    return items;
}

bool TFormNew::storeChecked()
{
    const Numbering::MainItems items = mainItems();
    if (items.name.isEmpty() && items.firstUnit.isEmpty()
        && items.managementNumber.trimmed().isEmpty()) {
        close();
        return false;
    }
    RequireText(this, cbYear->text(), QStringLiteral("年份不能为空！"));
    RequireText(this, items.name, QStringLiteral("成果名称不能为空！"));
    RequireText(this, items.firstUnit, QStringLiteral("成果第一完成单位不能为空！"));
    // The year reaches the numbering only as four digits of the allowed span.
    if (!Numbering::isValidYear(items.year)) {
        Messages::ShowWarning(this, Numbering::invalidYearText());
        throw Abort{};
    }
    if (windowTitle() == modifyCaption())
        return storeModified(items);
    if (windowTitle() == newCaption())
        return storeNew(items);
    return false;
}

bool TFormNew::nameIsTaken(const QString &name, const Numbering::RecordKey &own)
{
    if (!Numbering::nameTaken(dm().database(), name, own))
        return false;
    Messages::show(this, QStringLiteral("提示信息"), QStringLiteral("已有同名项目!"),
                   QMessageBox::Information);
    return true;
}

bool TFormNew::storeNew(const Numbering::MainItems &items)
{
    currentListSql() = dm().Qrykjcg->sql();
    if (nameIsTaken(items.name, {}))
        return false;
    Numbering::RecordKey key;
    try {
        // The record is shown in the list of its category and year, after
        // the rows that list holds.
        const int listPosition =
            Numbering::newListPlace(dm().database(), items.categoryIndex, items.year);
        key = Numbering::storeNewRecord(dm().database(), items, listPosition);
    } catch (const DbError &e) {
        Messages::ShowError(this, e.message());
        return false;
    }
    NewFormSaved = true;  // only now: a refused or failed store keeps the input unsaved
    showStoredRecord(key, items.year);
    if (mainForm()) {
        mainForm()->MarkIncompletePages();
        mainForm()->CheckPagesDone();
        lockMainWindowOnNewRecord();
    }
    accept();
    return true;
}

bool TFormNew::storeModified(const Numbering::MainItems &items)
{
    currentListSql() = dm().Qrykjcg->sql();
    if (nameIsTaken(items.name, m_old))
        return false;
    Numbering::RecordKey key;
    try {
        key = Numbering::storeModifiedRecord(dm().database(), m_old, items);
    } catch (const DbError &e) {
        Messages::ShowError(this, e.message());
        return false;
    }
    NewFormSaved = true;
    showStoredRecord(key, items.year);
    if (mainForm()) {
        mainForm()->MarkIncompletePages();
        mainForm()->RenumberList();
        dm().Qrykjcg->locate({QStringLiteral("item_4"), QStringLiteral("item_dqdm")},
                            {key.item4, key.region});
        mainForm()->CheckPagesDone();
    }
    accept();
    return true;
}

// The main window lists the record's category and year, with the record as
// the current row. The year list is read again: it gains the record's year,
// and a modified record may have taken the last record of a year away.
void TFormNew::showStoredRecord(const Numbering::RecordKey &key, const QString &year)
{
    if (mainForm()) {
        if (!mainForm()->refreshYearList())
            mainForm()->LoadAchievementList();
        mainForm()->FollowNewRecordFilter(ComboBox1->currentIndex(), year);
    }
    Query &list = *dm().Qrykjcg;
    ReopenQuery(list, currentListSql());
    list.locate({QStringLiteral("item_4"), QStringLiteral("item_dqdm")}, {key.item4, key.region});
}

// Until its required sections are done, the new record is the only one the
// main window works on.
TDM &TFormNew::dm() const
{
    return context().dm();
}

TMainForm *TFormNew::mainForm() const
{
    return isWired() ? context().window<TMainForm>() : nullptr;
}

// The list's SQL is the main window's to remember; the dialog shares it.
QString &TFormNew::currentListSql()
{
    if (TMainForm *main = mainForm())
        return main->CurrentListSql;
    return m_listSql;
}

void TFormNew::lockMainWindowOnNewRecord()
{
    for (SectionButton *b : mainForm()->sectionButtons())
        b->setKind(SectionButton::NotDone);
    for (QWidget *w : mainForm()->lockSet()) {
        if (w != mainForm()->BitBtn4)
            w->setEnabled(false);
    }
}
