// Every bookmark of the ten Word documents, read back through a real word
// processor: two records whose fields all hold different values, each
// document made by its button, and the text after each bookmark compared
// with the field or rule that bookmark stands for. The expectations are
// written out here, bookmark by bookmark; a bookmark bound to another field,
// given another rule or left out shows up as a difference.
#include "printing/CodeLookup.h"
#include "printing/WordDocumentMaker.h"
#include "support/WordProcessor.h"
#include "support/WordRecords.h"

#include <QtTest>

using WordPlans::Output;
using Expected = QList<QPair<QString, QString>>;

namespace {

const QString Yy = u"2026000101"_s;
const QString Rj = u"2026000102"_s;

// 21 Chinese characters, 42 bytes: no break below 42, a break below 44 or 46.
const QString Name = u"耐高温陶瓷基复合材料的制备方法及其应用研究"_s;
// 19 characters, 38 bytes: no break below 38, a break below 46.
const QString Unit = u"中国科学院北京新材料先进制造技术研究院"_s;
// 20 characters, 40 bytes: no break below 40, a break below 46.
const QString Evaluator = u"北京市科学技术委员会成果鉴定评价管理办公室"_s;
const QString Memo = u"本成果研究了耐高温材料。\r\n第二段：A&B<C>。完"_s;
const QString Br = u"\r"_s;  // the paragraph mark a short cover line gets

// One value per field, no two alike (codes apart: their names differ).
FieldValues recordFields(const QString &item4, const QString &category)
{
    return {
        {u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"110"_s}, {u"ITEM_CGLB"_s, category},
        {u"ITEM_3"_s, Name}, {u"ITEM_9"_s, Unit}, {u"ITEM_130"_s, Evaluator},
        {u"ITEM_8"_s, u"2024.03   至2025.11"_s}, {u"ITEM_128"_s, u"中国科学院科技促进发展局"_s},
        {u"ITEM_120"_s, u"GL-2026-0417"_s}, {u"ITEM_121"_s, u"2026-7-9"_s},
        {u"ITEM_14"_s, u"复合材料;耐高温;制备;"_s}, {u"ITEM_210"_s, u"1"_s}, {u"ITEM_123"_s, u"4"_s},
        {u"ITEM_16"_s, u"3"_s}, {u"ITEM_2"_s, u"4"_s}, {u"ITEM_33"_s, u"2"_s}, {u"ITEM_201"_s, u"3"_s},
        {u"ITEM_15"_s, u"11014"_s}, {u"ITEM_15_1"_s, u"110"_s}, {u"ITEM_12"_s, u"A2"_s}, {u"ITEM_12_1"_s, u"A"_s},
        {u"ITEM_200"_s, u"03;05;"_s}, {u"ITEM_124_1"_s, u"04;08;"_s}, {u"ITEM_51"_s, u"1;3;"_s},
        {u"patent_ty"_s, u"1;2;"_s}, {u"ITEM_125"_s, u"03;20;"_s}, {u"ITEM_126"_s, u"01;02;"_s},
        {u"ITEM_140"_s, u"7"_s}, {u"ITEM_125_1"_s, u"2"_s}, {u"ITEM_127"_s, u"2026AA017"_s},
        {u"ITEM_127_1"_s, u"重点研发计划项目"_s}, {u"ITEM_149"_s, u"120.5"_s}, {u"ITEM_141"_s, u"50.25"_s},
        {u"ITEM_148"_s, u"10.75"_s}, {u"ITEM_142"_s, u"30.5"_s}, {u"ITEM_142_1"_s, u"11.5"_s},
        {u"ITEM_142_2"_s, u"12.25"_s}, {u"ITEM_142_3"_s, u"6.75"_s}, {u"ITEM_143"_s, u"5.5"_s},
        {u"ITEM_144"_s, u"20.125"_s}, {u"ITEM_243"_s, u"3.5"_s}, {u"ITEM_244"_s, u"1.625"_s},
        {u"ITEM_145"_s, u"0.875"_s},
        // The evaluation form comes from the group of the record's category.
        {u"ITEM_21"_s, category == u"1"_s ? u"5"_s : u"6"_s},
        {u"ITEM_34"_s, u"2025.05.17"_s}, {u"ITEM_22"_s, u"鉴字〔2025〕第017号"_s}, {u"ITEM_51_1"_s, u"2"_s},
        {u"ITEM_51_2"_s, u"61"_s}, {u"ITEM_51_3"_s, u"57"_s}, {u"ITEM_53"_s, u"2026SR0417"_s},
        {u"ITEM_52"_s, u"材料配方管理软件"_s}, {u"ITEM_32"_s, u"3"_s}, {u"ITEM_45"_s, u"73"_s},
        {u"ITEM_150"_s, u"88.5"_s}, {u"ITEM_162"_s, u"8.25"_s}, {u"ITEM_151_1"_s, u"40.5"_s},
        {u"ITEM_152_1"_s, u"6.5"_s}, {u"ITEM_153"_s, u"2.75"_s}, {u"ITEM_154"_s, u"9.5"_s},
        {u"ITEM_46"_s, u"3"_s}, {u"ITEM_47"_s, u"2"_s}, {u"ITEM_161"_s, u"2;4;"_s}, {u"ITEM_32_1"_s, u"1;3;"_s},
        {u"ITEM_160"_s, u"12"_s}, {u"ITEM_420"_s, u"12345678-9"_s}, {u"ITEM_37"_s, u"北京市海淀区学院路1号"_s},
        {u"ITEM_38"_s, u"100083"_s}, {u"ITEM_39"_s, u"010-62345678"_s}, {u"ITEM_40"_s, u"010-62345679"_s},
        {u"ITEM_60"_s, u"www.example.cn"_s}, {u"ITEM_62"_s, u"9"_s}, {u"ITEM_41_3"_s, u"05"_s},
        {u"ITEM_163"_s, u"1"_s}, {u"ITEM_64"_s, u"13"_s}, {u"ITEM_63"_s, u"130"_s}, {u"ITEM_41"_s, u"李明"_s},
        {u"ITEM_41_2"_s, u"13800000000"_s}, {u"ITEM_61"_s, u"liming@example.cn"_s}, {u"ITEM_13_1"_s, Memo},
        {u"ITEM_13_2"_s, u"推广前景良好"_s}, {u"ITEM_13_3"_s, u"研究报告一份"_s}, {u"ITEM_133"_s, u"测试合格"_s},
        {u"ITEM_303"_s, u"同意通过鉴定"_s}, {u"ITEM_302"_s, u"2026.08.23"_s}, {u"ITEM_1"_s, u"1"_s},
    };
}

// The code texts the child rows print (the lookup fields' dictionary names).
const QStringList SexCodes = {u"0"_s, u"1"_s};
const QStringList SexNames = {u"男"_s, u"女"_s};
const QStringList TitleCodes = {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"9"_s};
const QStringList TitleNames = {u"院士"_s, u"正高"_s, u"副高"_s, u"中级"_s, u"初级"_s, u"其他"_s};
const QStringList EducationCodes = {u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s};
const QStringList EducationNames = {u"博士研究生"_s, u"硕士研究生"_s, u"大本"_s, u"大专"_s, u"中专"_s};
const QStringList AbroadCodes = {u"1"_s, u"0"_s};
const QStringList AbroadNames = {u"是"_s, u"否"_s};

// Row i's code and text of a lookup column (codes cycle so that neighbouring
// columns differ).
QString codeOf(const QStringList &codes, int i) { return codes.at(i % codes.size()); }
QString nameOf(const QStringList &names, int i) { return names.at(i % names.size()); }

// More rows than any document takes, stored in serial order.
void addRows(Database *db, const QString &item4)
{
    const QString region = u"110"_s;
    for (int i = 1; i <= 46; ++i)
        appendRow(db, u"cgwcr.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_187"_s, QString::number(i)},
                   {u"ITEM_180"_s, u"人员%1"_s.arg(i)}, {u"ITEM_181"_s, codeOf(SexCodes, i)},
                   {u"ITEM_182"_s, u"19%1.%2"_s.arg(40 + i).arg(i % 12 + 1, 2, 10, QLatin1Char('0'))},
                   {u"ITEM_183"_s, codeOf(TitleCodes, i)}, {u"ITEM_184"_s, codeOf(EducationCodes, i)},
                   {u"ITEM_188"_s, codeOf(AbroadCodes, i / 2)}, {u"ITEM_185"_s, u"工作单位%1"_s.arg(i)},
                   {u"ITEM_186"_s, u"贡献%1"_s.arg(i)}});
    for (int i = 1; i <= 9; ++i)
        appendRow(db, u"cgwcdw.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_176"_s, QString::number(i)},
                   {u"ITEM_170"_s, u"合作单位%1"_s.arg(i)}, {u"ITEM_171"_s, u"地址%1"_s.arg(i)},
                   {u"ITEM_172"_s, u"20000%1"_s.arg(i)}, {u"ITEM_173"_s, u"联系人%1"_s.arg(i)}});
    for (int i = 1; i <= 16; ++i)
        appendRow(db, u"jdwyhmd.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_190"_s, QString::number(i)},
                   {u"ITEM_191"_s, u"职务%1"_s.arg(i)}, {u"ITEM_192"_s, u"委员%1"_s.arg(i)},
                   {u"ITEM_193"_s, codeOf(SexCodes, i)}, {u"ITEM_195"_s, u"委员单位%1"_s.arg(i)},
                   {u"ITEM_196"_s, u"所学专业%1"_s.arg(i)}, {u"ITEM_197"_s, u"现从事专业%1"_s.arg(i)},
                   {u"ITEM_198"_s, codeOf(TitleCodes, i + 1)}});
    // Applications (status 1) and granted patents (status 2) taking turns.
    for (int i = 1; i <= 10; ++i)
        appendRow(db, u"zlqk.dbf"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_NO"_s, QString::number(i)},
                   {u"PATENT_NO"_s, u"ZL2026%1"_s.arg(i, 4, 10, QLatin1Char('0'))}, {u"PATENT_NAM"_s, u"专利名称%1"_s.arg(i)},
                   {u"PATENT_ST"_s, i % 2 ? u"1"_s : u"2"_s}, {u"PATENT_TY"_s, u"1"_s}});
}

