#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Rules of the section pages 2 and 3 and of the patents list that need no
// window.

// The funds of a project in 万元 (page 3).
namespace Funding {

// The sum of the amounts typed, an empty or unreadable text counting as 0,
// in the program's number form (15 significant digits: 0.1 + 0.2 is "0.3"),
// the form the exchange files give it too.
QString sumText(const QStringList &amounts);
// A sum is stored in at most seven characters (9999999).
bool sumTooLong(const QString &sumText);

} // namespace Funding

// What page 2 derives from the patents of a record.
namespace PatentSummary {

struct Patent
{
    QString status;  // PATENT_ST: "1" application accepted, "2" granted
    QString type;    // PATENT_TY: "1", "2" or "3"
};

struct Summary
{
    int applications = 0;  // status "1"
    int grants = 0;        // status "2"
    QString status;        // "3" with a grant, else "2" with an application, else "1"
    QString types;         // "1;", "2;", "3;" for the types present, in that order
};

Summary of(const QList<Patent> &patents);

} // namespace PatentSummary

// The application status of page 2 (dictionary group item_32): the rules
// rely only on these parts of the texts.
namespace ApplicationStatus {

// "稳定…": no reason for not applying can be given.
bool isStable(const QString &statusText);
// "…未应用…": no economic effect can be given.
bool isNotApplied(const QString &statusText);
// A status other than "稳定应用" must name its reason.
bool needsReason(const QString &statusText);
// The stable status's code "1…": the reasons are stored empty.
bool storesNoReason(const QString &statusText);

} // namespace ApplicationStatus
