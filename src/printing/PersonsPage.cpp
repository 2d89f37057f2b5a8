#include "PersonsPage.h"

#include "PageLayout.h"
#include "engine/DataSet.h"
#include "engine/GbkText.h"

using namespace PageLayout;
using report::BandKind;

namespace PersonsPage {

namespace {

constexpr int LineUnits = 26;
constexpr int ContributionLines = 6;
constexpr double RowHeight = 11;
const QString Break = QStringLiteral("\n");

struct Column
{
    QString field;
    QString title;
    double width;
};

const QList<Column> &columns()
{
    static const QList<Column> list = {
        {QStringLiteral("ITEM_187"), QStringLiteral("序号"), 10},
        {QStringLiteral("ITEM_180"), QStringLiteral("姓名"), 18},
        {QStringLiteral("ITEM_181"), QStringLiteral("性别"), 9},
        {QStringLiteral("ITEM_182"), QStringLiteral("出生年月"), 16},
        {QStringLiteral("ITEM_183"), QStringLiteral("技术职称"), 16},
        {QStringLiteral("ITEM_184"), QStringLiteral("文化程度"), 16},
        {QStringLiteral("ITEM_188"), QStringLiteral("是否留学归国"), 13},
        {QStringLiteral("ITEM_185"), QStringLiteral("工作单位"), 38},
        {QStringLiteral("ITEM_186"), QStringLiteral("对成果创造性贡献"), 44},
    };
    return list;
}

QString fixedText(const QList<QPair<QString, QString>> &texts, const QString &code)
{
    for (const auto &[c, text] : texts) {
        if (c == code)
            return text;
    }
    return {};
}

void addColumnHeader(report::Report &page)
{
    report::Band &band = page.band(BandKind::ColumnHeader);
    band.heightMm = 12;
    double x = 0;
    int i = 0;
    for (const Column &c : columns()) {
        TextStyle s = centred(9);
        s.wrap = true;
        s.shrink = true;
        page.add(BandKind::ColumnHeader,
                 label(QStringLiteral("QRLabelHead%1").arg(++i), QRectF(x, 0, c.width, 12), c.title, s));
        page.add(BandKind::ColumnHeader, box(QString(), QRectF(x, 0, c.width, 12), 0.3));
        x += c.width;
    }
}

void addDetail(report::Report &page)
{
    report::Band &band = page.band(BandKind::Detail);
    band.heightMm = RowHeight;
    double x = 0;
    int shape = 11;
    for (const Column &c : columns()) {
        TextStyle s = centred(9);
        s.wrap = true;
        s.shrink = true;
        // Broken into lines of their own before printing: shrunk, never
        // wrapped again.
        if (c.field == QLatin1String("ITEM_185") || c.field == QLatin1String("ITEM_186")) {
            s = style(8, Qt::AlignLeft | Qt::AlignVCenter);
            s.shrink = true;
        }
        Element e = field(QStringLiteral("QRDBText_") + c.field.mid(5), c.field,
                          QRectF(x + 0.8, 0.3, c.width - 1.6, RowHeight - 0.6), s);
        if (c.field == QLatin1String("ITEM_185")) {
            e.name = QStringLiteral("QRDBText8");
            e.onPrint = [](QString &text) { text = breakWorkUnit(text); };
        } else if (c.field == QLatin1String("ITEM_186")) {
            e.name = QStringLiteral("QRDBText9");
            e.onPrint = [](QString &text) { text = breakContribution(text); };
        }
        page.add(BandKind::Detail, e);
        page.add(BandKind::Detail, line(QStringLiteral("QRShape%1").arg(shape++), x, 0, x, RowHeight, 0.3));
        x += c.width;
    }
    page.add(BandKind::Detail, line(QStringLiteral("QRShape%1").arg(shape), x, 0, x, RowHeight, 0.3));
    page.add(BandKind::Detail, line(QStringLiteral("QRShapeBottom"), 0, RowHeight, x, RowHeight, 0.3));
}

void addSummary(report::Report &page, Set set)
{
    report::Band &band = page.band(BandKind::Summary);
    band.heightMm = set == Applied ? 24 : 34;
    QString notes = QStringLiteral(
        "填写说明：\n"
        "1．完成人员按对成果贡献大小的顺序填写，序号与排名一致。\n"
        "2．“技术职称”填写院士、正高、副高、中级、初级或其他；“文化程度”填写最高学历。\n"
        "3．“对成果创造性贡献”简要写明本人在成果研究中所起的作用和贡献。");
    if (set == Theory)
        notes += QStringLiteral("\n4．完成人员所在单位与第一完成单位不同的，“工作单位”填写本人所在单位全称。");
    page.add(BandKind::Summary,
             memo(QStringLiteral("QRMemoNotes"), QRectF(0, 3, 180, band.heightMm - 3), notes,
                  style(9, Qt::AlignLeft | Qt::AlignTop)));
}

void addFooter(report::Report &page)
{
    page.band(BandKind::PageFooter).heightMm = 8;
    page.add(BandKind::PageFooter,
             label(QStringLiteral("QRpage"), QRectF(70, 1, 40, 6), QString(), centred(10)));
    page.add(BandKind::PageFooter,
             counter(QStringLiteral("QRSysData1"), QRectF(70, 1, 40, 6), QString(), centred(10)));
}

void prepare(report::Report &page, PrintData &data, Set set)
{
    report::DataTable &rows = *data.personRows;
    rows.clear();
    DataSet &persons = *data.persons;
    const int n = persons.isOpen() ? persons.recordCount() : 0;
    const bool counter = n > counterThreshold(set);
    page.setVisible(QStringLiteral("QRSysData1"), counter);
    page.setVisible(QStringLiteral("QRpage"), !counter);
    const auto text = [&persons](const char *f) {
        return persons.asString(QLatin1String(f)).trimmed();
    };
    if (n > 0) {
        for (persons.first(); !persons.eof(); persons.next()) {
            rows.appendRow({
                {QStringLiteral("ITEM_4"), text("ITEM_4")},
                {QStringLiteral("ITEM_DQDM"), text("ITEM_DQDM")},
                {QStringLiteral("ITEM_187"), text("ITEM_187")},
                {QStringLiteral("ITEM_180"), text("ITEM_180")},
                {QStringLiteral("ITEM_182"), text("ITEM_182")},
                {QStringLiteral("ITEM_185"), text("ITEM_185")},
                {QStringLiteral("ITEM_186"), text("ITEM_186")},
                {QStringLiteral("ITEM_181"), sexText(text("ITEM_181"))},
                {QStringLiteral("ITEM_183"), titleText(persons.asString(QStringLiteral("ITEM_183")))},
                {QStringLiteral("ITEM_184"), educationText(persons.asString(QStringLiteral("ITEM_184")))},
                {QStringLiteral("ITEM_188"), returnedText(persons.asString(QStringLiteral("ITEM_188")))},
            });
        }
        persons.first();
    }
    rows.appendRow({});
    page.setDetailData(&rows);
}

} // namespace

std::unique_ptr<report::Report> make(Set set)
{
    auto page = std::make_unique<report::Report>(set == Applied ? QStringLiteral("TyyPrint10")
                                                                : QStringLiteral("TrjPrint08"));
    page->band(BandKind::Title).heightMm = 14;
    page->add(BandKind::Title, label(QStringLiteral("QRLabelTitle"), QRectF(0, 0, 180, 12),
                                     QStringLiteral("成果完成人员名单"), centred(18, true)));
    addColumnHeader(*page);
    addDetail(*page);
    addSummary(*page, set);
    addFooter(*page);
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

int counterThreshold(Set set)
{
    return set == Applied ? 18 : 17;
}

QString sexText(const QString &code)
{
    return fixedText({{QStringLiteral("0"), QStringLiteral("男")}, {QStringLiteral("1"), QStringLiteral("女")}},
                     code);
}

QString titleText(const QString &code)
{
    return fixedText({{QStringLiteral("1"), QStringLiteral("院士")},
                      {QStringLiteral("2"), QStringLiteral("正高")},
                      {QStringLiteral("3"), QStringLiteral("副高")},
                      {QStringLiteral("4"), QStringLiteral("中级")},
                      {QStringLiteral("5"), QStringLiteral("初级")},
                      {QStringLiteral("9"), QStringLiteral("其他")},
                      {QStringLiteral("a"), QStringLiteral("两院院士")},
                      {QStringLiteral("b"), QStringLiteral("中科院院士")},
                      {QStringLiteral("c"), QStringLiteral("工程院院士")}},
                     code);
}

QString educationText(const QString &code)
{
    return fixedText({{QStringLiteral("2"), QStringLiteral("博士研究生")},
                      {QStringLiteral("3"), QStringLiteral("硕士研究生")},
                      {QStringLiteral("4"), QStringLiteral("大本")},
                      {QStringLiteral("5"), QStringLiteral("大专")},
                      {QStringLiteral("6"), QStringLiteral("中专")},
                      {QStringLiteral("9"), QStringLiteral("其他")}},
                     code);
}

QString returnedText(const QString &code)
{
    return fixedText({{QStringLiteral("1"), QStringLiteral("是")}, {QStringLiteral("0"), QStringLiteral("否")}},
                     code);
}

namespace {

// The longest head of `text` of at most `units` width units.
QString headOf(const QString &text, int units)
{
    return GbkText::cutToBytes(text, units);
}

} // namespace

QString breakWorkUnit(const QString &text)
{
    if (GbkText::byteLength(text) <= LineUnits)
        return text;
    const QString head = headOf(text, LineUnits);
    return head + Break + text.mid(head.size());
}

QString breakContribution(const QString &text)
{
    QStringList lines;
    QString rest = text;
    while (lines.size() < ContributionLines - 1 && GbkText::byteLength(rest) > LineUnits) {
        const QString head = headOf(rest, LineUnits);
        lines << head;
        rest = rest.mid(head.size());
    }
    lines << rest;
    return lines.join(Break);
}

} // namespace PersonsPage
