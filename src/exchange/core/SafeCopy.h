#pragma once
#include <QString>

// Copies source to target through a temporary file beside the target that
// replaces it only when complete: a failed copy leaves the old target as it
// was. Throws DbError naming the file.
void CopyFileReplacing(const QString &source, const QString &target);
