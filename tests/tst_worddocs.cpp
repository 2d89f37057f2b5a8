// The Word documents of the print window: every document of the six buttons
// made from the shipped templates for records with all fields, read back by a
// real word processor; child rows in serial order and cut at their limits;
// the text rules; saving, opening and failing.
#include "printing/CodeLookup.h"
#include "printing/PrintUnit.h"
#include "printing/WordDocumentMaker.h"
#include "printing/WordOutput.h"
#include "support/WordProcessor.h"
#include "support/WordRecords.h"
#include "engine/GbkText.h"

#include <QPushButton>
#include <QtTest>

using WordPlans::Output;

namespace {

const QString Yy = u"2026000001"_s;
const QString Rj = u"2026000002"_s;
const QString Untouched = u"<as the template>"_s;

// A text of exactly `bytes` GBK bytes: Chinese characters, and a letter
// for an odd count.
QString ofBytes(int bytes)
{
    return QString(bytes / 2, QChar(0x6750)) + (bytes % 2 ? u"A"_s : QString());
}

// The line after the label's line: the cell to the right of the label.
QString valueAt(const QStringList &lines, const QString &label)
{
    const qsizetype at = lines.indexOf(label);
    return at < 0 || at + 1 >= lines.size() ? u"<no label %1>"_s.arg(label) : lines.at(at + 1);
}

} // namespace

class TstWordDocs : public QObject
{
    Q_OBJECT

    DataFixture data;
    std::unique_ptr<BoxLog> boxes;
    std::unique_ptr<QTemporaryDir> out;
    QStringList opened;

    bool startData(const QStringList &leaveOut = {})
    {
        if (!data.start(leaveOut))
            return false;
        copyTemplates(data.dataPath());
        boxes.reset();  // the old log, going, would take the answerer with it
        boxes = std::make_unique<BoxLog>();
        out = std::make_unique<QTemporaryDir>();
        opened.clear();
        return true;
    }

    QStringList produce(Output output, const QString &item4, bool *finished = nullptr)
    {
        if (!selectRecord(data.dm(), item4))
            return {u"<no record>"_s};
        const DatabaseCodes codes(data.db());
        WordDocumentMaker word(WordSources::fromDataModule(*data.dm(), codes), data.dataPath(), nullptr);
        word.setFolder(out->filePath(u"Dravik"_s));
        word.setOpener([this](const QString &path) {
            opened << path;
            return true;
        });
        const bool done = word.run(output);
        if (finished)
            *finished = done;
        return word.saved();
    }

    // What the template itself holds after a bookmark: an untouched
    // bookmark of a finished document still reads so.
    QString templateAfter(const QString &base, const QString &bookmark) const
    {
        return SavedDocument(QDir(data.dataPath()).filePath(base + u".dotx"_s)).after(bookmark);
    }

