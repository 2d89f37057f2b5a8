#pragma once
// Turning stored codes and texts of an achievement record into printable
// texts: shared by the printed form's pages and the Word documents. None
// keeps state; the lookups go through a CodeLookup and leave no table
// filtered.

#include <QString>

class CodeLookup;
namespace report { class Report; struct Element; }

// Research period "2001.01   至2003.12" as "2001年01月" and "2003年12月".
// A text without "至" is all start (the end stays empty); an empty part
// gives an empty text.
struct ResearchPeriod
{
    QString start;
    QString end;
};
ResearchPeriod SplitResearchPeriod(const QString &period);

// Takes up to three parts of `text` at its ";": part 1 before the first,
// part 2 before the next, part 3 before the third or the rest when no ";"
// follows. What follows a third ";" is dropped. Parts that receive nothing
// keep their values; `text` is consumed. Parts are not trimmed.
void SplitBySemicolon(QString &text, QString &part1, QString &part2, QString &part3);

// The option text of `code` in dictionary group `key`; empty when none.
QString GetCodeName(const CodeLookup &codes, const QString &key, const QString &code);
// The option texts of a multi-code text ("1;3;"), joined by ";" ("a;c");
// every code that ends in ";" is named. A single code keeps its ";"
// ("1;" → "a;"); a text without ";" is one code.
QString GetCodeNames(const CodeLookup &codes, const QString &key, const QString &codesText);

// `resultField` of the first row of `table` whose `keyField` is `value`.
QString LookupFieldText(const CodeLookup &codes, const QString &table, const QString &keyField,
                        const QString &resultField, const QString &value);
// "key name" of the row of `table` whose `keyField` is `value`; empty when
// the row has no name. Where the optional table is not there at all, the
// stored code alone, so that the output goes on.
QString LookupCodeWithName(const CodeLookup &codes, const QString &table, const QString &keyField,
                           const QString &nameField, const QString &value);

// Year, month and day of "yyyy.mm.dd" (by position); parts the text does
// not reach are empty.
struct DateParts
{
    QString year;
    QString month;
    QString day;
};
DateParts SplitDate(const QString &date);

// The label's caption becomes the option text of `code` in group `key`
// (empty when there is none).
void SetCodeCaption(const CodeLookup &codes, const QString &key, const QString &code,
                    report::Element &label);

// Empties every label whose name holds "ITEM" or "patent" from its fourth
// character on (case-sensitive): the choice marks and filled texts of a
// page, not its fixed captions.
void ClearItemLabels(report::Report &page);
// Ticks ("√") every label named <3 characters><field><1 character><code>.
// An empty code ticks nothing; nothing is cleared.
void MarkChoiceLabel(report::Report &page, const QString &field, const QString &code);
// Ticks the options a stored text holds: a text without ";" is one code as
// it stands; otherwise up to three codes, each the trimmed text before a ";".
void MarkChoices(report::Report &page, const QString &field, const QString &storedText);
