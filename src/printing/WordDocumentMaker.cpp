#include "WordDocumentMaker.h"

#include "records/widgets/AppInfo.h"
#include "engine/Clock.h"
#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "word/DocxDocument.h"
#include "word/WordError.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

WordDocumentMaker::WordDocumentMaker(const WordSources &sources, const QString &dataPath, QWidget *parent)
    : m_sources(sources), m_dataPath(dataPath), m_parent(parent), m_folder(defaultFolder()),
      m_opener([](const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); })
{
}

QString WordDocumentMaker::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(AppInfo::productName());
}

QString WordDocumentMaker::uniquePath(const QString &folder, const QString &base, const QString &registration,
                               const QDateTime &when)
{
    QString number = registration.trimmed();
    static const QString unsafe = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : number)
        if (unsafe.contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    const QString stem = QStringLiteral("%1_%2_%3").arg(base, number, when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QDir dir(folder);
    QString path = dir.filePath(stem + QStringLiteral(".docx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.docx").arg(stem).arg(n));
    return path;
}

bool WordDocumentMaker::run(WordPlans::Output output)
{
    m_saved.clear();
    m_unopened.clear();
    const QMessageBox::StandardButton answer =
        Messages::show(m_parent, QStringLiteral("提示"), QStringLiteral("您确定输出word文档吗？\n"), QMessageBox::NoIcon,
                       QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return false;
    bool finished = true;
    for (const WordPlans::Document *plan : WordPlans::documentsOf(output))
        if (!makeDocument(*plan)) {
            finished = false;
            break;
        }
    // Documents saved before a failure are the user's too: say where they lie.
    tellWhereUnopenedLie();
    return finished;
}

bool WordDocumentMaker::makeDocument(const WordPlans::Document &plan)
{
    const QString templatePath = QDir(m_dataPath).filePath(WordPlans::templateFileName(plan));
    if (!QFileInfo::exists(templatePath)) {
        Messages::show(m_parent, QStringLiteral("错误"), QStringLiteral("您的电脑上没有相应的报表"),
                       QMessageBox::Critical);
        return false;
    }
    QString path;
    try {
        DocxDocument document = DocxDocument::fromTemplate(templatePath);
        fillDocument(plan, m_sources, document);
        const DocxPackage package = document.toPackage();
        if (!QDir().mkpath(m_folder))
            throw WordError(QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(m_folder)));
        path = uniquePath(m_folder, plan.templateBase, m_sources.record->asString(QStringLiteral("ITEM_4")),
                          Clock::now());
        package.writeNew(path);
    } catch (...) {
        Guard::showCurrent(m_parent);
        return false;
    }
    m_saved.append(path);
    show(path);
    return true;
}

void WordDocumentMaker::show(const QString &path)
{
    if (!m_opener(path))
        m_unopened.append(QDir::toNativeSeparators(path));
}

// A cover and its form come from one click: one box names both, rather than
// one box after the other.
void WordDocumentMaker::tellWhereUnopenedLie()
{
    if (m_unopened.isEmpty())
        return;
    const QString text = m_unopened.size() == 1
        ? QStringLiteral("文档已保存为：\n%1\n本机没有能打开它的程序，请用文字处理软件打开该文件。")
        : QStringLiteral("文档已保存为：\n%1\n本机没有能打开它们的程序，请用文字处理软件打开这些文件。");
    Messages::show(m_parent, QStringLiteral("提示"), text.arg(m_unopened.join(QLatin1Char('\n'))),
                   QMessageBox::Information);
}
