#pragma once
// Achievement records with every field the Word documents print, their child
// rows, and the data folder with the templates the build made.

#include "RecordsData.h"
#include "engine/DataSet.h"

#include <QDate>

inline void copyTemplates(const QString &dataPath)
{
    const QDir built(QStringLiteral(DRAVIK_BINARY_DIR "/data-dist"));
    for (const QString &f : built.entryList({u"*.dotx"_s}, QDir::Files))
        QFile::copy(built.filePath(f), QDir(dataPath).filePath(f));
}

inline const QString MemoText = u"本成果研究了耐高温材料。\r\n第二段：A&B<C>。完"_s;

// A record of the category with every field the documents read, less or
// other than as `changes` says.
inline void addFullRecord(Database *db, const QString &item4, const QString &category,
                          const FieldValues &changes = {})
{
    const bool yy = category == u"1"_s;
    FieldValues v = {
        {u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"110"_s}, {u"ITEM_CGLB"_s, category},
        {u"ITEM_3"_s, u"一种耐高温复合材料的制备方法"_s}, {u"ITEM_14"_s, u"复合材料;耐高温;制备;"_s},
        {u"ITEM_2"_s, u"3"_s}, {u"ITEM_201"_s, u"2"_s}, {u"ITEM_15"_s, u"11010"_s}, {u"ITEM_15_1"_s, u"110"_s},
        {u"ITEM_12"_s, u"A1"_s}, {u"ITEM_12_1"_s, u"A"_s}, {u"ITEM_125"_s, u"01;02;"_s},
        {u"ITEM_126"_s, u"02;01;"_s}, {u"ITEM_140"_s, u"7"_s}, {u"ITEM_127"_s, u"2026AA001"_s},
        {u"ITEM_127_1"_s, u"重点研发计划项目"_s}, {u"ITEM_149"_s, u"120.5"_s}, {u"ITEM_141"_s, u"50"_s},
        {u"ITEM_148"_s, u"10"_s}, {u"ITEM_142"_s, u"30"_s}, {u"ITEM_142_1"_s, u"11"_s}, {u"ITEM_142_2"_s, u"12"_s},
        {u"ITEM_142_3"_s, u"7"_s}, {u"ITEM_143"_s, u"5.5"_s}, {u"ITEM_144"_s, u"20"_s}, {u"ITEM_243"_s, u"3"_s},
        {u"ITEM_244"_s, u"1.5"_s}, {u"ITEM_145"_s, u"0.5"_s}, {u"ITEM_21"_s, yy ? u"1"_s : u"4"_s},
        {u"ITEM_130"_s, u"省科学技术厅"_s}, {u"ITEM_34"_s, u"2026.05.17"_s}, {u"ITEM_22"_s, u"鉴字第12号"_s},
        {u"ITEM_9"_s, u"北京新材料研究院"_s}, {u"ITEM_420"_s, u"12345678-9"_s},
        {u"ITEM_37"_s, u"北京市海淀区学院路1号"_s}, {u"ITEM_38"_s, u"100083"_s}, {u"ITEM_39"_s, u"010-62345678"_s},
        {u"ITEM_40"_s, u"010-62345679"_s}, {u"ITEM_60"_s, u"www.example.cn"_s}, {u"ITEM_62"_s, u"2"_s},
        {u"ITEM_41_3"_s, u"01"_s}, {u"ITEM_163"_s, u"1"_s}, {u"ITEM_64"_s, u"11"_s}, {u"ITEM_63"_s, u"110"_s},
        {u"ITEM_41"_s, u"李明"_s}, {u"ITEM_41_2"_s, u"13800000000"_s}, {u"ITEM_61"_s, u"liming@example.cn"_s},
        {u"ITEM_13_1"_s, MemoText}, {u"ITEM_13_2"_s, u"推广前景良好"_s}, {u"ITEM_13_3"_s, u"研究报告一份"_s},
        {u"ITEM_133"_s, u"测试合格"_s}, {u"ITEM_303"_s, u"同意通过鉴定"_s}, {u"ITEM_302"_s, u"2026.06.20"_s},
        {u"ITEM_8"_s, u"2024.01   至2025.12"_s}, {u"ITEM_128"_s, u"中国科学院"_s}, {u"ITEM_120"_s, u"GL-0001"_s},
        {u"ITEM_121"_s, u"2026-6-1"_s}, {u"ITEM_1"_s, u"3"_s},
    };
    if (yy)
        v << FieldValues{{u"ITEM_123"_s, u"4"_s}, {u"ITEM_16"_s, u"2"_s}, {u"ITEM_33"_s, u"2"_s},
                         {u"ITEM_124_1"_s, u"01;02;"_s}, {u"ITEM_51"_s, u"1;3;"_s}, {u"patent_ty"_s, u"1;2;"_s},
                         {u"ITEM_125_1"_s, u"1"_s}, {u"ITEM_51_1"_s, u"2"_s}, {u"ITEM_51_2"_s, u"6"_s},
                         {u"ITEM_51_3"_s, u"1"_s}, {u"ITEM_53"_s, u"2026SR0001"_s},
                         {u"ITEM_52"_s, u"材料配方管理软件"_s}, {u"ITEM_32"_s, u"1"_s}, {u"ITEM_45"_s, u"3"_s},
                         {u"ITEM_150"_s, u"88.5"_s}, {u"ITEM_162"_s, u"8"_s}, {u"ITEM_151_1"_s, u"40"_s},
                         {u"ITEM_152_1"_s, u"6"_s}, {u"ITEM_153"_s, u"2"_s}, {u"ITEM_154"_s, u"9"_s},
                         {u"ITEM_46"_s, u"2"_s}, {u"ITEM_47"_s, u"1"_s}, {u"ITEM_161"_s, u"1;2;"_s},
                         {u"ITEM_32_1"_s, u"1;"_s}, {u"ITEM_160"_s, u"12"_s}};
    else
        v << FieldValues{{u"ITEM_210"_s, u"2"_s}, {u"ITEM_200"_s, u"01;02;"_s}};
    for (const auto &[field, value] : changes) {
        v.removeIf([&](const QPair<QString, QString> &p) { return p.first == field; });
        v.append({field, value});
    }
    appendRow(db, u"kjcg.DBF"_s, v);
}

