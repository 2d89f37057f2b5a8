#pragma once
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

class DataSet;
class DictionaryService;
class TDM;

// What a page needs of the window that opened it: the record it edits, the
// section mark a save sets and what happens when it is left. The main window
// answers with its list's current row; a test may answer with any dataset.
class RecordHost
{
public:
    virtual ~RecordHost() = default;
    // The record the section pages edit (the main list's current row).
    virtual DataSet &currentRecord() = 0;
    // True when there is a current record, after offering a new one when
    // there was none.
    virtual bool ensureCurrentRecord() = 0;
    // A save gives the section's button its done mark.
    virtual void markSectionDone(const QString &buttonName) = 0;
    // A page was left: the completeness lock is evaluated again.
    virtual void pageLeft() = 0;
    // The category chosen in the list (0 applied technology): which help.
    virtual int categoryIndex() const = 0;
    // The unit page was left with the unit's row stored: the commands that
    // need the unit may be offered again.
    virtual void unitPageLeft() {}
    // Records were changed outside the pages (the export's marks): the list,
    // its marks and the lock are read again.
    virtual void recordsChanged() {}
};

// The one object through which windows reach the data module, the code
// dictionary, the main window and each other. Start-up makes it once the
// data module exists and hands it to every window (the second phase of the
// start); a test makes one over its own data module and hands it only to the
// windows it builds.
class AppContext
{
public:
    explicit AppContext(TDM &dm);
    ~AppContext();
    AppContext(const AppContext &) = delete;
    AppContext &operator=(const AppContext &) = delete;

    TDM &dm() const { return *m_dm; }
    DictionaryService &dictionary() const { return *m_dictionary; }

    // The main window is the pages' host while it lives; it is also known
    // as a window, found by its class like any other.
    template <class MainWindow>
    void setMainForm(MainWindow *mainForm)
    {
        setMainWindow(mainForm, mainForm);
    }
    void setMainWindow(QWidget *window, RecordHost *host);

    // The pages' host: the main window, or one set by a test. Without
    // either, the current record is the data module's main list and the
    // marks go nowhere.
    RecordHost &recordHost() const;
    void setRecordHost(RecordHost *host);

    // Windows known to the context, found by their class.
    void addWindow(QWidget *window);
    template <class Window>
    Window *window() const
    {
        for (const QPointer<QWidget> &w : m_windows) {
            if (auto *found = qobject_cast<Window *>(w.data()))
                return found;
        }
        return nullptr;
    }
    // The same, for a window the caller cannot do without: throws DbError
    // when it was not made.
    template <class Window>
    Window &need() const
    {
        if (Window *found = window<Window>())
            return *found;
        throwMissing(Window::staticMetaObject.className());
    }
    QList<QWidget *> windows() const;
    // A window of a floor above the caller's, found by its class name
    // (a unit window opening a section-page list); null when not made.
    QWidget *windowOfClass(const char *className) const;
    // The same for a window the caller cannot do without, as the interface
    // it needs of it: throws DbError when no such window was made.
    template <class Interface>
    Interface &needOfClass(const char *className) const
    {
        if (auto *found = dynamic_cast<Interface *>(windowOfClass(className)))
            return *found;
        throwMissing(className);
    }

private:
    [[noreturn]] static void throwMissing(const char *className);

    TDM *m_dm;
    std::unique_ptr<DictionaryService> m_dictionary;
    std::unique_ptr<RecordHost> m_listHost;
    RecordHost *m_mainHost = nullptr;
    QPointer<QWidget> m_mainWidget;  // tells when the main window is gone
    RecordHost *m_host = nullptr;
    QList<QPointer<QWidget>> m_windows;
};

// A window that uses the data or other windows. Start-up constructs every
// window first and wires them once the data module exists; a window does
// nothing with data before wire().
class ContextWindow
{
public:
    virtual ~ContextWindow() = default;
    // Second phase of the start: the window takes what it uses from the
    // context. Overrides call this first.
    virtual void wire(AppContext &context) { m_context = &context; }
    bool isWired() const { return m_context != nullptr; }
    // Throws DbError when the window was never wired.
    AppContext &context() const;

private:
    AppContext *m_context = nullptr;
};

// The context of the wired window that holds the widget (the widget itself
// or one of its parents); throws DbError when there is none.
AppContext &ContextOf(const QWidget *widget);
// The same, null when there is none.
AppContext *FindContext(const QWidget *widget);
