// What the printed form says beside each caption. One record whose every
// field holds a value of its own is printed page by page, both sets, read
// back from the PDF, and every caption of every page must stand beside its
// own field's value; every option of every group, ticked in turn, prints its
// own caption beside the tick. A value that lands on a page without a row
// below saying where is a failure too.

#include "printing/ReportPages.h"
#include "report/ReportOutput.h"
#include "support/PrintFixture.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

const QString Record = u"2006000001"_s;

// What a caption must be followed by: the values of these keys, in order
// (a field of the record or a child value below). An empty caption: the
// values stand somewhere on the page (a memo under its heading, a date).
struct Beside
{
    QString caption;
    QStringList keys;
};

// The values the record and its child rows hold. Texts are x<name>x and
// numbers four digits of their own: none begins another, so a value read
// after a caption is that value and no other.
QHash<QString, QString> recordValues()
{
    QHash<QString, QString> v;
    for (const char *f : {"ITEM_3",  "ITEM_9",   "ITEM_128", "ITEM_120", "ITEM_420",   "ITEM_37",
                          "ITEM_38", "ITEM_39",  "ITEM_40",  "ITEM_41",  "ITEM_41_2",  "ITEM_60",
                          "ITEM_61", "ITEM_15",  "ITEM_15_1", "ITEM_12", "ITEM_12_1",  "ITEM_127",
                          "ITEM_127_1", "ITEM_130", "ITEM_22", "ITEM_52", "ITEM_53",  "ITEM_13",
                          "ITEM_13_1", "ITEM_13_2", "ITEM_13_3", "ITEM_301", "ITEM_302",
                          "ITEM_303", "ITEM_133", "ITEM_306", "ITEM_56", "ITEM_41_1", "item_check",
                          "outcomeb", "NO"})
        v.insert(QLatin1String(f), u"x"_s + QString::fromLatin1(f).mid(5).toLower() + u"x"_s);
    v[u"item_check"_s] = u"xcheckx"_s;
    v[u"outcomeb"_s] = u"xoutcomebx"_s;
    v[u"NO"_s] = u"xnox"_s;
    int number = 8101;
    for (const char *f : {"ITEM_141", "ITEM_148", "ITEM_142", "ITEM_142_1", "ITEM_142_2", "ITEM_142_3",
                          "ITEM_143", "ITEM_144", "ITEM_243", "ITEM_244", "ITEM_145", "ITEM_149",
                          "ITEM_45", "ITEM_150", "ITEM_162", "ITEM_151_1", "ITEM_152_1", "ITEM_153",
                          "ITEM_154", "ITEM_151", "ITEM_152", "ITEM_XH", "ITEM_51_2", "ITEM_51_3"})
        v.insert(QLatin1String(f), QString::number(number++));
    v[u"ITEM_34"_s] = u"1999.09.09"_s;
    v[u"ITEM_14"_s] = u"x14ax;x14bx;x14cx"_s;
    v[u"ITEM_8"_s] = u"2001.01   至2003.12"_s;
    v[u"ITEM_121"_s] = u"2008-5-17"_s;
    v[u"ITEM_64"_s] = u"11"_s;
    v[u"ITEM_63"_s] = u"100"_s;
    v[u"ITEM_46"_s] = u"2"_s;
    v[u"ITEM_47"_s] = u"4"_s;
    return v;
}

// How the values above print where they are not printed as stored.
QHash<QString, QString> printedForms()
{
    return {{u"keyword1"_s, u"x14ax"_s},
            {u"keyword2"_s, u"x14bx"_s},
            {u"keyword3"_s, u"x14cx"_s},
            {u"period"_s, u"2001年01月至2003年12月"_s},
            {u"registered"_s, u"2008年5月17日"_s},
            {u"approved"_s, u"2008年05月17日"_s},
            {u"province"_s, u"北京市"_s},
            {u"affiliation"_s, u"中共中央直属机构"_s},
            {u"investment"_s, u"50～100万元"_s},
            {u"profit"_s, u"100～500万元"_s}};
}

