#include "Finto8Unit.h"

#include "engine/Clock.h"
#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "records/forms/PageBindings.h"
#include "records/pages/PageControls.h"
#include "records/pages/PersonRules.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/DigitInput.h"
#include "records/widgets/NamedControls.h"

#include <QComboBox>
#include "records/widgets/DateEntry.h"
#include <QGridLayout>
#include <QLabel>
#include <memory>

namespace {

const QString SerialField = QStringLiteral("item_187");

void setIndexIfThere(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index < combo->count() ? index : -1);
}

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// A stored value the control cannot show whole is kept; an empty field
// shows the dialog's default, which the save stores.
std::function<bool(const DataSet &)> keptUnlessEmpty(const QString &field)
{
    return [field](const DataSet &row) { return !row.asString(field).trimmed().isEmpty(); };
}

} // namespace

// A technical title: the item of the stored code is found through the same
// mapping that stores it; a code the list lacks selects nothing and is kept
// until the user picks a title. Only no title at all is blank: the blank
// item of a list is a choice, which stores an empty title.
Binding TitleBinding(const QString &field, QComboBox *combo, PageBindings::FillList fill)
{
    auto kept = std::make_shared<QString>();
    QObject::connect(combo, &QComboBox::activated, combo, [kept] { kept->clear(); });
    const auto code = [combo, kept] {
        const QString chosen = TitleCode::ofItem(combo->currentText());
        return chosen.isEmpty() && combo->currentIndex() < 0 ? *kept : chosen;
    };
    Binding b;
    b.field = field;
    b.widgets = {combo};
    b.load = [field, combo, fill, kept](const DataSet &row) {
        fill(combo);
        const QString stored = row.asString(field).trimmed();
        combo->setCurrentIndex(TitleCode::itemIndex(itemsOf(combo), stored));
        *kept = combo->currentIndex() < 0 ? stored : QString();
    };
    b.value = [code] { return QVariant(code()); };
    b.same = [field, code](const DataSet &row) { return row.asString(field).trimmed() == code(); };
    b.blank = [combo, kept] { return combo->currentText().isEmpty() && kept->isEmpty(); };
    return b;
}

Binding AnyRowToCompare()
{
    Binding b;
    b.same = [](const DataSet &row) { return row.isOpen() && !row.isEmpty(); };
    return b;
}

TFinto8::TFinto8(QWidget *parent)
    : ChildListDialog(parent)
{
    setObjectName(QStringLiteral("Finto8"));
    buildControls();
    declareBindings();
    setFixedSize(560, 300);
}

void TFinto8::buildControls()
{
    edtry_187 = new QLineEdit(this);
    edtry_187->setObjectName(QStringLiteral("edtry_187"));
    LimitTypedLength(edtry_187, 10);
    edtry_180 = MakeByteEdit(QStringLiteral("edtry_180"), 20, this);
    edtry_185 = MakeByteEdit(QStringLiteral("edtry_185"), 80, this);
    edtry_186 = MakeByteEdit(QStringLiteral("edtry_186"), 160, this);
    cbry_181 = MakePickList(this, QStringLiteral("cbry_181"));
    cbry_183 = MakePickList(this, QStringLiteral("cbry_183"));
    cbry_184 = MakePickList(this, QStringLiteral("cbry_184"));
    cbry_188 = MakePickList(this, QStringLiteral("cbry_188"));
    dtpry_182 = new DateEntry(this);
    dtpry_182->setObjectName(QStringLiteral("dtpry_182"));
    dtpry_182->setDisplayFormat(QStringLiteral("yyyy.MM"));
    dtpry_182->setCalendarPopup(true);
    dtpry_182->setAllowedRange(PersonBirth::earliest(), PersonBirth::latest(Clock::today()),
                               QStringLiteral("出生年月"));

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(10);
    PutLabelled(grid, 0, 0, QStringLiteral("序号"), edtry_187);
    PutLabelled(grid, 0, 1, QStringLiteral("姓名"), edtry_180);
    PutLabelled(grid, 1, 0, QStringLiteral("性别"), cbry_181);
    PutLabelled(grid, 1, 1, QStringLiteral("出生年月"), dtpry_182);
    PutLabelled(grid, 2, 0, QStringLiteral("技术职称"), cbry_183);
    PutLabelled(grid, 2, 1, QStringLiteral("文化程度"), cbry_184);
    PutLabelled(grid, 3, 0, QStringLiteral("是否留学归国"), cbry_188);
    PutWide(grid, 4, QStringLiteral("工作单位"), edtry_185);
    PutWide(grid, 5, QStringLiteral("对成果创造性贡献"), edtry_186);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layOutWithButtons(grid, QMargins(16, 16, 16, 12));
}

