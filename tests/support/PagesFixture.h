#pragma once
// The windows that records and section pages work with, over a fresh copy of
// the shipped tables: the data module, the main window (enabled by a unit row
// unless asked otherwise), the new-record dialog, the section pages 1, 2, 3
// and 9 with the patents list, and the tree chooser, made in the start-up's
// order and set as the program's globals.

#include "records/main/SectionButton.h"
#include "records/main/Unit1.h"
#include "records/main/UnitNew.h"
#include "records/pages/Finto6Unit.h"
#include "records/pages/UnitPage1.h"
#include "records/pages/Unitpage2.h"
#include "records/pages/Unitpage3.h"
#include "records/pages/Unitpage6.h"
#include "records/pages/Unitpage9.h"
#include "records/main/Unittree.h"
#include "RecordsData.h"

#include <QPushButton>

class PagesFixture : public DataFixture
{
public:
    ~PagesFixture() override { PagesFixture::stop(); }

    // filesToDrop: optional table files left out of the copy ("xkfl.dbf").
    void open(const QStringList &filesToDrop = {}, bool withUnit = true)
    {
        start(filesToDrop);
        if (withUnit) {
            appendRow(db(), u"unit.dbf"_s, {{u"unitcode"_s, u"9990001000"_s}, {u"item_9"_s, u"报告单位"_s}});
            DM->Tblunit->refresh();
        }
        m_main = std::make_unique<TMainForm>();
        MainForm = m_main.get();
        Fpage6 = new TFpage6(MainForm);
        FormTree = new TFormTree(MainForm);
        FormTree->setTable(DM->Table1);
        FormNew = new TFormNew(MainForm);
        Finto6 = new TFinto6(MainForm);
        Fpage1 = new TFpage1(MainForm);
        Fpage2 = new TFpage2(MainForm);
        Fpage3 = new TFpage3(MainForm);
        Fpage9 = new TFpage9(MainForm);
    }

    // The main window as the start-up leaves it, on the first category and year.
    void showList()
    {
        MainForm->prepareFilters();
        MainForm->MarkIncompletePages();
        MainForm->CheckPagesDone();
    }

    void stop() override
    {
        m_main.reset();
        MainForm = nullptr;
        FormTree = nullptr;
        FormNew = nullptr;
        Fpage1 = nullptr;
        Fpage2 = nullptr;
        Fpage3 = nullptr;
        Fpage9 = nullptr;
        Fpage6 = nullptr;
        Finto6 = nullptr;
        DataFixture::stop();
    }

    TMainForm *main() const { return m_main.get(); }
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
    std::unique_ptr<TMainForm> m_main;
};
