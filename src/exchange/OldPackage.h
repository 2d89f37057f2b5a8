#pragma once
#include "engine/DbError.h"

#include <QString>
#include <functional>

class Archiver;

// Packages of the older naming "CGSBxxx.ARJ" (xxx: the sender's code of one
// to three characters) carry the record files under older names ("KJCGxxx.TXT",
// "CGDWxxx.TXT", ...). Such a package is repacked as "cgsbqy.arj" beside it,
// holding the five record files under their standard names, so that the
// import takes it.
namespace OldPackage {

// The package lacks one of the five record files.
class MissingMembers : public DbError
{
public:
    using DbError::DbError;
};

// Unpacks the package's record files, under older or standard names, in a
// folder of its own (other files are left in the package), names them by
// the standard names and packs them as "cgsbqy.arj" in the package's folder.
// An archive of that name already there is replaced only when
// confirmReplace(its path) says so. Returns the path of the new archive;
// empty when the user declined. Throws MissingMembers ("包内文件不正确，可
// 能有缺失!") or DbError in the archiver's words; on failure nothing in the
// package's folder has changed.
QString repack(Archiver &archiver, const QString &packagePath, const QString &code,
               const std::function<bool(const QString &existing)> &confirmReplace);

} // namespace OldPackage