// The child rows: one cooperating unit, one person, one member, four
// patents of each status.
QHash<QString, QString> childValues()
{
    QHash<QString, QString> v = {
        {u"unit.176"_s, u"7"_s},       {u"unit.170"_s, u"xu170x"_s}, {u"unit.171"_s, u"xu171x"_s},
        {u"unit.172"_s, u"xu172x"_s},  {u"unit.173"_s, u"xu173x"_s},
        {u"person.187"_s, u"9"_s},     {u"person.180"_s, u"xp180x"_s}, {u"person.181"_s, u"女"_s},
        {u"person.182"_s, u"1966.06"_s}, {u"person.183"_s, u"副高"_s}, {u"person.184"_s, u"大本"_s},
        {u"person.188"_s, u"是"_s},    {u"person.185"_s, u"xp185x"_s}, {u"person.186"_s, u"xp186x"_s},
        {u"member.192"_s, u"xm192x"_s}, {u"member.193"_s, u"男"_s}, {u"member.198"_s, u"初级"_s},
        {u"member.191"_s, u"xm191x"_s}, {u"member.195"_s, u"xm195x"_s}, {u"member.196"_s, u"xm196x"_s},
        {u"member.197"_s, u"xm197x"_s}};
    for (int i = 1; i <= 4; ++i) {
        v.insert(u"applied%1.no"_s.arg(i), u"xzla%1x"_s.arg(i));
        v.insert(u"applied%1.name"_s.arg(i), u"xzlma%1x"_s.arg(i));
        v.insert(u"granted%1.no"_s.arg(i), u"xzlg%1x"_s.arg(i));
        v.insert(u"granted%1.name"_s.arg(i), u"xzlmg%1x"_s.arg(i));
    }
    return v;
}

QList<Beside> coverRows()
{
    return {{u"登记号："_s, {u"ITEM_120"_s}},     {u"成果名称："_s, {u"ITEM_3"_s}},
            {u"第一完成单位："_s, {u"ITEM_9"_s}}, {u"推荐单位："_s, {u"ITEM_128"_s}},
            {u"研究起止时间："_s, {u"period"_s}}, {u"登记日期："_s, {u"registered"_s}}};
}

QList<Beside> projectRows()
{
    return {{u"成果名称"_s, {u"ITEM_3"_s}},
            {u"学科分类号"_s, {u"ITEM_15"_s, u"ITEM_15_1"_s}},
            {u"中图分类号"_s, {u"ITEM_12"_s, u"ITEM_12_1"_s}},
            {u"关键词"_s, {u"keyword1"_s, u"keyword2"_s, u"keyword3"_s}},
            {u"课题立项编号"_s, {u"ITEM_127"_s}},
            {u"课题立项名称"_s, {u"ITEM_127_1"_s}},
            {u"国家投入"_s, {u"ITEM_141"_s}},
            {u"部门投入"_s, {u"ITEM_148"_s}},
            {u"基金投入"_s, {u"ITEM_143"_s}},
            {u"自有资金"_s, {u"ITEM_144"_s}},
            {u"省级投入"_s, {u"ITEM_142_1"_s}},
            {u"地级投入"_s, {u"ITEM_142_2"_s}},
            {u"县级投入"_s, {u"ITEM_142_3"_s}},
            {u"地方投入"_s, {u"ITEM_142"_s}},
            {u"银行贷款"_s, {u"ITEM_243"_s}},
            {u"国外资金"_s, {u"ITEM_244"_s}},
            {u"其他"_s, {u"ITEM_145"_s}},
            {u"总计（万元）"_s, {u"ITEM_149"_s}}};
}

QList<Beside> evaluationRows()
{
    return {{u"评价单位"_s, {u"ITEM_130"_s}},
            {u"评价日期"_s, {u"ITEM_34"_s}},
            {u"评价报告号"_s, {u"ITEM_22"_s}}};
}

QList<Beside> firstUnitRows()
{
    return {{u"单位名称"_s, {u"ITEM_9"_s}},        {u"单位法人代码"_s, {u"ITEM_420"_s}},
            {u"邮政编码"_s, {u"ITEM_38"_s}},        {u"通讯地址"_s, {u"ITEM_37"_s}},
            {u"电话（含区号）"_s, {u"ITEM_39"_s}},  {u"传真（含区号）"_s, {u"ITEM_40"_s}},
            {u"联系人"_s, {u"ITEM_41"_s}},          {u"联系人电话"_s, {u"ITEM_41_2"_s}},
            {u"电子信箱"_s, {u"ITEM_61"_s}},        {u"单位网址"_s, {u"ITEM_60"_s}},
            {u"单位所在省市"_s, {u"province"_s}},   {u"隶属关系"_s, {u"affiliation"_s}}};
}

// The cooperating units table: its header, and its row in the same order.
QList<Beside> unitsTableRows()
{
    return {{u"序号单位名称通信地址邮政编码联系人"_s, {}},
            {QString(), {u"unit.176"_s, u"unit.170"_s, u"unit.171"_s, u"unit.172"_s, u"unit.173"_s}}};
}

