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

// Converts the documents to plain text in one run of the word processor;
// file path -> its lines (each table cell on a line of its own). Empty when
// the word processor is missing or fails.
inline QHash<QString, QStringList> wordProcessorText(const QStringList &documents)
{
    QHash<QString, QStringList> result;
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty() || documents.isEmpty())
        return result;
    QTemporaryDir work;
    QProcess process;
    QStringList args{QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(work.filePath("profile")).toString(),
                     QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                     QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), work.path()};
    args << documents;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(soffice, args);
    process.closeWriteChannel();
    if (!process.waitForFinished(180000))
        return result;
    for (const QString &doc : documents) {
        QFile text(QDir(work.path()).filePath(QFileInfo(doc).completeBaseName() + QStringLiteral(".txt")));
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
