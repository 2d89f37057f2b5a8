#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// The ten Word documents: which template each is made from and which
// bookmarks it fills, in which order, with which text. The same lists build
// the templates (the builder refuses a template source whose bookmarks
// differ) and drive the filling, so the two cannot drift apart.
namespace WordPlans {

// How a bookmark's text is made from the record.
enum class Text {
    Field,              // the field's text as stored (codes unchanged)
    CodeName,           // the dictionary name of the code (key: Bookmark::key)
    CodeNames,          // the names of a multi-code text
    SubjectClass,       // code, blank, name from the subject classification
    LibraryClass,       // the same from the library classification
    Province,           // the province's name
    Affiliation,        // the affiliation's name
    PeriodStart,        // research period, start as 2001年01月
    PeriodEnd,
    KeyWord1,           // the parts of the key words, split at ";"
    KeyWord2,
    KeyWord3,
    DateYear,           // parts of a stored date text yyyy.mm.dd
    DateMonth,
    DateDay,
    ShortDate,          // a date field in the program's short date format
    UnitAttribute,      // unit attribute name, the contact's attribute in parentheses
    ProjectSource,      // source names with the national plan's name inserted
    ConvertedInstitute, // a fixed note when the field is "1"
    ReasonNotApplied,   // reasons, the other reason in parentheses
    SecrecyMark,        // "1" for secrecy levels 2 to 4, else "0"
    EvaluationForm,     // name of item_21 from the group of the record's category
};

struct Bookmark
{
    QString name;
    Text text = Text::Field;
    QString field;          // the record field the text comes from
    QString key = {};       // dictionary group; the field's own name when empty
    int breakBelow = 0;     // a paragraph mark is added to texts shorter than this (GBK bytes)
};

enum class Child { Units, Persons, Committee, AcceptedPatents, GrantedPatents };

struct Column
{
    QString bookmark;  // bookmark prefix: the name, "_" and the row number follow
    QString field;     // the child table's field (a lookup field for codes)
};

struct ChildList
{
    Child child;
    QList<Column> columns;
    int limit;
};

struct Document
{
    QString templateBase;       // file name without ".dotx"
    QList<Bookmark> head;
    QList<ChildList> lists;
    QList<Bookmark> tail;       // after the lists (the certificate's second part)
};

// The six buttons of the print window and the documents each makes.
enum class Output { RjForm, RjFormText, YyForm, YyFormText, Application, Certificate };

QList<Output> outputs();
QList<const Document *> documentsOf(Output output);
QList<const Document *> allDocuments();
// nullptr when no document is made from a template of that base name.
const Document *documentByTemplate(const QString &templateBase);

QString templateFileName(const Document &document);  // base name + ".dotx"
QString rowBookmark(const Column &column, int row);   // "item_180_" and the row
// Every bookmark the document fills, lists expanded to their limits, in
// filling order.
QStringList bookmarkNames(const Document &document);

} // namespace WordPlans
