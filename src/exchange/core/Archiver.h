#pragma once
#include "engine/DbError.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QEventLoop;

// Packing and unpacking exchange archives with the external ARJ program.
//
// The program runs with its arguments as a list (no shell), always with
// "-y -i", stdin closed, in a temporary working folder of its own (the
// process-wide current folder is never changed), under a time limit that
// grows with the data. While it runs the caller waits in an event loop, so
// windows keep painting; progress() reports each file done and cancel()
// stops the run. It has succeeded only when it ends normally with exit code
// 0. Results reach the caller's folder only after that, so a failed run
// leaves no half-made archive and no part of a damaged one.
//
// An archive is listed before anything is extracted: a member whose name
// holds a folder part (a parent, an absolute path, a drive), a member
// expected twice, expected members larger than the free space, or one that
// grows out of all proportion to its packed size, refuse the whole archive.
// Only the expected members are extracted; others are never written. Every failure throws DbError in Chinese
// with the archiver's own words; a cancelled run throws ArchiverCancelled.
class Archiver : public QObject
{
    Q_OBJECT

public:
    struct Member
    {
        QString name;          // as stored, with any folder part
        qint64 size = 0;       // unpacked
        qint64 packedSize = 0;
    };

    // The archiver beside the program or on PATH (absolute folders only,
    // never the current folder); empty when there is none.
    static QString locate();

    // An archiver run with the given program; the located one by default.
    explicit Archiver(const QString &program = locate(), QObject *parent = nullptr);

    QString program() const;

    // A fixed time limit for every run; 0 (the default) scales the limit
    // with the size of the data handled.
    void setTimeLimit(int milliseconds);
    int timeLimit() const;
    // The limit a run handling that many bytes gets.
    int timeLimitFor(qint64 bytes) const;

    // The most an unpack may write, below the free space of the disks it
    // writes to; 0 (the default) means the free space alone.
    void setSpaceLimit(qint64 bytes);

    // "a": packs the named files of the folder into the archive
    // archiveName, made in the same folder (an existing one is replaced).
    void pack(const QString &folder, const QString &archiveName, const QStringList &members);

    // The members of the archive, in their stored order.
    QList<Member> list(const QString &archivePath);

    // "e": extracts the members named in `required` and `optional`
    // (compared without regard to case) into destFolder, replacing files of
    // the same names. Refuses the archive, extracting nothing, when one of
    // `required` is missing, when a member's name holds a folder part, or
    // when the members would not fit. Returns the names of the files
    // extracted; `skipped` receives the other members' names, which are
    // not extracted.
    QStringList unpack(const QString &archivePath, const QString &destFolder,
                       const QStringList &required, const QStringList &optional = {},
                       QStringList *skipped = nullptr);

public slots:
    // Stops the run in progress; the call that started it throws
    // ArchiverCancelled. Without a run in progress it does nothing.
    void cancel();

signals:
    // `done` of `total` files handled by the run in progress.
    void progress(int done, int total);
    // A run begins and ends; a window shows its indicator in between.
    void started(const QString &what);
    void finished();

private:
    QByteArray run(const QStringList &arguments, const QString &workFolder, qint64 bytes,
                   int files, const QString &what);
    QString copyIntoWork(const QString &archivePath, const QString &workFolder) const;
    // A member may grow this many times from its packed size at most, once
    // it is larger than SmallMember bytes.
    static constexpr qint64 LargestGrowth = 1000;
    static constexpr qint64 SmallMember = qint64(1) << 20;
    void refuseOutOfProportion(const QString &archivePath, const QList<Member> &members) const;
    void requireSpace(const QString &archivePath, const QList<Member> &members,
                      const QString &workFolder, const QString &destFolder) const;

    QString m_program;
    int m_timeLimit = 0;
    qint64 m_spaceLimit = 0;
    QEventLoop *m_loop = nullptr;
    bool m_running = false;
    bool m_cancelled = false;
};

// The user stopped the archiver; callers usually end the command quietly.
class ArchiverCancelled : public DbError
{
public:
    ArchiverCancelled();
};

// The archiver ran and ended with an error of its own (a damaged archive,
// a full disk); the message carries its words.
class ArchiverRefused : public DbError
{
public:
    using DbError::DbError;
};
