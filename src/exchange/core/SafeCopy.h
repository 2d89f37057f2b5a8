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

// The same for a source that is the caller's own work file and may go:
// where source and target lie on one disk the file is made durable and
// renamed onto the target (the source's name is gone then), else copied as
// above. Either way the target is replaced only by the complete file.
void MoveFileReplacing(const QString &source, const QString &target);

// Puts a file into a work folder of our own, for a program that only reads
// it there: a second name of the same file where the disk allows, else a
// copy. Throws DbError as CopyFileReplacing does.
void PlaceInWorkFolder(const QString &source, const QString &target);

// A work folder that could not be made ends the operation: DbError, in one
// wording wherever the exchange works in a temporary folder.
void RequireTemporaryFolder(const QTemporaryDir &folder);