QList<Beside> applicationRows()
{
    QList<Beside> rows = {{u"申请专利项数"_s, {u"ITEM_51_2"_s}}, {u"授权项数"_s, {u"ITEM_51_3"_s}}};
    // Same captions: the slots in their order down the page.
    for (int i = 1; i <= 4; ++i)
        rows.append({u"申请专利号"_s, {u"applied%1.no"_s.arg(i)}});
    for (int i = 1; i <= 4; ++i)
        rows.append({u"专利名称"_s, {u"applied%1.name"_s.arg(i)}});
    for (int i = 1; i <= 4; ++i)
        rows.append({u"授权专利号"_s, {u"granted%1.no"_s.arg(i)}});
    for (int i = 1; i <= 4; ++i)
        rows.append({u"专利名称"_s, {u"granted%1.name"_s.arg(i)}});
    rows += {{u"软件著作权名称"_s, {u"ITEM_52"_s}},
             {u"软件著作权登记号"_s, {u"ITEM_53"_s}},
             {u"已转让企业数（个）"_s, {u"ITEM_45"_s}},
             {u"技术转让收入"_s, {u"ITEM_150"_s}},
             {u"其中知识产权转让收入"_s, {u"ITEM_162"_s}},
             {u"净利润（万元）"_s, {u"ITEM_151_1"_s}},
             {u"实交税金（万元）"_s, {u"ITEM_152_1"_s}},
             {u"出口创汇（万元）"_s, {u"ITEM_153"_s}},
             {u"节约资金（万元）"_s, {u"ITEM_154"_s}},
             {u"预计达产投资"_s, {u"investment"_s}},
             {u"预计达产利润"_s, {u"profit"_s}}};
    return rows;
}

QList<Beside> personsRows()
{
    // "是否留学归国" takes two lines of the header.
    return {{u"序号姓名性别出生年月技术职称文化程度工作单位对成果创造性贡献"_s, {}},
            {u"是否留学"_s, {}},
            {QString(),
             {u"person.187"_s, u"person.180"_s, u"person.181"_s, u"person.182"_s, u"person.183"_s,
              u"person.184"_s, u"person.188"_s, u"person.185"_s, u"person.186"_s}}};
}

QList<Beside> committeeRows()
{
    return {{u"成果名称"_s, {u"ITEM_3"_s}},
            {u"评价单位"_s, {u"ITEM_130"_s}},
            {u"评价日期"_s, {u"ITEM_34"_s}},
            {u"姓名性别技术职称工作单位所学专业现从事专业"_s, {}},
            {u"评价委员会"_s, {}},
            {QString(),
             {u"member.192"_s, u"member.193"_s, u"member.198"_s, u"member.191"_s, u"member.195"_s,
              u"member.196"_s, u"member.197"_s}}};
}

const QList<Beside> NoValues;

// Every page of both sets with what stands beside its captions.
QList<QPair<QString, QList<Beside>>> pageTable()
{
    const QList<Beside> brief = {{u"成果简介"_s, {}}, {QString(), {u"ITEM_13_1"_s}}};
    const QList<Beside> approval = {{QString(), {u"approved"_s}}};
    return {
        {u"Tyyfm1"_s, coverRows()},
        {u"Tyyfm2"_s, NoValues},
        {u"TyyPrint01"_s, NoValues},
        {u"TyyPrint02"_s, NoValues},
        {u"TyyPrint03"_s, projectRows()},
        {u"TyyPrint04"_s, NoValues},
        {u"TyyPrint05"_s, evaluationRows() + applicationRows()},
        {u"TyyPrint06"_s, NoValues},
        {u"TyyPrint07"_s, firstUnitRows() + unitsTableRows()},
        {u"TyyPrint08"_s, approval},
        {u"TyyPrint09"_s, brief},
        {u"TyyPrint10"_s, personsRows()},
        {u"TyyPrint11"_s, committeeRows()},
        {u"TyyPrint12"_s, NoValues},
        {u"TyyPrint14"_s, NoValues},
        {u"Trjfm1"_s, coverRows()},
        {u"Trjfm2"_s, NoValues},
        {u"TrjPrint01"_s, NoValues},
        {u"TrjPrint02"_s, NoValues},
        {u"TrjPrint03"_s, projectRows()},
        {u"TrjPrint04"_s, NoValues},
        {u"TrjPrint05"_s, evaluationRows() + firstUnitRows() + unitsTableRows()},
        {u"TrjPrint06"_s, approval},
        {u"TrjPrint07"_s, brief},
        {u"TrjPrint08"_s, personsRows()},
        {u"TrjPrint09"_s, committeeRows()},
        {u"TrjPrint10"_s, NoValues},
        {u"TrjPrint11"_s, NoValues},
    };
}

// An option group of a page: the field, its codes, and the caption each
// code must print (as the entry pages or the code dictionary name them).
struct OptionGroup
{
    QString field;
    QList<QPair<QString, QString>> options;
};

QList<QPair<QString, QString>> options(std::initializer_list<std::pair<const char *, const char *>> list)
{
    QList<QPair<QString, QString>> out;
    for (const auto &[code, caption] : list)
        out.append({QString::fromUtf8(code), QString::fromUtf8(caption)});
    return out;
}

const QList<QPair<QString, QString>> Levels = options(
    {{"1", "国际领先"}, {"2", "国际先进"}, {"3", "国内领先"}, {"4", "国内先进"}, {"5", "其他"}});
