#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QComboBox;
class TDM;
class Table;

// The code lists of the program (the code dictionary zdxx, the province and
// affiliation tables, the classification tables) as lists and names. Each
// look-up reads through datasets of its own: no dataset that a window shows
// is filtered or moved by it.
class DictionaryService
{
public:
    struct Entry
    {
        QString code;
        QString text;
    };

    explicit DictionaryService(TDM &dm);
    ~DictionaryService();

    // The rows of a dictionary group in table order whose code and text
    // are both set; rows of an earlier form version ("**") only when asked.
    QList<Entry> group(const QString &group, bool withEarlierVersions = false) const;
    // The text of a code in a group; empty when the group lacks it.
    QString name(const QString &group, const QString &code) const;
    // Pick-list items "code  text", then the blank item " " unless noBlank.
    QStringList items(const QString &group, bool noBlank, bool withEarlierVersions = false) const;

    // A code/name table (province.dbf, lsbw.dbf): every row whose code and
    // name are set, in table order.
    QList<Entry> codeTable(const QString &tableFile, const QString &codeField,
                           const QString &nameField) const;
    // "code  (name)" items of such a table, then the blank item unless noBlank.
    QStringList tableItems(const QString &tableFile, const QString &codeField,
                           const QString &nameField, bool noBlank) const;
    QStringList provinceItems(bool noBlank) const;
    QStringList affiliationItems(bool noBlank) const;

    // Whether a classification table (gxjs.dbf, xkfl.dbf, ztflh.dbf) is
    // there; the last two are optional.
    bool hasClassification(const QString &tableFile) const;
    // "code  name" of the classification row holding the code, read by
    // position (level, code, name); empty when no row holds it or the table
    // is absent.
    QString classificationEntry(const QString &tableFile, const QString &code) const;

    // The sub-classes of a project source (DFJHZDXX.DBF): "code  name" of
    // its rows in table order, then the blank item; no item at all when the
    // source has no row.
    QStringList subclassItems(const QString &sourceCode) const;

    // Reads every list afresh (after a code table was replaced).
    void forget();

private:
    Table &table(const QString &tableFile) const;

    TDM &m_dm;
    mutable QHash<QString, QList<Entry>> m_groups;  // zdxx by group, all rows
    mutable QHash<QString, QStringList> m_subclasses;  // by source code
    mutable QHash<QString, std::shared_ptr<Table>> m_tables;
};

// A pick list filled from the dictionary: the items of the group, the
// blank item unless noBlank; nothing is chosen afterwards but the first item.
void FillComboFromDict(const DictionaryService &dictionary, const QString &group, bool noBlank,
                       QComboBox *combo);
