// The document filler: text inserted after bookmarks as a word processor
// would, the finished package, and the ten templates the build makes from
// the form sources.
#include "printing/wordplans/WordPlans.h"
#include "word/DocxDocument.h"
#include "word/WordError.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <pugixml.hpp>
#include <sstream>

namespace {

// A template by hand: a bold label run before "name", an empty paragraph
// with a paragraph-mark format holding "memo", and a run after "after".
const char *const kBody =
    R"(<?xml version="1.0" encoding="UTF-8"?>)"
    R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)"
    R"(<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>成果名称：</w:t></w:r>)"
    R"(<w:bookmarkStart w:id="1" w:name="name"/><w:bookmarkEnd w:id="1"/></w:p>)"
    R"(<w:tbl><w:tr><w:tc><w:p><w:pPr><w:jc w:val="left"/><w:rPr><w:sz w:val="24"/><w:ins w:id="9" w:author="x"/></w:rPr></w:pPr>)"
    R"(<w:bookmarkStart w:id="2" w:name="memo"/><w:bookmarkEnd w:id="2"/></w:p></w:tc></w:tr></w:tbl>)"
    R"(<w:p><w:bookmarkStart w:id="3" w:name="after"/><w:bookmarkEnd w:id="3"/>)"
    R"(<w:r><w:rPr><w:i/></w:rPr><w:t>尾</w:t></w:r></w:p>)"
    R"(</w:body></w:document>)";

DocxPackage handMadeTemplate()
{
    DocxPackage p;
    p.setPart("[Content_Types].xml",
              R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
              R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml"/></Types>)");
    p.setPart("word/document.xml", kBody);
    p.setPart("word/styles.xml", "<w:styles/>");
    return p;
}

// The main part of the finished document, read back from its zip bytes.
std::unique_ptr<pugi::xml_document> finishedXml(const DocxDocument &doc, const QString &part = "word/document.xml")
{
    const DocxPackage back = DocxPackage::fromBytes(doc.toPackage().toBytes(), "test");
    const QByteArray bytes = back.part(part);
    auto xml = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result ok = xml->load_buffer(bytes.constData(), size_t(bytes.size()));
    if (!ok)
        qFatal("not well-formed: %s", ok.description());
    return xml;
}

QString xmlText(const pugi::xml_node &node)
{
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return QString::fromStdString(out.str());
}

QString builtTemplate(const WordPlans::Document &doc)
{
    return QDir(DRAVIK_BINARY_DIR "/data-dist").filePath(WordPlans::templateFileName(doc));
}

} // namespace

class TstDocx : public QObject
{
    Q_OBJECT

private slots:
    void insertedTextTakesTheNeighboursFormat()
    {
        DocxDocument doc = DocxDocument::fromPackage(handMadeTemplate(), "t.dotx");
        doc.insertAfter("name", "一种新型材料");
        doc.insertAfter("memo", "摘要");
        doc.insertAfter("after", "前");
        auto xml = finishedXml(doc);
        const pugi::xml_node body = xml->child("w:document").child("w:body");
        // After the label: bold like the label.
        const pugi::xml_node first = body.child("w:p").child("w:bookmarkEnd").next_sibling();
        QCOMPARE(QString(first.name()), QString("w:r"));
        QVERIFY(first.child("w:rPr").child("w:b"));
        QCOMPARE(QString::fromUtf8(first.child("w:t").text().get()), QString("一种新型材料"));
        // An empty cell: the paragraph mark's format, without its change mark.
        const pugi::xml_node cellRun = body.child("w:tbl").first_element_by_path("w:tr/w:tc/w:p/w:r");
        QCOMPARE(QString(cellRun.child("w:rPr").child("w:sz").attribute("w:val").value()), QString("24"));
        QVERIFY(!cellRun.child("w:rPr").child("w:ins"));
        // Nothing before it: the run after the bookmark lends its format.
        const pugi::xml_node last = body.last_child().child("w:bookmarkEnd").next_sibling();
        QVERIFY(last.child("w:rPr").child("w:i"));
        QCOMPARE(QString::fromUtf8(last.child("w:t").text().get()), QString("前"));
    }

