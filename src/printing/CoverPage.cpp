#include "CoverPage.h"

#include "PageLayout.h"

using namespace PageLayout;
using report::BandKind;

namespace CoverPage {

namespace {

const QStringList PeriodLabels = {QStringLiteral("item_8_1"), QStringLiteral("item_8_2"),
                                  QStringLiteral("item_8_3"), QStringLiteral("item_8_4")};
const QStringList DateLabels = {QStringLiteral("item_121_1"), QStringLiteral("item_121_2"),
                                QStringLiteral("item_121_3")};

// One line of the cover: caption, then the value over an underline.
void addEntry(report::Report &page, double y, const QString &caption, const Element &value)
{
    const double left = 22;
    const double valueLeft = 62;
    const double right = 168;
    page.add(BandKind::Title, label(QString(), QRectF(left, y, 40, 12), caption, style(15)));
    Element v = value;
    v.mm = QRectF(valueLeft, y, right - valueLeft, 12);
    page.add(BandKind::Title, v);
    page.add(BandKind::Title, line(QString(), valueLeft, y + 12, right, y + 12, 0.3));
}

// "____年____月" pieces of a date line, each number on its own underline.
void addDateLine(report::Report &page, double y, const QString &caption, const QStringList &names,
                 const QStringList &units)
{
    page.add(BandKind::Title, label(QString(), QRectF(22, y, 40, 12), caption, style(15)));
    double x = 62;
    for (int i = 0; i < names.size(); ++i) {
        const double width = i % 2 == 0 || names.size() == 3 ? 18 : 12;
        page.add(BandKind::Title, label(names[i], QRectF(x, y, width, 12), QString(), centred(14)));
        page.add(BandKind::Title, line(QString(), x, y + 12, x + width, y + 12, 0.3));
        x += width;
        const double unitWidth = 6.5 * units[i].size() + 1;
        page.add(BandKind::Title, label(QString(), QRectF(x, y, unitWidth, 12), units[i], centred(15)));
        x += unitWidth;
    }
}

} // namespace

std::unique_ptr<report::Report> make(Set set)
{
    auto page = std::make_unique<report::Report>(set == Applied ? QStringLiteral("Tyyfm1")
                                                                : QStringLiteral("Trjfm1"));
    page->band(BandKind::Title).heightMm = 265;
    page->add(BandKind::Title, label(QString(), QRectF(112, 4, 22, 9), QStringLiteral("登记号："),
                                     style(12)));
    page->add(BandKind::Title, field(QStringLiteral("QRDBText_120"), QStringLiteral("ITEM_120"),
                                     QRectF(134, 4, 46, 9), style(12)));
    page->add(BandKind::Title, line(QString(), 134, 13, 180, 13, 0.3));
    const QString subtitle = set == Applied ? QStringLiteral("（应用技术类成果）")
                                            : QStringLiteral("（基础理论、软科学类成果）");
    page->add(BandKind::Title, label(QStringLiteral("QRLabelTitle"), QRectF(0, 45, 180, 20),
                                     QStringLiteral("科 技 成 果 登 记 表"), centred(30, true)));
    page->add(BandKind::Title, label(QStringLiteral("QRLabelSet"), QRectF(0, 70, 180, 12), subtitle,
                                     centred(16)));

    Element name = memo(QStringLiteral("QRDBText_3"), {}, QString(), style(14));
    name.kind = report::Kind::Field;
    name.field = QStringLiteral("ITEM_3");
    addEntry(*page, 110, QStringLiteral("成果名称："), name);
    addEntry(*page, 128, QStringLiteral("第一完成单位："),
             field(QStringLiteral("QRDBText_9"), QStringLiteral("ITEM_9"), {}, style(14)));
    addEntry(*page, 146, QStringLiteral("推荐单位："),
             field(QStringLiteral("QRDBText_128"), QStringLiteral("ITEM_128"), {}, style(14)));
    addDateLine(*page, 164, QStringLiteral("研究起止时间："), PeriodLabels,
                {QStringLiteral("年"), QStringLiteral("月 至"), QStringLiteral("年"),
                 QStringLiteral("月")});
    addDateLine(*page, 182, QStringLiteral("登记日期："), DateLabels,
                {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")});

    page->add(BandKind::Title, label(QString(), QRectF(0, 236, 180, 10),
                                     QStringLiteral("科学技术成果登记机构"), centred(16)));
    page->add(BandKind::Title, label(QString(), QRectF(0, 248, 180, 10),
                                     QStringLiteral("二○○八年制"), centred(15)));
    return page;
}

QStringList periodParts(const QString &period)
{
    const QString text = period.trimmed();
    if (text.isEmpty())
        return {QString(), QString(), QString(), QString()};
    const QString start = text.left(7);
    const QString end = text.right(7);
    return {start.mid(0, 4), start.mid(5, 2), end.mid(0, 4), end.mid(5, 2)};
}

QStringList registrationDateParts(const QString &dateText)
{
    const QString text = dateText.trimmed();
    if (text.isEmpty())
        return {QString(), QString(), QString()};
    const qsizetype first = text.indexOf(u'-');
    const QString rest = text.mid(first + 1);
    const qsizetype second = rest.indexOf(u'-');
    return {text.left(std::max<qsizetype>(first, 0)), rest.left(std::max<qsizetype>(second, 0)),
            rest.mid(second + 1)};
}

void prepare(report::Report &page, PrintData &data)
{
    page.setRecord([&data](const QString &f) { return data.field(f); });
    const QStringList period = periodParts(data.field(QStringLiteral("item_8")));
    for (int i = 0; i < PeriodLabels.size(); ++i)
        page.setText(PeriodLabels[i], period[i]);
    const QStringList date = registrationDateParts(data.field(QStringLiteral("item_121")));
    for (int i = 0; i < DateLabels.size(); ++i)
        page.setText(DateLabels[i], date[i]);
}

} // namespace CoverPage