const QList<QPair<QString, QString>> Industries = options(
    {{"01", "农、林、牧、渔业"}, {"02", "采矿业"}, {"03", "制造业"},
     {"04", "电力、煤气及水的生产和供应业"}, {"05", "建筑业"}, {"07", "交通运输、仓储和邮政业"},
     {"08", "批发和零售业"}, {"09", "金融业"}, {"10", "房地产业"},
     {"20", "信息传输、计算机服务和软件业"}, {"21", "住宿和餐饮业"}, {"22", "租赁和商务服务业"},
     {"23", "科学研究、技术服务和地质勘查业"}, {"24", "水利、环境和公共设施管理业"},
     {"25", "居民服务和其他服务业"}, {"26", "教育"}, {"27", "卫生、社会保障和社会福利业"},
     {"28", "文化、体育和娱乐业"}, {"29", "公共管理和社会组织"}, {"30", "国际组织"}});
const QList<QPair<QString, QString>> Sources = options(
    {{"02", "部门计划"}, {"03", "地方计划"}, {"05", "部门基金"}, {"06", "地方基金"}, {"07", "国际合作"},
     {"08", "横向委托"}, {"09", "民间基金"}, {"10", "自选"}, {"19", "其他"}});
const QList<QPair<QString, QString>> Plans = options(
    {{"1", "高技术研究发展计划(863计划）"}, {"3", "基础研究计划"}, {"6", "科技基础条件平台建设"},
     {"7", "国家科技支撑计划"}, {"8", "政策引导类计划及专项"}, {"9", "其他"}});
const QList<QPair<QString, QString>> ResearchForms = options(
    {{"1", "独立研究"}, {"2", "合作研究"}, {"3", "委托研究"}, {"4", "引进消化吸收"}, {"9", "其他"}});
const QList<QPair<QString, QString>> UnitKinds = options(
    {{"1", "独立科研机构"}, {"2", "大专院校"}, {"4", "医疗机构"}, {"9", "其他"}});
const QList<QPair<QString, QString>> Ownerships = options(
    {{"01", "国有企业"}, {"02", "集体企业"}, {"03", "股份合作企业"}, {"04", "联营企业"},
     {"05", "有限责任公司"}, {"06", "股份有限公司"}, {"07", "私营企业"}, {"08", "港、澳、台商投资企业"},
     {"09", "外商投资企业"}, {"10", "个体经营"}, {"11", "其他"}});
const QList<QPair<QString, QString>> Converted = options({{"1", "是"}, {"0", "否"}});

struct OptionPage
{
    QString page;
    QString prefix;  // of the tick labels
    QList<OptionGroup> groups;
};

