#pragma once
#include "printing/wordplans/WordPlans.h"

#include <QList>
#include <QString>
#include <memory>

class CodeLookup;
class DataSet;
class DocxDocument;
class TDM;
class Query;

// What the documents read: the current record and, by its key, its child
// rows. No window is involved, so tests fill documents from a bare data
// module.
struct WordSources
{
    DataSet *record = nullptr;          // the current achievement
    const CodeLookup *codes = nullptr;  // dictionary names, provinces, classifications
    TDM *dm = nullptr;                  // where the child rows are read

    static WordSources fromDataModule(TDM &dm, const CodeLookup &codes);
};

// The texts of the bookmarks, computed from the record as the documents
// print them.
class WordTexts
{
public:
    explicit WordTexts(const WordSources &sources) : m_s(sources) {}

    QString text(const WordPlans::Bookmark &bookmark) const;
    // The rows of a child list of the current record, read by its key, in
    // the order of their serial numbers.
    std::unique_ptr<Query> childRows(WordPlans::Child child) const;

private:
    QString field(const QString &name) const;
    QString plainText(const WordPlans::Bookmark &bookmark) const;
    QString codeName(const QString &key, const QString &code) const;
    QString codeNames(const QString &key, const QString &codes) const;
    QString unitAttribute() const;
    QString projectSource() const;
    QString reasonNotApplied() const;
    QString evaluationForm() const;

    WordSources m_s;
};

// The text with a paragraph mark added when it is shorter than `bytes` GBK
// bytes (short names on the covers then take the same two lines as long
// ones). Zero: the text as it is.
QString withBreakBelow(const QString &text, int bytes);

// Names of the project's sources with the national plan's name in
// parentheses after "国家科技计划" where that is one whole name.
QString insertPlanName(const QString &sourceNames, const QString &planName);

// Fills every bookmark of the document's lists from the sources, in order.
// Errors (a bookmark the template lacks, a table that cannot be read) throw.
void fillDocument(const WordPlans::Document &plan, const WordSources &sources, DocxDocument &document);
