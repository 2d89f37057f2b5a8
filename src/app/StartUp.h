#pragma once
#include <QList>
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

class AppContext;
class QApplication;
class QWidget;
class TDM;
class TMainForm;

// Starting the program: the application's names and font, the one running
// copy, every window and the data module made once in their fixed order.
namespace StartUp {

// Held for the life of the process: a second copy of the program finds it
// taken and ends without a word.
class SingleInstance
{
public:
    // folder: where the lock lives; the runtime folder (or the temp folder)
    // when empty.
    explicit SingleInstance(const QString &folder = {});
    bool tryAcquire();
    QString lockPath() const;

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

void setUpApplication(QApplication &app);
// Qt's own Chinese texts; false when they are not installed.
bool loadQtTranslations(QApplication &app);
// Chinese as the default locale of everything that shows numbers and dates.
void useChineseLocale();

// The windows and the data module, made in two phases: first every window
// and the data module in the order the program has always made them (no
// window touches data while it is made), then, once the data module exists,
// the context is handed to every window (wire). Throws DbError when a table
// cannot be opened.
class Windows
{
public:
    explicit Windows(const QString &dataPath);
    ~Windows();
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    // Names of the classes made, in creation order.
    const QStringList &creationOrder() const { return m_order; }
    AppContext &context() const { return *m_context; }
    TMainForm *mainForm() const { return m_main.get(); }

private:
    template <class Window>
    void make(const char *className);
    void makeWindows(const QString &dataPath);
    void wireWindows();

    QStringList m_order;
    QList<QWidget *> m_made;
    // Destroyed in reverse: the windows go before the data they show.
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<TMainForm> m_main;
};

// Runs the program; returns its exit code. Throws DbError when the data
// module cannot open its tables.
int run(QApplication &app);
// Names the table that could not be opened before the program ends.
void reportFatal(const QString &message);

} // namespace StartUp
