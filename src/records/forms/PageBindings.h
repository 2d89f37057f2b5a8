#pragma once
#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class ByteLimitedEdit;
class ClearableDate;
class DataSet;
class DropDownCombo;
class MoneyEdit;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;
class Table;

// The achievements a binding serves, by category code: "1" (applied
// technology) or "2"/"3" (soft science, basic theory).
enum class Serves { AllCategories, AppliedOnly, OthersOnly };

// One row of a form's binding table: a field of the form's row, the control
// that shows it, how the control's content is stored, how it is compared
// with the row for the leave question, and the input check. The factories
// in PageBindings make the common kinds; a form fills in its own functions
// where it deviates.
struct Binding
{
    QString field;                  // empty: the save writes nothing
    QList<QWidget *> widgets;       // the control and its labels, hidden for other categories
    Serves serves = Serves::AllCategories;
    bool clearedForOthers = false;  // records of the other categories store it empty
    // The edit takes the field's width in bytes when the form is wired.
    bool sizedByField = false;

    std::function<void(const DataSet &record)> load;
    std::function<QVariant()> value;                  // what the save writes; may tidy the control
    std::function<bool(const DataSet &record)> same;  // not set: never counts as a change
    std::function<bool()> blank;                      // what required() tests
    // Whether the save would write what the record holds (no side effects).
    // Not set: value() against the field, as the field stores it.
    std::function<bool(const DataSet &record)> writesAsStored;
    // Asked right after the binding's own load, when what the save would
    // write differs from the record: the record holds a value the control
    // cannot show whole (a code the list lacks, an untidy text). Such a
    // value stays as stored until the user changes the control or a rule of
    // the form replaces what it shows. Not set: every difference the load
    // leaves is a new value the save writes.
    std::function<bool(const DataSet &record)> keepsStored;
    // A value the load leaves differing from the record is written by the
    // next save, but the change test compares the field only once the user
    // changed its control (a form whose change test leaves the field out).
    bool loadedValueUnasked = false;
    // What the control shows, as a text to compare (no side effects). A
    // field whose control still shows what loading its row put there, and
    // whose save would write what the row holds or a value the control
    // cannot show whole (keepsStored), is not written by a save: the stored
    // value stays exactly as it was, and leaving does not ask about it. Made
    // from the widgets when not set; a binding without widgets and without a
    // face is always written.
    std::function<QString()> face;
    // Further controls whose state the stored value follows (an attribute
    // that decides whether the field is stored at all); part of the face.
    QList<QWidget *> alsoFollows;
    // The message of a failed check, empty when the input passes. A check
    // that shows a box of another kind itself throws Abort.
    std::function<QString()> check;

    // The part a typed text (the binding's first widget, a line edit) plays
    // in the entry of a child list's dialog.
    enum EntryPart {
        BlankStoresNothing = 1,  // these texts all blank (trimmed): "存储" closes without a row
        EmptyLeavesAtOnce = 2,   // these texts all empty: "退出" closes without a question
        ClearedAfterAdd = 4,     // emptied for the next row once a row was added
        WholeEntry = BlankStoresNothing | EmptyLeavesAtOnce | ClearedAfterAdd,
    };
    int entryParts = 0;

    bool servesCategory(const QString &category) const;

    Binding &withLabel(QWidget *label);
    Binding &only(Serves categories, bool clearForOthers = false);
    // The input check: blank() fails with the message.
    Binding &required(const QString &message);
    // A check of the form's own, run after the binding's other checks.
    Binding &checkedBy(std::function<QString()> extra);
    // Stored and compared with blanks trimmed off both ends.
    Binding &trimmed();
    // The stored value follows this control too.
    Binding &follows(QWidget *control);
    // Whatever differs from the record right after the binding's own load
    // is what its control cannot show whole (keepsStored).
    Binding &keepsWhatItCannotShow();
    Binding &partOfEntry(int parts = WholeEntry);
};

