#include "UnitBindings.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/forms/EntryRoutines.h"
#include "records/unit/UnitProfile.h"

#include <QCheckBox>
#include <QComboBox>

namespace UnitBindings {

namespace {

const QString OwnershipGroup = QStringLiteral("item_41_3");

bool isEnterprise(QComboBox *attribute)
{
    return UnitProfile::pickCode(attribute->currentText()) == UnitProfile::enterpriseAttribute();
}

PageBindings::FillList codeTable(bool provinces)
{
    return [provinces](QComboBox *combo) {
        const DictionaryService &d = ContextOf(combo).dictionary();
        combo->clear();
        combo->addItems(provinces ? d.provinceItems(true) : d.affiliationItems(false));
    };
}

} // namespace

Binding attribute(QComboBox *attribute, bool withBlankItem)
{
    return PageBindings::pick(QStringLiteral("item_62"), attribute,
                              PageBindings::dictionary(QStringLiteral("item_62"), withBlankItem), 3);
}

Binding ownership(QComboBox *ownership, QComboBox *attribute, bool withBlankItem)
{
    Binding b = PageBindings::pick(OwnershipGroup, ownership,
                                   PageBindings::dictionary(OwnershipGroup, withBlankItem), 3);
    const auto chosen = b.value;
    b.value = [chosen, attribute] {
        return isEnterprise(attribute) ? chosen() : QVariant(QString());
    };
    const auto value = b.value;
    b.same = [value](const DataSet &row) {
        return row.asString(OwnershipGroup).trimmed() == value().toString();
    };
    // Only an enterprise keeps an ownership the list lacks; any other unit
    // stores none.
    b.keepsStored = [](const DataSet &row) {
        return row.asString(QStringLiteral("item_62")).trimmed() == UnitProfile::enterpriseAttribute();
    };
    return b.follows(attribute);
}

Binding converted(QCheckBox *box, QComboBox *attribute)
{
    const QString field = QStringLiteral("item_163");
    Binding b;
    b.field = field;
    b.widgets = {box};
    b.load = [field, box](const DataSet &row) {
        box->setChecked(row.asString(field).trimmed() == QLatin1String("1"));
    };
    b.value = [box, attribute] {
        if (!isEnterprise(attribute))
            return QVariant(QString());
        return QVariant(box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    };
    const auto value = b.value;
    b.same = [field, value](const DataSet &row) {
        return row.asString(field).trimmed() == value().toString();
    };
    return b.follows(attribute);
}

void openForAttribute(QComboBox *ownership, QCheckBox *box, const QString &attributeCode)
{
    const bool enterprise = attributeCode.trimmed() == UnitProfile::enterpriseAttribute();
    ownership->setEnabled(enterprise);
    box->setEnabled(enterprise);
}

void attributeChosen(QComboBox *attribute, QComboBox *ownership, QCheckBox *box,
                     bool withBlankItem)
{
    runGuarded(ownership->window(), [&] {
        FillComboFromDict(ContextOf(ownership).dictionary(), OwnershipGroup, !withBlankItem,
                          ownership);
        ownership->setCurrentIndex(-1);
        const bool enterprise = attribute->currentText().contains(QStringLiteral("企业"));
        if (!enterprise) {
            box->setChecked(false);
            ownership->clear();
        }
        ownership->setEnabled(enterprise);
        box->setEnabled(enterprise);
    });
}

Binding province(QComboBox *province)
{
    return PageBindings::pick(QStringLiteral("item_64"), province, codeTable(true), 3);
}

Binding affiliation(QComboBox *affiliation)
{
    return PageBindings::pick(QStringLiteral("item_63"), affiliation, codeTable(false), 3);
}

} // namespace UnitBindings