// `count` rows of a child list, stored in reverse order of their serials
// (as a list reads when its last entry became the first).
inline void addPersons(Database *db, const QString &item4, int count)
{
    for (int i = count; i >= 1; --i)
        appendRow(db, u"cgwcr.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"110"_s}, {u"ITEM_187"_s, QString::number(i)},
                   {u"ITEM_180"_s, u"人员%1"_s.arg(i)}, {u"ITEM_181"_s, u"1"_s}, {u"ITEM_182"_s, u"1970.01"_s},
                   {u"ITEM_183"_s, u"2"_s}, {u"ITEM_184"_s, u"2"_s}, {u"ITEM_188"_s, u"1"_s},
                   {u"ITEM_185"_s, u"工作单位%1"_s.arg(i)}, {u"ITEM_186"_s, u"贡献%1"_s.arg(i)}});
}

inline void addCommittee(Database *db, const QString &item4, int count)
{
    for (int i = 2; i <= count + 1; ++i) {  // the chairman, serial 1, is added last
        const int serial = i <= count ? i : 1;
        appendRow(db, u"jdwyhmd.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"110"_s}, {u"ITEM_190"_s, QString::number(serial)},
                   {u"ITEM_191"_s, serial == 1 ? u"1"_s : u"3"_s}, {u"ITEM_192"_s, u"委员%1"_s.arg(serial)},
                   {u"ITEM_193"_s, u"0"_s}, {u"ITEM_195"_s, u"委员单位%1"_s.arg(serial)},
                   {u"ITEM_196"_s, u"材料学"_s}, {u"ITEM_197"_s, u"材料工程"_s}, {u"ITEM_198"_s, u"2"_s}});
    }
}

inline void addUnits(Database *db, const QString &item4, int count)
{
    for (int i = count; i >= 1; --i)
        appendRow(db, u"cgwcdw.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"110"_s}, {u"ITEM_176"_s, QString::number(i)},
                   {u"ITEM_170"_s, u"合作单位%1"_s.arg(i)}, {u"ITEM_171"_s, u"地址%1"_s.arg(i)},
                   {u"ITEM_172"_s, u"10000%1"_s.arg(i)}, {u"ITEM_173"_s, u"联系人%1"_s.arg(i)}});
}

// Patents: `accepted` with status 1, then `granted` with status 2.
inline void addPatents(Database *db, const QString &item4, int accepted, int granted)
{
    for (int i = 1; i <= accepted + granted; ++i)
        appendRow(db, u"zlqk.dbf"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"110"_s}, {u"ITEM_NO"_s, QString::number(i)},
                   {u"PATENT_NO"_s, u"ZL2026%1"_s.arg(i)}, {u"PATENT_NAM"_s, u"专利名称%1"_s.arg(i)},
                   {u"PATENT_ST"_s, i <= accepted ? u"1"_s : u"2"_s}, {u"PATENT_TY"_s, u"1"_s}});
}

// Makes the record of that number the current row of the main list.
inline bool selectRecord(TDM *dm, const QString &item4)
{
    dm->ReopenWithSql(*dm->Qrykjcg, u"select * from kjcg"_s);
    return dm->Qrykjcg->locate(u"ITEM_4"_s, item4);
}
