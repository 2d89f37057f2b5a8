#pragma once
// A data folder with the shipped tables (built once per test program, copied
// afresh for each test), the data module on it, and every message box
// recorded and answered. For the tests of the unit information windows.

#include "records/Messages.h"
#include "records/UnitDM.h"
#include "RecordsData.h"

#include <QDir>
#include <QImage>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

class UnitFixture
{
public:
    QList<Messages::Request> boxes;
    QMessageBox::StandardButton answer = QMessageBox::Yes;

    void buildOnce() { buildShippedTables(m_shipped.path()); }

    // A fresh data folder; `removeFiles` are left out of it.
    bool start(const QStringList &removeFiles = {})
    {
        m_dir = std::make_unique<QTemporaryDir>();
        if (!copyFolder(m_shipped.path(), dataPath()))
            return false;
        // Table files are named without regard to case.
        const QStringList present = QDir(dataPath()).entryList(QDir::Files);
        for (const QString &file : present) {
            if (removeFiles.contains(file, Qt::CaseInsensitive))
                QFile::remove(QDir(dataPath()).filePath(file));
        }
        boxes.clear();
        answer = QMessageBox::Yes;
        Messages::setAnswerer([this](const Messages::Request &r) {
            boxes << r;
            return answer;
        });
        m_dm = std::make_unique<TDM>(dataPath());
        return true;
    }

    void stop()
    {
        m_dm.reset();
        Messages::setAnswerer({});
        m_dir.reset();
    }

    QString dataPath() const { return m_dir->filePath(QStringLiteral("data")); }
    QString tablePath(const QString &file) const { return QDir(dataPath()).filePath(file); }
    Database *db() const { return m_dm->database(); }
    TDM *dm() const { return m_dm.get(); }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const Messages::Request &r : boxes)
            texts << r.text;
        return texts;
    }

    // A fresh read of one row of a table file (first row by default).
    QString stored(const QString &tableFile, const QString &field, int row = 0) const
    {
        Table table(db(), tableFile);
        table.open();
        if (row >= table.recordCount())
            return QStringLiteral("<no row>");
        table.moveTo(row);
        return table.asString(field);
    }

    // Screenshots go to the folder named by DRAVIK_SHOTS, when it is set.
    static void shoot(QWidget *widget, const QString &name)
    {
        const QString folder = QProcessEnvironment::systemEnvironment().value(
            QStringLiteral("DRAVIK_SHOTS"));
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }

private:
    QTemporaryDir m_shipped;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDM> m_dm;
};