    void breaksTabsAndParagraphs()
    {
        DocxDocument doc = DocxDocument::fromPackage(handMadeTemplate(), "t.dotx");
        doc.insertAfter("memo", "一行\r\n二行\n三\t列");
        doc.insertAfter("name", "短名\r");
        auto xml = finishedXml(doc);
        const pugi::xml_node body = xml->child("w:document").child("w:body");
        const pugi::xml_node cellRun = body.child("w:tbl").first_element_by_path("w:tr/w:tc/w:p/w:r");
        QCOMPARE(xmlText(cellRun).count("<w:br"), 2);
        QCOMPARE(xmlText(cellRun).count("<w:tab"), 1);
        QVERIFY(!xmlText(cellRun).contains('\r'));
        // A carriage return alone ends the paragraph: a second, empty one follows.
        const pugi::xml_node first = body.child("w:p");
        const pugi::xml_node second = first.next_sibling();
        QCOMPARE(QString(second.name()), QString("w:p"));
        QVERIFY(!second.child("w:r"));
        QCOMPARE(QString(second.next_sibling().name()), QString("w:tbl"));
    }

    void paragraphSplitKeepsWhatFollows()
    {
        DocxDocument doc = DocxDocument::fromPackage(handMadeTemplate(), "t.dotx");
        doc.insertAfter("after", "甲\r乙");
        auto xml = finishedXml(doc);
        const pugi::xml_node last = xml->child("w:document").child("w:body").last_child();
        const pugi::xml_node before = last.previous_sibling();
        QCOMPARE(QString::fromUtf8(before.child("w:r").child("w:t").text().get()), QString("甲"));
        // "乙" opens the new paragraph, the template's own run "尾" follows it.
        QStringList texts;
        for (pugi::xml_node r : last.children("w:r"))
            texts << QString::fromUtf8(r.child("w:t").text().get());
        QCOMPARE(texts, QStringList({"乙", "尾"}));
    }

    void textIsEscapedAndUnholdableCharactersDropped()
    {
        DocxDocument doc = DocxDocument::fromPackage(handMadeTemplate(), "t.dotx");
        const QString emoji = QString::fromUcs4(U"\U0001F600");
        QString bad = QString("A&B<C>\"D'") + QChar(0x01) + QChar(0x1F) + QChar(0xFFFF) + emoji + QChar(0xD800) + "E";
        doc.insertAfter("name", bad);
        auto xml = finishedXml(doc);
        const pugi::xml_node run = xml->child("w:document").child("w:body").child("w:p").child("w:bookmarkEnd").next_sibling();
        QCOMPARE(QString::fromUtf8(run.child("w:t").text().get()), QString("A&B<C>\"D'") + emoji + "E");
        QCOMPARE(xmlSafeText(QString(QChar(0x0B)) + "x\t\n\r"), QString("x\t\n\r"));
    }

    void missingBookmarkIsAnErrorNamingIt()
    {
        DocxDocument doc = DocxDocument::fromPackage(handMadeTemplate(), "表.dotx");
        try {
            doc.insertAfter("item_999", "x");
            QFAIL("no error");
        } catch (const WordError &e) {
            QVERIFY(e.message().contains("item_999"));
            QVERIFY(e.message().contains("表.dotx"));
        }
        // Empty text is no change, but the bookmark must still exist.
        QVERIFY_THROWS_EXCEPTION(WordError, doc.insertAfter("item_998", ""));
        QVERIFY_THROWS_EXCEPTION(WordError, DocxDocument::fromPackage(DocxPackage(), "x"));
        QVERIFY_THROWS_EXCEPTION(WordError, DocxPackage::fromBytes("not a zip at all", "x"));
    }