// The child lists, row by row: the bookmark of each column and what it shows.
Expected personRows(int limit, bool withSerialAndAbroad)
{
    Expected rows;
    for (int i = 1; i <= limit; ++i) {
        const auto at = [i](const char *prefix) { return QString::fromUtf8(prefix) + QString::number(i); };
        if (withSerialAndAbroad)
            rows << qMakePair(at("item_187_"), QString::number(i));
        rows << qMakePair(at("item_180_"), u"人员%1"_s.arg(i)) << qMakePair(at("item_181_"), nameOf(SexNames, i))
             << qMakePair(at("item_182_"), u"19%1.%2"_s.arg(40 + i).arg(i % 12 + 1, 2, 10, QLatin1Char('0')))
             << qMakePair(at("item_183_"), nameOf(TitleNames, i))
             << qMakePair(at("item_184_"), nameOf(EducationNames, i));
        if (withSerialAndAbroad)
            rows << qMakePair(at("item_188_"), nameOf(AbroadNames, i / 2));
        rows << qMakePair(at("item_185_"), u"工作单位%1"_s.arg(i)) << qMakePair(at("item_186_"), u"贡献%1"_s.arg(i));
    }
    return rows;
}

Expected unitRows(int limit, bool withSerialAndContact)
{
    Expected rows;
    for (int i = 1; i <= limit; ++i) {
        const QString n = QString::number(i);
        if (withSerialAndContact)
            rows << qMakePair(u"item_176_"_s + n, n);
        rows << qMakePair(u"item_170_"_s + n, u"合作单位"_s + n) << qMakePair(u"item_171_"_s + n, u"地址"_s + n)
             << qMakePair(u"item_172_"_s + n, u"20000"_s + n);
        if (withSerialAndContact)
            rows << qMakePair(u"item_173_"_s + n, u"联系人"_s + n);
    }
    return rows;
}

