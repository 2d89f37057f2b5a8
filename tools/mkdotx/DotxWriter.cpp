#include "DotxWriter.h"
#include "word/DocxPackage.h"

#include <QRegularExpression>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>

namespace {

// A4 in twentieths of a point, margins of 1.5 cm at the sides.
constexpr int kPageWidth = 11906;
constexpr int kPageHeight = 16838;
constexpr int kSideMargin = 850;
constexpr int kTopMargin = 1247;
constexpr int kTextWidth = kPageWidth - 2 * kSideMargin;
const char *const kSong = "宋体";
const char *const kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char *const kRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";

QByteArray toBytes(const pugi::xml_document &xml)
{
    std::ostringstream out;
    xml.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string text = out.str();
    return QByteArray(text.data(), qsizetype(text.size()));
}

pugi::xml_node child(pugi::xml_node parent, const char *name, std::initializer_list<std::pair<const char *, const char *>> attributes = {})
{
    pugi::xml_node n = parent.append_child(name);
    for (const auto &[key, value] : attributes)
        n.append_attribute(key) = value;
    return n;
}

struct RunFormat
{
    int halfPoints = 21;  // 五号
    bool bold = false;
};

void runProperties(pugi::xml_node parent, const RunFormat &format)
{
    pugi::xml_node rpr = child(parent, "w:rPr");
    child(rpr, "w:rFonts", {{"w:ascii", kSong}, {"w:hAnsi", kSong}, {"w:eastAsia", kSong}});
    if (format.bold)
        child(rpr, "w:b");
    const std::string size = std::to_string(format.halfPoints);
    child(rpr, "w:sz", {{"w:val", size.c_str()}});
    child(rpr, "w:szCs", {{"w:val", size.c_str()}});
}

class Layout
{
public:
    Layout(pugi::xml_node body, const QHash<QString, int> &rowCounts, QStringList *placed)
        : m_body(body), m_rowCounts(rowCounts), m_placed(placed) {}

    void add(const FormBlock &block);

private:
    pugi::xml_node paragraph(pugi::xml_node parent, const char *align, const RunFormat &format);
    void fillText(pugi::xml_node p, const QString &text, const RunFormat &format);
    void addRow(const QList<FormCell> &cells, const QString &rowNumber);
    void addCell(pugi::xml_node row, const FormCell &cell, int column, const QString &rowNumber);
    int bookmarkId() { return m_nextId++; }

