#pragma once
// The windows that records and section pages work with, over a fresh copy of
// the shipped tables: the data module, the main window (enabled by a unit row
// unless asked otherwise), the new-record dialog, page 1 and the tree
// chooser, made in the start-up's order and wired to one context.

#include "records/forms/AppContext.h"
#include "records/main/SectionButton.h"
#include "records/main/Unit1.h"
#include "records/main/UnitNew.h"
#include "records/pages/UnitPage1.h"
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
            dm()->Tblunit->refresh();
        }
        m_context = std::make_unique<AppContext>(*dm());
        m_main = std::make_unique<TMainForm>();
        m_context->setMainForm(m_main.get());
        m_context->addWindow(m_main.get());
        m_tree = add(new TFormTree(m_main.get()));
        m_new = add(new TFormNew(m_main.get()));
        m_page1 = add(new TFpage1(m_main.get()));
        wireAll();
    }

    // A window of the test's own, known to the context and wired to it.
    template <class Window>
    Window *add(Window *window)
    {
        m_context->addWindow(window);
        if (m_wired)
            window->wire(*m_context);
        return window;
    }

    // The main window as the start-up leaves it, on the first category and year.
    void showList()
    {
        m_main->prepareFilters();
        m_main->MarkIncompletePages();
        m_main->CheckPagesDone();
    }

    void stop() override
    {
        m_main.reset();
        m_context.reset();
        m_wired = false;
        m_tree = nullptr;
        m_new = nullptr;
        m_page1 = nullptr;
        DataFixture::stop();
    }

    TMainForm *main() const { return m_main.get(); }
    AppContext &context() const { return *m_context; }
    TFormTree *tree() const { return m_tree; }
    TFormNew *newDialog() const { return m_new; }
    TFpage1 *page1() const { return m_page1; }
    Query &list() const { return *dm()->Qrykjcg; }

    QStringList notDone() const
    {
        QStringList names;
        for (SectionButton *b : m_main->sectionButtons()) {
            if (!b->isDone())
                names << b->objectName();
        }
        return names;
    }

private:
    void wireAll()
    {
        for (QWidget *w : m_context->windows()) {
            if (auto *user = dynamic_cast<ContextWindow *>(w))
                user->wire(*m_context);
        }
        m_wired = true;
    }

    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<TMainForm> m_main;
    TFormTree *m_tree = nullptr;
    TFormNew *m_new = nullptr;
    TFpage1 *m_page1 = nullptr;
    bool m_wired = false;
};