Expected committeeRows(int limit, bool withSex)
{
    Expected rows;
    for (int i = 1; i <= limit; ++i) {
        const QString n = QString::number(i);
        rows << qMakePair(u"item_191_"_s + n, u"职务"_s + n) << qMakePair(u"item_192_"_s + n, u"委员"_s + n);
        if (withSex)
            rows << qMakePair(u"item_193_"_s + n, nameOf(SexNames, i));
        rows << qMakePair(u"item_195_"_s + n, u"委员单位"_s + n) << qMakePair(u"item_196_"_s + n, u"所学专业"_s + n)
             << qMakePair(u"item_197_"_s + n, u"现从事专业"_s + n)
             << qMakePair(u"item_198_"_s + n, nameOf(TitleNames, i + 1));
    }
    return rows;
}

// Four applications (the odd patents) and four granted (the even ones).
Expected patentRows()
{
    Expected rows;
    for (int i = 1; i <= 4; ++i) {
        const QString n = QString::number(i);
        rows << qMakePair(u"patentl_no_"_s + n, u"ZL2026%1"_s.arg(2 * i - 1, 4, 10, QLatin1Char('0')))
             << qMakePair(u"patentl_nam_"_s + n, u"专利名称%1"_s.arg(2 * i - 1));
    }
    for (int i = 1; i <= 4; ++i) {
        const QString n = QString::number(i);
        rows << qMakePair(u"patent_no_"_s + n, u"ZL2026%1"_s.arg(2 * i, 4, 10, QLatin1Char('0')))
             << qMakePair(u"patent_nam_"_s + n, u"专利名称%1"_s.arg(2 * i));
    }
    return rows;
}

