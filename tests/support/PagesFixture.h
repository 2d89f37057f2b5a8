#pragma once
// The windows that records and section pages work with, over a fresh copy of
// the shipped tables: the data module, the main window (enabled by a unit row
// unless asked otherwise), the new-record dialog, the section pages 1, 2, 3
// and 9 with the patents list, and the tree chooser, made in the start-up's
// order and wired to one context.

#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/SectionButton.h"
#include "app/Unit1.h"
#include "app/UnitNew.h"
#include "records/pages/Finto6Unit.h"
#include "records/pages/UnitPage1.h"
#include "records/pages/Unitpage2.h"
#include "records/pages/Unitpage3.h"
#include "records/pages/Unitpage6.h"
#include "records/pages/Unitpage9.h"
#include "records/forms/Unittree.h"
#include "ModalHelper.h"
#include "RecordsData.h"

#include <QComboBox>
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
        makeWindows();
    }

    // The same data folder opened again, windows and all, as the program's
    // next start finds it; whileClosed runs when nothing holds it open.
    void reopen(const std::function<void()> &whileClosed = {})
    {
        stop();
        if (whileClosed)
            whileClosed();
        restart();
        makeWindows();
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

    // Opens the fixture on one achievement of the category, listed and
    // current: the required fields filled (addAchievement, less leaveEmpty),
    // then `values` written over them.
    void openOnRecord(const QString &item4, const QString &category, const QString &name,
                      const FieldValues &values = {}, const QStringList &leaveEmpty = {})
    {
        open();
        addAchievement(db(), item4, category, name, u"."_s, leaveEmpty);
        if (!values.isEmpty()) {
            Table kjcg(db(), u"kjcg.DBF"_s);
            kjcg.open();
            kjcg.last();
            kjcg.edit();
            for (const auto &[field, value] : values)
                kjcg.setString(field, value);
            kjcg.post();
        }
        showList();
        m_main->ComboBox1->setCurrentIndex(category.toInt() - 1);
        m_main->ComboBox1Change();
    }

    // Presses the button and runs `action` on the modal window it shows;
    // false (with the reason logged) when none came or it stayed open.
    template <class Window>
    static bool throughButton(QAbstractButton *button, const std::function<void(Window *)> &action)
    {
        ModalHelper helper([&](QWidget *modal) { action(qobject_cast<Window *>(modal)); });
        button->click();
        if (!helper.ok())
            qWarning() << helper.error();
        return helper.ok();
    }

    // The message of the page's first failing check; empty when all pass.
    static QString firstFailure(SectionPage *page, BoxLog &log)
    {
        log.clear();
        try {
            page->checkInput();
        } catch (const Abort &) {
            return log.last();
        }
        return {};
    }

    // Chooses the item of the code as a user does (the list's own handlers run).
    static bool choose(QComboBox *combo, const QString &code)
    {
        for (int i = 0; i < combo->count(); ++i) {
            if (CodeOfItem(combo->itemText(i)) == code) {
                combo->setCurrentIndex(i);
                emit combo->activated(i);
                return true;
            }
        }
        return false;
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
    template <class Window>
    Window *window() const { return m_context->window<Window>(); }
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
    void makeWindows()
    {
        m_context = std::make_unique<AppContext>(*dm());
        m_main = std::make_unique<TMainForm>();
        m_context->setMainForm(m_main.get());
        m_context->addWindow(m_main.get());
        m_tree = add(new TFormTree(m_main.get()));
        m_new = add(new TFormNew(m_main.get()));
        m_page1 = add(new TFpage1(m_main.get()));
        // The patents list is made before its dialog and the pages, as at start-up.
        add(new TFpage6(m_main.get()));
        add(new TFinto6(m_main.get()));
        add(new TFpage2(m_main.get()));
        add(new TFpage3(m_main.get()));
        add(new TFpage9(m_main.get()));
        wireAll();
    }

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
