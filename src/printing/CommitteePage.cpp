#include "CommitteePage.h"

#include "FormSheet.h"
#include "PageLayout.h"
#include "PersonsPage.h"
#include "engine/DataSet.h"

using namespace PageLayout;
using report::BandKind;

namespace CommitteePage {

namespace {

struct Column
{
    const char *field;
    const char *title;
    double width;
};

const Column Columns[] = {{"ITEM_192", "姓名", 18},       {"ITEM_193", "性别", 10},
                          {"ITEM_198", "技术职称", 16},   {"ITEM_191", "评价委员会职务", 20},
                          {"ITEM_195", "工作单位", 56},   {"ITEM_196", "所学专业", 30},
                          {"ITEM_197", "现从事专业", 30}};

// Row heights and the first page's top block are chosen so that the first
// page holds 13 (15) rows and every further page 21 (22), each with room for
// the notes after the last row.
double rowHeight(Set set)
{
    return set == Applied ? 11.5 : 11;
}

double topBlock(Set set)
{
    return set == Applied ? 90 : 76;
}

void addTitle(report::Report &page, Set set, const PrintData &data)
{
    FormSheet sheet(page, data.codes);
    sheet.heading(QStringLiteral("评价委员会名单"), 18);
    sheet.skip(4);
    sheet.fieldRow(QStringLiteral("成果名称"), QStringLiteral("ITEM_3"), 10);
    sheet.cellsRow({{QStringLiteral("评价单位"), QStringLiteral("ITEM_130")},
                    {QStringLiteral("评价日期"), QStringLiteral("ITEM_34")}}, 9);
    sheet.skip(4);
    sheet.textBlock(QStringLiteral(
        "填写说明：\n"
        "1．本名单由组织评价的单位填写，按评价委员会职务（主任、副主任、委员）顺序排列。\n"
        "2．“技术职称”填写院士、正高、副高、中级、初级或其他。\n"
        "3．“所学专业”与“现从事专业”填写实际情况。"), 30, 9.5);
    page.band(BandKind::Title).heightMm = topBlock(set);
}

void addColumns(report::Report &page, Set set)
{
    const double h = rowHeight(set);
    page.band(BandKind::ColumnHeader).heightMm = 12;
    page.band(BandKind::Detail).heightMm = h;
    double x = 0;
    for (const Column &c : Columns) {
        TextStyle s = centred(9.5);
        s.wrap = true;
        s.shrink = true;
        page.add(BandKind::ColumnHeader,
                 label(QString(), QRectF(x, 0, c.width, 12), QString::fromUtf8(c.title), s));
        page.add(BandKind::ColumnHeader, box(QString(), QRectF(x, 0, c.width, 12), 0.3));
        page.add(BandKind::Detail, field(QStringLiteral("QRDBText_") + QLatin1String(c.field).mid(5),
                                         QLatin1String(c.field),
                                         QRectF(x + 0.6, 0.3, c.width - 1.2, h - 0.6), s));
        page.add(BandKind::Detail, box(QString(), QRectF(x, 0, c.width, h), 0.3));
        x += c.width;
    }
}

void addEnd(report::Report &page)
{
    page.band(BandKind::Summary).heightMm = 8;
    page.add(BandKind::Summary, label(QString(), QRectF(0, 1, 180, 6),
                                      QStringLiteral("注：评价委员会成员不得少于规定人数。"),
                                      style(9)));
    page.band(BandKind::PageFooter).heightMm = 8;
    page.add(BandKind::PageFooter,
             label(QStringLiteral("QRpage"), QRectF(70, 1, 40, 6), QString(), centred(10)));
    page.add(BandKind::PageFooter,
             counter(QStringLiteral("QRSysData1"), QRectF(70, 1, 40, 6), QString(), centred(10)));
}

void fillRows(PrintData &data, Set set)
{
    report::DataTable &rows = *data.committeeRows;
    rows.clear();
    DataSet &members = *data.committee;
    const int n = members.isOpen() ? members.recordCount() : 0;
    if (n > 0) {
        for (members.first(); !members.eof(); members.next()) {
            QHash<QString, QString> row;
            for (const char *f : {"ITEM_4", "ITEM_DQDM", "ITEM_190", "ITEM_191", "ITEM_192",
                                  "ITEM_194", "ITEM_195", "ITEM_196", "ITEM_197"})
                row.insert(QLatin1String(f), members.asString(QLatin1String(f)).trimmed());
            row.insert(QStringLiteral("ITEM_199"), members.asString(QStringLiteral("ITEM_199")));
            row.insert(QStringLiteral("ITEM_193"), PersonsPage::sexText(members.asString(QStringLiteral("ITEM_193"))));
            row.insert(QStringLiteral("ITEM_198"), titleText(members.asString(QStringLiteral("ITEM_198"))));
            rows.appendRow(row);
        }
        members.first();
    }
    for (int i = n; i < rowCount(set, n); ++i)
        rows.appendRow({});
}

void prepare(report::Report &page, PrintData &data, Set set)
{
    page.setRecord([&data](const QString &f) { return data.field(f); });
    fillRows(data, set);
    page.setDetailData(data.committeeRows);
    // The counter is printed when the list really runs over more than one
    // page.
    page.setVisible(QStringLiteral("QRSysData1"), true);
    const bool counter = report::paginate(page).pageCount() > 1;
    page.setVisible(QStringLiteral("QRSysData1"), counter);
    page.setVisible(QStringLiteral("QRpage"), !counter);
}

} // namespace

std::unique_ptr<report::Report> make(Set set, const PrintData &data)
{
    auto page = std::make_unique<report::Report>(set == Applied ? QStringLiteral("TyyPrint11")
                                                                : QStringLiteral("TrjPrint09"));
    addTitle(*page, set, data);
    addColumns(*page, set);
    addEnd(*page);
    return page;
}

void prepareApplied(report::Report &page, PrintData &data)
{
    prepare(page, data, Applied);
}

void prepareTheory(report::Report &page, PrintData &data)
{
    prepare(page, data, Theory);
}

int rowCount(Set set, int n)
{
    if (set == Applied)
        return ((n + 7) / 21 + 1) * 21 - 8;
    return ((n + 6) / 22 + 1) * 22 - 7;
}

QString titleText(const QString &code)
{
    static const QHash<QString, QString> titles = {
        {QStringLiteral("1"), QStringLiteral("院士")}, {QStringLiteral("2"), QStringLiteral("正高")},
        {QStringLiteral("3"), QStringLiteral("副高")}, {QStringLiteral("4"), QStringLiteral("中级")},
        {QStringLiteral("5"), QStringLiteral("初级")}, {QStringLiteral("9"), QStringLiteral("其他")}};
    return titles.value(code);
}

} // namespace CommitteePage
