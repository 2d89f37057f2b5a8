#pragma once
// The data pages of the registration form: what the record says in each
// section, the ticked options, the cooperating units table and the approval
// date. Applied technology: TyyPrint03, 05, 07, 08, 09; basic theory and
// soft science: TrjPrint03, 05, 06, 07.

#include "PrintData.h"

#include <memory>

namespace DataPages {

std::unique_ptr<report::Report> makeYyPrint03(const PrintData &data);
std::unique_ptr<report::Report> makeYyPrint05(const PrintData &data);
std::unique_ptr<report::Report> makeYyPrint07(const PrintData &data);
std::unique_ptr<report::Report> makeYyPrint08(const PrintData &data);
std::unique_ptr<report::Report> makeYyPrint09(const PrintData &data);
void PrepareYyPrint03(report::Report &page, PrintData &data);
void PrepareYyPrint05(report::Report &page, PrintData &data);
void PrepareYyPrint07(report::Report &page, PrintData &data);
void PrepareYyPrint08(report::Report &page, PrintData &data);
void PrepareBrief(report::Report &page, PrintData &data);  // TyyPrint09, TrjPrint07

std::unique_ptr<report::Report> makeRjPrint03(const PrintData &data);
std::unique_ptr<report::Report> makeRjPrint05(const PrintData &data);
std::unique_ptr<report::Report> makeRjPrint06(const PrintData &data);
std::unique_ptr<report::Report> makeRjPrint07(const PrintData &data);
void PrepareRjPrint03(report::Report &page, PrintData &data);
void PrepareRjPrint05(report::Report &page, PrintData &data);
void PrepareRjPrint06(report::Report &page, PrintData &data);

// Key words "a;b;c" into three parts, each trimmed.
QStringList keyWords(const QString &stored);
// The approval date's year, month and day; empty for no date.
QStringList approvalDateParts(const QString &dateText);
// The patent slots: the first four patents of each status ("1" applied,
// "2" granted) in their serial order, as number and name pairs.
struct PatentSlot
{
    QString number;
    QString name;
};
QList<PatentSlot> patentSlots(DataSet &patents, const QString &status);

} // namespace DataPages
