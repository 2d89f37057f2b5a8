#include "WordPlans.h"

namespace WordPlans {

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// A field's text under a bookmark of its own name, or under another name.
Bookmark field(const char *name, int breakBelow = 0)
{
    return {S(name), Text::Field, S(name), {}, breakBelow};
}

Bookmark fieldAs(const char *name, const char *source, int breakBelow = 0)
{
    return {S(name), Text::Field, S(source), {}, breakBelow};
}

Bookmark rule(const char *name, Text text, const char *source, const char *key = "")
{
    return {S(name), text, S(source), S(key), 0};
}

Bookmark codeName(const char *name)
{
    return rule(name, Text::CodeName, name);
}

Bookmark codeNames(const char *name)
{
    return rule(name, Text::CodeNames, name);
}

QList<Bookmark> fields(std::initializer_list<const char *> names)
{
    QList<Bookmark> list;
    for (const char *name : names)
        list.append(field(name));
    return list;
}

// --- covers -------------------------------------------------------------

QList<Bookmark> cover(int nameBreak, bool period, bool registrationDate)
{
    QList<Bookmark> list{field("item_3", nameBreak), field("item_9", 38)};
    if (!period)
        return list;
    list << rule("item_8_1", Text::PeriodStart, "item_8") << rule("item_8_2", Text::PeriodEnd, "item_8")
         << field("item_128", 42) << field("item_120");
    if (registrationDate)
        list << rule("item_121", Text::ShortDate, "item_121");
    return list;
}

// --- the registration form -------------------------------------------------

enum class Set { Rj, Yy, YyText };

QList<Bookmark> formHead(Set set)
{
    const bool yy = set != Set::Rj;
    const QList<Bookmark> intellectualProperty{codeNames("item_51"),
                                               rule("patent_ty", Text::CodeNames, "patent_ty", "patent_ty")};
    QList<Bookmark> list{field("item_3"), rule("item_14_1", Text::KeyWord1, "item_14"),
                         rule("item_14_2", Text::KeyWord2, "item_14"), rule("item_14_3", Text::KeyWord3, "item_14")};
    if (yy)
        list << codeName("item_123") << codeName("item_16") << codeName("item_2") << codeName("item_33");
    else
        list << codeName("item_210") << codeName("item_2");
    list << codeName("item_201") << rule("item_15", Text::SubjectClass, "item_15")
         << rule("item_15_1", Text::SubjectClass, "item_15_1") << rule("item_12", Text::LibraryClass, "item_12")
         << rule("item_12_1", Text::LibraryClass, "item_12_1");
    if (yy)
        list << codeNames("item_124_1");
    else
        list << codeNames("item_200");
    if (set == Set::Yy)
        list << intellectualProperty;
    list << codeNames("item_125") << rule("item_126", Text::ProjectSource, "item_126");
    if (yy)
        list << codeName("item_125_1");
    list << fields({"item_127", "item_127_1", "item_149", "item_141", "item_148", "item_142", "item_142_1",
                    "item_142_2", "item_142_3", "item_143", "item_144", "item_243", "item_244", "item_145"});
    list << rule("item_21", Text::CodeName, "item_21", yy ? "item_21" : "item_21_l")
         << fields({"item_130", "item_34", "item_22"});
    if (set == Set::YyText)
        list << intellectualProperty;
    if (yy) {
        list << codeName("item_51_1") << fields({"item_51_2", "item_51_3", "item_53", "item_52"})
             << codeName("item_32")
             << fields({"item_45", "item_150", "item_162", "item_151_1", "item_152_1", "item_153", "item_154"})
             << codeName("item_46") << codeName("item_47") << codeNames("item_161")
             << rule("item_32_1", Text::ReasonNotApplied, "item_32_1");
    }
    list << fields({"item_9", "item_420", "item_37", "item_38", "item_39", "item_40", "item_60"})
         << rule("item_62", Text::UnitAttribute, "item_62")
         << rule("item_163", Text::ConvertedInstitute, "item_163") << rule("item_64", Text::Province, "item_64")
         << rule("item_63", Text::Affiliation, "item_63") << fields({"item_41", "item_41_2", "item_61", "item_13_1"});
    return list;
}

QList<Column> columns(std::initializer_list<std::pair<const char *, const char *>> pairs)
{
    QList<Column> list;
    for (const auto &[bookmark, source] : pairs)
        list.append({S(bookmark), S(source)});
    return list;
}

ChildList units(int limit, bool withContact)
{
    QList<Column> c = withContact ? columns({{"item_176", "ITEM_176"}, {"item_170", "ITEM_170"},
                                             {"item_171", "ITEM_171"}, {"item_172", "ITEM_172"},
                                             {"item_173", "ITEM_173"}})
                                  : columns({{"item_170", "ITEM_170"}, {"item_171", "ITEM_171"},
                                             {"item_172", "ITEM_172"}});
    return {Child::Units, c, limit};
}

ChildList persons(int limit, bool full)
{
    QList<Column> c;
    if (full)
        c << Column{S("item_187"), S("ITEM_187")};
    c << columns({{"item_180", "ITEM_180"}, {"item_181", "V_181"}, {"item_182", "ITEM_182"},
                  {"item_183", "V_183"}, {"item_184", "V_184"}});
    if (full)
        c << Column{S("item_188"), S("V_188")};
    c << columns({{"item_185", "ITEM_185"}, {"item_186", "ITEM_186"}});
    return {Child::Persons, c, limit};
}

ChildList committee(int limit, bool withSex)
{
    QList<Column> c = columns({{"item_191", "ITEM_191"}, {"item_192", "ITEM_192"}});
    if (withSex)
        c << Column{S("item_193"), S("V_193")};
    c << columns({{"item_195", "ITEM_195"}, {"item_196", "ITEM_196"}, {"item_197", "ITEM_197"},
                  {"item_198", "V_198"}});
    return {Child::Committee, c, limit};
}

QList<ChildList> formLists(bool yy, int personLimit)
{
    QList<ChildList> lists;
    if (yy)
        lists << ChildList{Child::AcceptedPatents,
                           columns({{"patentl_no", "PATENT_NO"}, {"patentl_nam", "PATENT_NAM"}}), 4}
              << ChildList{Child::GrantedPatents,
                           columns({{"patent_no", "PATENT_NO"}, {"patent_nam", "PATENT_NAM"}}), 4};
    lists << units(yy ? 8 : 5, true) << persons(personLimit, true) << committee(13, true);
    return lists;
}

// --- appraisal application and certificate ---------------------------------

Document application()
{
    Document d{S("科学技术成果鉴定申请表"), {}, {persons(15, false)}, {}};
    d.head = {fieldAs("item_3_1", "item_3", 46), field("item_9", 46), fieldAs("item_130_1", "item_130", 40),
              fieldAs("item_3_2", "item_3"), rule("item_8_1", Text::PeriodStart, "item_8"),
              rule("item_8_2", Text::PeriodEnd, "item_8"), fieldAs("item_9_1", "item_9"), field("item_63"),
              field("item_64"), rule("item_64_1", Text::Province, "item_64"),
              rule("item_63_1", Text::Affiliation, "item_63"), field("item_62"), field("item_41"),
              field("item_38"), field("item_41_2"), field("item_37"), field("item_126"),
              rule("item_126_2", Text::ProjectSource, "item_126"), rule("item_1_1", Text::SecrecyMark, "item_1"),
              fieldAs("item_1_2", "item_1"), field("item_13_1"), field("item_13_3")};
    return d;
}

Document certificate()
{
    Document d{S("科学技术成果鉴定证书"), {}, {units(7, false), persons(15, false), committee(15, false)}, {}};
    d.head = {field("item_3", 46), field("item_9", 46), rule("item_21", Text::EvaluationForm, "item_21"),
              field("item_130", 46), rule("item_34_y", Text::DateYear, "item_34"),
              rule("item_34_m", Text::DateMonth, "item_34"), rule("item_34_d", Text::DateDay, "item_34"),
              rule("item_302_y", Text::DateYear, "item_302"), rule("item_302_m", Text::DateMonth, "item_302"),
              rule("item_302_d", Text::DateDay, "item_302"), field("item_13_1"), field("item_13_2"),
              field("item_13_3"), field("item_133"), field("item_303"), fieldAs("item_9_2", "item_9"),
              field("item_38"), field("item_64"), field("item_37"), rule("item_63", Text::Affiliation, "item_63"),
              rule("item_62", Text::UnitAttribute, "item_62")};
    d.tail = {fieldAs("item_3_1", "item_3"), rule("item_8_1", Text::PeriodStart, "item_8"),
              rule("item_8_2", Text::PeriodEnd, "item_8"), fieldAs("item_9_1", "item_9"),
              fieldAs("item_63_1", "item_63"), fieldAs("item_64_1", "item_64"),
              rule("item_64_2", Text::Province, "item_64"), rule("item_63_2", Text::Affiliation, "item_63"),
              fieldAs("item_62_1", "item_62"), field("item_41"), fieldAs("item_38_1", "item_38"),
              field("item_41_2"), fieldAs("item_37_1", "item_37"), fieldAs("item_34_1", "item_34"),
              fieldAs("item_302_1", "item_302"), fieldAs("item_130_1", "item_130"),
              rule("item_1_1", Text::SecrecyMark, "item_1"), fieldAs("item_1_2", "item_1"), field("item_2"),
              field("item_126"), rule("item_126_2", Text::ProjectSource, "item_126"), field("item_125"),
              fieldAs("item_32_1", "item_32"), rule("item_32_1_1", Text::CodeName, "item_32"), field("item_33")};
    return d;
}

struct Catalogue
{
    Document rjCover{S("基础、软科学封面"), cover(42, false, false), {}, {}};
    Document rjForm{S("基础、软科学登记表"), formHead(Set::Rj), formLists(false, 34), {}};
    Document rjCoverText{S("基础、软科学封面(正文)"), cover(42, true, true), {}, {}};
    Document rjFormText{S("基础、软科学登记表(正文)"), formHead(Set::Rj), formLists(false, 45), {}};
    Document yyCover{S("应用技术封面"), cover(44, true, false), {}, {}};
    Document yyForm{S("应用技术登记表"), formHead(Set::Yy), formLists(true, 34), {}};
    Document yyCoverText{S("应用技术封面(正文)"), cover(44, true, true), {}, {}};
    Document yyFormText{S("应用技术登记表(正文)"), formHead(Set::YyText), formLists(true, 45), {}};
    Document applicationForm = application();
    Document certificateForm = certificate();
};

const Catalogue &catalogue()
{
    static const Catalogue c;
    return c;
}

} // namespace

