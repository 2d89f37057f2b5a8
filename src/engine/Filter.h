#pragma once
#include "DbfFile.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

// The filter texts of the tables: comparisons `field='text'` or `field=7`
// joined by " and ". A trailing * inside the quotes means "begins with";
// a quote inside the text is doubled. Texts compare exactly, without regard
// to trailing blanks (a stored field is blank padded).
//
// Key filters made from stored values use exact() instead of a text: a key
// such as region "1*" must not turn into "begins with 1".
class Filter
{
public:
    struct Condition
    {
        QString field;
        QString text;
        bool prefix = false;
    };

    Filter() = default;
    // Throws DbError naming the text when it is not of that form.
    static Filter parse(const QString &expression);
    // Each field equal to its value, whatever characters the value holds.
    static Filter exact(const QList<std::pair<QString, QString>> &fieldValues);
    // The filter as a text of the grammar, for messages and display. An
    // exact comparison with a value ending in "*" reads back as a prefix,
    // so a filter is kept as a Filter, not as this text.
    QString text() const { return m_text; }

    bool isEmpty() const { return m_conditions.isEmpty(); }
    const QList<Condition> &conditions() const { return m_conditions; }

    // Ties the conditions to a file's fields; throws DbError for a field the
    // file lacks or a value the field cannot hold.
    void bind(const DbfFile &file);
    bool matches(const DbfFile &file, int recno) const;
    bool matches(const QList<QVariant> &record) const;

private:
    struct Bound
    {
        int field = -1;
        bool text = true;
        QVariant value;  // the typed value, for fields other than text
    };
    bool matchesValue(int condition, const QVariant &stored) const;

    QList<Condition> m_conditions;
    QList<Bound> m_bound;
    QString m_text;
};