    pugi::xml_node m_body;
    const QHash<QString, int> &m_rowCounts;
    QStringList *m_placed;
    pugi::xml_node m_table;
    QList<int> m_columns;  // widths in twips
    int m_nextId = 1;
    int m_line = 0;
};

pugi::xml_node Layout::paragraph(pugi::xml_node parent, const char *align, const RunFormat &format)
{
    pugi::xml_node p = child(parent, "w:p");
    pugi::xml_node ppr = child(p, "w:pPr");
    child(ppr, "w:spacing", {{"w:before", "0"}, {"w:after", "0"}});
    child(ppr, "w:jc", {{"w:val", align}});
    runProperties(ppr, format);  // what text typed into an empty cell looks like
    return p;
}

// Plain text as runs, {name} as an empty bookmark at that point.
void Layout::fillText(pugi::xml_node p, const QString &text, const RunFormat &format)
{
    static const QRegularExpression mark(QStringLiteral("\\{([A-Za-z0-9_]+)\\}"));
    qsizetype at = 0;
    auto addRun = [&](const QString &piece) {
        if (piece.isEmpty())
            return;
        pugi::xml_node r = child(p, "w:r");
        runProperties(r, format);
        pugi::xml_node t = child(r, "w:t", {{"xml:space", "preserve"}});
        t.text().set(piece.toUtf8().constData());
    };
    for (const QRegularExpressionMatch &m : mark.globalMatch(text)) {
        addRun(text.mid(at, m.capturedStart() - at));
        const std::string id = std::to_string(bookmarkId());
        const QByteArray name = m.captured(1).toUtf8();
        child(p, "w:bookmarkStart", {{"w:id", id.c_str()}, {"w:name", name.constData()}});
        child(p, "w:bookmarkEnd", {{"w:id", id.c_str()}});
        m_placed->append(m.captured(1));
        at = m.capturedEnd();
    }
    addRun(text.mid(at));
}

void Layout::addCell(pugi::xml_node row, const FormCell &cell, int column, const QString &rowNumber)
{
    if (column + cell.span > m_columns.size())
        throw std::runtime_error(QStringLiteral("line %1: the row has more cells than the table has columns")
                                     .arg(m_line).toStdString());
    int width = 0;
    for (int i = column; i < column + cell.span; ++i)
        width += m_columns.at(i);
    QString text = cell.text;
    text.replace(QLatin1Char('#'), rowNumber);
    const bool value = !bookmarksIn(text).isEmpty();
    pugi::xml_node tc = child(row, "w:tc");
    pugi::xml_node tcpr = child(tc, "w:tcPr");
    const std::string w = std::to_string(width);
    child(tcpr, "w:tcW", {{"w:w", w.c_str()}, {"w:type", "dxa"}});
    if (cell.span > 1) {
        const std::string s = std::to_string(cell.span);
        child(tcpr, "w:gridSpan", {{"w:val", s.c_str()}});
    }
    child(tcpr, "w:vAlign", {{"w:val", "center"}});
    const RunFormat format;
    fillText(paragraph(tc, value ? "left" : "center", format), text, format);
}

void Layout::addRow(const QList<FormCell> &cells, const QString &rowNumber)
{
    pugi::xml_node tr = child(m_table, "w:tr");
    pugi::xml_node trpr = child(tr, "w:trPr");
    child(trpr, "w:trHeight", {{"w:val", "420"}});
    int column = 0;
    for (const FormCell &cell : cells) {
        addCell(tr, cell, column, rowNumber);
        column += cell.span;
    }
    if (column != m_columns.size())
        throw std::runtime_error(QStringLiteral("line %1: the row's cells do not fill the table's %2 columns")
                                     .arg(m_line).arg(m_columns.size()).toStdString());
}

void Layout::add(const FormBlock &block)
{
    m_line = block.line;
    switch (block.kind) {
    case FormBlock::Title:
        fillText(paragraph(m_body, "center", {44, true}), block.text, {44, true});
        break;
    case FormBlock::Subtitle:
        fillText(paragraph(m_body, "center", {28, false}), block.text, {28, false});
        break;
    case FormBlock::Heading:
        fillText(paragraph(m_body, "left", {24, true}), block.text, {24, true});
        break;
    case FormBlock::Paragraph:
        fillText(paragraph(m_body, "left", {}), block.text, {});
        break;
    case FormBlock::PageBreak: {
        pugi::xml_node r = child(child(m_body, "w:p"), "w:r");
        child(r, "w:br", {{"w:type", "page"}});
        break;
    }
    case FormBlock::Table: {
        int total = 0;
        for (int w : block.widths)
            total += w;
        m_columns.clear();
        for (int w : block.widths)
            m_columns.append(kTextWidth * w / total);
        m_table = child(m_body, "w:tbl");
        pugi::xml_node tblpr = child(m_table, "w:tblPr");
        const std::string width = std::to_string(kTextWidth);
        child(tblpr, "w:tblW", {{"w:w", width.c_str()}, {"w:type", "dxa"}});
        child(tblpr, "w:jc", {{"w:val", "center"}});
        pugi::xml_node borders = child(tblpr, "w:tblBorders");
        for (const char *side : {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"})
            child(borders, side, {{"w:val", "single"}, {"w:sz", "4"}, {"w:space", "0"}, {"w:color", "000000"}});
        child(tblpr, "w:tblLayout", {{"w:type", "fixed"}});
        // Narrow cell margins: two characters fit the narrowest columns.
        pugi::xml_node margins = child(tblpr, "w:tblCellMar");
        for (const char *side : {"w:left", "w:right"})
            child(margins, side, {{"w:w", "57"}, {"w:type", "dxa"}});
        pugi::xml_node grid = child(m_table, "w:tblGrid");
        for (int w : m_columns) {
            const std::string s = std::to_string(w);
            child(grid, "w:gridCol", {{"w:w", s.c_str()}});
        }
        break;
    }
    case FormBlock::Row:
        addRow(block.cells, {});
        break;
    case FormBlock::Band: {
        pugi::xml_node tr = child(m_table, "w:tr");
        pugi::xml_node tc = child(tr, "w:tc");
        pugi::xml_node tcpr = child(tc, "w:tcPr");
        const std::string width = std::to_string(kTextWidth);
        const std::string span = std::to_string(m_columns.size());
        child(tcpr, "w:tcW", {{"w:w", width.c_str()}, {"w:type", "dxa"}});
        child(tcpr, "w:gridSpan", {{"w:val", span.c_str()}});
        fillText(paragraph(tc, "left", {21, true}), block.text, {21, true});
        break;
    }
    case FormBlock::Rows: {
        if (!m_rowCounts.contains(block.list))
            throw std::runtime_error(QStringLiteral("line %1: this document has no list \"%2\"")
                                         .arg(block.line).arg(block.list).toStdString());
        const int count = m_rowCounts.value(block.list);
        for (int i = 1; i <= count; ++i)
            addRow(block.cells, QString::number(i));
        break;
    }
    case FormBlock::End:
        // A paragraph between tables keeps them from merging into one.
        paragraph(m_body, "left", {});
        m_table = {};
        break;
    }
}

QByteArray documentXml(const QList<FormBlock> &blocks, const QHash<QString, int> &rowCounts, QStringList *placed)
{
    pugi::xml_document xml;
    pugi::xml_node doc = child(xml, "w:document", {{"xmlns:w", kWordNs}});
    pugi::xml_node body = child(doc, "w:body");
    Layout layout(body, rowCounts, placed);
    for (const FormBlock &block : blocks)
        layout.add(block);
    pugi::xml_node sect = child(body, "w:sectPr");
    const std::string w = std::to_string(kPageWidth), h = std::to_string(kPageHeight);
    const std::string side = std::to_string(kSideMargin), top = std::to_string(kTopMargin);
    child(sect, "w:pgSz", {{"w:w", w.c_str()}, {"w:h", h.c_str()}});
    child(sect, "w:pgMar", {{"w:top", top.c_str()}, {"w:right", side.c_str()}, {"w:bottom", top.c_str()},
                            {"w:left", side.c_str()}, {"w:header", "851"}, {"w:footer", "992"},
                            {"w:gutter", "0"}});
    return toBytes(xml);
}

QByteArray stylesXml()
{
    pugi::xml_document xml;
    pugi::xml_node styles = child(xml, "w:styles", {{"xmlns:w", kWordNs}});
    pugi::xml_node defaults = child(styles, "w:docDefaults");
    runProperties(child(defaults, "w:rPrDefault"), {});
    pugi::xml_node normal = child(styles, "w:style", {{"w:type", "paragraph"}, {"w:default", "1"}, {"w:styleId", "Normal"}});
    child(normal, "w:name", {{"w:val", "Normal"}});
    return toBytes(xml);
}

QByteArray contentTypesXml()
{
    pugi::xml_document xml;
    pugi::xml_node types = child(xml, "Types", {{"xmlns", "http://schemas.openxmlformats.org/package/2006/content-types"}});
    child(types, "Default", {{"Extension", "rels"}, {"ContentType", "application/vnd.openxmlformats-package.relationships+xml"}});
    child(types, "Default", {{"Extension", "xml"}, {"ContentType", "application/xml"}});
    child(types, "Override", {{"PartName", "/word/document.xml"},
                              {"ContentType", "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml"}});
    child(types, "Override", {{"PartName", "/word/styles.xml"},
                              {"ContentType", "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"}});
    return toBytes(xml);
}

QByteArray relationshipsXml(const char *id, const char *type, const char *target)
{
    pugi::xml_document xml;
    pugi::xml_node rels = child(xml, "Relationships", {{"xmlns", kRelNs}});
    child(rels, "Relationship", {{"Id", id}, {"Type", type}, {"Target", target}});
    return toBytes(xml);
}

} // namespace

DocxPackage buildTemplate(const QList<FormBlock> &blocks, const QHash<QString, int> &rowCounts, QStringList *placed)
{
    DocxPackage package;
    package.setPart(QStringLiteral("[Content_Types].xml"), contentTypesXml());
    package.setPart(QStringLiteral("_rels/.rels"),
                    relationshipsXml("rId1",
                                     "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument",
                                     "word/document.xml"));
    package.setPart(QStringLiteral("word/_rels/document.xml.rels"),
                    relationshipsXml("rId1", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles",
                                     "styles.xml"));
    package.setPart(QStringLiteral("word/document.xml"), documentXml(blocks, rowCounts, placed));
    package.setPart(QStringLiteral("word/styles.xml"), stylesXml());
    return package;
}
