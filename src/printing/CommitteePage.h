#pragma once
// The list of the evaluation committee (TyyPrint11, TrjPrint09): the members
// in their order and blank rows up to a full last page (13, 34, 55, ... rows
// for applied technology; 15, 37, 59, ... for the others). A list of more
// than one page prints the running counter, a single page the fixed label.

#include "PrintData.h"

#include <memory>

namespace CommitteePage {

enum Set { Applied, Theory };

std::unique_ptr<report::Report> make(Set set, const PrintData &data);
void prepareApplied(report::Report &page, PrintData &data);
void prepareTheory(report::Report &page, PrintData &data);

// Rows printed for n members.
int rowCount(Set set, int members);
// The printed title of a member's title code; other codes print nothing.
QString titleText(const QString &code);

} // namespace CommitteePage