QList<Output> outputs()
{
    return {Output::RjForm, Output::RjFormText, Output::YyForm, Output::YyFormText, Output::Application,
            Output::Certificate};
}

QList<const Document *> documentsOf(Output output)
{
    const Catalogue &c = catalogue();
    switch (output) {
    case Output::RjForm: return {&c.rjCover, &c.rjForm};
    case Output::RjFormText: return {&c.rjCoverText, &c.rjFormText};
    case Output::YyForm: return {&c.yyCover, &c.yyForm};
    case Output::YyFormText: return {&c.yyCoverText, &c.yyFormText};
    case Output::Application: return {&c.applicationForm};
    case Output::Certificate: return {&c.certificateForm};
    }
    return {};
}

QList<const Document *> allDocuments()
{
    QList<const Document *> all;
    for (Output output : outputs())
        all << documentsOf(output);
    return all;
}

const Document *documentByTemplate(const QString &templateBase)
{
    for (const Document *d : allDocuments())
        if (d->templateBase == templateBase)
            return d;
    return nullptr;
}

QString templateFileName(const Document &document)
{
    return document.templateBase + QStringLiteral(".dotx");
}

QString rowBookmark(const Column &column, int row)
{
    return column.bookmark + QLatin1Char('_') + QString::number(row);
}

QStringList bookmarkNames(const Document &document)
{
    QStringList names;
    for (const Bookmark &b : document.head)
        names << b.name;
    for (const ChildList &list : document.lists)
        for (int row = 1; row <= list.limit; ++row)
            for (const Column &column : list.columns)
                names << rowBookmark(column, row);
    for (const Bookmark &b : document.tail)
        names << b.name;
    return names;
}

} // namespace WordPlans