    // Each bookmark of the document against its text; Untouched: as the
    // template has it.
    void compareBookmarks(const QString &document, const QString &base, const QList<QPair<QString, QString>> &expected)
    {
        QVERIFY2(QFileInfo::exists(document), qPrintable(base + u": not made "_s + boxes->texts().join(u" | "_s)));
        const SavedDocument made(document);
        QStringList problems;
        for (const auto &[bookmark, text] : expected) {
            const QString wanted = text == Untouched ? templateAfter(base, bookmark) : text;
            if (made.after(bookmark) != wanted)
                problems << u"%1 %2: \"%3\", expected \"%4\""_s.arg(base, bookmark, made.after(bookmark), wanted);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    QStringList filesMade() const
    {
        return QDir(out->filePath(u"Dravik"_s)).entryList(QDir::Files);
    }

private slots:
    void initTestCase() { data.buildOnce(); }

    void documentsReadByAWordProcessor()
    {
        QVERIFY(startData());
        addFullRecord(data.db(), Yy, u"1"_s);
        addFullRecord(data.db(), Rj, u"2"_s);
        for (const QString &item4 : {Yy, Rj}) {
            addPersons(data.db(), item4, 50);
            addCommittee(data.db(), item4, 20);
            addUnits(data.db(), item4, 9);
            addPatents(data.db(), item4, 6, 1);
        }
        QHash<QString, QStringList> made;  // name -> the two or one documents
        made[u"yy"_s] = produce(Output::YyForm, Yy);
        made[u"yyText"_s] = produce(Output::YyFormText, Yy);
        made[u"rj"_s] = produce(Output::RjForm, Rj);
        made[u"rjText"_s] = produce(Output::RjFormText, Rj);
        made[u"application"_s] = produce(Output::Application, Rj);
        made[u"certificate"_s] = produce(Output::Certificate, Rj);
        QStringList all;
        for (const QStringList &docs : std::as_const(made))
            all << docs;
        QCOMPARE(all.size(), 10);
        QCOMPARE(opened.size(), 10);
        QCOMPARE(boxes->boxes.size(), 6);  // the six questions, no error
        for (const QString &doc : all) {
            const SavedDocument saved(doc);
            QVERIFY2(saved.wellFormed() && saved.isDocument(), qPrintable(doc));
        }

        // Rows in serial order, cut at the limits (the XML, exact).
        const SavedDocument yyForm(made[u"yy"_s].at(1));
        QCOMPARE(yyForm.after(u"item_180_1"_s), u"人员1"_s);
        QCOMPARE(yyForm.after(u"item_180_34"_s), u"人员34"_s);
        QCOMPARE(yyForm.after(u"item_181_1"_s), u"女"_s);
        QCOMPARE(yyForm.after(u"item_188_1"_s), u"是"_s);
        QCOMPARE(yyForm.after(u"item_192_1"_s), u"委员1"_s);
        QCOMPARE(yyForm.after(u"item_192_13"_s), u"委员13"_s);
        QCOMPARE(yyForm.after(u"item_170_1"_s), u"合作单位1"_s);
        QCOMPARE(yyForm.after(u"item_176_8"_s), u"8"_s);
        QCOMPARE(yyForm.after(u"patentl_no_4"_s), u"ZL20264"_s);
        QCOMPARE(yyForm.after(u"patent_no_1"_s), u"ZL20267"_s);
        QCOMPARE(yyForm.after(u"patent_no_2"_s), QString());
        QCOMPARE(SavedDocument(made[u"yyText"_s].at(1)).after(u"item_180_45"_s), u"人员45"_s);
        QCOMPARE(SavedDocument(made[u"rj"_s].at(1)).after(u"item_170_5"_s), u"合作单位5"_s);
        // Break below: the short name on the cover ends its paragraph.
        QCOMPARE(SavedDocument(made[u"yy"_s].at(0)).after(u"item_3"_s), u"一种耐高温复合材料的制备方法¶"_s);

        const QHash<QString, QStringList> text = wordProcessorText(all);
        QVERIFY2(text.size() == all.size(), "the word processor could not read every document");

        const QStringList yy = text.value(made[u"yy"_s].at(1));
        QCOMPARE(valueAt(yy, u"成果名称"_s), u"一种耐高温复合材料的制备方法"_s);
        QCOMPARE(valueAt(yy, u"关键词"_s), u"复合材料  耐高温  制备"_s);
        QCOMPARE(valueAt(yy, u"成果体现形式"_s), u"新材料"_s);
        QCOMPARE(valueAt(yy, u"成果水平"_s), u"国内领先"_s);
        QCOMPARE(valueAt(yy, u"学科分类"_s), u"11010 数学史"_s);
        QCOMPARE(valueAt(yy, u"中图分类号"_s), u"A1 马克思、恩格斯著作"_s);
        QCOMPARE(valueAt(yy, u"所属高新技术领域"_s), u"电子信息;软件"_s);
        QCOMPARE(valueAt(yy, u"知识产权形式"_s), u"专利;软件著作权"_s);
        QCOMPARE(valueAt(yy, u"专利类型"_s), u"发明专利;实用新型专利"_s);
        QCOMPARE(valueAt(yy, u"课题来源"_s), u"部门计划;国家科技计划(国家科技支撑计划)"_s);
        QCOMPARE(valueAt(yy, u"投资总额（万元）"_s), u"120.5"_s);
        QCOMPARE(valueAt(yy, u"评价方式"_s), u"鉴定"_s);
        QCOMPARE(valueAt(yy, u"专利状况"_s), u"已受理专利申请"_s);
        QCOMPARE(valueAt(yy, u"未应用原因"_s), u"资金问题;(贷款困难)"_s);
        QCOMPARE(valueAt(yy, u"单位属性"_s), u"大专院校(国有企业)(属于科研机构转制型企业)"_s);
        QCOMPARE(valueAt(yy, u"所在省市"_s), u"北京市"_s);
        QCOMPARE(valueAt(yy, u"隶属关系"_s), u"全国人大常委会"_s);
        QCOMPARE(valueAt(yy, u"联系人"_s), u"李明"_s);
        // Export earnings are entered and stored in ten thousand yuan.
        QCOMPARE(valueAt(yy, u"出口创汇（万元）"_s), u"2"_s);
        // The memo: its line break kept, "&" and "<" whole.
        const qsizetype memo = yy.indexOf(u"本成果研究了耐高温材料。"_s);
        QVERIFY(memo > 0);
        QCOMPARE(yy.at(memo + 1), u"第二段：A&B<C>。完"_s);
        QVERIFY(yy.contains(u"人员34"_s) && !yy.contains(u"人员35"_s));
        QVERIFY(yy.contains(u"委员13"_s) && !yy.contains(u"委员14"_s));
        QVERIFY(yy.contains(u"合作单位8"_s) && !yy.contains(u"合作单位9"_s));
        QVERIFY(yy.contains(u"ZL20264"_s) && !yy.contains(u"ZL20265"_s));

        const QStringList yyText = text.value(made[u"yyText"_s].at(1));
        QVERIFY(yyText.contains(u"人员45"_s) && !yyText.contains(u"人员46"_s));
        QCOMPARE(valueAt(yyText, u"出口创汇（万元）"_s), u"2"_s);
        const QStringList yyCover = text.value(made[u"yyText"_s].at(0));
        QCOMPARE(valueAt(yyCover, u"研究起止时间"_s), u"自 2024年01月 至 2025年12月"_s);
        QCOMPARE(valueAt(yyCover, u"推荐单位"_s), u"中国科学院"_s);
        QCOMPARE(valueAt(yyCover, u"登记日期"_s), u"2026-6-1"_s);

        const QStringList rj = text.value(made[u"rj"_s].at(1));
        QCOMPARE(valueAt(rj, u"成果形式"_s), u"研究报告"_s);
        QCOMPARE(valueAt(rj, u"社会经济目标"_s), u"陆地、海洋和大气的开发与评价;民用宇宙空间"_s);
        QCOMPARE(valueAt(rj, u"评价方式"_s), u"评审"_s);
        QVERIFY(rj.contains(u"合作单位5"_s) && !rj.contains(u"合作单位6"_s));
        QVERIFY(!rj.join(' ').contains(u"ZL2026"_s));
        const QStringList rjCover = text.value(made[u"rj"_s].at(0));
        QCOMPARE(valueAt(rjCover, u"完成单位"_s), u"北京新材料研究院"_s);

        const QStringList application = text.value(made[u"application"_s].at(0));
        QCOMPARE(valueAt(application, u"组织鉴定单位"_s), u"省科学技术厅"_s);
        QCOMPARE(valueAt(application, u"所在地区"_s), u"北京市"_s);
        QCOMPARE(valueAt(application, u"任务来源"_s), u"部门计划;国家科技计划(国家科技支撑计划)"_s);
        QCOMPARE(valueAt(application, u"是否涉密"_s), u"1"_s);
        QCOMPARE(valueAt(application, u"密级"_s), u"3"_s);
        QVERIFY(application.contains(u"人员15"_s) && !application.contains(u"人员16"_s));

        const QStringList certificate = text.value(made[u"certificate"_s].at(0));
        QCOMPARE(valueAt(certificate, u"鉴定形式"_s), u"评审"_s);  // category 2: its own group
        QCOMPARE(valueAt(certificate, u"鉴定日期"_s), u"2026 年 05 月 17 日"_s);
        QCOMPARE(valueAt(certificate, u"鉴定批准日期"_s), u"2026 年 06 月 20 日"_s);
        QCOMPARE(valueAt(certificate, u"应用状况代码"_s), QString());
        QVERIFY(certificate.contains(u"合作单位7"_s) && !certificate.contains(u"合作单位8"_s));
        QVERIFY(certificate.contains(u"委员15"_s) && !certificate.contains(u"委员16"_s));
    }

    // A record's child rows are read by its exact key: a region stored as
    // "1*" does not mean "every region beginning with 1", and no table of the
    // data module is left filtered for the windows that read it next.
    void childRowsAreReadByTheExactKey()
    {
        QVERIFY(startData());
        const QString number = u"2026000009"_s;
        for (const QString &region : {u"1*"_s, u"12"_s}) {
            appendRow(data.db(), u"kjcg.DBF"_s,
                      {{u"ITEM_4"_s, number}, {u"ITEM_DQDM"_s, region}, {u"ITEM_CGLB"_s, u"1"_s},
                       {u"ITEM_3"_s, u"地区%1的成果"_s.arg(region)}});
            appendRow(data.db(), u"cgwcr.DBF"_s,
                      {{u"ITEM_4"_s, number}, {u"ITEM_DQDM"_s, region}, {u"ITEM_187"_s, u"1"_s},
                       {u"ITEM_180"_s, u"地区%1的人员"_s.arg(region)}});
            appendRow(data.db(), u"zlqk.dbf"_s,
                      {{u"ITEM_4"_s, number}, {u"ITEM_DQDM"_s, region}, {u"ITEM_NO"_s, u"1"_s},
                       {u"PATENT_NO"_s, u"ZL%1"_s.arg(region)}, {u"PATENT_ST"_s, u"2"_s}});
        }
        Table &patents = *data.dm()->tblzlqk;
        patents.setFilter(Filter::exact({{u"item_4"_s, number}}));
        patents.setFiltered(true);
        patents.open();
        QCOMPARE(patents.recordCount(), 2);

        const QStringList docs = produce(Output::YyForm, number);
        QVERIFY2(docs.size() == 2, qPrintable(boxes->texts().join(u" | "_s)));
        const SavedDocument form(docs.at(1));
        QCOMPARE(form.after(u"item_180_1"_s), u"地区1*的人员"_s);
        QCOMPARE(form.after(u"item_180_2"_s), QString());
        QCOMPARE(form.after(u"patent_no_1"_s), u"ZL1*"_s);
        QCOMPARE(form.after(u"patent_no_2"_s), QString());
        QCOMPARE(patents.recordCount(), 2);
        QCOMPARE(patents.filter(), Filter::exact({{u"item_4"_s, number}}).text());
    }

    void missingClassificationTablesGiveTheCodes()
    {
        QVERIFY(startData({u"xkfl.dbf"_s, u"ztflh.dbf"_s}));
        addFullRecord(data.db(), Yy, u"1"_s);
        const QStringList docs = produce(Output::YyForm, Yy);
        QCOMPARE(docs.size(), 2);
        QCOMPARE(boxes->boxes.size(), 1);
        const SavedDocument form(docs.at(1));
        QCOMPARE(form.after(u"item_15"_s), u"11010"_s);
        QCOMPARE(form.after(u"item_12_1"_s), u"A"_s);
        QCOMPARE(form.after(u"item_41"_s), u"李明"_s);  // the form went on
    }

    void projectSourceNamesThePlan_data()
    {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("expected");
        QTest::newRow("alone") << u"国家科技计划"_s << u"国家科技计划(支撑)"_s;
        QTest::newRow("last") << u"部门计划;国家科技计划"_s << u"部门计划;国家科技计划(支撑)"_s;
        QTest::newRow("first") << u"国家科技计划;部门计划"_s << u"国家科技计划(支撑);部门计划"_s;
        QTest::newRow("one code stored") << u"国家科技计划;"_s << u"国家科技计划(支撑);"_s;
        QTest::newRow("not among them") << u"部门计划;地方计划"_s << u"部门计划;地方计划"_s;
        QTest::newRow("only part of a name") << u"非国家科技计划;"_s << u"非国家科技计划;"_s;
    }

    void projectSourceNamesThePlan()
    {
        QFETCH(QString, names);
        QFETCH(QString, expected);
        QCOMPARE(insertPlanName(names, u"支撑"_s), expected);
    }

    // Optional fields empty or "0" leave their bookmarks as the template
    // has them, or give the plain name; lists shorter than their limits
    // fill their own rows only. The basic-theory record names its
    // evaluation form from the other categories' group.
    void emptyOptionalFieldsAndShortLists()
    {
        QVERIFY(startData());
        const FieldValues optional = {{u"ITEM_62"_s, u"3"_s},   {u"ITEM_41_3"_s, QString()},
                                      {u"ITEM_34"_s, QString()}, {u"ITEM_302"_s, QString()},
                                      {u"ITEM_126"_s, u"01;02;"_s}, {u"ITEM_140"_s, QString()}};
        addFullRecord(data.db(), Yy, u"1"_s, optional + FieldValues{{u"ITEM_163"_s, u"0"_s}});
        addFullRecord(data.db(), Rj, u"3"_s,
                      optional + FieldValues{{u"ITEM_163"_s, QString()}, {u"ITEM_21"_s, u"6"_s}});
        for (const QString &item4 : {Yy, Rj}) {
            addPersons(data.db(), item4, 3);
            addUnits(data.db(), item4, 2);
            addCommittee(data.db(), item4, 1);
            addPatents(data.db(), item4, 1, 0);
        }
        const QList<QPair<QString, QString>> shortLists = {
            {u"item_180_3"_s, u"人员3"_s}, {u"item_180_4"_s, Untouched}, {u"item_186_4"_s, Untouched},
            {u"item_170_2"_s, u"合作单位2"_s}, {u"item_170_3"_s, Untouched}, {u"item_172_3"_s, Untouched},
            {u"item_192_1"_s, u"委员1"_s}, {u"item_192_2"_s, Untouched}, {u"item_198_2"_s, Untouched}};
        const QList<QPair<QString, QString>> form = {
            {u"item_163"_s, Untouched},  {u"item_62"_s, u"企业"_s}, {u"item_126"_s, u"国家科技计划;部门计划"_s},
            {u"item_34"_s, Untouched},   {u"item_176_2"_s, u"2"_s}, {u"item_176_3"_s, Untouched},
            {u"item_187_4"_s, Untouched}};
        compareBookmarks(produce(Output::YyForm, Yy).value(1), u"应用技术登记表"_s,
                         form + shortLists
                             + QList<QPair<QString, QString>>{{u"patentl_no_1"_s, u"ZL20261"_s},
                                                              {u"patentl_nam_2"_s, Untouched},
                                                              {u"patent_no_1"_s, Untouched},
                                                              {u"patent_nam_1"_s, Untouched}});
        compareBookmarks(produce(Output::RjFormText, Rj).value(1), u"基础、软科学登记表(正文)"_s,
                         form + shortLists + QList<QPair<QString, QString>>{{u"item_21"_s, u"结题"_s}});
        compareBookmarks(produce(Output::Certificate, Yy).value(0), u"科学技术成果鉴定证书"_s,
                         shortLists
                             + QList<QPair<QString, QString>>{
                                 {u"item_34_y"_s, Untouched},  {u"item_34_m"_s, Untouched},
                                 {u"item_34_d"_s, Untouched},  {u"item_34_1"_s, Untouched},
                                 {u"item_302_y"_s, Untouched}, {u"item_302_m"_s, Untouched},
                                 {u"item_302_d"_s, Untouched}, {u"item_302_1"_s, Untouched},
                                 {u"item_62"_s, u"企业"_s},    {u"item_62_1"_s, u"3"_s},
                                 {u"item_126_2"_s, u"国家科技计划;部门计划"_s}});
        compareBookmarks(produce(Output::Application, Rj).value(0), u"科学技术成果鉴定申请表"_s,
                         {{u"item_126_2"_s, u"国家科技计划;部门计划"_s}, {u"item_126"_s, u"01;02;"_s},
                          {u"item_180_3"_s, u"人员3"_s}, {u"item_180_4"_s, Untouched}});
    }

    // Amounts in 万元 as stored, in the general decimal form; an amount
    // never entered inserts nothing.
    void amountsAsStored()
    {
        QVERIFY(startData());
        const QList<QPair<QString, QString>> amounts = {
            {u"item_149"_s, u"10001373.71"_s}, {u"item_141"_s, u"0.3"_s},   {u"item_148"_s, u"12.5"_s},
            {u"item_142"_s, u"107.3"_s},       {u"item_142_1"_s, u"0.05"_s}, {u"item_142_2"_s, u"100"_s},
            {u"item_142_3"_s, u"7.25"_s},      {u"item_143"_s, u"1234.56"_s}, {u"item_144"_s, u"9999999"_s},
            {u"item_243"_s, u"0"_s},           {u"item_145"_s, u"0.3"_s}};
        const QList<QPair<QString, QString>> applied = {
            {u"item_45"_s, u"3"_s},           {u"item_150"_s, u"12.5"_s},  {u"item_162"_s, u"0.3"_s},
            {u"item_151_1"_s, u"1234.56"_s},  {u"item_152_1"_s, u"9999999"_s}, {u"item_153"_s, u"0.75"_s},
            {u"item_154"_s, u"2.5"_s}};
        FieldValues stored = {{u"ITEM_244"_s, QString()}};
        for (const auto &[field, value] : amounts + applied)
            stored.append({field.toUpper(), value});
        addFullRecord(data.db(), Yy, u"1"_s, stored);
        addFullRecord(data.db(), Rj, u"3"_s, stored);
        const QList<QPair<QString, QString>> never = {{u"item_244"_s, Untouched}};
        compareBookmarks(produce(Output::YyFormText, Yy).value(1), u"应用技术登记表(正文)"_s,
                         amounts + applied + never);
        compareBookmarks(produce(Output::RjForm, Rj).value(1), u"基础、软科学登记表"_s, amounts + never);
    }

    // Each short-line break from both sides: a text one byte below the
    // limit ends its paragraph, one at it or above does not; the same
    // field at a bookmark without a break never does.
    void breaksBelowTheirLimits_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("document");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QStringList>("limits");  // bookmark:field:limit
        QTest::addColumn<QStringList>("plain");   // bookmark:field, no break
        const struct
        {
            const char *name;
            Output output;
            const char *category;
            int document;
            const char *base;
            QStringList limits;
            QStringList plain;
        } rows[] = {
            {"applied cover", Output::YyForm, "1", 0, "应用技术封面",
             {u"item_3:ITEM_3:44"_s, u"item_9:ITEM_9:38"_s, u"item_128:ITEM_128:42"_s}, {}},
            {"applied cover (正文)", Output::YyFormText, "1", 0, "应用技术封面(正文)",
             {u"item_3:ITEM_3:44"_s, u"item_9:ITEM_9:38"_s, u"item_128:ITEM_128:42"_s}, {}},
            {"soft science cover", Output::RjForm, "2", 0, "基础、软科学封面",
             {u"item_3:ITEM_3:42"_s, u"item_9:ITEM_9:38"_s}, {}},
            {"basic theory cover (正文)", Output::RjFormText, "3", 0, "基础、软科学封面(正文)",
             {u"item_3:ITEM_3:42"_s, u"item_9:ITEM_9:38"_s, u"item_128:ITEM_128:42"_s}, {}},
            {"applied form", Output::YyForm, "1", 1, "应用技术登记表", {},
             {u"item_3:ITEM_3"_s, u"item_9:ITEM_9"_s, u"item_130:ITEM_130"_s}},
            {"application", Output::Application, "3", 0, "科学技术成果鉴定申请表",
             {u"item_3_1:ITEM_3:46"_s, u"item_9:ITEM_9:46"_s, u"item_130_1:ITEM_130:40"_s},
             {u"item_3_2:ITEM_3"_s, u"item_9_1:ITEM_9"_s}},
            {"certificate", Output::Certificate, "2", 0, "科学技术成果鉴定证书",
             {u"item_3:ITEM_3:46"_s, u"item_9:ITEM_9:46"_s, u"item_130:ITEM_130:46"_s},
             {u"item_3_1:ITEM_3"_s, u"item_9_2:ITEM_9"_s, u"item_130_1:ITEM_130"_s}},
        };
        for (const auto &r : rows) {
            for (int offset : {-1, 0, 1}) {
                QStringList limits;
                for (const QString &l : r.limits)
                    limits << u"%1:%2"_s.arg(l.section(u':', 0, 1)).arg(l.section(u':', 2).toInt() + offset);
                QTest::addRow("%s, %+d", r.name, offset)
                    << int(r.output) << QString::fromUtf8(r.category) << r.document << QString::fromUtf8(r.base)
                    << limits << r.plain;
            }
        }
    }
    void breaksBelowTheirLimits()
    {
        QFETCH(int, output);
        QFETCH(QString, category);
        QFETCH(int, document);
        QFETCH(QString, base);
        QFETCH(QStringList, limits);
        QFETCH(QStringList, plain);
        QVERIFY(startData());
        // Each field as long as its bookmark's limit and the row's offset
        // say; a field with only plain bookmarks, 45 bytes.
        const bool below = QString::fromUtf8(QTest::currentDataTag()).endsWith(u"-1"_s);
        FieldValues fields;
        QList<QPair<QString, QString>> expected;
        for (const QString &l : limits) {
            const QString text = ofBytes(l.section(u':', 2).toInt());
            fields.append({l.section(u':', 1, 1), text});
            expected.append({l.section(u':', 0, 0), below ? text + u"¶"_s : text});
        }
        for (const QString &p : plain) {
            const QString field = p.section(u':', 1);
            auto at = std::find_if(fields.begin(), fields.end(), [&](const auto &f) { return f.first == field; });
            if (at == fields.end())
                at = fields.insert(fields.end(), {field, ofBytes(below ? 41 : 45)});
            expected.append({p.section(u':', 0, 0), at->second});
        }
        addFullRecord(data.db(), Yy, category, fields);
        compareBookmarks(produce(Output(output), Yy).value(document), base, expected);
    }

    void breakBelowCountsGbkBytes()
    {
        const QString twenty(20, QChar(0x6210));  // 40 bytes
        QCOMPARE(withBreakBelow(twenty, 42), twenty + '\r');
        QCOMPARE(withBreakBelow(twenty + QChar(0x6210), 42), twenty + QChar(0x6210));
        QCOMPARE(withBreakBelow(u"ab"_s + twenty, 42), u"ab"_s + twenty);  // 42 bytes, not 22 characters
        QCOMPARE(withBreakBelow(u"a"_s + twenty, 42), u"a"_s + twenty + '\r');
        QCOMPARE(withBreakBelow(twenty, 0), twenty);
    }

    void cancelMakesNothing()
    {
        QVERIFY(startData());
        addFullRecord(data.db(), Yy, u"1"_s);
        boxes->answer = QMessageBox::Cancel;
        bool finished = true;
        QVERIFY(produce(Output::YyForm, Yy, &finished).isEmpty());
        QVERIFY(!finished);
        QCOMPARE(boxes->boxes.size(), 1);
        QCOMPARE(boxes->last(), u"您确定输出word文档吗？\n"_s);
        QCOMPARE(boxes->lastCaption(), u"提示"_s);
        QVERIFY(filesMade().isEmpty());
    }

    void missingTemplateKeepsWhatWasFinished()
    {
        QVERIFY(startData());
        addFullRecord(data.db(), Yy, u"1"_s);
        QVERIFY(QFile::remove(QDir(data.dataPath()).filePath(u"应用技术登记表.dotx"_s)));
        bool finished = true;
        const QStringList docs = produce(Output::YyForm, Yy, &finished);
        QVERIFY(!finished);
        QCOMPARE(docs.size(), 1);
        QVERIFY(QFileInfo(docs.at(0)).fileName().startsWith(u"应用技术封面_2026000001_"_s));
        QCOMPARE(boxes->texts(), QStringList({u"您确定输出word文档吗？\n"_s, u"您的电脑上没有相应的报表"_s}));
        QCOMPARE(boxes->boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(filesMade().size(), 1);
    }

    void documentFailingMidwayIsNotSaved()
    {
        QVERIFY(startData());
        addFullRecord(data.db(), Yy, u"1"_s);
        // A form template that lacks the form's bookmarks.
        const QDir dir(data.dataPath());
        QFile::remove(dir.filePath(u"应用技术登记表.dotx"_s));
        QVERIFY(QFile::copy(dir.filePath(u"应用技术封面.dotx"_s), dir.filePath(u"应用技术登记表.dotx"_s)));
        bool finished = true;
        const QStringList docs = produce(Output::YyForm, Yy, &finished);
        QVERIFY(!finished);
        QCOMPARE(docs.size(), 1);
        QCOMPARE(filesMade().size(), 1);
        QCOMPARE(boxes->lastCaption(), u"提示"_s);
        QVERIFY2(boxes->last().contains(u"item_14_1"_s), qPrintable(boxes->last()));
    }

    void everyClickMakesNewFiles()
    {
        QVERIFY(startData());
        addFullRecord(data.db(), Rj, u"3"_s);
        const QStringList first = produce(Output::Certificate, Rj);
        const QStringList second = produce(Output::Certificate, Rj);
        QCOMPARE(first.size(), 1);
        QCOMPARE(second.size(), 1);
        QVERIFY(first.at(0) != second.at(0));
        QCOMPARE(filesMade().size(), 2);
        const QDateTime when(QDate(2026, 12, 7), QTime(1, 2, 3));
        QTemporaryDir dir;
        const QString a = WordDocumentMaker::uniquePath(dir.path(), u"证书"_s, u"20/26"_s, when);
        QCOMPARE(QFileInfo(a).fileName(), u"证书_20_26_20261207-010203.docx"_s);
        QFile(a).open(QIODevice::WriteOnly);
        QCOMPARE(QFileInfo(WordDocumentMaker::uniquePath(dir.path(), u"证书"_s, u"20/26"_s, when)).fileName(),
                 u"证书_20_26_20261207-010203-2.docx"_s);
    }

    // The print window's six buttons, each for a record of its category.
    void printWindowButtonsMakeTheirDocuments()
    {
        QVERIFY(startData());
        addFullRecord(data.db(), Yy, u"1"_s);
        addFullRecord(data.db(), Rj, u"3"_s);
        addPersons(data.db(), Yy, 3);
        AppContext context(*data.dm());
        TPrintForm window;
        window.wire(context);
        WordOutput::setSaving(out->filePath(u"Dravik"_s), [this](const QString &path) {
            opened << path;
            return true;
        });
        QVERIFY(selectRecord(data.dm(), Yy));
        for (QPushButton *button : {window.YY_Button, window.YY_SButton, window.Button5, window.Button6})
            button->click();
        QCOMPARE(opened.size(), 6);
        QVERIFY(selectRecord(data.dm(), Rj));
        for (QPushButton *button : {window.RJ_Button, window.RJ_SButton})
            button->click();
        WordOutput::setSaving({}, {});
        QCOMPARE(opened.size(), 10);
        QCOMPARE(filesMade().size(), 10);
        QCOMPARE(boxes->boxes.size(), 6);  // the questions only
        QCOMPARE(SavedDocument(opened.at(1)).after(u"item_180_3"_s), u"人员3"_s);
        QVERIFY(QFileInfo(opened.at(9)).fileName().startsWith(u"基础、软科学登记表(正文)_2026000002_"_s));
    }

    void documentNobodyCanOpenIsReportedWithItsPath()
    {
        QVERIFY(startData());
        addFullRecord(data.db(), Rj, u"2"_s);
        selectRecord(data.dm(), Rj);
        const DatabaseCodes codes(data.db());
        WordDocumentMaker word(WordSources::fromDataModule(*data.dm(), codes), data.dataPath(), nullptr);
        word.setFolder(out->filePath(u"文档"_s));
        word.setOpener([](const QString &) { return false; });
        QVERIFY(word.run(Output::Application));
        QCOMPARE(word.saved().size(), 1);
        QVERIFY(QFileInfo::exists(word.saved().at(0)));
        QVERIFY(boxes->last().contains(QDir::toNativeSeparators(word.saved().at(0))));

        // A cover and its form: one box names both, not one box per document.
        addFullRecord(data.db(), Yy, u"1"_s);
        selectRecord(data.dm(), Yy);
        WordDocumentMaker pair(WordSources::fromDataModule(*data.dm(), codes), data.dataPath(), nullptr);
        pair.setFolder(out->filePath(u"文档"_s));
        pair.setOpener([](const QString &) { return false; });
        const qsizetype before = boxes->boxes.size();
        QVERIFY(pair.run(Output::YyForm));
        QCOMPARE(pair.saved().size(), 2);
        QCOMPARE(boxes->boxes.size(), before + 2);  // the question and one note
        for (const QString &path : pair.saved())
            QVERIFY(boxes->last().contains(QDir::toNativeSeparators(path)));
    }
};

QTEST_MAIN(TstWordDocs)
#include "tst_worddocs.moc"