QList<OptionPage> optionTable()
{
    const QList<OptionGroup> firstUnit = {{u"ITEM_62"_s, UnitKinds},
                                          {u"ITEM_41_3"_s, Ownerships},
                                          {u"ITEM_163"_s, Converted}};
    return {
        {u"TyyPrint03"_s, u"QL_"_s,
         {{u"ITEM_2"_s, Levels},
          {u"ITEM_16"_s, options({{"1", "初期阶段"}, {"2", "中期阶段"}, {"3", "成熟应用阶段"}})},
          {u"ITEM_33"_s, options({{"1", "允许出口"}, {"2", "限国内转让"}, {"3", "不转让"}})},
          {u"ITEM_123"_s,
           options({{"1", "新技术"}, {"2", "新工艺"}, {"3", "新产品"}, {"4", "新材料"},
                    {"5", "农业、生物新品种"}, {"6", "矿产新品种"}, {"7", "新装备"}, {"9", "其他应用技术"},
                    {"A", "国际标准"}, {"B", "国家标准"}, {"C", "行业标准"}, {"D", "地方标准"},
                    {"E", "企业标准"}})},
          {u"ITEM_124_1"_s,
           options({{"01", "电子信息"}, {"02", "软件"}, {"03", "航空航天"}, {"04", "光机电一体化"},
                    {"05", "生物、医药和医疗器械"}, {"06", "新材料"}, {"07", "新能源与高效节能"},
                    {"08", "环境保护"}, {"09", "地球、空间与海洋"}, {"10", "核应用技术"}, {"11", "农业"}})},
          {u"ITEM_125"_s, Industries},
          {u"ITEM_126"_s, Sources},
          {u"ITEM_140"_s, Plans},
          {u"ITEM_201"_s, ResearchForms},
          {u"ITEM_125_1"_s,
           options({{"1", "原始性创新"}, {"2", "国外引进消化吸收创新"}, {"3", "国内技术二次开发"}})}}},
        {u"TyyPrint05"_s, u"QL_"_s,
         {{u"ITEM_21"_s,
           options({{"1", "鉴定"}, {"2", "验收"}, {"3", "行业准入"}, {"5", "评估"}, {"9", "其他"}})},
          {u"ITEM_32"_s, options({{"1", "稳定应用"}, {"2", "应用后停用"}, {"3", "未应用"}})},
          {u"ITEM_32_1"_s,
           options({{"1", "资金问题"}, {"2", "技术问题"}, {"3", "市场问题"}, {"4", "管理问题"},
                    {"5", "政策因素"}})},
          {u"ITEM_51"_s, options({{"1", "专利"}, {"3", "软件著作权"}, {"9", "其他"}})},
          {u"ITEM_51_1"_s, options({{"1", "未申请专利"}, {"2", "已受理专利申请"}, {"3", "已获专利授权"}})},
          {u"ITEM_161"_s,
           options({{"1", "产权转让"}, {"2", "资金入股"}, {"3", "技术入股"}, {"4", "合作开发"},
                    {"5", "技术服务"}, {"9", "其他"}})},
          {u"ITEM_160"_s,
           options({{"11", "拨款未到位"}, {"12", "贷款困难"}, {"13", "无资金渠道"}, {"14", "协议终止"},
                    {"15", "其他"}, {"21", "技术过时"}, {"22", "成熟度不够"}, {"23", "成套性差"},
                    {"24", "引进技术冲击"}, {"25", "其他"}, {"31", "进口产品冲击"}, {"32", "新产品替代"},
                    {"33", "与市场要求不吻合"}, {"34", "市场信息不灵"}, {"35", "其他"},
                    {"41", "管理不好"}, {"42", "经营不善"}, {"43", "其他"}, {"51", "产业政策调整"},
                    {"52", "技术政策调整"}, {"53", "金融信贷政策"}, {"54", "进出口政策"}, {"55", "其他"}})},
          {u"patent_ty"_s, options({{"1", "发明专利"}, {"2", "实用新型专利"}, {"3", "外观设计专利"}})}}},
        {u"TyyPrint07"_s, u"QL_"_s, firstUnit},
        {u"TrjPrint03"_s, u"QL_"_s,
         {{u"ITEM_2"_s, Levels},
          {u"ITEM_210"_s, options({{"1", "论文、专著"}, {"2", "研究报告"}, {"9", "其他"}})},
          {u"ITEM_200"_s,
           options({{"01", "陆地、海洋和大气的开发与评价"}, {"02", "民用宇宙空间"},
                    {"03", "农业、林业和渔业的发展"}, {"04", "促进工业的发展"},
                    {"05", "能源的生产、储存和分配"}, {"06", "交通、通讯事业的发展"},
                    {"07", "教育事业的发展"}, {"08", "卫生事业的发展"}, {"09", "社会发展和社会经济服务"},
                    {"10", "环境保护"}, {"11", "知识的全面发展"}, {"12", "其他民用目标"}, {"13", "国防"}})},
          {u"ITEM_125"_s, Industries},
          {u"ITEM_201"_s, ResearchForms},
          {u"ITEM_126"_s, Sources},
          {u"ITEM_140"_s, Plans}}},
        {u"TrjPrint05"_s, u"QR_"_s,
         QList<OptionGroup>{{u"ITEM_21"_s, options({{"2", "验收"}, {"4", "评审"}, {"6", "结题"}, {"9", "其他"}})}}
             + firstUnit},
    };
}

QStringList optionFields()
{
    QStringList fields;
    for (const OptionPage &p : optionTable()) {
        for (const OptionGroup &g : p.groups) {
            if (!fields.contains(g.field))
                fields << g.field;
        }
    }
    return fields;
}

// The lines of a PDF's text, each without its blanks (how the extraction
// spaces the letters depends on the face).
QStringList compactLines(const QString &pdfText)
{
    QStringList lines = pdfText.split(u'\n');
    for (QString &line : lines)
        line.remove(QRegularExpression(u"\\s"_s));
    return lines;
}

} // namespace

class TestPrintedValues : public QObject
{
    Q_OBJECT

    PrintFixture f;
    BoxLog m_log;
    QHash<QString, QString> m_values;

