#include "Finto7Unit.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/forms/EntryRoutines.h"
#include "records/forms/PageBindings.h"
#include "records/pages/Finto8Unit.h"
#include "records/pages/PageControls.h"
#include "records/pages/PersonRules.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/NamedControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

const QString RoleField = QStringLiteral("item_191");

} // namespace

TFinto7::TFinto7(QWidget *parent)
    : ChildListDialog(parent)
{
    setObjectName(QStringLiteral("Finto7"));
    buildControls();
    declareBindings();
    setFixedSize(560, 260);
}

void TFinto7::buildControls()
{
    edt_190 = new QLineEdit(this);
    edt_190->setObjectName(QStringLiteral("edt_190"));
    edt_190->hide();
    cbwy_191 = MakePickList(this, QStringLiteral("cbwy_191"));
    cbwy_191->addItems(CommitteeRole::roles());
    Edtwy_192 = MakeByteEdit(QStringLiteral("Edtwy_192"), 20, this);
    cbwy_193 = MakePickList(this, QStringLiteral("cbwy_193"));
    edtwy_195 = MakeByteEdit(QStringLiteral("edtwy_195"), 80, this);
    edtwy_196 = MakeByteEdit(QStringLiteral("edtwy_196"), 30, this);
    edtwy_197 = MakeByteEdit(QStringLiteral("edtwy_197"), 30, this);
    cbwy_198 = MakePickList(this, QStringLiteral("cbwy_198"));
    connect(cbwy_191, &QComboBox::activated, this, &TFinto7::cbwy_191Change);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(10);
    PutLabelled(grid, 0, 0, QStringLiteral("评价委员会职务"), cbwy_191);
    PutLabelled(grid, 0, 1, QStringLiteral("姓名"), Edtwy_192);
    PutLabelled(grid, 1, 0, QStringLiteral("性别"), cbwy_193);
    PutLabelled(grid, 1, 1, QStringLiteral("职称"), cbwy_198);
    PutLabelled(grid, 2, 0, QStringLiteral("所学专业"), edtwy_196);
    PutLabelled(grid, 2, 1, QStringLiteral("从事专业"), edtwy_197);
    PutWide(grid, 3, QStringLiteral("工作单位"), edtwy_195);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layOutWithButtons(grid, QMargins(16, 16, 16, 12));
}

// In the order of the checks: name, sex, title, role. The name, the work
// unit and the two specialities are the entry.
void TFinto7::declareBindings()
{
    using namespace PageBindings;
    bind(AnyRowToCompare());
    bind(text(QStringLiteral("item_192"), Edtwy_192)
             .required(quotedMissing(QStringLiteral("姓名")))
             .partOfEntry());
    bind(pick(QStringLiteral("item_193"), cbwy_193, dictionary(QStringLiteral("item_181")), 2)
             .required(quotedMissing(QStringLiteral("性别"))));
    bind(TitleBinding(QStringLiteral("item_198"), cbwy_198, dictionary(QStringLiteral("item_198"), true))
             .required(quotedMissing(QStringLiteral("职称"))));
    // The role is stored as its text; a stored text the list lacks leaves
    // the list as it was.
    Binding role;
    role.field = RoleField;
    role.widgets = {cbwy_191};
    role.load = [this](const DataSet &row) {
        const int at = cbwy_191->findText(row.asString(RoleField));
        if (at >= 0)
            cbwy_191->setCurrentIndex(at);
    };
    role.value = [this] { return QVariant(cbwy_191->currentText()); };
    role.same = [this](const DataSet &row) {
        return row.asString(RoleField).trimmed() == cbwy_191->currentText().trimmed();
    };
    role.blank = [this] { return cbwy_191->currentText().isEmpty(); };
    role.keepsWhatItCannotShow();
    bind(role.required(quotedMissing(QStringLiteral("评价委员会职务"))));
    bind(text(QStringLiteral("item_195"), edtwy_195).partOfEntry());
    bind(text(QStringLiteral("item_196"), edtwy_196).partOfEntry());
    bind(text(QStringLiteral("item_197"), edtwy_197).partOfEntry());
    Binding serial;  // its edit stays hidden: no widgets to show with the category
    serial.load = [this](const DataSet &row) { edt_190->setText(row.asString(QStringLiteral("item_190"))); };
    bind(serial);
}

void TFinto7::loadControls(ChildList::Mode mode)
{
    const DictionaryService &dictionary = context().dictionary();
    FillComboFromDict(dictionary, QStringLiteral("item_181"), true, cbwy_193);
    FillComboFromDict(dictionary, QStringLiteral("item_198"), false, cbwy_198);
    if (mode == ChildList::Mode::Add)
        presetForAdd();
    else if (mode == ChildList::Mode::Modify)
        ChildListDialog::loadControls(mode);
}

void TFinto7::presetForAdd()
{
    clearAfterAdd();
    cbwy_191->setCurrentIndex(cbwy_191->findText(CommitteeRole::member()));
    cbwy_193->setCurrentIndex(cbwy_193->count() > 0 ? 0 : -1);
    cbwy_198->setCurrentIndex(cbwy_198->count() > 1 ? 1 : -1);
    const DataSet *members = list() ? list()->rows() : nullptr;
    edt_190->setText(QString::number((members && members->isOpen() ? members->recordCount() : 0) + 1));
}

// A new member belongs to the record; the rank follows the role. The
// serial is provisional until the list is renumbered.
void TFinto7::beforePost(DataSet &row)
{
    row.setString(QStringLiteral("item_194"), CommitteeRole::rankOf(cbwy_191->currentText()));
    if (mode() != ChildList::Mode::Add)
        return;
    const DataSet &record = context().recordHost().currentRecord();
    row.setString(QStringLiteral("item_4"), record.asString(QStringLiteral("item_4")));
    row.setString(QStringLiteral("item_dqdm"), record.asString(QStringLiteral("item_dqdm")));
    row.setString(QStringLiteral("item_190"), QString::number(row.recordCount() + 1));
}

// The member being modified may stay chairman; any other chairman makes
// the choice fall back to "委员".
void TFinto7::cbwy_191Change()
{
    runGuarded(this, [this] {
        if (cbwy_191->currentText() != CommitteeRole::chairman() || !list() || !list()->rows())
            return;
        const DataSet &members = *list()->rows();
        if (!members.isOpen())
            return;
        const int roleColumn = members.fieldIndex(RoleField);
        const int self = mode() == ChildList::Mode::Modify ? members.recNo() : -1;
        for (int row = 0; row < members.recordCount(); ++row) {
            if (row == self || members.textAt(row, roleColumn).trimmed() != CommitteeRole::chairman())
                continue;
            ChildList::ShowPlainMessage(this, QStringLiteral("只能有一个主任委员"));
            cbwy_191->setCurrentIndex(cbwy_191->findText(CommitteeRole::member()));
        }
    });
}
