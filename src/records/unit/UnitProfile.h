#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class Table;

// The rules of the registering unit's profile (table unit.dbf) that hold
// without a window: its fixed values, the stored form of its pick lists and
// code lists and the enterprise rule.
namespace UnitProfile {

// Every save of the profile writes these.
QString registeringUnitCode();  // "9990001000"
QString unitLevel();            // "1"
QString endLevel();             // "1", into an integer field
QString chiefExperts();         // three blanks and ten nines

// The unit attribute code of an enterprise.
QString enterpriseAttribute();  // "3"

// The stored form of a pick-list choice: the first three characters of the
// item text ("code  name"), trimmed.
QString pickCode(const QString &itemText);

// A code list holds at most ten classification codes, each followed by one
// blank and ";".
constexpr int CodeListCapacity = 10;
// What an entry edit contributes to the stored list: its trimmed text up to
// and including the first blank, then ";" ("0101  微电子技术" gives
// "0101 ;"; a code typed without a blank, "0102", gives "0102 ;"); a text
// of blanks gives nothing.
QString codeListEntry(const QString &editText);
// The codes of a stored list, one per edit and trimmed, at most ten; an
// empty entry stays as an empty code in its place, and a last entry that
// lacks its ";" still counts.
QStringList splitCodeList(const QString &stored);

// The enterprise rule: ownership and the converted-institute mark are kept
// only for an enterprise; the mark is "1" or "0".
struct EnterpriseFields
{
    QString ownership;
    QString converted;
};
EnterpriseFields enterpriseFields(const QString &attribute, const QString &ownership,
                                  bool converted);

// Writes the unit's one row and posts it; a row made because the table is
// empty carries the registering unit's fixed values. A failure leaves no
// row in edit mode and is thrown on.
void writeUnitRow(Table &unit, const std::function<void(Table &)> &write);

} // namespace UnitProfile