Expected coverOf(bool applied, bool textSet)
{
    Expected e = {{u"item_3"_s, applied ? Name + Br : Name}, {u"item_9"_s, Unit}};
    if (applied || textSet)
        e << Expected{{u"item_8_1"_s, u"2024年03月"_s}, {u"item_8_2"_s, u"2025年11月"_s},
                      {u"item_128"_s, u"中国科学院科技促进发展局"_s + Br}, {u"item_120"_s, u"GL-2026-0417"_s}};
    if (textSet)
        e << qMakePair(u"item_121"_s, u"2026-7-9"_s);
    return e;
}

// The registration form: what both categories' forms share, then each one's own.
Expected formOf(bool applied, int personLimit)
{
    Expected e = {
        {u"item_3"_s, Name},
        {u"item_14_1"_s, u"复合材料"_s}, {u"item_14_2"_s, u"耐高温"_s}, {u"item_14_3"_s, u"制备"_s},
        {u"item_2"_s, u"国内先进"_s},
        {u"item_201"_s, u"委托研究"_s},
        {u"item_15"_s, u"11014 数论"_s}, {u"item_15_1"_s, u"110 数学"_s},
        {u"item_12"_s, u"A2 列宁著作"_s}, {u"item_12_1"_s, u"A 马克思主义、列宁主义、毛泽东思想、邓小平理论"_s},
        {u"item_125"_s, u"制造业;信息传输、计算机服务和软件业"_s},
        {u"item_126"_s, u"国家科技计划(国家科技支撑计划);部门计划"_s},
        {u"item_127"_s, u"2026AA017"_s}, {u"item_127_1"_s, u"重点研发计划项目"_s},
        {u"item_149"_s, u"120.5"_s}, {u"item_141"_s, u"50.25"_s}, {u"item_148"_s, u"10.75"_s},
        {u"item_142"_s, u"30.5"_s}, {u"item_142_1"_s, u"11.5"_s}, {u"item_142_2"_s, u"12.25"_s},
        {u"item_142_3"_s, u"6.75"_s}, {u"item_143"_s, u"5.5"_s}, {u"item_144"_s, u"20.125"_s},
        {u"item_243"_s, u"3.5"_s}, {u"item_244"_s, u"1.625"_s}, {u"item_145"_s, u"0.875"_s},
        {u"item_21"_s, applied ? u"评估"_s : u"结题"_s},
        {u"item_130"_s, Evaluator}, {u"item_34"_s, u"2025.05.17"_s}, {u"item_22"_s, u"鉴字〔2025〕第017号"_s},
        {u"item_9"_s, Unit}, {u"item_420"_s, u"12345678-9"_s}, {u"item_37"_s, u"北京市海淀区学院路1号"_s},
        {u"item_38"_s, u"100083"_s}, {u"item_39"_s, u"010-62345678"_s}, {u"item_40"_s, u"010-62345679"_s},
        {u"item_60"_s, u"www.example.cn"_s},
        {u"item_62"_s, u"其他(有限责任公司)"_s},
        {u"item_163"_s, u"(属于科研机构转制型企业)"_s},
        {u"item_64"_s, u"河北省"_s}, {u"item_63"_s, u"最高人民法院"_s},
        {u"item_41"_s, u"李明"_s}, {u"item_41_2"_s, u"13800000000"_s}, {u"item_61"_s, u"liming@example.cn"_s},
        {u"item_13_1"_s, Memo},
    };
    if (applied)
        e << Expected{
            {u"item_123"_s, u"新材料"_s}, {u"item_16"_s, u"成熟应用阶段"_s}, {u"item_33"_s, u"限国内转让"_s},
            {u"item_124_1"_s, u"光机电一体化;环境保护"_s}, {u"item_51"_s, u"专利;软件著作权"_s},
            {u"patent_ty"_s, u"发明专利;实用新型专利"_s}, {u"item_125_1"_s, u"国外引进消化吸收创新"_s},
            {u"item_51_1"_s, u"已受理专利申请"_s}, {u"item_51_2"_s, u"61"_s}, {u"item_51_3"_s, u"57"_s},
            {u"item_53"_s, u"2026SR0417"_s}, {u"item_52"_s, u"材料配方管理软件"_s}, {u"item_32"_s, u"未应用"_s},
            {u"item_45"_s, u"73"_s}, {u"item_150"_s, u"88.5"_s}, {u"item_162"_s, u"8.25"_s},
            {u"item_151_1"_s, u"40.5"_s}, {u"item_152_1"_s, u"6.5"_s}, {u"item_153"_s, u"2.75"_s},
            {u"item_154"_s, u"9.5"_s}, {u"item_46"_s, u"100～500万元"_s}, {u"item_47"_s, u"10～50万元"_s},
            {u"item_161"_s, u"资金入股;合作开发"_s}, {u"item_32_1"_s, u"资金问题;市场问题(贷款困难)"_s}};
    else
        e << Expected{{u"item_210"_s, u"论文、专著"_s},
                      {u"item_200"_s, u"农业、林业和渔业的发展;能源的生产、储存和分配"_s}};
    if (applied)
        e << patentRows();
    e << unitRows(applied ? 8 : 5, true) << personRows(personLimit, true) << committeeRows(13, true);
    return e;
}

