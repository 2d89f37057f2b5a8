#include "StaticPages.h"

#include "CodeLookup.h"
#include "FormSheet.h"

#include <QFile>

namespace StaticPages {

namespace {

QString resourceText(const QString &className)
{
    QFile file(QStringLiteral(":/print/") + className + QStringLiteral(".txt"));
    if (!file.open(QIODevice::ReadOnly))
        return className;
    return QString::fromUtf8(file.readAll()).trimmed();
}

// "code  text" lines of a list at the annexes' one size; a list longer than
// the height takes further columns across the page rather than a smaller size.
void addList(FormSheet &sheet, const QString &title, const QList<QPair<QString, QString>> &rows,
             double height)
{
    constexpr double ListPointSize = 9;
    sheet.heading(title, 13);
    QStringList lines;
    for (const auto &[code, text] : rows)
        lines << code + QStringLiteral("  ") + text;
    if (lines.isEmpty())
        lines << QStringLiteral("（代码表中没有此项内容）");
    sheet.columnList(lines, height, ListPointSize);
    sheet.skip(4);
}

} // namespace

std::unique_ptr<report::Report> makeInstructions(const QString &className)
{
    auto page = std::make_unique<report::Report>(className);
    FormSheet sheet(*page, nullptr);
    const QString text = resourceText(className);
    const qsizetype end = text.indexOf(u'\n');
    sheet.heading(end < 0 ? text : text.left(end), 16);
    sheet.skip(4);
    sheet.textBlock(end < 0 ? QString() : text.mid(end + 1), 240, 11);
    sheet.finish();
    return page;
}

std::unique_ptr<report::Report> makeAnnex(const QString &className, const PrintData &data)
{
    auto page = std::make_unique<report::Report>(className);
    FormSheet sheet(*page, data.codes);
    const auto rows = [&data](const QString &table, const QString &code, const QString &text) {
        return data.codes ? data.codes->rows(table, code, text) : QList<QPair<QString, QString>>();
    };
    const QString industries = QStringLiteral("国民经济行业分类（GB/T4754-2002）");
    const auto industryRows = rows(QStringLiteral("zdxx:item_125"), QStringLiteral("xxdm"),
                                   QStringLiteral("xxmc"));
    if (className == QLatin1String("TyyPrint12")) {
        auto products = rows(QStringLiteral("gxjs"), QStringLiteral("xxdm"), QStringLiteral("xxmc"));
        products.erase(std::remove_if(products.begin(), products.end(),
                                      [](const auto &r) { return r.first.size() > 4; }),
                       products.end());
        addList(sheet, QStringLiteral("附件3  国家高新技术产品目录"), products, 170);
        addList(sheet, QStringLiteral("附件4  ") + industries, industryRows.mid(0, 8), 60);
    } else if (className == QLatin1String("TyyPrint14")) {
        addList(sheet, QStringLiteral("附件4  ") + industries + QStringLiteral("（续）"),
                industryRows.mid(8), 200);
    } else if (className == QLatin1String("TrjPrint10")) {
        addList(sheet, QStringLiteral("附件3  社会经济目标"),
                rows(QStringLiteral("zdxx:item_200"), QStringLiteral("xxdm"), QStringLiteral("xxmc")),
                200);
    } else {
        addList(sheet, QStringLiteral("附件4  ") + industries, industryRows, 220);
    }
    sheet.finish();
    return page;
}

void prepareNothing(report::Report &, PrintData &)
{
}

} // namespace StaticPages
