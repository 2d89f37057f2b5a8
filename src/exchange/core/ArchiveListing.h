#pragma once
#include "Archiver.h"

#include <QByteArray>
#include <QList>

// Reads the archiver's verbose listing ("v"): per member a line
// "NNN) name" and a line with its sizes, then a total line after a rule.
// The members' sequence numbers must run 1, 2, 3 ... and their sizes must
// add up to the total, so that text inside an archive cannot pose as a
// member or hide one's real size.
namespace ArchiveListing {

// False when the output is not a complete listing.
bool parse(const QByteArray &output, QList<Archiver::Member> &members);

} // namespace ArchiveListing