// In the order of the store's checks: name, sex, birth, title, education,
// serial. Name, work unit and contribution are the entry; leaving asks
// nothing while name and contribution are empty.
void TFinto8::declareBindings()
{
    using namespace PageBindings;
    bind(AnyRowToCompare());
    Binding name = text(QStringLiteral("item_180"), edtry_180).trimmed();
    name.check = [this] {
        return edtry_180->text().trimmed().isEmpty() ? Messages::Texts::nameRequired() : QString();
    };
    bind(name.partOfEntry());
    bind(pick(QStringLiteral("item_181"), cbry_181, dictionary(QStringLiteral("item_181")), 2)
             .required(Messages::Texts::sexRequired()));
    bind(birthBinding());
    bind(TitleBinding(QStringLiteral("item_183"), cbry_183, dictionary(QStringLiteral("item_183")))
             .required(QStringLiteral("技术职称不能为空！")));
    bind(pick(QStringLiteral("item_184"), cbry_184, dictionary(QStringLiteral("item_184")), 2)
             .required(QStringLiteral("文化程度不能为空！")));
    Binding abroad = pick(QStringLiteral("item_188"), cbry_188, dictionary(QStringLiteral("item_188")), 2);
    const auto loadAbroad = abroad.load;
    abroad.load = [this, loadAbroad](const DataSet &row) {
        loadAbroad(row);
        if (row.asString(QStringLiteral("item_188")).trimmed().isEmpty())
            setIndexIfThere(cbry_188, 1);
    };
    abroad.keepsStored = keptUnlessEmpty(QStringLiteral("item_188"));
    bind(abroad);
    bind(text(QStringLiteral("item_185"), edtry_185)
             .partOfEntry(Binding::BlankStoresNothing | Binding::ClearedAfterAdd));
    bind(text(QStringLiteral("item_186"), edtry_186).partOfEntry());
    // The serial as typed: the list puts a modified person at that place.
    bind(ChildList::serialBinding(this, SerialField, edtry_187, QStringLiteral("序号不能为空！")));
}

// The picker shows year and month; a stored text that is no date is named
// and the picker keeps what it showed. A person without a birth shows this
// month, which a save then stores.
Binding TFinto8::birthBinding()
{
    const QString field = QStringLiteral("item_182");
    Binding b;
    b.field = field;
    b.widgets = {dtpry_182};
    b.load = [this, field](const DataSet &row) {
        const QString stored = row.asString(field).trimmed();
        if (stored.isEmpty()) {
            dtpry_182->showDate(Clock::today());
            return;
        }
        // A birth outside the span is shown as stored too: it changes only
        // when the user changes it.
        if (const auto date = PersonBirth::dateOf(stored))
            dtpry_182->showDate(*date);
        else
            Messages::ShowWarning(this, stored + QStringLiteral("不是正确的出生年月格式！"));
    };
    b.value = [this] { return QVariant(PersonBirth::textOf(dtpry_182->date())); };
    b.keepsStored = keptUnlessEmpty(field);
    b.same = [this, field](const DataSet &row) {
        return row.asString(field) == PersonBirth::textOf(dtpry_182->date());
    };
    b.check = [this] {
        return PersonBirth::textOf(dtpry_182->date()).isEmpty() ? QStringLiteral("出生年月不能为空！")
                                                                : QString();
    };
    return b;
}

void TFinto8::fillLists()
{
    const DictionaryService &dictionary = context().dictionary();
    FillComboFromDict(dictionary, QStringLiteral("item_181"), true, cbry_181);
    FillComboFromDict(dictionary, QStringLiteral("item_183"), true, cbry_183);
    FillComboFromDict(dictionary, QStringLiteral("item_184"), true, cbry_184);
    FillComboFromDict(dictionary, QStringLiteral("item_188"), true, cbry_188);
}

void TFinto8::loadControls(ChildList::Mode mode)
{
    fillLists();
    edtry_187->setReadOnly(mode == ChildList::Mode::Add);
    if (mode == ChildList::Mode::Add)
        presetForAdd();
    else if (mode == ChildList::Mode::Modify)
        ChildListDialog::loadControls(mode);
}

// The name is what is typed first, whatever the visual tab order begins
// with, also for a person being modified and for the next one after an add.
QWidget *TFinto8::firstField() const
{
    return edtry_180;
}

// A new person: the next serial, the first sex, the fourth title, the third
// education, the second answer on study abroad, about thirty years of age
// and the record's first completing unit.
void TFinto8::presetForAdd()
{
    const DataSet *persons = list() ? list()->rows() : nullptr;
    const int count = persons && persons->isOpen() ? persons->recordCount() : 0;
    edtry_187->setText(QString::number(count + 1));
    edtry_180->clear();
    edtry_186->clear();
    setIndexIfThere(cbry_181, 0);
    setIndexIfThere(cbry_183, 3);
    setIndexIfThere(cbry_184, 2);
    setIndexIfThere(cbry_188, 1);
    dtpry_182->showDate(PersonBirth::defaultFor(Clock::today()));
    const DataSet &record = context().recordHost().currentRecord();
    edtry_185->setText(record.isOpen() && !record.isEmpty() ? record.asString(QStringLiteral("item_9"))
                                                            : QString());
}

// Every save writes the record's key; a new person comes last.
void TFinto8::beforePost(DataSet &row)
{
    const DataSet &record = context().recordHost().currentRecord();
    row.setString(QStringLiteral("item_4"), record.asString(QStringLiteral("item_4")));
    row.setString(QStringLiteral("item_dqdm"), record.asString(QStringLiteral("item_dqdm")));
    if (mode() == ChildList::Mode::Add)
        row.setString(SerialField, QString::number(rowsBeforeAdd() + 1));
}

QString TFinto8::leaveQuestion() const
{
    return QStringLiteral("记录已更改,是否保存后退出？");
}
