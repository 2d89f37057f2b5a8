#pragma once
// Small table files for engine tests: a field list and rows of values, written
// through DbfFile into a test's own folder.

#include "engine/DbError.h"
#include "engine/DbfFile.h"

#include <QDir>
#include <functional>
#include <QList>
#include <QVariant>

// The text of the DbError the action throws; empty when it throws none.
inline QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const DbError &e) {
        return e.message();
    }
    return QString();
}

inline DbfField dbfField(const QString &name, char type, int width = 0, int decimals = 0)
{
    DbfField f;
    f.name = name;
    f.type = type;
    f.width = width ? width : (type == 'D' ? 8 : type == 'M' ? 10 : type == 'L' ? 1 : 10);
    f.decimals = decimals;
    return f;
}

inline void makeTable(const QString &folder, const QString &fileName, const QList<DbfField> &fields,
                      const QList<QVariantList> &rows = {})
{
    const QString path = QDir(folder).filePath(fileName);
    DbfFile::create(path, fields);
    auto file = DbfFile::open(path);
    for (const QVariantList &row : rows) {
        QList<QPair<int, QVariant>> values;
        for (int i = 0; i < row.size(); ++i)
            values.append({i, row[i]});
        file->append(values);
    }
}

#include "engine/Database.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

// A fresh folder for one test function, and the Database on it once its
// tables are made. The Database goes before the folder.
struct EngineFolder
{
    std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    std::unique_ptr<Database> db;

    QString path() const { return dir->path(); }
    Database *open()
    {
        db = std::make_unique<Database>(path());
        return db.get();
    }
};

// Base of the engine tests: each test function makes its tables in a new
// folder (init), then opens the Database on it; cleanup drops both.
class EngineTest : public QObject
{
protected:
    std::unique_ptr<EngineFolder> m_folder;
    Database *m_db = nullptr;

    QString folder() const { return m_folder->path(); }
    bool newFolder()
    {
        m_folder = std::make_unique<EngineFolder>();
        return m_folder->dir->isValid();
    }
    void openDatabase() { m_db = m_folder->open(); }
    void dropFolder()
    {
        m_folder.reset();
        m_db = nullptr;
    }
};