Expected application()
{
    Expected e = {
        {u"item_3_1"_s, Name + Br}, {u"item_9"_s, Unit + Br}, {u"item_130_1"_s, Evaluator},
        {u"item_3_2"_s, Name}, {u"item_8_1"_s, u"2024年03月"_s}, {u"item_8_2"_s, u"2025年11月"_s},
        {u"item_9_1"_s, Unit}, {u"item_63"_s, u"130"_s}, {u"item_64"_s, u"13"_s}, {u"item_64_1"_s, u"河北省"_s},
        {u"item_63_1"_s, u"最高人民法院"_s}, {u"item_62"_s, u"9"_s}, {u"item_41"_s, u"李明"_s},
        {u"item_38"_s, u"100083"_s}, {u"item_41_2"_s, u"13800000000"_s}, {u"item_37"_s, u"北京市海淀区学院路1号"_s},
        {u"item_126"_s, u"01;02;"_s}, {u"item_126_2"_s, u"国家科技计划(国家科技支撑计划);部门计划"_s},
        {u"item_1_1"_s, u"0"_s}, {u"item_1_2"_s, u"1"_s}, {u"item_13_1"_s, Memo},
        {u"item_13_3"_s, u"研究报告一份"_s},
    };
    return e << personRows(15, false);
}

