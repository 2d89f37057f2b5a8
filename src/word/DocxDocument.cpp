#include "DocxDocument.h"
#include "WordError.h"

#include <pugixml.hpp>
#include <cstring>
#include <sstream>

namespace {

const QString kMainPart = QStringLiteral("word/document.xml");
const QString kContentTypes = QStringLiteral("[Content_Types].xml");
const char *const kTemplateType = "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
const char *const kDocumentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

std::unique_ptr<pugi::xml_document> parseXml(const QByteArray &bytes, const QString &file)
{
    auto xml = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result result =
        xml->load_buffer(bytes.constData(), size_t(bytes.size()), pugi::parse_default | pugi::parse_ws_pcdata_single,
                         pugi::encoding_utf8);
    if (!result)
        throw WordError(QStringLiteral("文件“%1”不是有效的文档模板：%2").arg(file, QString::fromUtf8(result.description())));
    return xml;
}

QByteArray serialize(const pugi::xml_document &xml)
{
    std::ostringstream out;
    xml.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string text = out.str();
    return QByteArray(text.data(), qsizetype(text.size()));
}

bool isRun(const pugi::xml_node &node)
{
    return std::strcmp(node.name(), "w:r") == 0;
}

// Properties a run may carry; the paragraph mark's may also hold change
// marks that are not allowed on a run.
void copyRunProperties(pugi::xml_node run, const pugi::xml_node &from)
{
    if (!from)
        return;
    pugi::xml_node props = run.prepend_copy(from);
    props.set_name("w:rPr");
    for (const char *mark : {"w:ins", "w:del", "w:moveFrom", "w:moveTo", "w:rPrChange"})
        while (pugi::xml_node n = props.child(mark))
            props.remove_child(n);
}

pugi::xml_node neighbourRunProperties(const pugi::xml_node &anchor)
{
    for (pugi::xml_node n = anchor; n; n = n.previous_sibling())
        if (isRun(n))
            return n.child("w:rPr");
    for (pugi::xml_node n = anchor.next_sibling(); n; n = n.next_sibling())
        if (isRun(n))
            return n.child("w:rPr");
    return anchor.parent().child("w:pPr").child("w:rPr");
}

// Writes the text into the run as w:t, w:br and w:tab children.
void appendRunText(pugi::xml_node run, const QString &text)
{
    QString pending;
    auto flush = [&]() {
        if (pending.isEmpty())
            return;
        pugi::xml_node t = run.append_child("w:t");
        t.append_attribute("xml:space") = "preserve";
        t.text().set(pending.toUtf8().constData());
        pending.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            flush();
            run.append_child("w:br");
        } else if (c == QLatin1Char('\t')) {
            flush();
            run.append_child("w:tab");
        } else {
            pending.append(c);
        }
    }
    flush();
}

// Splits the paragraph after the anchor: what follows goes to a new
// paragraph of the same format. Returns the node to insert after in it (its
// w:pPr, or an empty node for "at the start").
pugi::xml_node splitParagraph(pugi::xml_node paragraph, const pugi::xml_node &anchor)
{
    pugi::xml_node next = paragraph.parent().insert_child_after("w:p", paragraph);
    pugi::xml_node start;
    const pugi::xml_node props = paragraph.child("w:pPr");
    if (props)
        start = next.append_copy(props);
    pugi::xml_node moving = anchor ? anchor.next_sibling() : paragraph.first_child();
    while (moving) {
        const pugi::xml_node following = moving.next_sibling();
        if (moving != props)
            next.append_move(moving);
        moving = following;
    }
    return start;
}

} // namespace

QString xmlSafeText(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            safe.append(c);
            safe.append(text.at(++i));
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r')
            continue;
        safe.append(c);
    }
    return safe;
}

DocxDocument::DocxDocument() = default;
DocxDocument::DocxDocument(DocxDocument &&) noexcept = default;
DocxDocument &DocxDocument::operator=(DocxDocument &&) noexcept = default;
DocxDocument::~DocxDocument() = default;

DocxDocument DocxDocument::fromTemplate(const QString &templatePath)
{
    return fromPackage(DocxPackage::read(templatePath), templatePath);
}