namespace PageBindings {

// What a control shows, as a text to compare: an edit's text, a list's
// choice, a box's tick, a picker's date, the ticked boxes of a panel.
QString faceOf(const QWidget *control);

// `"label"不能为空！`, the label between two ASCII double quotes.
QString quotedMissing(const QString &label);

// Whether the field holds what a save of this value would store: texts as
// the field reads them back, numbers and dates by value, empty as NULL.
bool storesAs(const DataSet &record, const QString &field, const QVariant &value);

// Text stored as the edit holds it; compared as the field reads it back (a
// text field keeps no trailing blanks). A byte-limited edit takes the
// field's width when the form is wired.
Binding text(const QString &field, QLineEdit *edit);
// Memo text: TABs become blanks (in the memo too) before it is stored,
// because the exchange files are TAB-separated; compared trimmed.
Binding memo(const QString &field, QPlainTextEdit *memo);

// A pick list of "code  text" items, refilled by `fill` on every load and set
// to the stored code (nothing chosen when no item has it). Stores the first
// codeChars characters of the chosen item, trimmed; while nothing is chosen,
// a stored code the list lacks is kept until the user picks an item (the
// blank one clears it). required() still asks for a choice the list shows.
using FillList = std::function<void(QComboBox *combo)>;
Binding pick(const QString &field, QComboBox *combo, FillList fill, int codeChars);
// A list of the code dictionary's group, without the blank item unless asked.
FillList dictionary(const QString &group, bool withBlankItem = false);
// A pick list of the dictionary group named after its field (the rule of
// the code dictionary), without the blank item unless asked.
Binding dictionaryPick(const QString &field, QComboBox *combo, int codeChars,
                       bool withBlankItem = false);

// The option boxes of a panel: each ticked box's code, the last codeLength
// characters of its name (CollectCheckedCodes and CheckOptionsByCodes).
Binding options(const QString &field, QWidget *panel, int codeLength, const QString &label);

// A classification code chosen in the tree chooser. While the classification
// table is present the edit is read-only and holds "code  name", and the code
// is stored; a stored code the table lacks is shown bare and kept. Without
// the table the opener is hidden and the edit takes a typed code of at most
// ten characters.
Binding classification(const QString &field, ByteLimitedEdit *edit, DropDownCombo *opener,
                       const QString &tableFile);
// The stored code of a classification edit's text.
QString classificationCode(const QString &editText);

// The research period "yyyy.mm   至yyyy.mm" in four digit edits. Checked:
// all four filled, the end not after latestEnd (when given), the start before
// the end.
Binding researchPeriod(const QString &field, QLineEdit *startYear, QLineEdit *startMonth,
                       QLineEdit *endYear, QLineEdit *endMonth,
                       std::function<QDate()> latestEnd = {});
// The stored period; months always two digits.
QString periodText(const QString &startYear, const QString &startMonth, const QString &endYear,
                   const QString &endMonth);
// "yyyy.mm" for comparing a period's ends.
QString periodEnd(const QString &year, const QString &month);

// Key words in three edits, stored as the filled leading edits joined by ";".
// An edit is enabled only while the one before it holds text. Checked: the
// three together at most maxBytes GBK bytes, else tooLongMessage.
Binding keyWords(const QString &field, const QList<QLineEdit *> &edits, int maxBytes,
                 const QString &tooLongMessage);
QString joinKeyWords(const QList<QLineEdit *> &edits);

// A value the save always writes.
Binding constant(const QString &field, const QString &value);

// An amount in 万元: an empty edit stores NULL; compared as the field's text.
Binding money(const QString &field, MoneyEdit *edit);

// A date that may be empty, stored as "yyyy.mm.dd". A stored text that is no
// date is reported with badTextMessage(text) and kept as stored until the
// user picks a date (ClearableDate::setDotText).
Binding clearableDate(const QString &field, ClearableDate *date,
                      std::function<QString(const QString &stored)> badTextMessage);

} // namespace PageBindings
