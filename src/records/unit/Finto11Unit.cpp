#include "Finto11Unit.h"

#include "engine/DataSet.h"
#include "records/widgets/NamedControls.h"
#include "records/forms/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/forms/Messages.h"
#include "records/forms/DictionaryService.h"
#include "records/unit/UnitProfile.h"
#include "records/widgets/ByteLimitedEdit.h"

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
    edit->setMaxLength(maxLength);
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
    setFixedSize(508, 273);
}

void TFinto11::buildControls()
{
    edtry_180 = new ByteLimitedEdit(20, this);
    edtry_180->setObjectName(QStringLiteral("edtry_180"));
    edtry_186 = new ByteLimitedEdit(160, this);
    edtry_186->setObjectName(QStringLiteral("edtry_186"));
    cbry_181 = MakePickList(this, QStringLiteral("cbry_181"));
    cbry_124_1 = MakePickList(this, QStringLiteral("cbry_124_1"));
    cbry_183 = MakePickList(this, QStringLiteral("cbry_183"));
    cbry_184 = MakePickList(this, QStringLiteral("cbry_184"));
    Edt_both_1 = makeShortEdit(this, QStringLiteral("Edt_both_1"), 4);
    edt_both_2 = makeShortEdit(this, QStringLiteral("edt_both_2"), 2);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    connect(cbry_124_1, &QComboBox::currentIndexChanged, this,
            [this] { Edit1->setText(QStringLiteral("1")); });
    connect(Edt_both_1, &QLineEdit::editingFinished, this, &TFinto11::Edt_both_1Exit);
    connect(edt_both_2, &QLineEdit::editingFinished, this, &TFinto11::edt_both_2Exit);

    auto *birth = new QHBoxLayout;
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
        Edit1->clear();
        return;
    }
    if (!list() || !list()->rows())
        return;
    const DataSet &row = *list()->rows();
    edtry_180->setText(row.asString(QStringLiteral("item_180")));
    for (QComboBox *combo : {cbry_181, cbry_124_1})
        combo->setCurrentIndex(-1);
    SelectComboByCode(row.asString(QStringLiteral("item_181")), cbry_181);
    SelectComboByCode(row.asString(QStringLiteral("item_124_1")), cbry_124_1);
    edtry_186->setText(row.asString(QStringLiteral("item_186")));
    const QString birth = row.asString(QStringLiteral("item_182"));
    Edt_both_1->setText(birth.left(4));
    edt_both_2->setText(birth.mid(5, 2));
    Edit1->clear();
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

bool TFinto11::isBlankForStore() const
{
    return edtry_180->text().trimmed().isEmpty() && edtry_186->text().trimmed().isEmpty();
}

bool TFinto11::isBlankForLeave() const
{
    return edtry_186->text().isEmpty() && edtry_180->text().isEmpty();
}

bool TFinto11::isUnchanged() const
{
    if (!list() || !list()->rows())
        return true;
    const DataSet &row = *list()->rows();
    return edtry_186->text() == row.asString(QStringLiteral("item_186"))
           && edtry_180->text() == row.asString(QStringLiteral("item_180"))
           && row.asString(QStringLiteral("item_181")) == sexText().left(3).trimmed()
           && Edit1->text() != QLatin1String("1")
           && row.asString(QStringLiteral("item_182"))
                  == LeaderBirth::birthText(Edt_both_1->text(), edt_both_2->text());
}

void TFinto11::checkInput()
{
    const auto require = [this](bool valid, const QString &message) {
        if (valid)
            return;
        Messages::ShowWarning(this, message);
        throw Abort{};
    };
    require(!edtry_180->text().trimmed().isEmpty(), QStringLiteral("姓名不能为空！"));
    require(!storedCode(sexText()).trimmed().isEmpty(), QStringLiteral("性别不能为空！"));
    require(LeaderBirth::yearIsValid(Edt_both_1->text()), QStringLiteral("年份不合法！"));
    require(LeaderBirth::monthIsValid(edt_both_2->text()), QStringLiteral("月份不合法"));
}

void TFinto11::writeFields(DataSet &rows, ChildList::Mode mode)
{
    const bool adding = mode == ChildList::Mode::Add;
    if (adding)
        rows.setString(QStringLiteral("item_187"), QString::number(rowsBeforeAdd() + 1));
    rows.setString(QStringLiteral("item_180"),
                   adding ? edtry_180->text().trimmed() : edtry_180->text());
    rows.setString(QStringLiteral("item_181"), storedCode(sexText()));
    rows.setString(QStringLiteral("item_182"),
                   LeaderBirth::birthText(Edt_both_1->text(), edt_both_2->text()));
    rows.setString(QStringLiteral("item_186"), edtry_186->text());
    rows.setString(QStringLiteral("item_124_1"), storedCode(researchText()));
    if (adding)
        rows.setString(QStringLiteral("unitcode"), UnitProfile::registeringUnitCode());
}

void TFinto11::clearAfterAdd()
{
    edtry_180->clear();
    edtry_186->clear();
}
