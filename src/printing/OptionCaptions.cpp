#include "OptionCaptions.h"

#include "CodeLookup.h"

#include <QHash>

namespace OptionCaptions {

namespace {

using Group = QHash<QString, QString>;

Group group(std::initializer_list<std::pair<const char *, const char *>> options)
{
    Group g;
    for (const auto &[code, text] : options)
        g.insert(QString::fromUtf8(code), QString::fromUtf8(text));
    return g;
}

// The option names as the entry pages show them, by dictionary key.
const QHash<QString, Group> &formGroups()
{
    static const QHash<QString, Group> groups = {
        {QStringLiteral("item_123"),
         group({{"1", "新技术"}, {"2", "新工艺"}, {"3", "新产品"}, {"4", "新材料"},
                {"5", "农业、生物新品种"}, {"6", "矿产新品种"}, {"7", "新装备"},
                {"9", "其他应用技术"}, {"A", "国际标准"}, {"B", "国家标准"}, {"C", "行业标准"},
                {"D", "地方标准"}, {"E", "企业标准"}})},
        {QStringLiteral("item_124_1"),
         group({{"01", "电子信息"}, {"02", "软件"}, {"03", "航空航天"}, {"04", "光机电一体化"},
                {"05", "生物、医药和医疗器械"}, {"06", "新材料"}, {"07", "新能源与高效节能"},
                {"08", "环境保护"}, {"09", "地球、空间与海洋"}, {"10", "核应用技术"},
                {"11", "农业"}})},
        {QStringLiteral("item_200"),
         group({{"01", "陆地、海洋和大气的开发与评价"}, {"02", "民用宇宙空间"},
                {"03", "农业、林业和渔业的发展"}, {"04", "促进工业的发展"},
                {"05", "能源的生产、储存和分配"}, {"06", "交通、通讯事业的发展"},
                {"07", "教育事业的发展"}, {"08", "卫生事业的发展"},
                {"09", "社会发展和社会经济服务"}, {"10", "环境保护"}, {"11", "知识的全面发展"},
                {"12", "其他民用目标"}, {"13", "国防"}})},
        {QStringLiteral("item_125"),
         group({{"01", "农、林、牧、渔业"}, {"02", "采矿业"}, {"03", "制造业"},
                {"04", "电力、煤气及水的生产和供应业"}, {"05", "建筑业"},
                {"07", "交通运输、仓储和邮政业"}, {"08", "批发和零售业"}, {"09", "金融业"},
                {"10", "房地产业"}, {"20", "信息传输、计算机服务和软件业"},
                {"21", "住宿和餐饮业"}, {"22", "租赁和商务服务业"},
                {"23", "科学研究、技术服务和地质勘查业"}, {"24", "水利、环境和公共设施管理业"},
                {"25", "居民服务和其他服务业"}, {"26", "教育"}, {"27", "卫生、社会保障和社会福利业"},
                {"28", "文化、体育和娱乐业"}, {"29", "公共管理和社会组织"}, {"30", "国际组织"}})},
        {QStringLiteral("item_126"),
         group({{"02", "部门计划"}, {"03", "地方计划"}, {"05", "部门基金"}, {"06", "地方基金"},
                {"07", "国际合作"}, {"08", "横向委托"}, {"09", "民间基金"}, {"10", "自选"},
                {"19", "其他"}})},
        {QStringLiteral("item_140"),
         group({{"1", "高技术研究发展计划(863计划）"}, {"3", "基础研究计划"},
                {"6", "科技基础条件平台建设"}, {"7", "国家科技支撑计划"},
                {"8", "政策引导类计划及专项"}, {"9", "其他"}})},
        {QStringLiteral("item_51"), group({{"1", "专利"}, {"3", "软件著作权"}, {"9", "其他"}})},
        {QStringLiteral("item_32_1"),
         group({{"1", "资金问题"}, {"2", "技术问题"}, {"3", "市场问题"}, {"4", "管理问题"},
                {"5", "政策因素"}})},
        {QStringLiteral("item_160"),
         group({{"11", "拨款未到位"}, {"12", "贷款困难"}, {"13", "无资金渠道"}, {"14", "协议终止"},
                {"15", "其他"}, {"21", "技术过时"}, {"22", "成熟度不够"}, {"23", "成套性差"},
                {"24", "引进技术冲击"}, {"25", "其他"}, {"31", "进口产品冲击"},
                {"32", "新产品替代"}, {"33", "与市场要求不吻合"}, {"34", "市场信息不灵"},
                {"35", "其他"}, {"41", "管理不好"}, {"42", "经营不善"}, {"43", "其他"},
                {"51", "产业政策调整"}, {"52", "技术政策调整"}, {"53", "金融信贷政策"},
                {"54", "进出口政策"}, {"55", "其他"}})},
        {QStringLiteral("item_161"),
         group({{"1", "产权转让"}, {"2", "资金入股"}, {"3", "技术入股"}, {"4", "合作开发"},
                {"5", "技术服务"}, {"9", "其他"}})},
    };
    return groups;
}

} // namespace

QString caption(const CodeLookup *codes, const QString &group, const QString &code)
{
    const QString key = group.toLower();
    const auto named = formGroups().constFind(key);
    if (named != formGroups().constEnd())
        return named->value(code);
    return codes ? codes->optionText(key, code).trimmed() : QString();
}

} // namespace OptionCaptions
