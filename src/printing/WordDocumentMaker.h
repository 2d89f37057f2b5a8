#pragma once
#include "printing/WordFill.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// What the six Word buttons of the print window do: after one question, it makes
// its documents from the templates of the data folder and fills them from
// the current record. A finished document is saved under a name of its own
// in the user's documents folder and opened with the desktop's program for
// it; when none can open it, the user is told where it lies, in one message
// for all the documents of the click. A document that fails midway is not
// saved; the ones finished before it stay.
class WordDocumentMaker
{
public:
    WordDocumentMaker(const WordSources &sources, const QString &dataPath, QWidget *parent);

    // One click of a button; false when it stopped before its last document.
    bool run(WordPlans::Output output);

    // Where documents go: the user's documents folder, in a folder named
    // after the program.
    static QString defaultFolder();
    void setFolder(const QString &folder) { m_folder = folder; }
    // How a saved document is shown; true when a program took it.
    using Opener = std::function<bool(const QString &path)>;
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    // The documents saved by the last click, in order.
    QStringList saved() const { return m_saved; }

    // A file name no earlier document has: template base name, registration
    // number and time, with a running number when that name is taken.
    static QString uniquePath(const QString &folder, const QString &base, const QString &registration,
                              const QDateTime &when);

private:
    bool makeDocument(const WordPlans::Document &plan);
    void show(const QString &path);
    void tellWhereUnopenedLie();

    WordSources m_sources;
    QString m_dataPath;
    QWidget *m_parent;
    QString m_folder;
    Opener m_opener;
    QStringList m_saved;
    QStringList m_unopened;
};