    void addChildRows()
    {
        const QHash<QString, QString> c = childValues();
        const auto key = [](const QString &k) { return u"ITEM_"_s + k.section(u'.', 1); };
        FieldValues unit = {{u"ITEM_4"_s, Record}, {u"ITEM_DQDM"_s, u"."_s}};
        FieldValues person = unit;
        FieldValues member = unit;
        for (auto it = c.begin(); it != c.end(); ++it) {
            if (it.key().startsWith(u"unit."_s))
                unit.append({key(it.key()), it.value()});
            else if (it.key().startsWith(u"person."_s))
                person.append({key(it.key()), it.value()});
            else if (it.key().startsWith(u"member."_s))
                member.append({key(it.key()), it.value()});
        }
        // The printed texts of the coded person and member columns.
        const QHash<QString, QString> codes = {{u"ITEM_181"_s, u"1"_s}, {u"ITEM_183"_s, u"3"_s},
                                               {u"ITEM_184"_s, u"4"_s}, {u"ITEM_188"_s, u"1"_s},
                                               {u"ITEM_193"_s, u"0"_s}, {u"ITEM_198"_s, u"5"_s}};
        for (FieldValues *rows : {&person, &member}) {
            for (auto &[field, value] : *rows) {
                if (codes.contains(field))
                    value = codes.value(field);
            }
        }
        appendRow(f.db(), u"cgwcdw.DBF"_s, unit);
        appendRow(f.db(), u"cgwcr.DBF"_s, person);
        appendRow(f.db(), u"jdwyhmd.DBF"_s, member);
        int serial = 0;
        for (const char *status : {"1", "2"}) {
            const QString kind = *status == '1' ? u"applied"_s : u"granted"_s;
            for (int i = 1; i <= 4; ++i)
                appendRow(f.db(), u"zlqk.dbf"_s,
                          {{u"ITEM_4"_s, Record}, {u"ITEM_DQDM"_s, u"."_s},
                           {u"ITEM_NO"_s, QString::number(++serial)}, {u"PATENT_ST"_s, QLatin1String(status)},
                           {u"PATENT_TY"_s, u"1"_s},
                           {u"PATENT_NO"_s, c.value(u"%1%2.no"_s.arg(kind).arg(i))},
                           {u"PATENT_NAM"_s, c.value(u"%1%2.name"_s.arg(kind).arg(i))}});
        }
    }

    // The record as the user would print it: every field its own value.
    void prepareRecord()
    {
        addAchievement(f.db(), Record, u"1"_s, u"x3x"_s);
        FieldValues values;
        for (auto it = m_values.begin(); it != m_values.end(); ++it) {
            if (!it.key().contains(u'.') && !printedForms().contains(it.key()))
                values.append({it.key(), it.value()});
        }
        setFields(f.db(), Record, values);
        addChildRows();
        QVERIFY(f.prepare(Record, 0));
    }

    QString expected(const QStringList &keys) const
    {
        QString text;
        for (const QString &k : keys)
            text += m_values.value(k);
        return text;
    }

    QStringList pageLines(const report::Document &doc)
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"page.pdf"_s);
        report::writePdf(doc, pdf);
        const QString text = pdfText(pdf);
        [&] { QVERIFY2(!text.isEmpty(), "pdftotext read nothing"); }();
        return compactLines(text);
    }

    void setRecordFields(const QList<QPair<QString, QString>> &fields)
    {
        Query &record = *f.dm()->Qrykjcg;
        record.edit();
        for (const auto &[field, value] : fields)
            record.setString(field, value);
        record.post();
    }

