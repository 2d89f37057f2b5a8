#include "WordBench.h"
#include "BenchTable.h"
#include "Measure.h"

#include "printing/wordplans/WordPlans.h"
#include "word/DocxDocument.h"

#include <QDir>

namespace {

constexpr double kTarget = 3;

QString templatePath(const WordPlans::Document &plan)
{
    return QDir(QStringLiteral(DRAVIK_BINARY_DIR "/data-dist")).filePath(WordPlans::templateFileName(plan));
}

// Texts of the lengths a full record gives: names of a few characters,
// units and contributions of a line, one memo of two thousand characters.
QList<QPair<QString, QString>> sampleTexts(const WordPlans::Document &plan)
{
    QList<QPair<QString, QString>> texts;
    const QString memo = QString(2000, QChar(0x6210)).replace(300, 2, QStringLiteral("\r\n"));
    for (const QString &name : WordPlans::bookmarkNames(plan)) {
        QString text;
        if (name == QLatin1String("item_13_1"))
            text = memo;
        else if (name.startsWith(QLatin1String("item_185")) || name.startsWith(QLatin1String("item_186")))
            text = QString(30, QChar(0x5355)) + QStringLiteral(" & <研究所>");
        else
            text = QStringLiteral("成果%1").arg(texts.size());
        texts.append({name, text});
    }
    return texts;
}

} // namespace

void WordBench::addRow(BenchTable &table)
{
    const WordPlans::Document *plan = WordPlans::documentByTemplate(QStringLiteral("应用技术登记表(正文)"));
    const QString path = templatePath(*plan);
    const auto texts = sampleTexts(*plan);
    qsizetype filledBytes = 0;
    const double fill = Measure::median(
        [&]() {
            DocxDocument doc = DocxDocument::fromTemplate(path);
            for (const auto &[name, text] : texts)
                doc.insertAfter(name, text);
            filledBytes = doc.toPackage().toBytes().size();
        },
        {}, Measure::kQuickRepetitions);
    qsizetype copiedBytes = 0;
    const double copy = Measure::median([&]() { copiedBytes = DocxPackage::read(path).toBytes().size(); }, {},
                                        Measure::kQuickRepetitions);
    table.addRow(QStringLiteral("fill the applied-technology form \"(正文)\" (%1 bookmarks)").arg(texts.size()), fill,
                 QStringLiteral("libzip read + write of the template"), copy, kTarget);
    table.addNote(QStringLiteral("Word form: template %1 KB, filled document %2 KB (45 persons, a memo of "
                                 "2,000 characters).")
                      .arg(copiedBytes / 1024).arg(filledBytes / 1024));
}
