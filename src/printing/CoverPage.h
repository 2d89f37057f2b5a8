#pragma once
// The cover of the registration form (Tyyfm1, Trjfm1): name, first
// completing unit, recommending unit, registration number, research period
// and registration date.

#include "PrintData.h"

#include <memory>

namespace CoverPage {

enum Set { Applied, Theory };

std::unique_ptr<report::Report> make(Set set);
// PrepareYyfm1 / PrepareRjfm1.
void prepare(report::Report &page, PrintData &data);

// The research period "2001.01   至2003.12" as start year, start month, end
// year and end month, by position: the first seven characters are the start,
// the last seven the end.
QStringList periodParts(const QString &period);
// The registration date's display text "2008-5-17" as year, month and day;
// a text without "-" is all day.
QStringList registrationDateParts(const QString &dateText);

} // namespace CoverPage
