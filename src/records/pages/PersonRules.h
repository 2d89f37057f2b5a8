#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// Rules of the completing persons and the evaluation committee that need no
// window.

// The code fields of a person or member are one character wide, while the
// dictionary may give the three academy titles two-character codes ("1a",
// "1b", "1c"). One mapping serves both ways, so that what a save stores is
// what the next opening selects again.
namespace TitleCode {

// The stored code of a pick-list item "code  text": the code before the
// double blank, an academy title "1a".."1c" as its letter.
QString ofItem(const QString &itemText);
// The last item whose stored code is `stored`; -1 when none has it (the
// blank item never matches).
int itemIndex(const QStringList &items, const QString &stored);

} // namespace TitleCode

// The texts the person and committee grids show for the stored codes.
namespace PersonCodes {
// "男"/"女" for field item_181 (and item_193), the titles for item_183 (and
// item_198), the educations for item_184, "是"/"否" for item_188; empty for a
// code the field does not know.
QString textOf(const QString &field, const QString &code);
// The choices the grid offers for a code field, "code text" ("0 男", "1 女");
// empty for a field without codes. The code is the first character.
QStringList choicesOf(const QString &field);
} // namespace PersonCodes

// A person's birth month, stored as "yyyy.MM".
namespace PersonBirth {

QDate earliest();
// Researchers born this year are admitted: the range ends today.
QDate latest(const QDate &today);
// A new person's preset: about thirty years back, kept within the range.
QDate defaultFor(const QDate &today);
QString textOf(const QDate &date);
// The date of a stored text: year from its first four characters, month
// from characters 6 and 7, day 1. Nothing when they form no date.
std::optional<QDate> dateOf(const QString &stored);

} // namespace PersonBirth

// The roles of the evaluation committee and the ranks the list is ordered by.
namespace CommitteeRole {

QStringList roles();  // "主任委员", "副主任委员", "委员"
QString chairman();
QString member();
// "1", "2", "3" for the three roles (trimmed); empty for any other text,
// whose rank is left as it is.
QString rankOf(const QString &role);

} // namespace CommitteeRole

// The persons register keeps one row per name: what a new person's save
// does with it, by the number of rows that already carry the name.
namespace PersonRegister {
enum class Action { Add, Overwrite, Leave };
Action actionFor(int rowsWithName);
} // namespace PersonRegister
