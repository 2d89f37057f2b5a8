#include "Finto11Unit.h"

#include "engine/DataSet.h"
#include "records/widgets/NamedControls.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "records/forms/DictionaryService.h"
#include "records/unit/UnitProfile.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/DigitInput.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>


namespace LeaderBirth {

namespace {
bool wholeNumber(const QString &text, int *value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}
} // namespace

bool yearIsValid(const QString &yearText)
{
    int year = 0;
    return wholeNumber(yearText.trimmed().left(4), &year) && year >= 1900 && year <= 2050;
}

bool monthIsValid(const QString &monthText)
{
    int month = 0;
    return wholeNumber(monthText.trimmed(), &month) && month >= 1 && month <= 12;
}

QString paddedMonth(const QString &monthText)
{
    const QString month = monthText.trimmed();
    int value = 0;
    if (month.length() < 2 && wholeNumber(month, &value) && value < 10)
        return QLatin1Char('0') + month;
    return month;
}

QString birthText(const QString &yearText, const QString &monthText)
{
    return yearText.trimmed() + QLatin1Char('.') + paddedMonth(monthText);
}

} // namespace LeaderBirth

namespace {

QLineEdit *makeShortEdit(QWidget *parent, const QString &name, int maxLength)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    LimitTypedLength(edit, maxLength);
    edit->setFixedWidth(maxLength * 12 + 12);
    return edit;
}

// The stored code of a choice: the first two characters of the item.
QString storedCode(const QString &itemText)
{
    return itemText.left(2);
}

} // namespace

TFinto11::TFinto11(QWidget *parent)
    : ChildListDialog(parent)
{
    setObjectName(QStringLiteral("Finto11"));
    buildControls();
    declareBindings();
    setFixedSize(508, 273);
}

void TFinto11::buildControls()
{
    // Name and note take their fields' widths from the list's rows.
    edtry_180 = new ByteLimitedEdit(this);
    edtry_180->setObjectName(QStringLiteral("edtry_180"));
    edtry_186 = new ByteLimitedEdit(this);
    edtry_186->setObjectName(QStringLiteral("edtry_186"));
    cbry_181 = MakePickList(this, QStringLiteral("cbry_181"));
    cbry_124_1 = MakePickList(this, QStringLiteral("cbry_124_1"));
    cbry_183 = MakePickList(this, QStringLiteral("cbry_183"));
    cbry_184 = MakePickList(this, QStringLiteral("cbry_184"));
    Edt_both_1 = makeShortEdit(this, QStringLiteral("Edt_both_1"), 4);
    edt_both_2 = makeShortEdit(this, QStringLiteral("edt_both_2"), 2);
    connect(Edt_both_1, &QLineEdit::editingFinished, this, &TFinto11::Edt_both_1Exit);
    connect(edt_both_2, &QLineEdit::editingFinished, this, &TFinto11::edt_both_2Exit);

    auto *birth = new QHBoxLayout;
    birth->setSpacing(6);
    birth->addWidget(Edt_both_1);
    birth->addWidget(new QLabel(QStringLiteral("."), this));
    birth->addWidget(edt_both_2);
    birth->addWidget(new QLabel(QStringLiteral("格式(YYYY.MM)"), this));
    birth->addStretch(1);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(10);
    grid->addWidget(new QLabel(QStringLiteral("姓名"), this), 0, 0);
    grid->addWidget(edtry_180, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("性别"), this), 0, 2);
    grid->addWidget(cbry_181, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("出生年月"), this), 1, 0);
    grid->addLayout(birth, 1, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("研究领域"), this), 2, 0);
    grid->addWidget(cbry_124_1, 2, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("简要说明"), this), 3, 0);
    grid->addWidget(edtry_186, 3, 1, 1, 3);
    auto *titleLabel = new QLabel(QStringLiteral("技术职称"), this);
    auto *educationLabel = new QLabel(QStringLiteral("文化程度"), this);
    for (QWidget *hidden : {static_cast<QWidget *>(cbry_183), static_cast<QWidget *>(cbry_184),
                            static_cast<QWidget *>(titleLabel),
                            static_cast<QWidget *>(educationLabel)})
        hidden->hide();
    grid->setColumnStretch(1, 1);

    layOutWithButtons(grid, QMargins(20, 20, 20, 14));
}

QString TFinto11::sexText() const
{
    return cbry_181->currentText();
}

QString TFinto11::researchText() const
{
    return cbry_124_1->currentText();
}

// ---- bindings ---------------------------------------------------------------

