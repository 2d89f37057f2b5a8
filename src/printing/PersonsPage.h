#pragma once
// The list of completing persons (TyyPrint10, TrjPrint08): one row per
// person and a blank row after them, as many pages as the rows need; the
// footer shows the fixed page label for a one-page list and the running
// counter ("10--1", "10--2", ...) for a longer one.

#include "PrintData.h"

#include <memory>

namespace PersonsPage {

enum Set { Applied, Theory };

std::unique_ptr<report::Report> make(Set set);
// PrepareYyPrint10 / PrepareRjPrint08.
void prepareApplied(report::Report &page, PrintData &data);
void prepareTheory(report::Report &page, PrintData &data);

// More persons than this print the running counter instead of the label.
int counterThreshold(Set set);

// The printed texts of the person codes; a code outside the lists prints
// nothing.
QString sexText(const QString &code);
QString titleText(const QString &code);
QString educationText(const QString &code);
QString returnedText(const QString &code);

// Lines of at most 26 width units (a Chinese character is two, as in the
// stored bytes), never splitting a character. The work unit gets one break;
// the contribution at most six lines, the sixth holding the rest.
QString breakWorkUnit(const QString &text);
QString breakContribution(const QString &text);

} // namespace PersonsPage
