#include "Finto6Unit.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "records/forms/PageBindings.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/data/UnitDM.h"
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
    declareBindings();
    setFixedSize(480, 220);
}

void TFinto6::buildControls()
{
    edtzl_no = MakeByteEdit(QStringLiteral("edtzl_no"), 15, this);
    edtzl_name = MakeByteEdit(QStringLiteral("edtzl_name"), 140, this);
    cb_ty = MakePickList(this, QStringLiteral("cb_ty"));
    cb_st = MakePickList(this, QStringLiteral("cb_st"));

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

// A new patent starts with the first item of each list.
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
    } else {
        ChildListDialog::loadControls(mode);
    }
}

// A new patent belongs to the current record.
void TFinto6::beforePost(DataSet &row)
{
    if (mode() != ChildList::Mode::Add)
        return;
    const DataSet &record = context().recordHost().currentRecord();
    row.setString(QStringLiteral("ITEM_4"), record.asString(QStringLiteral("ITEM_4")));
    row.setString(QStringLiteral("ITEM_DQDM"), record.asString(QStringLiteral("ITEM_DQDM")));
}

// In the order of the checks: status, type, number, title. Number and
// title are the entry, which every "存储" checks, even an empty one; the
// lists keep their choice for the next patent. A list counts as changed
// when it shows another code than the row, or there is no row to compare
// with.
void TFinto6::declareBindings()
{
    using namespace PageBindings;
    const auto choice = [](const QString &field, QComboBox *combo, const char *label) {
        Binding b;
        b.field = field;
        b.widgets = {combo};
        b.load = [field, combo](const DataSet &row) {
            combo->setCurrentIndex(-1);
            SelectComboByCode(row.asString(field), combo);
        };
        b.value = [combo] { return QVariant(storedCode(combo)); };
        b.same = [field, combo](const DataSet &row) {
            return row.isOpen() && !row.isEmpty() && row.asString(field) == storedCode(combo);
        };
        b.check = [combo, label] {
            return combo->currentText().isEmpty() ? quotedMissing(QString::fromUtf8(label))
                                                  : QString();
        };
        b.keepsWhatItCannotShow();
        return b;
    };
    bind(choice(QStringLiteral("PATENT_ST"), cb_st, "专利状况"));
    bind(choice(QStringLiteral("PATENT_TY"), cb_ty, "专利类型"));
    const int entry = Binding::EmptyLeavesAtOnce | Binding::ClearedAfterAdd;
    bind(text(QStringLiteral("PATENT_NO"), edtzl_no)
             .required(quotedMissing(QStringLiteral("专利号")))
             .partOfEntry(entry));
    bind(text(QStringLiteral("PATENT_NAM"), edtzl_name)
             .required(quotedMissing(QStringLiteral("专利名称")))
             .partOfEntry(entry));
}
