#pragma once
#include "engine/Filter.h"

#include <QHash>
#include <QString>
#include <QStringList>

class DataSet;
class Query;

// Rules of the achievement list and of the completeness lock that need no
// window: which SQL lists a category and year, which years the year list
// offers, which sections of a record are not done, which sections a
// category requires and what the main window asks before it closes. The
// main window only paints the sections and switches the lock.
namespace AchievementList {

// The three categories in the order of the category list; the stored
// category code is the list position + 1.
QStringList categoryNames();
QString categoryCode(int categoryIndex);

// The list of one category and year ("" when no category is chosen).
// The year comes from the year list; it is quoted safely all the same.
QString listSql(int categoryIndex, const QString &yearText);

// Where clause of the completeness rules of the category shown.
QString ruleFilter(int categoryIndex);

// Years of the registration numbers, in the order given (descending), each
// once; a year shorter than four characters or not a number is left out.
QStringList yearsOf(const QStringList &item4Values);

// A section of the record: its button on the main window's section panel,
// the window the button opens and what the completeness lock asks of it.
// The panel, the buttons' handlers, the marks, the lock and the question
// before closing all come from this list.
struct Section
{
    QString button;   // object name, "btn_page01"
    QString caption;  // "成果概况"
    QString window;   // class of the window it opens, "TFpage1"
    bool appliedOnly; // shown (and required) for applied technology only
    // Asked before the main window closes while the section is not done;
    // empty for a section the lock does not require.
    QString closeQuestion;
};
// The sections in their order on the section panel, which is also the
// order in which the question before closing looks at them.
const QList<Section> &sections();
// Whether the section belongs to the category (stored code, "1" applied
// technology; "" when the list is empty).
bool belongsTo(const Section &section, const QString &category);
// The button that a rule's section code ('01' ... '04') marks; empty for
// any other code.
QString buttonOfRule(const QString &ruleButton);
// The button of the completing persons, required in every category.
QString personsButton();

// The sections of the record (the current row of `record`, a kjcg row of
// the category listed) that are not done, in the panel's order: each
// section one of whose rules finds its field empty, and the persons'
// section while the record has no completing person. None for an empty
// list. The rules are read through `rules` (the data module's query of the
// checkup table), by the category listed (the category list's position).
// Throws DbError when a rule names no field of the record.
QStringList sectionsNotDone(Query &rules, const DataSet &record, int categoryIndex);

// The sections that must be done before another record may be chosen.
QStringList requiredButtons(const QString &category);
// True when every required button is done (done: button name -> state).
bool isComplete(const QString &category, const QHash<QString, bool> &done);

// The question asked before the main window closes, for the first required
// section in the panel's order that is not done; empty when none is.
QString closeQuestion(const QString &category, const QHash<QString, bool> &done);

// A table filter that selects exactly the child rows of one record, whatever
// the key holds (a region "1*" is no "begins with 1").
Filter recordKeyFilter(const QString &item4, const QString &itemDqdm);

} // namespace AchievementList
