#pragma once
#include <QString>
#include <QStringList>

// Unit codes of the unit table: the registering unit's own fixed code and
// the codes its second-level units are given.
namespace UnitCodes {

// The registering unit's row is never deleted: every export sends it and
// the leaders belong to it.
bool isRegisteringUnit(const QString &unitCode);

// A second-level unit's code keeps the parent's first seven characters and
// ends in a two-digit serial followed by "0" ("9990001" + "01" + "0"), so a
// parent holds at most 99 of them.
constexpr int MaxChildren = 99;

struct NextCode
{
    QString code;     // empty when refused
    QString refusal;  // the message shown instead
};

// The code of the next child of `parentCode`, one past the highest serial
// among `childCodes` (codes that do not carry the parent's prefix and a
// serial are passed over). Refused for a parent code shorter than seven
// characters and for the hundredth child.
NextCode nextChildCode(const QString &parentCode, const QStringList &childCodes);

} // namespace UnitCodes
