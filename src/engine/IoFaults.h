#pragma once
#include <QList>
#include <QString>

// Writes that fail on demand. Every write, sync, rename and removal of
// table, memo, pack, journal, staging and exchange files and archives asks
// failHere() first (in the steps of engine/Disk, the one way they take to
// the disk); tests make the nth of them fail and so walk each error path
// of a post, a pack, a bulk append or an export one by one, instead of
// killing a writer at a moment chosen by a clock. Off unless a test turns
// it on.
namespace IoFaults {

// The nth write or flush from now (1: the next one) fails, that one only.
void failNth(int n);
// The process is killed (SIGKILL) just before the nth write or flush from
// now: what a kill at that instant leaves on the disk.
void killNth(int n);
// The nth write or flush from now calls `raise` instead of failing: the
// exception it throws leaves that write, whatever its kind. Tests so walk
// the paths of errors that are not the engine's own.
void raiseNth(int n, void (*raise)());
// No more failures; the count of writes starts again.
void clear();
// Writes and flushes asked about since the last failNth(), raiseNth(),
// killNth() or clear().
int seen();
// Asked by each write or flush: true when it is to fail.
bool failHere();

// The ledger: while it is on, every write, sync, rename and removal of a
// table, memo, journal, pack or exchange file is noted in the order it was
// made, with the file's name (for a rename, the file renamed; for a folder
// sync, the folder's name). Tests hold a write path's order against the
// promises of durability: what must reach the disk before what.
// WriteAhead is a write that nothing waits for: a journal's note of rows
// it is about to append, which a killed program leaves to the system.
enum class Step { Write, Sync, Rename, Remove, SyncFolder, WriteAhead };
struct Entry
{
    Step step;
    QString file;
    bool operator==(const Entry &other) const = default;
};
void startLedger();
QList<Entry> ledger();   // stops it
void note(Step step, const QString &path);

} // namespace IoFaults
