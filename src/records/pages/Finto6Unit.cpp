#include "Finto6Unit.h"

#include "engine/DataSet.h"
#include "records/forms/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/forms/Messages.h"
#include "records/forms/PageBindings.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/main/UnitDM.h"
#include "records/pages/PageControls.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/NamedControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>


namespace {

// The stored code of a choice: the first two characters of the item, trimmed.
QString storedCode(const QComboBox *combo)
{
    return combo->currentText().left(2).trimmed();
}

} // namespace

TFinto6::TFinto6(QWidget *parent)
    : ChildListDialog(parent)
{
    setObjectName(QStringLiteral("Finto6"));
    buildControls();
    setFixedSize(480, 220);
}

void TFinto6::buildControls()
{
    edtzl_no = MakeByteEdit(QStringLiteral("edtzl_no"), 15, this);
    edtzl_name = MakeByteEdit(QStringLiteral("edtzl_name"), 140, this);
    cb_ty = MakePickList(this, QStringLiteral("cb_ty"));
    cb_st = MakePickList(this, QStringLiteral("cb_st"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    for (QComboBox *list : {cb_st, cb_ty})
        connect(list, &QComboBox::activated, this, [this] { Edit1->setText(QStringLiteral("1")); });

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(10);
    const auto put = [&](int row, const QString &label, QWidget *control) {
        auto *caption = new QLabel(label, this);
        caption->setBuddy(control);
        grid->addWidget(caption, row, 0);
        grid->addWidget(control, row, 1);
    };
    put(0, QStringLiteral("专利号"), edtzl_no);
    put(1, QStringLiteral("专利名称"), edtzl_name);
    put(2, QStringLiteral("专利类型"), cb_ty);
    put(3, QStringLiteral("专利状况"), cb_st);
    grid->setColumnStretch(1, 1);

    layOutWithButtons(grid, QMargins(20, 16, 20, 12));
}

void TFinto6::loadControls(ChildList::Mode mode)
{
    const DictionaryService &dictionary = context().dictionary();
    FillComboFromDict(dictionary, QStringLiteral("patent_st"), true, cb_st);
    FillComboFromDict(dictionary, QStringLiteral("patent_ty"), true, cb_ty);
    if (mode == ChildList::Mode::Add) {
        edtzl_no->clear();
        edtzl_name->clear();
        cb_st->setCurrentIndex(cb_st->count() > 0 ? 0 : -1);
        cb_ty->setCurrentIndex(cb_ty->count() > 0 ? 0 : -1);
    } else if (list() && list()->rows() && list()->rows()->isOpen()) {
        const DataSet &row = *list()->rows();
        edtzl_no->setText(row.asString(QStringLiteral("PATENT_NO")));
        edtzl_name->setText(row.asString(QStringLiteral("PATENT_NAM")));
        for (QComboBox *combo : {cb_st, cb_ty})
            combo->setCurrentIndex(-1);
        SelectComboByCode(row.asString(QStringLiteral("PATENT_ST")), cb_st);
        SelectComboByCode(row.asString(QStringLiteral("PATENT_TY")), cb_ty);
    }
    Edit1->clear();
}

// Every "存储" runs the checks, even on an empty dialog.
bool TFinto6::isBlankForStore() const
{
    return false;
}

bool TFinto6::isBlankForLeave() const
{
    return edtzl_no->text().isEmpty() && edtzl_name->text().isEmpty();
}

bool TFinto6::isUnchanged() const
{
    if (Edit1->text() == QLatin1String("1"))
        return false;
    if (!list() || !list()->rows() || !list()->rows()->isOpen() || list()->rows()->isEmpty())
        return false;
    const DataSet &row = *list()->rows();
    return edtzl_no->text() == row.asString(QStringLiteral("PATENT_NO"))
           && edtzl_name->text() == row.asString(QStringLiteral("PATENT_NAM"));
}

void TFinto6::checkInput()
{
    const auto require = [this](bool filled, const char *label) {
        if (filled)
            return;
        Messages::ShowWarning(this, PageBindings::quotedMissing(QString::fromUtf8(label)));
        throw Abort{};
    };
    require(!cb_st->currentText().isEmpty(), "专利状况");
    require(!cb_ty->currentText().isEmpty(), "专利类型");
    require(!edtzl_no->text().isEmpty(), "专利号");
    require(!edtzl_name->text().isEmpty(), "专利名称");
}

void TFinto6::writeFields(DataSet &rows, ChildList::Mode mode)
{
    if (mode == ChildList::Mode::Add) {
        const DataSet &record = context().recordHost().currentRecord();
        rows.setString(QStringLiteral("ITEM_4"), record.asString(QStringLiteral("ITEM_4")));
        rows.setString(QStringLiteral("ITEM_DQDM"), record.asString(QStringLiteral("ITEM_DQDM")));
    }
    rows.setString(QStringLiteral("PATENT_NO"), edtzl_no->text());
    rows.setString(QStringLiteral("PATENT_NAM"), edtzl_name->text());
    rows.setString(QStringLiteral("PATENT_ST"), storedCode(cb_st));
    rows.setString(QStringLiteral("PATENT_TY"), storedCode(cb_ty));
}

// The lists keep their choice for the next patent.
void TFinto6::clearAfterAdd()
{
    edtzl_no->clear();
    edtzl_name->clear();
}

void TFinto6::done(int result)
{
    Edit1->clear();
    ChildListDialog::done(result);
}