Expected certificate()
{
    Expected e = {
        {u"item_3"_s, Name + Br}, {u"item_9"_s, Unit + Br}, {u"item_21"_s, u"评估"_s},
        {u"item_130"_s, Evaluator + Br}, {u"item_34_y"_s, u"2025"_s}, {u"item_34_m"_s, u"05"_s},
        {u"item_34_d"_s, u"17"_s}, {u"item_302_y"_s, u"2026"_s}, {u"item_302_m"_s, u"08"_s},
        {u"item_302_d"_s, u"23"_s}, {u"item_13_1"_s, Memo}, {u"item_13_2"_s, u"推广前景良好"_s},
        {u"item_13_3"_s, u"研究报告一份"_s}, {u"item_133"_s, u"测试合格"_s}, {u"item_303"_s, u"同意通过鉴定"_s},
        {u"item_9_2"_s, Unit}, {u"item_38"_s, u"100083"_s}, {u"item_64"_s, u"13"_s},
        {u"item_37"_s, u"北京市海淀区学院路1号"_s}, {u"item_63"_s, u"最高人民法院"_s},
        {u"item_62"_s, u"其他(有限责任公司)"_s},
        // the certificate's second part
        {u"item_3_1"_s, Name}, {u"item_8_1"_s, u"2024年03月"_s}, {u"item_8_2"_s, u"2025年11月"_s},
        {u"item_9_1"_s, Unit}, {u"item_63_1"_s, u"130"_s}, {u"item_64_1"_s, u"13"_s},
        {u"item_64_2"_s, u"河北省"_s}, {u"item_63_2"_s, u"最高人民法院"_s}, {u"item_62_1"_s, u"9"_s},
        {u"item_41"_s, u"李明"_s}, {u"item_38_1"_s, u"100083"_s}, {u"item_41_2"_s, u"13800000000"_s},
        {u"item_37_1"_s, u"北京市海淀区学院路1号"_s}, {u"item_34_1"_s, u"2025.05.17"_s},
        {u"item_302_1"_s, u"2026.08.23"_s}, {u"item_130_1"_s, Evaluator}, {u"item_1_1"_s, u"0"_s},
        {u"item_1_2"_s, u"1"_s}, {u"item_2"_s, u"4"_s}, {u"item_126"_s, u"01;02;"_s},
        {u"item_126_2"_s, u"国家科技计划(国家科技支撑计划);部门计划"_s}, {u"item_125"_s, u"03;20;"_s},
        {u"item_32_1"_s, u"3"_s}, {u"item_32_1_1"_s, u"未应用"_s}, {u"item_33"_s, u"2"_s},
    };
    return e << unitRows(7, false) << personRows(15, false) << committeeRows(15, false);
}

QString shown(QString text)
{
    return text.replace(u"\r\n"_s, u"⏎"_s).replace(u'\r', u'¶');
}

} // namespace

class TstWordBookmarks : public QObject
{
    Q_OBJECT

    DataFixture data;
    std::unique_ptr<BoxLog> boxes;
    QTemporaryDir out;

    QStringList produce(Output output, const QString &item4)
    {
        if (!selectRecord(data.dm(), item4))
            return {u"<no record %1>"_s.arg(item4)};
        const DatabaseCodes codes(data.db());
        WordDocumentMaker word(WordSources::fromDataModule(*data.dm(), codes), data.dataPath(), nullptr);
        word.setFolder(out.filePath(u"made"_s));
        word.setOpener([](const QString &) { return true; });
        word.run(output);
        return word.saved();
    }

