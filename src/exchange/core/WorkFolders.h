#pragma once
#include <QString>

// The folders the exchange works in, in the system's temporary folder. A
// program killed midway (an export of some thousand records leaves tens of
// megabytes) cannot remove its own; the next export or start-up does. So
// that it never takes a folder still in use, each is named after the
// process that made it: "dravik-work-<pid>-XXXXXX".
namespace WorkFolders {

// The template for a QTemporaryDir of this process.
QString nameTemplate();

// Removes the work folders of processes that have ended, of this user, in
// the temporary folder; those of running processes (this one among them)
// and anything else there stay. Quiet: what cannot be removed waits for the
// next time. Returns how many were removed.
int removeStale();

} // namespace WorkFolders
