#include "ReportPages.h"

#include "CoverPage.h"
#include "PersonsPage.h"
#include "engine/DataSet.h"

#include <stdexcept>

QString PrintData::field(const QString &name) const
{
    if (!record || !record->isOpen() || record->isEmpty())
        return {};
    return record->asString(name);
}

const QList<ReportPageKind> &ReportPages::kinds()
{
    static const QList<ReportPageKind> list = {
        {QStringLiteral("Tyyfm1"), [] { return CoverPage::make(CoverPage::Applied); },
         CoverPage::prepare},
        {QStringLiteral("Trjfm1"), [] { return CoverPage::make(CoverPage::Theory); },
         CoverPage::prepare},
        {QStringLiteral("TyyPrint10"), [] { return PersonsPage::make(PersonsPage::Applied); },
         PersonsPage::prepareApplied},
        {QStringLiteral("TrjPrint08"), [] { return PersonsPage::make(PersonsPage::Theory); },
         PersonsPage::prepareTheory},
    };
    return list;
}

const ReportPageKind *ReportPages::kind(const QString &className)
{
    for (const ReportPageKind &k : kinds()) {
        if (k.className == className)
            return &k;
    }
    return nullptr;
}

report::Report &ReportPages::prepare(const QString &className, PrintData &data)
{
    const ReportPageKind *k = kind(className);
    if (!k)
        throw std::logic_error("no report page " + className.toStdString());
    if (m_counts.value(className) < 1) {
        m_pages.insert(className, std::shared_ptr<report::Report>(k->make()));
        m_counts.insert(className, 1);
    }
    report::Report &page = *m_pages.value(className);
    k->prepare(page, data);
    return page;
}

report::Report *ReportPages::existing(const QString &className) const
{
    return m_pages.value(className).get();
}