private slots:
    void initTestCase()
    {
        f.buildOnce();
        m_values = recordValues();
        m_values.insert(printedForms());
        m_values.insert(childValues());
    }
    void init()
    {
        m_log.clear();
        f.openPrint();
    }
    void cleanup() { f.stop(); }

    // Beside each caption its own field's value, in the order the table
    // gives for captions that repeat; and no value of the record on a page
    // without a row here that puts it there.
    void valuesBesideCaptions_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("row");
        const auto table = pageTable();
        for (int i = 0; i < table.size(); ++i)
            QTest::newRow(qPrintable(table[i].first)) << table[i].first << i;
    }
    void valuesBesideCaptions()
    {
        QFETCH(QString, page);
        QFETCH(int, row);
        prepareRecord();
        const QList<Beside> rows = pageTable()[row].second;
        const report::Document doc = f.print()->previewDocument(page);
        const QStringList lines = pageLines(doc);
        const QString whole = lines.join(QString());
        QHash<QString, QPair<int, qsizetype>> lastAt;  // per caption: where it last matched
        QSet<QString> covered;
        for (const Beside &b : rows) {
            const QString value = expected(b.keys);
            for (const QString &k : b.keys)
                covered.insert(k);
            if (b.caption.isEmpty()) {
                QVERIFY2(whole.contains(value), qPrintable(page + u": no "_s + value));
                continue;
            }
            bool found = false;
            const QPair<int, qsizetype> after = lastAt.value(b.caption, {-1, -1});
            for (int l = 0; l < lines.size() && !found; ++l) {
                for (qsizetype at = lines[l].indexOf(b.caption); at >= 0;
                     at = lines[l].indexOf(b.caption, at + 1)) {
                    if (QPair<int, qsizetype>(l, at) <= after)
                        continue;
                    if (lines[l].mid(at + b.caption.size()).startsWith(value)) {
                        lastAt.insert(b.caption, {l, at});
                        found = true;
                        break;
                    }
                }
            }
            QVERIFY2(found, qPrintable(u"%1: \"%2\" is not followed by \"%3\"\n%4"_s.arg(
                                page, b.caption, value, lines.join(u'\n'))));
        }
        // Every field of the record the page binds has its row above.
        report::Report *layout = f.print()->pages().existing(page);
        QVERIFY(layout);
        for (const report::Band &band : layout->bands()) {
            for (const report::Element &e : band.elements) {
                if (band.kind != report::BandKind::Detail && e.kind == report::Kind::Field)
                    QVERIFY2(covered.contains(e.field.toUpper()),
                             qPrintable(page + u" binds "_s + e.field + u" without a row"_s));
            }
        }
        // No value of the record printed where the table does not say.
        // (Codes print in their printed forms, checked in their place.)
        const QStringList codes = {u"ITEM_63"_s, u"ITEM_64"_s, u"ITEM_46"_s, u"ITEM_47"_s,
                                   u"ITEM_8"_s,  u"ITEM_14"_s, u"ITEM_121"_s};
        for (auto it = m_values.begin(); it != m_values.end(); ++it) {
            const QString v = QString(it.value()).remove(QRegularExpression(u"\\s"_s));
            if (v.size() < 3 || covered.contains(it.key()) || codes.contains(it.key()))
                continue;
            QVERIFY2(!whole.contains(v), qPrintable(u"%1 prints %2 (%3) without a row"_s.arg(page, v, it.key())));
        }
        QVERIFY(m_log.boxes.isEmpty());
    }

    // Amounts in 万元 print as stored: decimals kept, whole numbers without
    // a point, large ones without an exponent, one never entered as
    // nothing, on both sets' funding rows and the applied set's
    // application rows.
    void amountsPrintAsStored_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("category");
        QTest::newRow("applied funding") << u"TyyPrint03"_s << u"1"_s;
        QTest::newRow("applied application") << u"TyyPrint05"_s << u"1"_s;
        QTest::newRow("soft science funding") << u"TrjPrint03"_s << u"2"_s;
        QTest::newRow("basic theory funding") << u"TrjPrint03"_s << u"3"_s;
    }
    void amountsPrintAsStored()
    {
        QFETCH(QString, page);
        QFETCH(QString, category);
        addComplete(f.db(), Record, category, u"x3x"_s);
        const QList<QPair<QString, QString>> amounts = {
            {u"ITEM_141"_s, u"0.3"_s},     {u"ITEM_148"_s, u"12.5"_s},    {u"ITEM_143"_s, u"1234.56"_s},
            {u"ITEM_144"_s, u"9999999"_s}, {u"ITEM_142_1"_s, u"0.05"_s},  {u"ITEM_142_2"_s, u"100"_s},
            {u"ITEM_142_3"_s, u"7.25"_s},  {u"ITEM_142"_s, u"107.3"_s},   {u"ITEM_243"_s, u"0"_s},
            {u"ITEM_244"_s, QString()},    {u"ITEM_145"_s, u"0.3"_s},     {u"ITEM_149"_s, u"10001373.71"_s},
            {u"ITEM_45"_s, u"3"_s},        {u"ITEM_150"_s, u"12.5"_s},    {u"ITEM_162"_s, u"0.3"_s},
            {u"ITEM_151_1"_s, u"1234.56"_s}, {u"ITEM_152_1"_s, u"9999999"_s}, {u"ITEM_153"_s, u"0.75"_s},
            {u"ITEM_154"_s, u"2.5"_s}};
        FieldValues stored;
        for (const auto &[field, value] : amounts)
            stored.append({field, value});
        setFields(f.db(), Record, stored);
        QVERIFY(f.prepare(Record, category.toInt() - 1));
        const QList<QPair<QString, QString>> printed =
            page == u"TyyPrint05"_s
                ? QList<QPair<QString, QString>>{{u"已转让企业数（个）"_s, u"3"_s},
                                                 {u"技术转让收入"_s, u"12.5"_s},
                                                 {u"其中知识产权转让收入"_s, u"0.3"_s},
                                                 {u"净利润（万元）"_s, u"1234.56"_s},
                                                 {u"实交税金（万元）"_s, u"9999999"_s},
                                                 {u"出口创汇（万元）"_s, u"0.75"_s},
                                                 {u"节约资金（万元）"_s, u"2.5"_s}}
                : QList<QPair<QString, QString>>{{u"国家投入"_s, u"0.3"_s},     {u"部门投入"_s, u"12.5"_s},
                                                 {u"基金投入"_s, u"1234.56"_s}, {u"自有资金"_s, u"9999999"_s},
                                                 {u"省级投入"_s, u"0.05"_s},    {u"地级投入"_s, u"100"_s},
                                                 {u"县级投入"_s, u"7.25"_s},    {u"地方投入"_s, u"107.3"_s},
                                                 {u"银行贷款"_s, u"0"_s},       {u"国外资金"_s, QString()},
                                                 {u"其他"_s, u"0.3"_s},
                                                 {u"总计（万元）"_s, u"10001373.71"_s}};
        const QStringList lines = pageLines(f.print()->previewDocument(page));
        for (const auto &[caption, value] : printed) {
            // The caption's cell ends where the next caption or the row ends.
            bool found = false;
            for (const QString &line : lines) {
                for (qsizetype at = line.indexOf(caption); at >= 0 && !found; at = line.indexOf(caption, at + 1)) {
                    const QString rest = line.mid(at + caption.size());
                    found = rest == value || (rest.startsWith(value) && !rest.at(value.size()).isDigit()
                                              && rest.at(value.size()) != u'.');
                }
            }
            QVERIFY2(found, qPrintable(u"%1: \"%2\" is not followed by %3\n%4"_s.arg(
                                page, caption, value, lines.join(u'\n'))));
        }
        QVERIFY(m_log.boxes.isEmpty());
    }

    // The brief fills its frame from the left: no empty caption column.
    void briefOverTheWholeWidth()
    {
        prepareRecord();
        for (const QString &page : {u"TyyPrint09"_s, u"TrjPrint07"_s}) {
            const report::Document doc = f.print()->previewDocument(page);
            const report::Page &p = doc.pages[0];
            QRectF frame;
            QRectF brief;
            for (const report::DrawItem &item : p.items) {
                if (item.type == report::DrawItem::Box && item.mm.height() > 100)
                    frame = item.mm;
                if (item.type == report::DrawItem::Text && item.text == m_values.value(u"ITEM_13_1"_s))
                    brief = item.mm;
                QVERIFY2(item.type != report::DrawItem::Line, qPrintable(page + u": a rule inside the frame"_s));
            }
            QVERIFY(frame.isValid() && brief.isValid());
            QVERIFY2(brief.left() - frame.left() < 3 && frame.right() - brief.right() < 3, qPrintable(page));
        }
    }

    // Each code of each group ticked in turn prints "√" before its own
    // caption; every group of a page at once, one code each.
    void everyOptionPrintsItsCaption_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("row");
        const auto table = optionTable();
        for (int i = 0; i < table.size(); ++i)
            QTest::newRow(qPrintable(table[i].page)) << table[i].page << i;
    }
    void everyOptionPrintsItsCaption()
    {
        QFETCH(QString, page);
        QFETCH(int, row);
        addComplete(f.db(), Record, u"1"_s, u"x3x"_s);
        QVERIFY(f.prepare(Record, 0));
        const OptionPage options = optionTable()[row];
        const QList<OptionGroup> &groups = options.groups;
        // Only the page's own ticks on the page.
        QList<QPair<QString, QString>> none;
        for (const QString &field : optionFields())
            none.append({field, QString()});
        setRecordFields(none);
        qsizetype rounds = 0;
        for (const OptionGroup &g : groups)
            rounds = std::max(rounds, g.options.size());
        for (qsizetype r = 0; r < rounds; ++r) {
            QList<QPair<QString, QString>> ticked;
            QStringList captions;
            for (const OptionGroup &g : groups) {
                const auto &[code, caption] = g.options[r % g.options.size()];
                ticked.append({g.field, code});
                captions << caption;
            }
            setRecordFields(ticked);
            const report::Document doc = f.print()->previewDocument(page);
            // Layout names agree: one tick label per code of each group.
            for (const OptionGroup &g : groups) {
                for (const auto &[code, caption] : g.options)
                    QVERIFY2(doc.pages[0].has(options.prefix + g.field + u'_' + code),
                             qPrintable(g.field + u" "_s + code));
            }
            // Long names are set at their own size, never shrunk to fit.
            for (const report::DrawItem &item : doc.pages[0].items) {
                if (item.type == report::DrawItem::Text && captions.contains(item.text))
                    QVERIFY2(report::printedPointSize(item) >= item.style.pointSize,
                             qPrintable(item.text + u" is printed smaller"_s));
            }
            QStringList printed;
            for (const QString &line : pageLines(doc)) {
                for (qsizetype at = line.indexOf(u'√'); at >= 0; at = line.indexOf(u'√', at + 1)) {
                    const QString rest = line.mid(at + 1);
                    QString caption;
                    for (const QString &c : captions) {
                        if (rest.startsWith(c) && c.size() > caption.size())
                            caption = c;
                    }
                    printed << (caption.isEmpty() ? u"?"_s + rest.left(8) : caption);
                }
            }
            printed.sort();
            captions.sort();
            QVERIFY2(printed == captions, qPrintable(u"%1 round %2: ticked %3, printed %4"_s.arg(
                                             page).arg(r).arg(captions.join(u','), printed.join(u','))));
        }
    }
};

QTEST_MAIN(TestPrintedValues)
#include "tst_printedvalues.moc"