    void finishedPackageIsADocumentAndNeverOverwrites()
    {
        DocxDocument doc = DocxDocument::fromPackage(handMadeTemplate(), "t.dotx");
        const DocxPackage out = doc.toPackage();
        QVERIFY(out.part("[Content_Types].xml").contains("wordprocessingml.document.main+xml"));
        QVERIFY(!out.part("[Content_Types].xml").contains("template.main"));
        QCOMPARE(out.part("word/styles.xml"), QByteArray("<w:styles/>"));
        QTemporaryDir dir;
        const QString path = dir.filePath("文档.docx");
        out.writeNew(path);
        const QByteArray first = QFile(path).exists() ? DocxPackage::read(path).part("word/document.xml") : QByteArray();
        QVERIFY(!first.isEmpty());
        QVERIFY_THROWS_EXCEPTION(WordError, out.writeNew(path));
        QCOMPARE(DocxPackage::read(path).part("word/document.xml"), first);
    }

    // A disk that fills up under the document: said as such, naming the
    // folder (the system's own text for a write cut short is "Unknown
    // error"), and no half document left.
    void aFullDiskIsSaidToBeFull()
    {
        SmallDisk disk(256 * 1024);
        if (!disk.mounted())
            QSKIP("cannot mount a small disk here");
        disk.fill(1024);
        const DocxPackage out = DocxDocument::fromPackage(handMadeTemplate(), "t.dotx").toPackage();
        const QString path = QDir(disk.path()).filePath("文档.docx");
        QString error;
        try {
            out.writeNew(path);
        } catch (const WordError &e) {
            error = e.message();
        }
        QVERIFY2(error.contains("磁盘已满") && error.contains(QDir::toNativeSeparators(disk.path())), qPrintable(error));
        QVERIFY(!QFile::exists(path));
    }

    // Each template the build made holds exactly the bookmarks its document
    // fills, each once, with names a word processor accepts and unique ids.
    void templatesHoldExactlyTheirBookmarks_data()
    {
        QTest::addColumn<QString>("base");
        for (const WordPlans::Document *d : WordPlans::allDocuments())
            QTest::newRow(qPrintable(d->templateBase)) << d->templateBase;
    }

    void templatesHoldExactlyTheirBookmarks()
    {
        QFETCH(QString, base);
        const WordPlans::Document *plan = WordPlans::documentByTemplate(base);
        const DocxPackage package = DocxPackage::read(builtTemplate(*plan));
        QVERIFY(package.part("[Content_Types].xml").contains("template.main+xml"));
        pugi::xml_document xml;
        const QByteArray body = package.part("word/document.xml");
        QVERIFY(xml.load_buffer(body.constData(), size_t(body.size())));
        QStringList names;
        QSet<QString> ids;
        for (const pugi::xpath_node &n : xml.select_nodes("//w:bookmarkStart")) {
            names << QString::fromUtf8(n.node().attribute("w:name").value());
            const QString id = n.node().attribute("w:id").value();
            QVERIFY2(!ids.contains(id), qPrintable(id));
            ids.insert(id);
            QVERIFY(xml.select_node(("//w:bookmarkEnd[@w:id='" + id.toStdString() + "']").c_str()));
        }
        QStringList wanted = WordPlans::bookmarkNames(*plan);
        for (const QString &n : names)
            QVERIFY2(n.size() <= 40, qPrintable(n));
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        names.sort();
        wanted.sort();
        QCOMPARE(names, wanted);
    }

    void rowLimitsOfTheLists()
    {
        auto limits = [](const QString &base) {
            QStringList out;
            for (const WordPlans::ChildList &l : WordPlans::documentByTemplate(base)->lists)
                out << QString::number(l.limit);
            return out.join(' ');
        };
        // patents accepted, granted, units, persons, committee
        QCOMPARE(limits("应用技术登记表"), QString("4 4 8 34 13"));
        QCOMPARE(limits("应用技术登记表(正文)"), QString("4 4 8 45 13"));
        QCOMPARE(limits("基础、软科学登记表"), QString("5 34 13"));
        QCOMPARE(limits("基础、软科学登记表(正文)"), QString("5 45 13"));
        QCOMPARE(limits("科学技术成果鉴定申请表"), QString("15"));
        QCOMPARE(limits("科学技术成果鉴定证书"), QString("7 15 15"));
        QCOMPARE(WordPlans::bookmarkNames(*WordPlans::documentByTemplate("应用技术登记表(正文)")).size(), 621);
    }
};

QTEST_GUILESS_MAIN(TstDocx)
#include "tst_docx.moc"
