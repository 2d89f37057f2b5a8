#include "Unitpage4.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/widgets/Messages.h"
#include "records/data/UnitDM.h"
#include "records/unit/FirstUnitFields.h"
#include "records/unit/OwnUnitProfile.h"
#include "records/unit/UnitProfile.h"
#include "records/unit/dw_Unit.h"
#include "records/widgets/NamedControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace {

// What a record whose first unit is the registering unit takes from the
// unit table; ownership, the converted mark and the affiliation stay the
// record's.
const QSet<QString> &registeringUnitFields()
{
    static const QSet<QString> fields = {
        QStringLiteral("item_9"),  QStringLiteral("item_420"), QStringLiteral("item_37"),
        QStringLiteral("item_38"), QStringLiteral("item_39"),  QStringLiteral("item_40"),
        QStringLiteral("item_60"), QStringLiteral("item_41"),  QStringLiteral("item_61"),
        QStringLiteral("item_41_2"), QStringLiteral("item_62"), QStringLiteral("item_64")};
    return fields;
}

const QString EnterpriseText = QStringLiteral("企业");

} // namespace

TFpage4::TFpage4(QWidget *parent)
    : SectionPage(QStringLiteral("Fpage4"), QStringLiteral("btn_page04"), parent)
{
    fields = new FirstUnitFields({QStringLiteral("CB_41_3"), QStringLiteral("其中，科研机构转制型企业"), true},
                                 this);
    Button1 = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("按照本单位情况填入"), 130);
    Button2 = MakeButton(this, QStringLiteral("Button2"), QStringLiteral("设置单位基本情况"), 130);
    Button1->hide();
    Button2->hide();
    connect(Button1, &QPushButton::clicked, this, &TFpage4::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFpage4::Button2Click);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 10, 40, 10);
    layout->setSpacing(12);
    layout->addWidget(MakeTitlePanel(QStringLiteral("第一完成单位情况"), this));
    layout->addSpacing(20);
    layout->addWidget(fields);
    layout->addStretch(1);
    layout->addWidget(makeButtonBar(QStringLiteral("存储")));
    for (const Binding &b : fields->bindings())
        bind(b);
}

bool TFpage4::loadForShowing()
{
    loadFromRecord();
    const Table &unit = *context().dm().Tblunit;
    if (unit.isOpen() && !unit.isEmpty()
        && record().asString(QStringLiteral("item_9")) == unit.asString(QStringLiteral("item_9")))
        showRegisteringUnit(unit);
    return true;
}

void TFpage4::afterLoad(const DataSet &row)
{
    fields->openForAttribute(row.asString(QStringLiteral("item_62")));
}

void TFpage4::showRegisteringUnit(const DataSet &unit)
{
    for (const Binding &b : bindings()) {
        if (b.load && registeringUnitFields().contains(b.field))
            b.load(unit);
    }
    fields->openForAttribute(unit.asString(QStringLiteral("item_62")));
}

// ---- the own-unit profile --------------------------------------------------------

bool TFpage4::Button1Click()
{
    return runGuarded(this, [this] { fillFromProfile(); });
}

void TFpage4::fillFromProfile()
{
    const Query &profile = OwnUnitProfile::readForFill(*context().dm().Qrydwqk, this);
    const bool ticked = fields->cb_163->isChecked();
    loadFrom(profile);
    // A mark that is neither "1" nor "0" leaves the box as it was, but an
    // enterprise's box is ticked exactly for "1".
    const QString mark = profile.asString(QStringLiteral("item_163")).trimmed();
    const bool enterprise = profile.asString(QStringLiteral("item_62")).trimmed()
                            == UnitProfile::enterpriseAttribute();
    if (mark != QLatin1String("1") && mark != QLatin1String("0") && !enterprise)
        fields->cb_163->setChecked(ticked);
    if (!fields->cb_62->currentText().contains(EnterpriseText)) {
        fields->cb_163->setChecked(false);
        fields->ownership->clear();
    }
}

void TFpage4::Button2Click()
{
    runGuarded(this, [this] {
        if (auto *profile = context().window<Tdw_Form>()) {
            connect(profile, &Tdw_Form::stored, this, &TFpage4::Button1Click,
                    Qt::UniqueConnection);
            profile->exec();
        }
    });
}
