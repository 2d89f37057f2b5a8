#pragma once
// The pages without data: cover notes and instructions (their wording kept
// as resources, first line the heading) and the annexes, whose lists come
// from the code tables the program ships, so they match the pick lists.

#include "PrintData.h"

#include <memory>

namespace StaticPages {

// A page of instructions: Tyyfm2, TyyPrint01, 02, 04, 06; Trjfm2, TrjPrint01, 02, 04.
std::unique_ptr<report::Report> makeInstructions(const QString &className);
// Annex 3 of each set and annex 4 (the industries), split over two pages
// for applied technology: TyyPrint12, TyyPrint14, TrjPrint10, TrjPrint11.
std::unique_ptr<report::Report> makeAnnex(const QString &className, const PrintData &data);
// Static pages only need to exist.
void prepareNothing(report::Report &page, PrintData &data);

} // namespace StaticPages
