#include "PrintBench.h"

#include "Measure.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "printing/CodeLookup.h"
#include "printing/CommitteePage.h"
#include "printing/PersonsPage.h"
#include "printing/ReportPages.h"
#include "report/ReportOutput.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace PrintBench {

namespace {

// The texts of one person row, as the list prints them.
QHash<QString, QString> personRow(int i)
{
    return {{QStringLiteral("ITEM_187"), QString::number(i)},
            {QStringLiteral("ITEM_180"), QStringLiteral("人员%1").arg(i)},
            {QStringLiteral("ITEM_181"), i % 2 ? QStringLiteral("男") : QStringLiteral("女")},
            {QStringLiteral("ITEM_182"), QStringLiteral("1970.01")},
            {QStringLiteral("ITEM_183"), QStringLiteral("正高")},
            {QStringLiteral("ITEM_184"), QStringLiteral("硕士研究生")},
            {QStringLiteral("ITEM_188"), QStringLiteral("否")},
            {QStringLiteral("ITEM_185"), QStringLiteral("中国科学院某某研究所第%1研究室").arg(i)},
            {QStringLiteral("ITEM_186"),
             QStringLiteral("负责总体方案设计与关键技术攻关，完成样机研制及试验验证工作。")}};
}

const QStringList Columns = {QStringLiteral("ITEM_187"), QStringLiteral("ITEM_180"),
                             QStringLiteral("ITEM_181"), QStringLiteral("ITEM_182"),
                             QStringLiteral("ITEM_183"), QStringLiteral("ITEM_184"),
                             QStringLiteral("ITEM_188"), QStringLiteral("ITEM_185"),
                             QStringLiteral("ITEM_186")};

QString referenceHtml()
{
    QString html = QStringLiteral("<h2 align=center>成果完成人员名单</h2>"
                                  "<table border=1 cellspacing=0 cellpadding=3 width=100%><tr>");
    for (const QString &title : {"序号", "姓名", "性别", "出生年月", "技术职称", "文化程度",
                                 "是否留学归国", "工作单位", "对成果创造性贡献"})
        html += QStringLiteral("<th>") + title + QStringLiteral("</th>");
    html += QStringLiteral("</tr>");
    for (int i = 1; i <= kPersons; ++i) {
        const QHash<QString, QString> row = personRow(i);
        html += QStringLiteral("<tr>");
        for (const QString &c : Columns)
            html += QStringLiteral("<td>") + row.value(c).toHtmlEscaped() + QStringLiteral("</td>");
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table><p>填写说明：</p>");
}

QHash<QString, QString> memberRow(int i)
{
    return {{QStringLiteral("ITEM_192"), QStringLiteral("委员%1").arg(i)},
            {QStringLiteral("ITEM_193"), QStringLiteral("男")},
            {QStringLiteral("ITEM_198"), QStringLiteral("正高")},
            {QStringLiteral("ITEM_191"), QStringLiteral("委员")},
            {QStringLiteral("ITEM_195"), QStringLiteral("某某大学能源与动力工程学院")},
            {QStringLiteral("ITEM_196"), QStringLiteral("热能工程")},
            {QStringLiteral("ITEM_197"), QStringLiteral("传热学")}};
}

// Every page of the applied set laid out from the folder's first applied
// record, the two lists with their full rows.
QList<report::Document> layOutWholeForm(Database &db, ReportPages &pages, PrintData &data)
{
    QList<report::Document> docs;
    for (const ReportPageKind &kind : ReportPages::kinds()) {
        if (!kind.className.startsWith(QLatin1String("Tyy")))
            continue;
        report::Report &page = pages.prepare(kind.className, data);
        if (kind.className == QLatin1String("TyyPrint10")) {
            data.personRows->clear();
            for (int i = 1; i <= kPersons; ++i)
                data.personRows->appendRow(personRow(i));
            data.personRows->appendRow({});
        } else if (kind.className == QLatin1String("TyyPrint11")) {
            data.committeeRows->clear();
            for (int i = 1; i <= kMembers; ++i)
                data.committeeRows->appendRow(memberRow(i));
            for (int i = kMembers; i < CommitteePage::rowCount(CommitteePage::Applied, kMembers); ++i)
                data.committeeRows->appendRow({});
        }
        docs << report::paginate(page);
    }
    Q_UNUSED(db);
    return docs;
}

struct WholeFormSource
{
    explicit WholeFormSource(const QString &folder)
        : db(folder), record(&db), none(&db), patents(&db), codes(&db),
          committee({QStringLiteral("ITEM_192"), QStringLiteral("ITEM_193"), QStringLiteral("ITEM_198"),
                     QStringLiteral("ITEM_191"), QStringLiteral("ITEM_195"), QStringLiteral("ITEM_196"),
                     QStringLiteral("ITEM_197")}),
          persons(Columns), units({QStringLiteral("ITEM_176"), QStringLiteral("ITEM_170"),
                                   QStringLiteral("ITEM_171"), QStringLiteral("ITEM_172"),
                                   QStringLiteral("ITEM_173")})
    {
        record.setSql(QStringLiteral("select * from kjcg where item_cglb = '1' limit 1"));
        record.open();
        none.setSql(QStringLiteral("select * from cgwcdw where item_4 = 'none'"));
        none.open();
        patents.setSql(QStringLiteral("select * from zlqk where item_4 = :k"));
        patents.setParam(QStringLiteral("k"), record.asString(QStringLiteral("ITEM_4")));
        patents.open();
        data.record = &record;
        data.units = &none;
        data.persons = &none;
        data.committee = &none;
        data.patents = &patents;
        data.codes = &codes;
        data.committeeRows = &committee;
        data.personRows = &persons;
        data.unitRows = &units;
    }
    Database db;
    Query record;
    Query none;
    Query patents;
    DatabaseCodes codes;
    report::DataTable committee;
    report::DataTable persons;
    report::DataTable units;
    PrintData data;
};

} // namespace

EngineBench::Figure wholeForm(const QString &folder, const QString &scratchRoot)
{
    WholeFormSource source(folder);
    const QString pdf = QDir(scratchRoot).filePath(QStringLiteral("whole.pdf"));
    EngineBench::Figure figure;
    figure.operation = QStringLiteral("printall");
    figure.seconds = Measure::median([&] {
        ReportPages pages;
        const QList<report::Document> docs = layOutWholeForm(source.db, pages, source.data);
        QList<const report::Document *> all;
        figure.count = 0;
        for (const report::Document &d : docs) {
            all << &d;
            figure.count += d.pageCount();
        }
        report::writePdf(all, pdf);
    }, {}, Measure::kQuickRepetitions);
    return figure;
}

EngineBench::Figure wholeFormReference(const QString &folder, const QString &scratchRoot)
{
    WholeFormSource source(folder);
    ReportPages pages;
    QString html;
    for (const report::Document &d : layOutWholeForm(source.db, pages, source.data)) {
        for (const report::Page &p : d.pages) {
            html += QStringLiteral("<p style=\"page-break-before: always\">");
            for (const QString &t : p.texts())
                html += t.toHtmlEscaped() + QStringLiteral(" ");
            html += QStringLiteral("</p>");
        }
    }
    const QString pdf = QDir(scratchRoot).filePath(QStringLiteral("whole-reference.pdf"));
    EngineBench::Figure figure;
    figure.operation = QStringLiteral("printallref");
    figure.seconds = Measure::median([&] {
        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("宋体"), 9));
        document.setHtml(html);
        QPdfWriter writer(pdf);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
        document.print(&writer);
    }, {}, Measure::kQuickRepetitions);
    return figure;
}

