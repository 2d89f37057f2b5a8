#include "Generator.h"

#include "BenchFiles.h"
#include "RecordMaker.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/TableSource.h"
#include "engine/DbfFile.h"
#include "engine/ValueText.h"

#include <QHash>
#include <QSet>
#include <cstdio>
#include <memory>

namespace {

QVariant convertForField(const DbfField &field, const QVariant &value)
{
    if (!value.isValid())
        return value;
    switch (field.type) {
    case 'N':
    case 'F': {
        if (value.typeId() == QMetaType::Double)
            return value;
        double number = 0;
        return ValueText::parseNumber(value.toString(), &number) ? QVariant(number) : QVariant();
    }
    case 'I':
        return value.toInt();
    case 'D':
        return value.typeId() == QMetaType::QDate ? value : QVariant(ValueText::parseDate(value.toString()));
    case 'L':
        return value.toBool();
    default:
        if (value.typeId() == QMetaType::Double)
            return ValueText::formatNumber(value.toDouble());
        if (value.typeId() == QMetaType::QDate)
            return ValueText::formatDate(value.toDate());
        return value.toString();
    }
}

// Appends NamedRows to one table file, matching names without regard to case.
class TableAppender
{
public:
    TableAppender(const QString &folder, const QString &fileName)
        : m_file(DbfFile::open(Database::resolveIn(folder, fileName)))
    {
        for (int i = 0; i < m_file->fieldCount(); ++i)
            m_index.insert(m_file->field(i).name.toUpper(), i);
    }

    ~TableAppender()
    {
        if (!m_unknown.isEmpty())
            std::fprintf(stderr, "note: %s has no fields %s\n", qPrintable(m_file->tableName()),
                         qPrintable(QStringList(m_unknown.values()).join(u' ')));
    }

    void append(const NamedRow &row)
    {
        QList<QPair<int, QVariant>> values;
        values.reserve(row.size());
        for (const auto &[name, value] : row) {
            const int index = m_index.value(name.toUpper(), -1);
            if (index >= 0)
                values.append({ index, convertForField(m_file->field(index), value) });
            else
                m_unknown.insert(name);
        }
        if (m_filled.isEmpty())
            reportUnfilled(values);
        m_file->append(values);
        ++m_rows;
    }

    int rows() const { return m_rows; }
    QString fileName() const { return m_file->tableName(); }

private:
    // Said once per table, so that a schema that grew a field is noticed.
    void reportUnfilled(const QList<QPair<int, QVariant>> &values)
    {
        for (const auto &value : values)
            m_filled.insert(value.first);
        QStringList unfilled;
        for (int i = 0; i < m_file->fieldCount(); ++i)
            if (!m_filled.contains(i))
                unfilled.append(m_file->field(i).name);
        if (!unfilled.isEmpty())
            std::fprintf(stderr, "note: %s: fields left blank: %s\n", qPrintable(m_file->tableName()),
                         qPrintable(unfilled.join(u' ')));
    }

private:
    std::shared_ptr<DbfFile> m_file;
    QHash<QString, int> m_index;
    QSet<int> m_filled;
    QSet<QString> m_unknown;
    int m_rows = 0;
};

// The main tables and their staging twins, which hold the last import.
struct DataTables
{
    explicit DataTables(const QString &folder)
        : kjcg(folder, QStringLiteral("kjcg.DBF")), cgwcr(folder, QStringLiteral("cgwcr.DBF")),
          cgwcdw(folder, QStringLiteral("cgwcdw.DBF")), jdwyhmd(folder, QStringLiteral("jdwyhmd.DBF")),
          zlqk(folder, QStringLiteral("zlqk.DBF")), kjcgTemp(folder, QStringLiteral("kjcgtemp.DBF")),
          cgwcrTemp(folder, QStringLiteral("cgwcrtemp.DBF")), cgwcdwTemp(folder, QStringLiteral("cgwcdwtemp.DBF")),
          jdwyhmdTemp(folder, QStringLiteral("jdwyhmdtemp.DBF")), zlqkTemp(folder, QStringLiteral("zlqktemp.DBF"))
    {
    }

    void append(const Achievement &a, bool alsoStaged)
    {
        appendAll(kjcg, kjcgTemp, { a.record }, alsoStaged);
        appendAll(cgwcr, cgwcrTemp, a.persons, alsoStaged);
        appendAll(cgwcdw, cgwcdwTemp, a.units, alsoStaged);
        appendAll(jdwyhmd, jdwyhmdTemp, a.committee, alsoStaged);
        appendAll(zlqk, zlqkTemp, a.patents, alsoStaged);
    }

    static void appendAll(TableAppender &main, TableAppender &staged, const QList<NamedRow> &rows, bool alsoStaged)
    {
        for (const NamedRow &row : rows) {
            main.append(row);
            if (alsoStaged)
                staged.append(row);
        }
    }

    QList<const TableAppender *> all() const
    {
        return { &kjcg, &cgwcr, &cgwcdw, &jdwyhmd, &zlqk, &kjcgTemp, &cgwcrTemp, &cgwcdwTemp, &jdwyhmdTemp, &zlqkTemp };
    }

    TableAppender kjcg, cgwcr, cgwcdw, jdwyhmd, zlqk;
    TableAppender kjcgTemp, cgwcrTemp, cgwcdwTemp, jdwyhmdTemp, zlqkTemp;
};

} // namespace

Generator::Generator(const QString &schemaDir, const QString &folder, int achievements)
    : m_schemaDir(schemaDir), m_folder(folder), m_achievements(achievements)
{
}

void Generator::build()
{
    TableSource::buildAll(m_schemaDir, m_folder);
    RecordMaker maker(kSeed, m_achievements);
    {
        DataTables tables(m_folder);
        const int years = kLastYear - kFirstYear + 1;
        int year = kFirstYear, serial = 0;
        for (int i = 0; i < m_achievements; ++i) {
            const int rowYear = kFirstYear + int(qint64(i) * years / m_achievements);
            serial = rowYear == year ? serial + 1 : 1;
            year = rowYear;
            // Every hundredth record was the last import: its rows stay staged.
            tables.append(maker.achievement(i + 1, year, serial), i % 100 == 0);
        }
        for (const TableAppender *t : tables.all())
            m_rowCounts[t->fileName()] = t->rows();
    }
    const QList<QPair<QString, QList<NamedRow>>> small = {
        { QStringLiteral("cgwcrNew.dbf"), maker.personRegister() },
        { QStringLiteral("unit.dbf"), maker.unitRows() },
        { QStringLiteral("unitexpert.dbf"), maker.expertRows() },
    };
    for (const auto &[fileName, rows] : small) {
        TableAppender table(m_folder, fileName);
        for (const NamedRow &row : rows)
            table.append(row);
        m_rowCounts[table.fileName()] = table.rows();
    }
}
