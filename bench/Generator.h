#pragma once
#include <QMap>
#include <QString>
#include <cstdint>

// Builds a data folder the way the program ships it (every table made from
// data/tables/*.schema with its shipped rows) and fills it with a unit's
// history: `achievements` records over the years 2019-2026 with their
// persons, cooperating units, committee members, patents and memo texts, the
// register of known persons, the unit with its second-level units and their
// discipline leaders, and a last import left in the staging tables.
//
// Rows are written one by one as they are made, so that the generator never
// holds more than one record's texts.
class Generator
{
public:
    static constexpr std::uint32_t kSeed = 20190601;
    static constexpr int kFirstYear = 2019;
    static constexpr int kLastYear = 2026;

    Generator(const QString &schemaDir, const QString &folder, int achievements);

    // Throws DbError when a table cannot be built or written.
    void build();
    // Rows written per table file name.
    const QMap<QString, int> &rowCounts() const { return m_rowCounts; }

private:
    QString m_schemaDir;
    QString m_folder;
    int m_achievements;
    QMap<QString, int> m_rowCounts;
};
