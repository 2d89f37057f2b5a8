#pragma once
#include <QString>
#include <QStringList>

// Packing and unpacking exchange archives with the external ARJ program.
//
// The program runs with its arguments as a list (no shell), always with
// "-y -i", stdin closed, in a temporary working folder of its own (the
// process-wide current folder is never changed), under a time limit; it has
// finished when its process has ended, and it has succeeded only when it
// ends normally with exit code 0. Results reach the caller's folder only
// after that, so a failed run leaves no half-made archive and no part of a
// damaged one. Every failure throws DbError in Chinese with the archiver's
// own words.
class Archiver
{
public:
    // The archiver beside the program or on PATH (absolute folders only,
    // never the current folder); empty when there is none.
    static QString locate();

    // An archiver run with the given program; the located one by default.
    explicit Archiver(const QString &program = locate());

    QString program() const;
    void setTimeLimit(int milliseconds);
    int timeLimit() const;

    // "a": packs the named files of the folder into the archive
    // archiveName, made in the same folder (an existing one is replaced).
    void pack(const QString &folder, const QString &archiveName, const QStringList &members) const;

    // "e": extracts every file of the archive into destFolder, replacing
    // files of the same names (without regard to case). Fails when one of
    // `required` (compared without regard to case) is not in the archive.
    // Returns the names of the files extracted.
    QStringList unpack(const QString &archivePath, const QString &destFolder,
                       const QStringList &required = {}) const;

private:
    void run(const QStringList &arguments, const QString &workFolder) const;

    QString m_program;
    int m_timeLimit = 5 * 60 * 1000;
};
