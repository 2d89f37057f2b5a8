#include "ReportPages.h"

#include "CommitteePage.h"
#include "CoverPage.h"
#include "DataPages.h"
#include "PersonsPage.h"
#include "StaticPages.h"
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
    using namespace DataPages;
    const auto instructions = [](const char *name) {
        return ReportPageKind{QLatin1String(name),
                              [name](const PrintData &) {
                                  return StaticPages::makeInstructions(QLatin1String(name));
                              },
                              StaticPages::prepareNothing};
    };
    const auto annex = [](const char *name) {
        return ReportPageKind{QLatin1String(name),
                              [name](const PrintData &data) {
                                  return StaticPages::makeAnnex(QLatin1String(name), data);
                              },
                              StaticPages::prepareNothing};
    };
    static const QList<ReportPageKind> list = {
        {QStringLiteral("Tyyfm1"), [](const PrintData &) { return CoverPage::make(CoverPage::Applied); },
         CoverPage::prepare},
        instructions("Tyyfm2"),
        instructions("TyyPrint01"),
        instructions("TyyPrint02"),
        {QStringLiteral("TyyPrint03"), makeYyPrint03, PrepareYyPrint03},
        instructions("TyyPrint04"),
        {QStringLiteral("TyyPrint05"), makeYyPrint05, PrepareYyPrint05},
        instructions("TyyPrint06"),
        {QStringLiteral("TyyPrint07"), makeYyPrint07, PrepareYyPrint07},
        {QStringLiteral("TyyPrint08"), makeYyPrint08, PrepareYyPrint08},
        {QStringLiteral("TyyPrint09"), makeYyPrint09, PrepareBrief},
        {QStringLiteral("TyyPrint10"), [](const PrintData &) { return PersonsPage::make(PersonsPage::Applied); },
         PersonsPage::prepareApplied},
        {QStringLiteral("TyyPrint11"),
         [](const PrintData &data) { return CommitteePage::make(CommitteePage::Applied, data); },
         CommitteePage::prepareApplied},
        annex("TyyPrint12"),
        annex("TyyPrint14"),
        {QStringLiteral("Trjfm1"), [](const PrintData &) { return CoverPage::make(CoverPage::Theory); },
         CoverPage::prepare},
        instructions("Trjfm2"),
        instructions("TrjPrint01"),
        instructions("TrjPrint02"),
        {QStringLiteral("TrjPrint03"), makeRjPrint03, PrepareRjPrint03},
        instructions("TrjPrint04"),
        {QStringLiteral("TrjPrint05"), makeRjPrint05, PrepareRjPrint05},
        {QStringLiteral("TrjPrint06"), makeRjPrint06, PrepareRjPrint06},
        {QStringLiteral("TrjPrint07"), makeRjPrint07, PrepareBrief},
        {QStringLiteral("TrjPrint08"), [](const PrintData &) { return PersonsPage::make(PersonsPage::Theory); },
         PersonsPage::prepareTheory},
        {QStringLiteral("TrjPrint09"),
         [](const PrintData &data) { return CommitteePage::make(CommitteePage::Theory, data); },
         CommitteePage::prepareTheory},
        annex("TrjPrint10"),
        annex("TrjPrint11"),
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
        m_pages.insert(className, std::shared_ptr<report::Report>(k->make(data)));
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
