#pragma once
#include <QString>

class QTemporaryDir;

// Copies source to target through a temporary file beside the target that
// replaces it only when complete: a failed copy leaves the old target as it
// was. Other spellings of the target's name in its folder (a disk that keeps
// case may hold "cgsbqy.arj" beside "CGSBQY.ARJ") are removed afterwards, so
// that a name found without regard to case finds the new file. Throws
// DbError naming the file, in one wording wherever a file is copied.
void CopyFileReplacing(const QString &source, const QString &target);

// A work folder that could not be made ends the operation: DbError, in one
// wording wherever the exchange works in a temporary folder.
void RequireTemporaryFolder(const QTemporaryDir &folder);
