// mkdotx SOURCE_DIR OUT_DIR: builds every template source "<name>.form" of
// SOURCE_DIR into "<name>.dotx" in OUT_DIR. A source must place exactly the
// bookmarks that the program fills in its document, each once; otherwise
// nothing is built and the differences are listed.

#include "DotxWriter.h"
#include "FormSource.h"
#include "printing/wordplans/WordPlans.h"
#include "word/DocxPackage.h"
#include "word/WordError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cstdio>
#include <stdexcept>

namespace {

QString listName(WordPlans::Child child)
{
    switch (child) {
    case WordPlans::Child::Units: return QStringLiteral("units");
    case WordPlans::Child::Persons: return QStringLiteral("persons");
    case WordPlans::Child::Committee: return QStringLiteral("committee");
    case WordPlans::Child::AcceptedPatents: return QStringLiteral("accepted");
    case WordPlans::Child::GrantedPatents: return QStringLiteral("granted");
    }
    return {};
}

QStringList differences(const QStringList &placed, const QStringList &wanted)
{
    QStringList problems;
    QSet<QString> seen;
    for (const QString &name : placed) {
        if (seen.contains(name))
            problems << QStringLiteral("placed twice: %1").arg(name);
        seen.insert(name);
        if (!wanted.contains(name))
            problems << QStringLiteral("not filled by the program: %1").arg(name);
    }
    for (const QString &name : wanted)
        if (!seen.contains(name))
            problems << QStringLiteral("missing: %1").arg(name);
    return problems;
}

void buildOne(const QFileInfo &source, const QDir &out)
{
    const WordPlans::Document *plan = WordPlans::documentByTemplate(source.completeBaseName());
    if (!plan)
        throw std::runtime_error(QStringLiteral("%1: no document of the program is made from this template")
                                     .arg(source.filePath()).toStdString());
    QHash<QString, int> rowCounts;
    for (const WordPlans::ChildList &list : plan->lists)
        rowCounts.insert(listName(list.child), list.limit);
    QStringList placed;
    const DocxPackage package = buildTemplate(readFormSource(source.filePath()), rowCounts, &placed);
    const QStringList problems = differences(placed, WordPlans::bookmarkNames(*plan));
    if (!problems.isEmpty())
        throw std::runtime_error(QStringLiteral("%1:\n  %2").arg(source.filePath(), problems.join(QStringLiteral("\n  ")))
                                     .toStdString());
    const QString target = out.filePath(WordPlans::templateFileName(*plan));
    QFile::remove(target);
    package.writeNew(target);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: mkdotx SOURCE_DIR OUT_DIR\n");
        return 2;
    }
    const QDir sources(args.at(1));
    QDir out(args.at(2));
    out.mkpath(QStringLiteral("."));
    try {
        QSet<QString> built;
        for (const QFileInfo &source : sources.entryInfoList({QStringLiteral("*.form")}, QDir::Files, QDir::Name)) {
            buildOne(source, out);
            built.insert(source.completeBaseName());
        }
        for (const WordPlans::Document *plan : WordPlans::allDocuments())
            if (!built.contains(plan->templateBase))
                throw std::runtime_error(QStringLiteral("no template source \"%1.form\"").arg(plan->templateBase).toStdString());
    } catch (const WordError &e) {
        std::fprintf(stderr, "mkdotx: %s\n", qPrintable(e.message()));
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mkdotx: %s\n", e.what());
        return 1;
    }
    return 0;
}
