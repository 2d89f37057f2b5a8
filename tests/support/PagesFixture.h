#pragma once
// The windows that new records and section pages work with, over a fresh
// copy of the shipped tables: the data module, the main window (enabled by a
// unit row), the new-record dialog, page 1 and the tree chooser, made in the
// start-up's order and set as the program's globals. Message boxes are
// recorded and answered instead of shown.

#include "engine/DataSet.h"
#include "records/Messages.h"
#include "records/SectionButton.h"
#include "records/Unit1.h"
#include "records/UnitDM.h"
#include "records/UnitNew.h"
#include "records/UnitPage1.h"
#include "records/Unittree.h"
#include "RecordsData.h"

#include <QFile>
#include <QPushButton>
#include <memory>

// Every box shown, answered from `answers` in turn, else with Yes or OK.
class BoxLog
{
public:
    BoxLog()
    {
        Messages::setAnswerer([this](const Messages::Request &request) {
            m_boxes << request;
            if (!answers.isEmpty())
                return answers.takeFirst();
            return request.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        });
    }
    ~BoxLog() { Messages::setAnswerer({}); }

    QList<QMessageBox::StandardButton> answers;

    const QList<Messages::Request> &boxes() const { return m_boxes; }
    QStringList texts() const
    {
        QStringList list;
        for (const Messages::Request &r : m_boxes)
            list << r.text;
        return list;
    }
    QString last() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().text; }
    QString lastCaption() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().caption; }
    void clear()
    {
        m_boxes.clear();
        answers.clear();
    }

private:
    QList<Messages::Request> m_boxes;
};

class PagesFixture
{
public:
    // Builds the shipped tables once; each open() starts from a copy.
    explicit PagesFixture(const QString &shippedFolder) : m_shipped(shippedFolder) {}
    ~PagesFixture() { close(); }

    QString dataPath() const { return m_dir->filePath(QStringLiteral("data")); }
    Database *db() const { return DM->database(); }

    // filesToDrop: optional table files left out of the copy ("xkfl.dbf").
    void open(const QStringList &filesToDrop = {})
    {
        close();
        m_dir = std::make_unique<QTemporaryDir>();
        copyFolder(m_shipped, dataPath());
        for (const QString &file : filesToDrop)
            QFile::remove(QDir(dataPath()).filePath(file));
        m_dm = std::make_unique<TDM>(dataPath());
        appendRow(db(), QStringLiteral("unit.dbf"),
                  {{QStringLiteral("unitcode"), QStringLiteral("9990001000")},
                   {QStringLiteral("item_9"), QStringLiteral("报告单位")}});
        DM->Tblunit->refresh();
        m_main = std::make_unique<TMainForm>();
        MainForm = m_main.get();
        FormTree = new TFormTree(MainForm);
        FormTree->setTable(DM->Table1);
        FormNew = new TFormNew(MainForm);
        Fpage1 = new TFpage1(MainForm);
    }

    // The main window as the start-up leaves it, on the first category and year.
    void showList()
    {
        MainForm->prepareFilters();
        MainForm->MarkIncompletePages();
        MainForm->CheckPagesDone();
    }

    void close()
    {
        m_main.reset();
        MainForm = nullptr;
        FormTree = nullptr;
        FormNew = nullptr;
        Fpage1 = nullptr;
        m_dm.reset();
    }

    Query &list() const { return *DM->Qrykjcg; }

    QStringList notDone() const
    {
        QStringList names;
        for (SectionButton *b : MainForm->sectionButtons()) {
            if (!b->isDone())
                names << b->objectName();
        }
        return names;
    }

private:
    QString m_shipped;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TMainForm> m_main;
};
