#pragma once
// The report pages of the registration form: each made the first time it is
// needed and kept for the life of the program, filled by its preparer before
// every preview or print.

#include "PrintData.h"
#include "report/Report.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>

struct ReportPageKind
{
    QString className;  // "Tyyfm1", "TyyPrint10", ...
    // Option captions come from the dictionary the data gives.
    std::function<std::unique_ptr<report::Report>(const PrintData &)> make;
    std::function<void(report::Report &, PrintData &)> prepare;
};

class ReportPages
{
public:
    // Every page class of both sets that exists.
    static const QList<ReportPageKind> &kinds();
    static const ReportPageKind *kind(const QString &className);

    // The page, made when its count is below 1, then prepared. Throws
    // std::logic_error for a class that does not exist.
    report::Report &prepare(const QString &className, PrintData &data);
    // How often the page was made (0 or 1).
    int creationCount(const QString &className) const { return m_counts.value(className); }
    report::Report *existing(const QString &className) const;

private:
    QHash<QString, std::shared_ptr<report::Report>> m_pages;
    QHash<QString, int> m_counts;
};
