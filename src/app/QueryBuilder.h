#pragma once
#include <QString>
#include <QStringList>

// Rules of the main window's query builder that need no window: which input
// an item offers, which value a condition takes, the condition text each
// piece adds, the checks before a search and the SQL of the search.
//
// The condition text is SQL that the user builds from pieces, never types:
// field names of the item table, operators of the operator list, joiners and
// values in single quotes. Every value is quoted so that it is searched as
// typed; the checks below refuse a text that holds anything else outside
// its quoted values (a cut can leave such a text behind).
namespace QueryBuilder {

// The operator list in its order; "包含" searches for the value anywhere in
// the field, the last item is empty.
QStringList operators();
inline const QString ContainsOperator = QStringLiteral("包含");

// How the value of an item is entered.
enum class Input {
    CodeList,     // pick list of codes
    FreeText,     // typed text
    LibraryTree,  // typed text or a node of the library classification
    SubjectTree,  // typed text or a node of the subject classification
};

// Items whose codes come from the ministries table instead of the code
// dictionary, and items that list the provinces when the dictionary has no
// codes for them.
bool isMinistryItem(const QString &itemName);
bool isProvinceItem(const QString &itemName);

// The input of an item whose pick list holds listCount items (blank item
// included) after it was filled; a classification item offers its tree only
// when the tree's table is there.
Input inputFor(const QString &itemName, int listCount, bool libraryTreePresent,
               bool subjectTreePresent);

// The value a condition compares with. Typed text is taken as typed, except
// for classification numbers, where a chosen node's text "code  name" gives
// its code and typed text is trimmed. A pick-list item gives its code, the
// first three characters trimmed.
QString conditionValue(const QString &itemName, bool typed, const QString &typedText,
                       const QString &listText);

// The text "加入" appends for a field, an operator and a value: " field like
// '%value%'" for "包含", else " field op'value'". Quotes in the value are
// doubled; for "包含" the wildcards % and _ (and the escape character) are
// escaped as well, so that they are found as typed.
QString conditionPiece(const QString &field, const QString &op, const QString &value);

// False when, outside the quoted values, a ")" stands before the first
// "(" that is still open. Parentheses inside values do not count.
bool parenthesesInOrder(const QString &condition);

// True when, outside its quoted values, the condition holds only what the
// builder's pieces put there (names, operators, parentheses, blanks) and no
// quote is left open.
bool isBuiltFromPieces(const QString &condition);

// The four lines of the search: the condition, restricted to the category
// (list position) and to the registration numbers of the year, whose first
// four characters are taken when they are digits (else every year).
QStringList searchSql(const QString &condition, int categoryIndex, const QString &yearText);

} // namespace QueryBuilder
