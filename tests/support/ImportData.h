#pragma once
// Exchange packages for the import tests: a source data folder of its own
// whose records are written as the seven text files by the exchange writer
// and packed by the real archiver, as another installation sends them.

#include "RecordsData.h"
#include <QStringList>
#include <functional>

// The tables of the sending installation.
class SourceFolder
{
public:
    explicit SourceFolder(const QString &shipped);
    ~SourceFolder();

    QString path() const { return m_dir.filePath(u"source"_s); }
    Database *db() const { return m_db.get(); }

    // The seven text files of every row of the source tables; their folder.
    QString writeFiles();
    // The package "cgsbqy.arj" of every row; leaveOut: files not packed.
    QString package(const QStringList &leaveOut = {});

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
};

// Runs the import-store child program with the arguments, killed before
// write killAt (0: not killed). Returns its output; crashed tells whether it
// was killed.
QString runImportStoreChild(QStringList args, int killAt, bool *crashed);
// The same as another user of the machine (uid and gid, and that group
// besides when one is given) with that umask: the caller must be the
// system's administrator.
struct ChildUser
{
    unsigned id = 0;
    unsigned umask = 022;
    unsigned memberOf = 0;
};
QString runImportStoreChildAs(const ChildUser &user, QStringList args, int killAt, bool *crashed);

// The message of the DbError the call throws, or "no error".
QString errorOf(const std::function<void()> &call);

// The five record files, "KJCG.TXT" to "ZLQK.TXT".
QStringList recordFileNames();
// The file of that name in the folder, found without regard to case; "".
QString fileIn(const QString &folder, const QString &name);
// Packs and unpacks with the archiver the program uses.
void packFiles(const QString &folder, const QString &archive, const QStringList &members);
QStringList unpackFiles(const QString &archive, const QString &folder);

void putBytes(const QString &path, const QByteArray &bytes);

// Every live row of a table file, each as the texts of its columns.
QList<QStringList> tableRows(Database *db, const QString &tableFile, const QString &filter = {});

// An achievement in the source with one row in each child list; persons
// named as given.
void addSentRecord(Database *db, const QString &item4, const QString &category, const QString &title,
                   const QStringList &persons, const QString &region = u"110"_s);
