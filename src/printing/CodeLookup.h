#pragma once
#include <QList>
#include <QPair>
#include <QString>

class Database;
class DictionaryService;

// The code dictionary and the small code/name tables, read without touching
// any shared dataset: each answer comes from a query of its own, so no table
// of the data module is left filtered or moved.
class CodeLookup
{
public:
    virtual ~CodeLookup() = default;
    // The text of option `code` of dictionary group `group` (zdxx: zddm,
    // xxdm, xxmc); empty when there is none.
    virtual QString optionText(const QString &group, const QString &code) const = 0;
    // `resultField` of the first row of table file `table` whose `keyField`
    // equals `key`; empty when none does. Throws DbError when the table
    // cannot be read.
    virtual QString fieldText(const QString &table, const QString &keyField,
                              const QString &resultField, const QString &key) const = 0;
    // Whether the data folder holds the table file (the classification
    // tables are optional).
    virtual bool hasTable(const QString &table) const = 0;
    // Code and text of every row of `table` whose code and text are set, in
    // table order (a dictionary group when `table` is "zdxx:<group>").
    virtual QList<QPair<QString, QString>> rows(const QString &table, const QString &codeField,
                                                const QString &textField) const
    {
        Q_UNUSED(table);
        Q_UNUSED(codeField);
        Q_UNUSED(textField);
        return {};
    }
};

// The lookups over the tables of a data folder; option texts through the
// program's dictionary service when one is given.
class DatabaseCodes : public CodeLookup
{
public:
    explicit DatabaseCodes(Database *db, const DictionaryService *dictionary = nullptr);
    QString optionText(const QString &group, const QString &code) const override;
    QString fieldText(const QString &table, const QString &keyField, const QString &resultField,
                      const QString &key) const override;
    bool hasTable(const QString &table) const override;
    QList<QPair<QString, QString>> rows(const QString &table, const QString &codeField,
                                        const QString &textField) const override;

private:
    // group: the dictionary group the row must also belong to, or null.
    QString firstMatch(const QString &table, const QString &keyField, const QString &resultField,
                       const QString &key, const QString &group) const;

    Database *m_db;
    const DictionaryService *m_dictionary;
};
