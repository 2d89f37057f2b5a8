#pragma once
// Reading finished documents back: the XML after a bookmark, and the text a
// real word processor (LibreOffice, headless) makes of the whole file.

#include "word/DocxPackage.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>
#include <pugixml.hpp>

class SavedDocument
{
public:
    explicit SavedDocument(const QString &path)
    {
        const DocxPackage package = DocxPackage::read(path);
        const QByteArray body = package.part(QStringLiteral("word/document.xml"));
        m_wellFormed = bool(m_xml.load_buffer(body.constData(), size_t(body.size())));
        m_types = package.part(QStringLiteral("[Content_Types].xml"));
    }
    bool wellFormed() const { return m_wellFormed; }
    bool isDocument() const { return m_types.contains("wordprocessingml.document.main+xml"); }

    // The text of the runs right after the bookmark; "\n" for a line break,
    // "\t" for a tab, "¶" where the inserted text ended a paragraph.
    QString after(const QString &bookmark) const
    {
        const std::string name = bookmark.toStdString();
        const pugi::xml_node start = m_xml.find_node([&](const pugi::xml_node &n) {
            return std::strcmp(n.name(), "w:bookmarkStart") == 0 && name == n.attribute("w:name").value();
        });
        if (!start)
            return QStringLiteral("<no bookmark>");
        const std::string id = start.attribute("w:id").value();
        const pugi::xml_node end = m_xml.find_node([&](const pugi::xml_node &n) {
            return std::strcmp(n.name(), "w:bookmarkEnd") == 0 && id == n.attribute("w:id").value();
        });
        QString text;
        pugi::xml_node n = end.next_sibling();
        for (; n && std::strcmp(n.name(), "w:r") == 0; n = n.next_sibling())
            for (pugi::xml_node c : n.children()) {
                if (std::strcmp(c.name(), "w:t") == 0)
                    text += QString::fromUtf8(c.text().get());
                else if (std::strcmp(c.name(), "w:br") == 0)
                    text += QLatin1Char('\n');
                else if (std::strcmp(c.name(), "w:tab") == 0)
                    text += QLatin1Char('\t');
            }
        if (!n && !text.isEmpty() && std::strcmp(end.parent().next_sibling().name(), "w:p") == 0
            && !end.parent().next_sibling().child("w:r"))
            text += QStringLiteral("¶");
        return text;
    }

private:
    pugi::xml_document m_xml;
    QByteArray m_types;
    bool m_wellFormed = false;
};

// Runs the word processor (LibreOffice, headless) once over the documents,
// converting each to `filter` in `outDir`; false when it is missing or fails.
inline bool convertWithWordProcessor(const QStringList &documents, const QString &filter, const QString &outDir)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty() || documents.isEmpty())
        return false;
    QProcess process;
    QStringList args{QStringLiteral("-env:UserInstallation=")
                         + QUrl::fromLocalFile(QDir(outDir).filePath(QStringLiteral("profile"))).toString(),
                     QStringLiteral("--headless"), QStringLiteral("--convert-to"), filter,
                     QStringLiteral("--outdir"), outDir};
    args << documents;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(soffice, args);
    process.closeWriteChannel();
    return process.waitForFinished(180000);
}

inline QString convertedPath(const QString &outDir, const QString &document, const QString &suffix)
{
    return QDir(outDir).filePath(QFileInfo(document).completeBaseName() + suffix);
}

// Converts the documents to plain text in one run of the word processor;
// file path -> its lines (each table cell on a line of its own). Empty when
// the word processor is missing or fails.
inline QHash<QString, QStringList> wordProcessorText(const QStringList &documents)
{
    QHash<QString, QStringList> result;
    QTemporaryDir work;
    if (!convertWithWordProcessor(documents, QStringLiteral("txt:Text (encoded):UTF8"), work.path()))
        return result;
    for (const QString &doc : documents) {
        QFile text(convertedPath(work.path(), doc, QStringLiteral(".txt")));
        if (!text.open(QIODevice::ReadOnly))
            continue;
        QString all = QString::fromUtf8(text.readAll());
        all.remove(QChar(0xFEFF));
        QStringList lines;
        for (const QString &line : all.split(QLatin1Char('\n')))
            lines << line.trimmed();
        result.insert(doc, lines);
    }
    return result;
}

// The text that follows each bookmark of a converted (flat ODF) document: from
// the bookmark to the next bookmark or the end of its table cell (of its
// paragraph, outside tables). A line break reads "\r\n", a paragraph mark
// within the stretch "\r".
class BookmarkStretches
{
public:
    explicit BookmarkStretches(const pugi::xml_node &body) { walk(body); close(); }
    const QHash<QString, QString> &texts() const { return m_texts; }

private:
    void walk(const pugi::xml_node &node)
    {
        for (pugi::xml_node child : node.children())
            visit(child);
    }

    void close()
    {
        if (!m_open.isEmpty()) {
            if (m_text.endsWith(QLatin1Char('\r')))
                m_text.chop(1);
            m_texts.insert(m_open, m_text);
        }
        m_open.clear();
        m_text.clear();
    }

    void visit(const pugi::xml_node &node)
    {
        if (node.type() == pugi::node_pcdata) {
            m_text += QString::fromUtf8(node.value());
            return;
        }
        const std::string name = node.name();
        if (name == "text:bookmark" || name == "text:bookmark-start") {
            close();
            m_open = QString::fromUtf8(node.attribute("text:name").value());
        } else if (name == "text:s") {
            m_text += QString(std::max(1, node.attribute("text:c").as_int(1)), QLatin1Char(' '));
        } else if (name == "text:tab") {
            m_text += QLatin1Char('\t');
        } else if (name == "text:line-break") {
            m_text += QStringLiteral("\r\n");
        } else if (name == "table:table-cell") {
            close();
            ++m_cellDepth;
            walk(node);
            --m_cellDepth;
            close();
        } else if (name == "text:p" || name == "text:h") {
            walk(node);
            if (m_cellDepth > 0)
                m_text += QLatin1Char('\r');
            else
                close();
        } else if (name != "office:annotation") {
            walk(node);
        }
    }

    QHash<QString, QString> m_texts;
    QString m_open;
    QString m_text;
    int m_cellDepth = 0;
};

// Each document converted once by the word processor, and read back
// bookmark by bookmark: file path -> bookmark -> the text after it. Empty
// when the word processor is missing or fails.
inline QHash<QString, QHash<QString, QString>> wordProcessorBookmarks(const QStringList &documents)
{
    QHash<QString, QHash<QString, QString>> result;
    QTemporaryDir work;
    if (!convertWithWordProcessor(documents, QStringLiteral("fodt"), work.path()))
        return result;
    for (const QString &doc : documents) {
        pugi::xml_document xml;
        if (!xml.load_file(convertedPath(work.path(), doc, QStringLiteral(".fodt")).toLocal8Bit().constData(),
                           pugi::parse_default | pugi::parse_ws_pcdata_single))
            continue;
        const pugi::xml_node body = xml.child("office:document").child("office:body").child("office:text");
        result.insert(doc, BookmarkStretches(body).texts());
    }
    return result;
}