    // Each document's bookmarks against the expectations: after the
    // bookmark stands the expected text, then what the template itself has
    // there (" 至 " between the two ends of the period, for instance).
    static QStringList differences(const QString &what, const Expected &expected,
                                   const QHash<QString, QString> &made, const QHash<QString, QString> &blank)
    {
        QStringList problems;
        QSet<QString> named;
        for (const auto &[bookmark, text] : expected) {
            named.insert(bookmark);
            if (!made.contains(bookmark))
                problems << u"%1: no bookmark %2"_s.arg(what, bookmark);
            else if (made.value(bookmark) != text + blank.value(bookmark))
                problems << u"%1 %2: \"%3\", expected \"%4\""_s.arg(what, bookmark, shown(made.value(bookmark)),
                                                                      shown(text + blank.value(bookmark)));
        }
        for (auto it = made.cbegin(); it != made.cend(); ++it)
            if (!named.contains(it.key()))
                problems << u"%1: bookmark %2 is not among the expectations"_s.arg(what, it.key());
        return problems;
    }

private slots:
    void initTestCase()
    {
        data.buildOnce();
        QVERIFY(data.start());
        copyTemplates(data.dataPath());
        boxes = std::make_unique<BoxLog>();
        appendRow(data.db(), u"kjcg.DBF"_s, recordFields(Yy, u"1"_s));
        appendRow(data.db(), u"kjcg.DBF"_s, recordFields(Rj, u"2"_s));
        addRows(data.db(), Yy);
        addRows(data.db(), Rj);
    }

    void everyBookmarkShowsItsField()
    {
        struct Made
        {
            QString what;
            QString templatePath;
            Expected expected;
            QString path;
        };
        QList<Made> documents = {
            {u"基础、软科学封面"_s, {}, coverOf(false, false), {}},
            {u"基础、软科学登记表"_s, {}, formOf(false, 34), {}},
            {u"基础、软科学封面(正文)"_s, {}, coverOf(false, true), {}},
            {u"基础、软科学登记表(正文)"_s, {}, formOf(false, 45), {}},
            {u"应用技术封面"_s, {}, coverOf(true, false), {}},
            {u"应用技术登记表"_s, {}, formOf(true, 34), {}},
            {u"应用技术封面(正文)"_s, {}, coverOf(true, true), {}},
            {u"应用技术登记表(正文)"_s, {}, formOf(true, 45), {}},
            {u"科学技术成果鉴定申请表"_s, {}, application(), {}},
            {u"科学技术成果鉴定证书"_s, {}, certificate(), {}},
        };
        QStringList saved;
        saved << produce(Output::RjForm, Rj) << produce(Output::RjFormText, Rj) << produce(Output::YyForm, Yy)
              << produce(Output::YyFormText, Yy) << produce(Output::Application, Yy)
              << produce(Output::Certificate, Yy);
        QVERIFY2(saved.size() == documents.size(), qPrintable(boxes->texts().join(u" | "_s)));
        QStringList toRead;
        for (qsizetype i = 0; i < documents.size(); ++i) {
            Made &d = documents[i];
            d.path = saved.at(i);
            QVERIFY2(QFileInfo(d.path).fileName().startsWith(d.what + u'_'), qPrintable(d.path));
            // The template, read the same way, tells what stands after each
            // bookmark before anything is filled in.
            d.templatePath = QDir(data.dataPath()).filePath(d.what + u".dotx"_s);
            toRead << d.path << d.templatePath;
        }
        const QHash<QString, QHash<QString, QString>> read = wordProcessorBookmarks(toRead);
        QVERIFY2(read.size() == toRead.size(), "the word processor could not read every document");

        QStringList problems;
        for (const Made &d : std::as_const(documents))
            problems << differences(d.what, d.expected, read.value(d.path), read.value(d.templatePath));
        for (const QString &problem : std::as_const(problems))
            qWarning().noquote() << problem;  // every one: a message alone would be cut short
        QVERIFY2(problems.isEmpty(), qPrintable(u"%1 bookmarks differ"_s.arg(problems.size())));
    }
};

QTEST_MAIN(TstWordBookmarks)
#include "tst_wordbookmarks.moc"
