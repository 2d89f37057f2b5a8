#pragma once
#include <QtGlobal>
#include <atomic>

// Views of table and memo files are maps of the files, and another program
// may shorten a file under its view: touching a mapped byte past the new end
// makes the system send SIGBUS, which would end the program. Every view is
// watched here: such a fault inside a watched view puts zeros in place of the
// missing pages, marks the view as cut and lets the read go on; the file's
// owner then learns of the cut (wasCut) and reports the table as damaged.
// A fault anywhere else is left to what handled it before.
//
// Where the system never lets a mapped file be shortened (Windows), there is
// nothing to watch and nothing is ever cut.
namespace MapGuard {

// Every cut seen so far in the process, counted: one load tells a reader that
// nothing happened since it last looked.
extern std::atomic<quint32> cuts;

// Starts watching the view [start, start + length); returns its ticket, or -1
// when no more views can be watched (the caller must not read through a map
// then).
int watch(const void *start, qint64 length);
// Stops watching (before the view is unmapped).
void forget(int ticket);
// Whether a read ran past the end of the file in that view.
bool wasCut(int ticket);

} // namespace MapGuard
