#include "DataPages.h"

#include "FormSheet.h"
#include "LabelHelpers.h"
#include "PageLayout.h"
#include "engine/DataSet.h"
#include "engine/ValueText.h"

#include <algorithm>

using namespace PageLayout;
using report::BandKind;

namespace DataPages {

namespace {

const QStringList KeyWordLabels = {QStringLiteral("item_14_1"), QStringLiteral("item_14_2"),
                                   QStringLiteral("item_14_3")};
const QStringList IndustryCodes = {
    QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("04"),
    QStringLiteral("05"), QStringLiteral("07"), QStringLiteral("08"), QStringLiteral("09"),
    QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("21"), QStringLiteral("22"),
    QStringLiteral("23"), QStringLiteral("24"), QStringLiteral("25"), QStringLiteral("26"),
    QStringLiteral("27"), QStringLiteral("28"), QStringLiteral("29"), QStringLiteral("30")};
const QStringList SourceCodes = {QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("05"),
                                 QStringLiteral("06"), QStringLiteral("07"), QStringLiteral("08"),
                                 QStringLiteral("09"), QStringLiteral("10"), QStringLiteral("19")};
const QStringList PlanCodes = {QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("6"),
                               QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9")};

QStringList codes(const char *list)
{
    return QString::fromLatin1(list).split(u' ');
}

std::unique_ptr<report::Report> newPage(const char *name)
{
    return std::make_unique<report::Report>(QLatin1String(name));
}

void bindRecord(report::Report &page, PrintData &data)
{
    page.setRecord([&data](const QString &f) { return data.field(f); });
}

void markAll(report::Report &page, PrintData &data, const QStringList &fields)
{
    for (const QString &f : fields)
        MarkChoices(page, f, data.field(f));
}

void fillKeyWords(report::Report &page, PrintData &data)
{
    const QStringList words = keyWords(data.field(QStringLiteral("item_14")));
    for (int i = 0; i < KeyWordLabels.size(); ++i)
        page.setText(KeyWordLabels[i], words[i]);
}

void addFunding(FormSheet &sheet)
{
    sheet.cellsRow({{QStringLiteral("国家投入"), QStringLiteral("ITEM_141")},
                    {QStringLiteral("部门投入"), QStringLiteral("ITEM_148")},
                    {QStringLiteral("基金投入"), QStringLiteral("ITEM_143")},
                    {QStringLiteral("自有资金"), QStringLiteral("ITEM_144")}});
    sheet.cellsRow({{QStringLiteral("省级投入"), QStringLiteral("ITEM_142_1")},
                    {QStringLiteral("地级投入"), QStringLiteral("ITEM_142_2")},
                    {QStringLiteral("县级投入"), QStringLiteral("ITEM_142_3")},
                    {QStringLiteral("地方投入"), QStringLiteral("ITEM_142")}});
    sheet.cellsRow({{QStringLiteral("银行贷款"), QStringLiteral("ITEM_243")},
                    {QStringLiteral("国外资金"), QStringLiteral("ITEM_244")},
                    {QStringLiteral("其他"), QStringLiteral("ITEM_145")},
                    {QStringLiteral("总计（万元）"), QStringLiteral("ITEM_149")}});
}

void addKeyWordsRow(FormSheet &sheet)
{
    sheet.cellsRow({{QStringLiteral("关键词"), QStringLiteral("label:item_14_1")},
                    {QString(), QStringLiteral("label:item_14_2")},
                    {QString(), QStringLiteral("label:item_14_3")}});
}

// The first completing unit's block of the units page, each value under
// the caption the unit page gives its field. The applied set binds the
// record's fields; the other set prints labels its preparer fills.
void addFirstUnit(FormSheet &sheet, bool applied)
{
    const auto value = [applied](const char *field) {
        return applied ? QLatin1String("ITEM_") + QLatin1String(field)
                       : QLatin1String("label:QR_item_") + QLatin1String(field);
    };
    sheet.fieldRow(QStringLiteral("单位名称"), value("9"));
    sheet.cellsRow({{QStringLiteral("单位法人代码"), value("420")},
                    {QStringLiteral("邮政编码"), value("38")}});
    sheet.fieldRow(QStringLiteral("通讯地址"), value("37"));
    sheet.cellsRow({{QStringLiteral("电话（含区号）"), value("39")},
                    {QStringLiteral("传真（含区号）"), value("40")}});
    sheet.cellsRow({{QStringLiteral("联系人"), value("41")},
                    {QStringLiteral("联系人电话"), value("41_2")}});
    sheet.cellsRow({{QStringLiteral("电子信箱"), value("61")},
                    {QStringLiteral("单位网址"), value("60")}});
    sheet.cellsRow({{QStringLiteral("单位所在省市"),
                     applied ? QStringLiteral("label:QRLabel_64") : QStringLiteral("label:QR_item_64")},
                    {QStringLiteral("隶属关系"),
                     applied ? QStringLiteral("label:QRLabel_63") : QStringLiteral("label:QR_item_63")}});
    const QString prefixLabel = applied ? QStringLiteral("QL_") : QStringLiteral("QR_");
    sheet.choiceRow(QStringLiteral("单位属性"), QStringLiteral("ITEM_62"), codes("1 2 4 9"), 4,
                    prefixLabel);
    sheet.choiceRow(QStringLiteral("企业所有制属性"), QStringLiteral("ITEM_41_3"), twoDigitCodes(1, 11), 4,
                    prefixLabel);
    // The mark is stored as "1" or "0": both have their box.
    sheet.choiceRow(QStringLiteral("其中，科研机构转制型企业"), QStringLiteral("ITEM_163"), codes("1 0"), 4,
                    prefixLabel);
    sheet.cellsRow({{QStringLiteral("其他完成单位"), QString()}}, 7);
}

// The cooperating units table: serial, name, address, postal code, contact.
void addUnitsTable(report::Report &page, double rowHeight)
{
    struct Column
    {
        const char *field;
        const char *title;
        double width;
    };
    const Column columns[] = {{"ITEM_176", "序号", 12},
                              {"ITEM_170", "单位名称", 62},
                              {"ITEM_171", "通信地址", 62},
                              {"ITEM_172", "邮政编码", 20},
                              {"ITEM_173", "联系人", 24}};
    page.band(BandKind::ColumnHeader).heightMm = 8;
    page.band(BandKind::Detail).heightMm = rowHeight;
    double x = 0;
    for (const Column &c : columns) {
        page.add(BandKind::ColumnHeader,
                 label(QString(), QRectF(x, 0, c.width, 8), QString::fromUtf8(c.title), centred(9.5)));
        page.add(BandKind::ColumnHeader, box(QString(), QRectF(x, 0, c.width, 8), 0.3));
        TextStyle s = centred(9);
        s.shrink = true;
        s.wrap = true;
        page.add(BandKind::Detail, field(QStringLiteral("QRDBText_") + QLatin1String(c.field).mid(5),
                                         QLatin1String(c.field),
                                         QRectF(x + 0.5, 0.2, c.width - 1, rowHeight - 0.4), s));
        page.add(BandKind::Detail, box(QString(), QRectF(x, 0, c.width, rowHeight), 0.3));
        x += c.width;
    }
}

// Exactly `rows` rows: the units in their order, then blank ones.
void fillUnits(PrintData &data, int rows)
{
    report::DataTable &table = *data.unitRows;
    table.clear();
    DataSet &units = *data.units;
    if (units.isOpen())
        units.first();
    for (int i = 0; i < rows; ++i) {
        if (units.isOpen() && !units.eof()) {
            QHash<QString, QString> row;
            for (const char *f : {"ITEM_176", "ITEM_170", "ITEM_171", "ITEM_172", "ITEM_173"})
                row.insert(QLatin1String(f), units.asString(QLatin1String(f)).trimmed());
            table.appendRow(row);
            units.next();
        } else {
            table.appendRow({});
        }
    }
}

void setLookups(report::Report &page, PrintData &data, const QString &provinceLabel,
                const QString &affiliationLabel)
{
    page.setText(provinceLabel,
                 LookupFieldText(*data.codes, QStringLiteral("province"), QStringLiteral("Province_i"),
                                 QStringLiteral("Province_n"), data.field(QStringLiteral("ITEM_64"))));
    page.setText(affiliationLabel,
                 LookupFieldText(*data.codes, QStringLiteral("lsbw"), QStringLiteral("Bwdm"),
                                 QStringLiteral("Bwmc"), data.field(QStringLiteral("ITEM_63"))));
}

void addApproval(FormSheet &sheet, report::Report &page, const QString &dayLabel, bool applied)
{
    sheet.heading(QStringLiteral("批准登记单位意见"), 14);
    const double top = sheet.y();
    page.add(BandKind::Title, box(QString(), QRectF(0, top, FormSheet::Width, 60), 0.3));
    if (applied)
        page.add(BandKind::Title, label(QString(), QRectF(10, top + 12, 80, 10),
                                        QStringLiteral("同意登记"), style(14)));
    page.add(BandKind::Title, label(QString(), QRectF(100, top + 36, 60, 8),
                                    QStringLiteral("（批准登记单位盖章）"), style(10.5)));
    const double dateY = top + 48;
    const QList<QPair<QString, QString>> parts = {{QStringLiteral("QRLabel_year"), QStringLiteral("年")},
                                                  {QStringLiteral("QRLabel_M"), QStringLiteral("月")},
                                                  {dayLabel, QStringLiteral("日")}};
    double x = 110;
    for (const auto &[name, unit] : parts) {
        page.add(BandKind::Title, label(name, QRectF(x, dateY, 14, 8), QString(), centred(10.5)));
        page.add(BandKind::Title, label(QString(), QRectF(x + 14, dateY, 6, 8), unit, centred(10.5)));
        x += 21;
    }
    sheet.skip(62);
}

void setApprovalDate(report::Report &page, PrintData &data, const QString &dayLabel)
{
    const QStringList parts = approvalDateParts(data.field(QStringLiteral("item_121")));
    page.setText(QStringLiteral("QRLabel_year"), parts[0]);
    page.setText(QStringLiteral("QRLabel_M"), parts[1]);
    page.setText(dayLabel, parts[2]);
}

} // namespace

QStringList keyWords(const QString &stored)
{
    QString text = stored.trimmed();
    QString a, b, c;
    SplitBySemicolon(text, a, b, c);
    return {a.trimmed(), b.trimmed(), c.trimmed()};
}

QStringList approvalDateParts(const QString &dateText)
{
    const QDate date = ValueText::parseDate(dateText.trimmed());
    if (!date.isValid())
        return {QString(), QString(), QString()};
    const QString text = date.toString(QStringLiteral("yyyyMMdd"));
    return {text.mid(0, 4), text.mid(4, 2), text.mid(6, 2)};
}

QList<PatentSlot> patentSlots(DataSet &patents, const QString &status)
{
    QList<QPair<double, PatentSlot>> found;
    if (patents.isOpen()) {
        for (patents.first(); !patents.eof(); patents.next()) {
            if (patents.asString(QStringLiteral("PATENT_ST")) == status)
                found.append({patents.asNumber(QStringLiteral("ITEM_NO")),
                              {patents.asString(QStringLiteral("PATENT_NO")).trimmed(),
                               patents.asString(QStringLiteral("PATENT_NAM")).trimmed()}});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<PatentSlot> chosen;
    for (int i = 0; i < 4; ++i)
        chosen << (i < found.size() ? found[i].second : PatentSlot{});
    return chosen;
}

// ---- applied technology ----

// The brief of the achievement: one memo over the page (TyyPrint09, TrjPrint07).
std::unique_ptr<report::Report> makeBrief(const char *name, const PrintData &data);

std::unique_ptr<report::Report> makeYyPrint03(const PrintData &data)
{
    auto page = newPage("TyyPrint03");
    FormSheet sheet(*page, data.codes);
    sheet.sectionTitle(QStringLiteral("一、成果概况"));
    sheet.fieldRow(QStringLiteral("成果名称"), QStringLiteral("ITEM_3"), 10);
    sheet.cellsRow({{QStringLiteral("学科分类号"), QStringLiteral("ITEM_15")},
                    {QString(), QStringLiteral("ITEM_15_1")}});
    sheet.cellsRow({{QStringLiteral("中图分类号"), QStringLiteral("ITEM_12")},
                    {QString(), QStringLiteral("ITEM_12_1")}});
    addKeyWordsRow(sheet);
    sheet.choiceRow(QStringLiteral("成果水平"), QStringLiteral("ITEM_2"), codes("1 2 3 4 5"), 5);
    sheet.choiceRow(QStringLiteral("成果所处阶段"), QStringLiteral("ITEM_16"), codes("1 2 3"), 3);
    sheet.choiceRow(QStringLiteral("转让范围"), QStringLiteral("ITEM_33"), codes("1 2 3"), 3);
    sheet.choiceRow(QStringLiteral("成果体现形式"), QStringLiteral("ITEM_123"),
                    codes("1 2 3 4 5 6 7 9 A B C D E"), 5);
    sheet.choiceRow(QStringLiteral("所属高新技术领域"), QStringLiteral("ITEM_124_1"), twoDigitCodes(1, 11), 4);
    sheet.choiceRow(QStringLiteral("成果应用行业"), QStringLiteral("ITEM_125"), IndustryCodes, 4);
    sheet.choiceRow(QStringLiteral("成果属性"), QStringLiteral("ITEM_125_1"), codes("1 2 3"), 3);
    sheet.choiceRow(QStringLiteral("研究形式"), QStringLiteral("ITEM_201"), codes("1 2 3 4 9"), 5);
    sheet.sectionTitle(QStringLiteral("二、立项情况"));
    sheet.cellsRow({{QStringLiteral("课题立项编号"), QStringLiteral("ITEM_127")},
                    {QStringLiteral("课题立项名称"), QStringLiteral("ITEM_127_1")}});
    sheet.choiceRow(QStringLiteral("课题来源"), QStringLiteral("ITEM_126"), SourceCodes, 3);
    sheet.choiceRow(QStringLiteral("国家计划"), QStringLiteral("ITEM_140"), PlanCodes, 3);
    addFunding(sheet);
    sheet.finish();
    return page;
}

void PrepareYyPrint03(report::Report &page, PrintData &data)
{
    bindRecord(page, data);
    fillKeyWords(page, data);
    ClearItemLabels(page);
    markAll(page, data,
            {QStringLiteral("ITEM_2"), QStringLiteral("ITEM_16"), QStringLiteral("ITEM_33"),
             QStringLiteral("ITEM_123"), QStringLiteral("ITEM_124_1"), QStringLiteral("ITEM_125"),
             QStringLiteral("ITEM_126"), QStringLiteral("ITEM_140"), QStringLiteral("ITEM_201"),
             QStringLiteral("ITEM_125_1")});
}

std::unique_ptr<report::Report> makeYyPrint05(const PrintData &data)
{
    auto page = newPage("TyyPrint05");
    FormSheet sheet(*page, data.codes);
    sheet.sectionTitle(QStringLiteral("三、评价情况"));
    // "其他" is stored as 9, the code the entry page offers.
    sheet.choiceRow(QStringLiteral("评价方式"), QStringLiteral("ITEM_21"), codes("1 2 3 5 9"), 5);
    sheet.cellsRow({{QStringLiteral("评价单位"), QStringLiteral("ITEM_130")},
                    {QStringLiteral("评价日期"), QStringLiteral("label:QR_ITEM_34")}});
    sheet.fieldRow(QStringLiteral("评价报告号"), QStringLiteral("ITEM_22"));
    sheet.sectionTitle(QStringLiteral("四、知识产权状况"));
    sheet.choiceRow(QStringLiteral("知识产权形式"), QStringLiteral("ITEM_51"), codes("1 3 9"), 3);
    sheet.choiceRow(QStringLiteral("专利状况"), QStringLiteral("ITEM_51_1"), codes("1 2 3"), 3);
    sheet.choiceRow(QStringLiteral("专利类型"), QStringLiteral("patent_ty"), codes("1 2 3"), 3);
    sheet.cellsRow({{QStringLiteral("申请专利项数"), QStringLiteral("ITEM_51_2")},
                    {QStringLiteral("授权项数"), QStringLiteral("ITEM_51_3")}});
    for (int i = 1; i <= 4; ++i)
        sheet.cellsRow({{QStringLiteral("申请专利号"), QStringLiteral("label:QLL_zlqk_zlh_%1").arg(i)},
                        {QStringLiteral("专利名称"), QStringLiteral("label:QLL_zlqk_zlm_%1").arg(i)}},
                       7);
    for (int i = 1; i <= 4; ++i)
        sheet.cellsRow({{QStringLiteral("授权专利号"), QStringLiteral("label:QL_zlqk_zlh_%1").arg(i)},
                        {QStringLiteral("专利名称"), QStringLiteral("label:QL_zlqk_zlm_%1").arg(i)}},
                       7);
    sheet.cellsRow({{QStringLiteral("软件著作权名称"), QStringLiteral("ITEM_52")},
                    {QStringLiteral("软件著作权登记号"), QStringLiteral("ITEM_53")}});
    sheet.sectionTitle(QStringLiteral("五、成果应用情况"));
    sheet.choiceRow(QStringLiteral("应用状态"), QStringLiteral("ITEM_32"), codes("1 2 3"), 3);
    sheet.choiceRow(QStringLiteral("未应用或停用原因"), QStringLiteral("ITEM_32_1"), codes("1 2 3 4 5"), 5);
    // A line per reason group, as on the entry page.
    sheet.choiceRow(QStringLiteral("具体原因"), QStringLiteral("ITEM_160"),
                    codes("11 12 13 14 15 | 21 22 23 24 25 | 31 32 33 34 35 | 41 42 43 | 51 52 53 54 55"),
                    6);
    sheet.choiceRow(QStringLiteral("推广形式"), QStringLiteral("ITEM_161"), codes("1 2 3 4 5 9"), 6);
    sheet.cellsRow({{QStringLiteral("已转让企业数（个）"), QStringLiteral("ITEM_45")},
                    {QStringLiteral("技术转让收入"), QStringLiteral("ITEM_150")},
                    {QStringLiteral("其中知识产权转让收入"), QStringLiteral("ITEM_162")}});
    sheet.cellsRow({{QStringLiteral("净利润（万元）"), QStringLiteral("ITEM_151_1")},
                    {QStringLiteral("实交税金（万元）"), QStringLiteral("ITEM_152_1")},
                    {QStringLiteral("出口创汇（万元）"), QStringLiteral("ITEM_153")}});
    sheet.cellsRow({{QStringLiteral("节约资金（万元）"), QStringLiteral("ITEM_154")},
                    {QStringLiteral("预计达产投资"), QStringLiteral("label:QRLabel44")},
                    {QStringLiteral("预计达产利润"), QStringLiteral("label:QRLabel45")}});
    sheet.finish();
    return page;
}

void PrepareYyPrint05(report::Report &page, PrintData &data)
{
    bindRecord(page, data);
    ClearItemLabels(page);
    SetCodeCaption(*data.codes, QStringLiteral("item_46"), data.field(QStringLiteral("item_46")),
                   page.element(QStringLiteral("QRLabel44")));
    SetCodeCaption(*data.codes, QStringLiteral("item_47"), data.field(QStringLiteral("item_47")),
                   page.element(QStringLiteral("QRLabel45")));
    const QList<PatentSlot> applied = patentSlots(*data.patents, QStringLiteral("1"));
    const QList<PatentSlot> granted = patentSlots(*data.patents, QStringLiteral("2"));
    for (int i = 0; i < 4; ++i) {
        page.setText(QStringLiteral("QLL_zlqk_zlh_%1").arg(i + 1), applied[i].number);
        page.setText(QStringLiteral("QLL_zlqk_zlm_%1").arg(i + 1), applied[i].name);
        page.setText(QStringLiteral("QL_zlqk_zlh_%1").arg(i + 1), granted[i].number);
        page.setText(QStringLiteral("QL_zlqk_zlm_%1").arg(i + 1), granted[i].name);
    }
    page.setText(QStringLiteral("QR_ITEM_34"), data.field(QStringLiteral("ITEM_34")));
    markAll(page, data,
            {QStringLiteral("ITEM_21"), QStringLiteral("ITEM_32"), QStringLiteral("ITEM_32_1"),
             QStringLiteral("ITEM_51"), QStringLiteral("ITEM_51_1"), QStringLiteral("ITEM_161"),
             QStringLiteral("ITEM_160"), QStringLiteral("patent_ty")});
}

std::unique_ptr<report::Report> makeYyPrint07(const PrintData &data)
{
    auto page = newPage("TyyPrint07");
    FormSheet sheet(*page, data.codes);
    sheet.sectionTitle(QStringLiteral("六、成果完成单位情况"));
    addFirstUnit(sheet, true);
    sheet.finish();
    page->setDetailData(data.unitRows);
    addUnitsTable(*page, 5.8);
    return page;
}

void PrepareYyPrint07(report::Report &page, PrintData &data)
{
    bindRecord(page, data);
    ClearItemLabels(page);
    markAll(page, data,
            {QStringLiteral("ITEM_41_3"), QStringLiteral("ITEM_62"), QStringLiteral("ITEM_163")});
    setLookups(page, data, QStringLiteral("QRLabel_64"), QStringLiteral("QRLabel_63"));
    fillUnits(data, 23);
    page.setDetailData(data.unitRows);
}

// The approval page of both categories: the unit's approval block above
// annex 1, the list of materials that go with the registration.
static std::unique_ptr<report::Report> makeApprovalPage(const char *name, const QString &dateLabel,
                                                        bool applied, const QString &annexHeading,
                                                        const QString &annexList, const PrintData &data)
{
    auto page = newPage(name);
    FormSheet sheet(*page, data.codes);
    addApproval(sheet, *page, dateLabel, applied);
    sheet.skip(6);
    sheet.heading(annexHeading, 13);
    sheet.textBlock(annexList, 50, 11);
    sheet.finish();
    return page;
}

std::unique_ptr<report::Report> makeYyPrint08(const PrintData &data)
{
    return makeApprovalPage("TyyPrint08", QStringLiteral("QRLabel_d"), true,
                            QStringLiteral("附件1  应用技术类成果登记材料一览表"),
                            QStringLiteral(
        "1．科技成果登记表（一式两份）；\n"
        "2．评价证明（鉴定证书、验收报告或行业准入证明等）复印件；\n"
        "3．知识产权证明（专利证书、软件著作权登记证书等）复印件；\n"
        "4．成果应用证明及经济效益、社会效益证明；\n"
        "5．其他有关材料。"), data);
}

void PrepareYyPrint08(report::Report &page, PrintData &data)
{
    setApprovalDate(page, data, QStringLiteral("QRLabel_d"));
}

std::unique_ptr<report::Report> makeYyPrint09(const PrintData &data)
{
    return makeBrief("TyyPrint09", data);
}

std::unique_ptr<report::Report> makeBrief(const char *name, const PrintData &data)
{
    auto page = newPage(name);
    FormSheet sheet(*page, data.codes);
    sheet.heading(QStringLiteral("成果简介"), 16);
    sheet.textBlock(QStringLiteral("（800字以内）"), 7, 10);
    sheet.memoRow(QString(), QStringLiteral("ITEM_13_1"), 225);
    sheet.finish();
    return page;
}

void PrepareBrief(report::Report &page, PrintData &data)
{
    bindRecord(page, data);
}

// ---- basic theory and soft science ----

std::unique_ptr<report::Report> makeRjPrint03(const PrintData &data)
{
    auto page = newPage("TrjPrint03");
    FormSheet sheet(*page, data.codes);
    sheet.sectionTitle(QStringLiteral("一、成果概况"));
    sheet.fieldRow(QStringLiteral("成果名称"), QStringLiteral("ITEM_3"), 10);
    sheet.cellsRow({{QStringLiteral("学科分类号"), QStringLiteral("label:QR_item_15")},
                    {QString(), QStringLiteral("label:QR_item_15_1")}});
    sheet.cellsRow({{QStringLiteral("中图分类号"), QStringLiteral("label:QR_item_12")},
                    {QString(), QStringLiteral("label:QR_item_12_1")}});
    addKeyWordsRow(sheet);
    sheet.choiceRow(QStringLiteral("成果水平"), QStringLiteral("ITEM_2"), codes("1 2 3 4 5"), 5);
    sheet.choiceRow(QStringLiteral("成果形式"), QStringLiteral("ITEM_210"), codes("1 2 9"), 3);
    sheet.choiceRow(QStringLiteral("社会经济目标"), QStringLiteral("ITEM_200"), twoDigitCodes(1, 13), 4);
    sheet.choiceRow(QStringLiteral("成果应用行业"), QStringLiteral("ITEM_125"), IndustryCodes, 4);
    sheet.choiceRow(QStringLiteral("研究形式"), QStringLiteral("ITEM_201"), codes("1 2 3 4 9"), 5);
    sheet.sectionTitle(QStringLiteral("二、立项情况"));
    sheet.cellsRow({{QStringLiteral("课题立项编号"), QStringLiteral("label:QR_item_127")},
                    {QStringLiteral("课题立项名称"), QStringLiteral("label:QR_item_127_1")}});
    sheet.choiceRow(QStringLiteral("课题来源"), QStringLiteral("ITEM_126"), SourceCodes, 3);
    sheet.choiceRow(QStringLiteral("国家计划"), QStringLiteral("ITEM_140"), PlanCodes, 3);
    addFunding(sheet);
    sheet.finish();
    return page;
}

void PrepareRjPrint03(report::Report &page, PrintData &data)
{
    bindRecord(page, data);
    fillKeyWords(page, data);
    for (const char *f : {"item_15", "item_15_1", "item_12", "item_12_1", "item_127", "item_127_1"})
        page.setText(QStringLiteral("QR_") + QLatin1String(f), data.field(QLatin1String(f)).trimmed());
    ClearItemLabels(page);
    markAll(page, data,
            {QStringLiteral("ITEM_2"), QStringLiteral("ITEM_125"), QStringLiteral("ITEM_126"),
             QStringLiteral("ITEM_140"), QStringLiteral("ITEM_200"), QStringLiteral("ITEM_201"),
             QStringLiteral("ITEM_210")});
}

std::unique_ptr<report::Report> makeRjPrint05(const PrintData &data)
{
    auto page = newPage("TrjPrint05");
    FormSheet sheet(*page, data.codes);
    sheet.sectionTitle(QStringLiteral("三、评价情况"));
    // This set's evaluation forms have their own names and codes.
    sheet.choiceRow(QStringLiteral("评价方式"), QStringLiteral("ITEM_21"), codes("2 4 6 9"), 4,
                    QStringLiteral("QR_"), QStringLiteral("item_21_l"));
    sheet.cellsRow({{QStringLiteral("评价单位"), QStringLiteral("ITEM_130")},
                    {QStringLiteral("评价日期"), QStringLiteral("label:QR_ITEM_34")}});
    sheet.fieldRow(QStringLiteral("评价报告号"), QStringLiteral("label:QR_item_22"));
    sheet.sectionTitle(QStringLiteral("四、成果完成单位情况"));
    addFirstUnit(sheet, false);
    sheet.finish();
    addUnitsTable(*page, 6.2);
    return page;
}

void PrepareRjPrint05(report::Report &page, PrintData &data)
{
    bindRecord(page, data);
    ClearItemLabels(page);
    page.setText(QStringLiteral("QR_item_22"), data.field(QStringLiteral("item_22")).trimmed());
    for (const char *f : {"9", "420", "37", "39", "60", "38", "40", "41", "41_2", "61"}) {
        const QString name = QStringLiteral("QR_item_") + QLatin1String(f);
        if (report::Element *e = page.find(name))
            e->text = data.field(QStringLiteral("item_") + QLatin1String(f)).trimmed();
    }
    setLookups(page, data, QStringLiteral("QR_item_64"), QStringLiteral("QR_item_63"));
    markAll(page, data,
            {QStringLiteral("ITEM_163"), QStringLiteral("ITEM_41_3"), QStringLiteral("ITEM_62"),
             QStringLiteral("ITEM_21")});
    page.setText(QStringLiteral("QR_ITEM_34"), data.field(QStringLiteral("ITEM_34")));
    fillUnits(data, 13);
    page.setDetailData(data.unitRows);
}

std::unique_ptr<report::Report> makeRjPrint06(const PrintData &data)
{
    return makeApprovalPage("TrjPrint06", QStringLiteral("QRLabel_D"), false,
                            QStringLiteral("附件1  基础理论、软科学类成果登记材料一览表"),
                            QStringLiteral(
        "1．科技成果登记表（一式两份）；\n"
        "2．评价证明（鉴定证书、验收报告或评审意见等）复印件；\n"
        "3．公开发表的论文、专著或研究报告目录；\n"
        "4．成果被采纳、应用的证明；\n"
        "5．其他有关材料。"), data);
}

void PrepareRjPrint06(report::Report &page, PrintData &data)
{
    setApprovalDate(page, data, QStringLiteral("QRLabel_D"));
}

std::unique_ptr<report::Report> makeRjPrint07(const PrintData &data)
{
    return makeBrief("TrjPrint07", data);
}

} // namespace DataPages