DocxDocument DocxDocument::fromPackage(DocxPackage package, const QString &nameForErrors)
{
    DocxDocument doc;
    doc.m_name = nameForErrors;
    const QByteArray main = package.part(kMainPart);
    if (main.isNull())
        throw WordError(QStringLiteral("文件“%1”不是有效的文档模板：缺少正文").arg(nameForErrors));
    doc.m_xml = parseXml(main, nameForErrors);
    doc.m_package = std::move(package);
    doc.indexBookmarks();
    return doc;
}

// Where a bookmark's text goes: after its end mark (after its start when the
// template never closes it).
struct DocxDocument::Place
{
    pugi::xml_node start;
    pugi::xml_node end;
};

namespace {

struct BookmarkWalker : pugi::xml_tree_walker
{
    QList<std::pair<QString, pugi::xml_node>> starts;
    QHash<QString, pugi::xml_node> endsById;
    bool for_each(pugi::xml_node &node) override
    {
        if (std::strcmp(node.name(), "w:bookmarkStart") == 0)
            starts.append({QString::fromUtf8(node.attribute("w:name").value()), node});
        else if (std::strcmp(node.name(), "w:bookmarkEnd") == 0)
            endsById.insert(QString::fromUtf8(node.attribute("w:id").value()), node);
        return true;
    }
};

} // namespace

void DocxDocument::indexBookmarks()
{
    BookmarkWalker walker;
    m_xml->traverse(walker);
    for (const auto &[name, start] : walker.starts) {
        if (m_places.contains(name))
            continue;  // a word processor keeps the first of equal names
        auto place = std::make_shared<Place>();
        place->start = start;
        place->end = walker.endsById.value(QString::fromUtf8(start.attribute("w:id").value()));
        m_places.insert(name, place);
        m_bookmarkOrder.append(name);
    }
}

QStringList DocxDocument::bookmarkNames() const
{
    return m_bookmarkOrder;
}

bool DocxDocument::hasBookmark(const QString &name) const
{
    return m_places.contains(name);
}

pugi::xml_node DocxDocument::insertionAnchor(const QString &bookmark) const
{
    const auto place = m_places.constFind(bookmark);
    if (place == m_places.constEnd())
        throw WordError(QStringLiteral("模板“%1”中没有书签“%2”").arg(m_name, bookmark));
    const pugi::xml_node anchor = (*place)->end ? (*place)->end : (*place)->start;
    if (std::strcmp(anchor.parent().name(), "w:p") != 0)
        throw WordError(QStringLiteral("模板“%1”中书签“%2”不在段落之内，无法插入文字").arg(m_name, bookmark));
    return anchor;
}

void DocxDocument::insertAfter(const QString &bookmark, const QString &text)
{
    pugi::xml_node anchor = insertionAnchor(bookmark);
    const QString safe = xmlSafeText(text);
    if (safe.isEmpty())
        return;
    const pugi::xml_node format = neighbourRunProperties(anchor);
    pugi::xml_node paragraph = anchor.parent();
    // Carriage return and line feed together are one line break; a carriage
    // return alone ends the paragraph.
    QString lines = safe;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList pieces = lines.split(QLatin1Char('\r'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            anchor = splitParagraph(paragraph, anchor);
            paragraph = paragraph.next_sibling();
        }
        if (pieces.at(i).isEmpty())
            continue;
        pugi::xml_node run = anchor ? paragraph.insert_child_after("w:r", anchor) : paragraph.prepend_child("w:r");
        copyRunProperties(run, format);
        appendRunText(run, pieces.at(i));
        anchor = run;
    }
}

DocxPackage DocxDocument::toPackage() const
{
    DocxPackage package = m_package;
    package.setPart(kMainPart, serialize(*m_xml));
    const QByteArray types = m_package.part(kContentTypes);
    if (!types.isNull()) {
        auto xml = parseXml(types, m_name);
        for (pugi::xml_node o : xml->child("Types").children("Override"))
            if (std::strcmp(o.attribute("ContentType").value(), kTemplateType) == 0)
                o.attribute("ContentType") = kDocumentType;
        package.setPart(kContentTypes, serialize(*xml));
    }
    return package;
}
