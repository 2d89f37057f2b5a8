#pragma once
#include "records/forms/PageBindings.h"

class QCheckBox;
class QComboBox;

// Bindings of the unit's identity that the unit page, page 4 (first
// completing unit) and the own-unit profile share: the unit attribute with
// the enterprise rule, the province and the affiliation.
namespace UnitBindings {

// The unit attribute (item_62): dictionary "item_62", its code.
Binding attribute(QComboBox *attribute, bool withBlankItem = true);
// The enterprise rule: ownership (item_41_3) and the converted-institute
// mark (item_163) are stored only for an enterprise (attribute code "3"),
// else empty; the mark is "1" or "0". A save stores what the rule gives,
// whatever the two controls show: loading a unit whose stored values the
// rule changes leaves them new values, and choosing an attribute rewrites them.
Binding ownership(QComboBox *ownership, QComboBox *attribute, bool withBlankItem = true);
Binding converted(QCheckBox *box, QComboBox *attribute);
// On the form the two controls are open while the attribute's text names
// an enterprise ("企业"); choosing another attribute refills the ownership
// list, and a non-enterprise one unticks the box and empties the list.
void attributeChosen(QComboBox *attribute, QComboBox *ownership, QCheckBox *box,
                     bool withBlankItem = true);
// Open or closed by the stored attribute code, as a form is loaded.
void openForAttribute(QComboBox *ownership, QCheckBox *box, const QString &attributeCode);

// Province (item_64) from province.dbf, without the blank item.
Binding province(QComboBox *province);
// Affiliation (item_63) from lsbw.dbf, with the blank item.
Binding affiliation(QComboBox *affiliation);

} // namespace UnitBindings
