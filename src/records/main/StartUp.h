#pragma once
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

class QApplication;
class QWidget;

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

// The windows and the data module, made in the order the program has
// always made them. Throws DbError when a table cannot be opened.
class Windows
{
public:
    explicit Windows(const QString &dataPath);
    ~Windows();
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    // Names of the classes made, in creation order.
    const QStringList &creationOrder() const { return m_order; }

private:
    template <class Window, class Global>
    void make(Global *&global, QWidget *parent, const char *className);
    void destroy();

    QStringList m_order;
};

// Runs the program; returns its exit code. Throws DbError when the data
// module cannot open its tables.
int run(QApplication &app);
// Names the table that could not be opened before the program ends.
void reportFatal(const QString &message);

} // namespace StartUp