// In the order of the store's checks: name, sex, birth year and month.
// Name and note are the entry.
void TFinto11::declareBindings()
{
    using namespace PageBindings;
    // A new leader's name is stored trimmed, a modified one as typed.
    Binding name = text(QStringLiteral("item_180"), edtry_180);
    name.value = [this] {
        const bool adding = mode() == ChildList::Mode::Add;
        return QVariant(adding ? edtry_180->text().trimmed() : edtry_180->text());
    };
    name.check = [this] {
        return edtry_180->text().trimmed().isEmpty() ? Messages::Texts::nameRequired() : QString();
    };
    bind(name.partOfEntry());
    // The blank item " " is a choice; only no choice is refused.
    bind(storedCodeOf(QStringLiteral("item_181"), cbry_181)
             .checkedBy([this] {
                 return storedCode(cbry_181->currentText()).isEmpty()
                            ? Messages::Texts::sexRequired()
                            : QString();
             }));
    bind(birthBinding());
    bind(text(QStringLiteral("item_186"), edtry_186).partOfEntry());
    bind(storedCodeOf(QStringLiteral("item_124_1"), cbry_124_1));
}

// A choice stored as the first two characters of its item; compared by
// its code.
Binding TFinto11::storedCodeOf(const QString &field, QComboBox *combo)
{
    Binding b;
    b.field = field;
    b.widgets = {combo};
    b.load = [field, combo](const DataSet &row) {
        combo->setCurrentIndex(-1);
        SelectComboByCode(row.asString(field), combo);
    };
    b.value = [combo] { return QVariant(storedCode(combo->currentText())); };
    b.same = [field, combo](const DataSet &row) {
        return row.asString(field) == combo->currentText().left(3).trimmed();
    };
    return b.keepsWhatItCannotShow();
}

Binding TFinto11::birthBinding()
{
    const QString field = QStringLiteral("item_182");
    Binding b;
    b.field = field;
    b.widgets = {Edt_both_1, edt_both_2};
    b.load = [this, field](const DataSet &row) {
        const QString birth = row.asString(field);
        Edt_both_1->setText(birth.left(4));
        edt_both_2->setText(birth.mid(5, 2));
    };
    b.value = [this] {
        return QVariant(LeaderBirth::birthText(Edt_both_1->text(), edt_both_2->text()));
    };
    const auto value = b.value;
    b.same = [field, value](const DataSet &row) { return row.asString(field) == value().toString(); };
    b.keepsWhatItCannotShow();
    // The years the dialog takes apply to a birth the user enters: a stored
    // one outside them is kept as it is, with the rest of the row.
    b.check = [this, field] {
        if (showsAsLoaded(field))
            return QString();
        if (!LeaderBirth::yearIsValid(Edt_both_1->text()))
            return QStringLiteral("年份不合法！");
        if (!LeaderBirth::monthIsValid(edt_both_2->text()))
            return QStringLiteral("月份不合法");
        return QString();
    };
    return b;
}

// ---- loading ----------------------------------------------------------------

void TFinto11::loadControls(ChildList::Mode mode)
{
    const QString lastResearch = CodeOfItem(researchText());
    FillComboFromDict(context().dictionary(), QStringLiteral("item_181"), false, cbry_181);
    FillComboFromDict(context().dictionary(), QStringLiteral("item_124_1"), false, cbry_124_1);
    if (mode == ChildList::Mode::Add) {
        // Year, month and research field stay preset for the next person.
        cbry_124_1->setCurrentIndex(-1);
        SelectComboByCode(lastResearch, cbry_124_1);
        edtry_180->clear();
        edtry_186->clear();
        cbry_181->setCurrentIndex(0);
    } else {
        ChildListDialog::loadControls(mode);
    }
}

// ---- leaving the birth edits --------------------------------------------------

// Leaving an edit may show a box, which moves the focus again: the box must
// not ask twice.
void TFinto11::warnUnless(bool valid, const QString &message)
{
    if (valid || m_checkingExit)
        return;
    m_checkingExit = true;
    ChildList::ShowPlainMessage(this, message);
    m_checkingExit = false;
}

void TFinto11::Edt_both_1Exit()
{
    warnUnless(LeaderBirth::yearIsValid(Edt_both_1->text()), QStringLiteral("非法年份"));
}

void TFinto11::edt_both_2Exit()
{
    if (m_checkingExit)
        return;
    const QString padded = LeaderBirth::paddedMonth(edt_both_2->text());
    if (padded != edt_both_2->text())
        edt_both_2->setText(padded);
    warnUnless(LeaderBirth::monthIsValid(padded), QStringLiteral("不是合法时间!"));
}

// ---- store and leave ----------------------------------------------------------

// A new leader gets the next serial and the registering unit's code.
void TFinto11::beforePost(DataSet &row)
{
    if (mode() != ChildList::Mode::Add)
        return;
    row.setString(QStringLiteral("item_187"), QString::number(rowsBeforeAdd() + 1));
    row.setString(QStringLiteral("unitcode"), UnitProfile::registeringUnitCode());
}
