#include "dw_Unit.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/data/UnitDM.h"
#include "records/unit/FirstUnitFields.h"
#include "records/unit/OwnUnitProfile.h"
#include "records/widgets/NamedControls.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

Tdw_Form::Tdw_Form(QWidget *parent)
    : QDialog(parent), BoundForm(this)
{
    setObjectName(QStringLiteral("dw_Form"));
    setWindowTitle(QStringLiteral("单位情况"));
    fields = new FirstUnitFields({QStringLiteral("cb_41_3"), QStringLiteral("是否科研机构转制型企业"), false},
                                 this);
    Button1 = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("存储"), 90);
    Button2 = MakeButton(this, QStringLiteral("Button2"), QStringLiteral("退出"), 90);
    connect(Button1, &QPushButton::clicked, this, &Tdw_Form::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdw_Form::Button2Click);

    QHBoxLayout *buttons = ButtonRow({Button1, Button2}, 30);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 14);
    layout->addWidget(fields);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    for (const Binding &b : fields->bindings())
        bind(b);
    resize(640, 380);
}

void Tdw_Form::wire(AppContext &context)
{
    ContextWindow::wire(context);
    applyFieldModel(*context.dm().Qrydwqk);
}

DataSet &Tdw_Form::boundRow() const
{
    return *context().dm().Qrydwqk;
}

void Tdw_Form::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    runGuarded(this, [this] { load(); });
}

void Tdw_Form::load()
{
    Query &profile = *context().dm().Qrydwqk;
    profile.close();
    profile.open();
    loadFromRow();
}

void Tdw_Form::afterLoad(const DataSet &row)
{
    fields->openForAttribute(row.asString(QStringLiteral("item_62")));
}

// ---- save and leave -----------------------------------------------------------

// The fifteen values, one per bound field.
OwnUnitProfile::ColumnValues Tdw_Form::values() const
{
    OwnUnitProfile::ColumnValues values;
    for (const Binding &b : bindings()) {
        if (!b.field.isEmpty() && b.value)
            values.append({b.field, b.value().toString()});
    }
    return values;
}

bool Tdw_Form::save()
{
    checkInput();
    OwnUnitProfile::store(*context().dm().database(), values());
    Messages::ShowWarning(this, Messages::Texts::stored());
    Query &profile = *context().dm().Qrydwqk;
    profile.close();
    profile.open();
    emit stored();
    accept();
    return true;
}

bool Tdw_Form::Button1Click()
{
    bool stored = false;
    runGuarded(this, [this, &stored] { stored = save(); });
    return stored;
}

// The required values must be there before the window can be left; the
// close box leaves without a question.
void Tdw_Form::Button2Click()
{
    runGuarded(this, [this] {
        checkInput();
        if (confirmLeave(Messages::Texts::leaveQuestion()) && isVisible())
            accept();
    });
}