EngineBench::Figure personsList(const QString &, const QString &scratchRoot)
{
    const QString pdf = QDir(scratchRoot).filePath(QStringLiteral("persons.pdf"));
    EngineBench::Figure figure;
    figure.operation = QStringLiteral("print");
    figure.seconds = Measure::median([&] {
        std::unique_ptr<report::Report> page = PersonsPage::make(PersonsPage::Applied);
        report::DataTable rows(Columns);
        for (int i = 1; i <= kPersons; ++i)
            rows.appendRow(personRow(i));
        rows.appendRow({});
        page->setDetailData(&rows);
        page->setText(QStringLiteral("QRSysData1"), QStringLiteral("10--"));
        const report::Document doc = report::paginate(*page);
        report::writePdf(doc, pdf);
        figure.count = doc.pageCount();
    }, {}, Measure::kQuickRepetitions);
    return figure;
}

EngineBench::Figure personsReference(const QString &, const QString &scratchRoot)
{
    const QString pdf = QDir(scratchRoot).filePath(QStringLiteral("reference.pdf"));
    EngineBench::Figure figure;
    figure.operation = QStringLiteral("printref");
    figure.seconds = Measure::median([&] {
        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("宋体"), 9));
        document.setHtml(referenceHtml());
        QPdfWriter writer(pdf);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
        document.print(&writer);
        figure.count = document.pageCount();
    }, {}, Measure::kQuickRepetitions);
    return figure;
}

} // namespace PrintBench
