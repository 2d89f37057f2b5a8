#pragma once
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QWidget;
class DataSet;
class Query;
class Table;

// The conventions by which records store codes, shared by every entry
// window: a record stores only codes; a list item shows the code, two
// blanks and the text; a field with several choices stores each code
// followed by ";"; an option box carries its code in the last characters of
// its object name. None keeps state, except that the dictionary routines
// leave the dictionary table filtered on the last group.

// The trimmed text; when it is empty, ShowWarning(message) and Abort.
QString RequireText(QWidget *parent, const QString &text, const QString &message);

void ReopenQuery(Query &query, const QString &sql);

// "xxdm  xxmc" for every row of the group whose code and text are set, in
// table order; Hidden: texts beginning with "**" left out. Then the blank
// item " " unless noBlank.
void FillComboFromDict(Table &dictionary, const QString &group, bool noBlank, QComboBox *combo);
void FillComboFromDictAll(Table &dictionary, const QString &group, bool noBlank, QComboBox *combo);
// "code  (name)" for every row of a code/name table, filter off.
void FillComboFromTable(Table &table, QComboBox *combo, bool noBlank, const QString &nameField,
                        const QString &codeField);
void FillComboFromField(DataSet &dataSet, QComboBox *combo, const QString &field);
// Gives a pick list these items; a list that holds them already keeps them
// (a page filled again for its record finds its lists as they were). What
// is chosen afterwards is the caller's.
void ShowComboItems(QComboBox *combo, const QStringList &items);
// The code of a pick-list item: the text before the first double blank, trimmed.
QString CodeOfItem(const QString &itemText);
// Selects the (last) item whose code equals the code; no match leaves the
// selection; the blank item never matches.
void SelectComboByCode(const QString &code, QComboBox *combo);
// "code  name" of the classification row with that code, or empty.
void ShowDictCode(Table &classification, const QString &code, QLineEdit *edit);

// Option boxes: the QCheckBox/QRadioButton children of a panel; a box's code
// is the last n characters of its object name.
void ClearOptionBoxes(QWidget *window);
void CheckOptionByCode(QWidget *panel, const QString &code, int n);
void CheckOptionsByCodes(QWidget *panel, const QString &stored, int n);
// The codes of the ticked boxes, in panel order; nothing shown, nothing checked.
QStringList TickedOptionCodes(QWidget *panel, int n);
bool HasOptionCode(QWidget *panel, const QString &code, int n);
// The stored multi-code text of a panel's ticked boxes; more than two codes
// (except for the label "知识产权形式") shows its message and aborts.
QString CollectCheckedCodes(QWidget *parent, QWidget *panel, const QString &label, int n);

void SplitCodesToEdits(const QString &text, QLineEdit *first, QLineEdit *second, QLineEdit *third);
// Research period "yyyy.mm   至yyyy.mm" into start year/month, end year/month;
// a text of 15 characters or fewer gives the current year and month (two digits).
void SplitStartEndTime(const QString &period, QLineEdit *startYear, QLineEdit *startMonth,
                       QLineEdit *endYear, QLineEdit *endMonth);
QString DotDateToDashDate(const QString &text);
QString TabsToSpaces(const QString &text);
// Memo texts are kept with Windows line breaks (CR LF), as the exchange
// files carry them, and without TABs; memo controls work with newlines.
QString MemoTextToStore(const QString &shown);
QString MemoTextToShow(const QString &stored);
QString EscapeSqlQuotes(const QString &text);
