#include "PrintBench.h"

#include "Measure.h"
#include "printing/PersonsPage.h"
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

} // namespace

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
