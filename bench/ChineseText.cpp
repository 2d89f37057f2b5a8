#include "ChineseText.h"

namespace {

const QStringList kQualifiers = {
    QStringLiteral("基于深度学习的"), QStringLiteral("面向智慧城市的"), QStringLiteral("高寒地区"),
    QStringLiteral("黄河流域"), QStringLiteral("新型"), QStringLiteral("大跨度"),
    QStringLiteral("复杂地质条件下"), QStringLiteral("多源数据融合的"), QStringLiteral("低碳"),
    QStringLiteral("高性能"), QStringLiteral("绿色"), QStringLiteral("智能化"),
    QStringLiteral("海上风电"), QStringLiteral("城市轨道交通"), QStringLiteral("西南山区"),
    QStringLiteral("干旱半干旱区"), QStringLiteral("长江中下游"), QStringLiteral("东北黑土区"),
    QStringLiteral("基于物联网的"), QStringLiteral("超高压"), QStringLiteral("节能型"),
    QStringLiteral("规模化"), QStringLiteral("沿海滩涂"), QStringLiteral("重金属污染"),
};

const QStringList kObjects = {
    QStringLiteral("水稻"), QStringLiteral("玉米"), QStringLiteral("小麦"), QStringLiteral("钢筋混凝土桥梁"),
    QStringLiteral("锂离子电池"), QStringLiteral("输电线路"), QStringLiteral("中药材"), QStringLiteral("盐碱地"),
    QStringLiteral("城镇污水"), QStringLiteral("煤矿瓦斯"), QStringLiteral("高速铁路路基"),
    QStringLiteral("稀土永磁材料"), QStringLiteral("生猪"), QStringLiteral("茶叶"), QStringLiteral("油气管道"),
    QStringLiteral("页岩气"), QStringLiteral("光伏组件"), QStringLiteral("柑橘"), QStringLiteral("高炉炉渣"),
    QStringLiteral("隧道围岩"), QStringLiteral("乳腺癌"), QStringLiteral("儿童哮喘"), QStringLiteral("土壤墒情"),
    QStringLiteral("农村饮水"), QStringLiteral("电动汽车"), QStringLiteral("数控机床"), QStringLiteral("林下经济"),
};

const QStringList kTopics = {
    QStringLiteral("关键技术"), QStringLiteral("高产栽培技术"), QStringLiteral("监测预警系统"),
    QStringLiteral("综合防治技术"), QStringLiteral("快速检测方法"), QStringLiteral("评价体系"),
    QStringLiteral("优化设计"), QStringLiteral("形成机理"), QStringLiteral("智能控制系统"),
    QStringLiteral("加工工艺"), QStringLiteral("风险评估"), QStringLiteral("成套装备"),
    QStringLiteral("新品种选育"), QStringLiteral("资源综合利用"), QStringLiteral("健康养殖模式"),
    QStringLiteral("精准诊疗"), QStringLiteral("安全运行保障"), QStringLiteral("数值模拟"),
};

const QStringList kSuffixes[3] = {
    { QStringLiteral("研究"), QStringLiteral("研究与应用"), QStringLiteral("开发"), QStringLiteral("研制"),
      QStringLiteral("集成与示范"), QStringLiteral("推广应用"), QStringLiteral("及产业化"), QString() },
    { QStringLiteral("发展战略研究"), QStringLiteral("对策研究"), QStringLiteral("政策体系研究"),
      QStringLiteral("现状调查与分析"), QStringLiteral("规划"), QStringLiteral("管理模式探索") },
    { QStringLiteral("机理研究"), QStringLiteral("理论研究"), QStringLiteral("基础研究"),
      QStringLiteral("的分子机制"), QStringLiteral("演化规律"), QStringLiteral("作用机制研究") },
};

const QStringList kSurnames = QStringLiteral(
    "王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 郭 何 高 林 罗 郑 梁 谢 宋 唐 许 韩 冯 邓 曹 彭 曾 肖 田 董 袁 潘 于 蒋 蔡 余 杜 叶 程 苏 魏 吕 丁 任 沈 姚 卢 姜 崔 钟 谭 陆 汪 范 金 石 廖 贾 夏 韦 付 方 白 邹 孟 熊 秦 邱 江 尹 薛 欧阳 司马")
    .split(QLatin1Char(' '));
const QString kGivenChars = QStringLiteral(
    "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超秀兰霞平刚桂英华建国志红玉萍文辉力鹏宇浩凯健俊帆"
    "晨曦瑶琳欣怡子涵梓萱一诺雨桐博文思远天佑嘉懿立新卫东海燕春梅永忠德胜学军");

const QStringList kPlaces = {
    QStringLiteral("湖南"), QStringLiteral("湖北"), QStringLiteral("江苏"), QStringLiteral("浙江"),
    QStringLiteral("四川"), QStringLiteral("山东"), QStringLiteral("河南"), QStringLiteral("广东"),
    QStringLiteral("陕西"), QStringLiteral("云南"), QStringLiteral("甘肃"), QStringLiteral("吉林"),
};
const QStringList kCities = {
    QStringLiteral("长沙"), QStringLiteral("武汉"), QStringLiteral("南京"), QStringLiteral("杭州"),
    QStringLiteral("成都"), QStringLiteral("济南"), QStringLiteral("郑州"), QStringLiteral("广州"),
    QStringLiteral("西安"), QStringLiteral("昆明"), QStringLiteral("兰州"), QStringLiteral("长春"),
    QStringLiteral("株洲"), QStringLiteral("宜昌"), QStringLiteral("无锡"), QStringLiteral("绵阳"),
};
const QStringList kUnitKinds = {
    QStringLiteral("省农业科学院"), QStringLiteral("大学"), QStringLiteral("理工大学"),
    QStringLiteral("市建筑设计研究院有限公司"), QStringLiteral("省疾病预防控制中心"),
    QStringLiteral("市第一人民医院"), QStringLiteral("电力勘测设计院"), QStringLiteral("省林业科学研究院"),
    QStringLiteral("水利水电科学研究所"), QStringLiteral("重型机械股份有限公司"),
    QStringLiteral("省环境保护科学研究院"), QStringLiteral("农业技术推广中心"),
};
const QStringList kRoads = {
    QStringLiteral("人民路"), QStringLiteral("解放大道"), QStringLiteral("科技园路"), QStringLiteral("学府路"),
    QStringLiteral("建设北路"), QStringLiteral("芙蓉中路"), QStringLiteral("高新大道"), QStringLiteral("东风路"),
};
const QStringList kSpecialities = {
    QStringLiteral("作物栽培学与耕作学"), QStringLiteral("结构工程"), QStringLiteral("电气工程"),
    QStringLiteral("环境科学"), QStringLiteral("临床医学"), QStringLiteral("计算机应用技术"),
    QStringLiteral("机械设计及理论"), QStringLiteral("植物保护"), QStringLiteral("岩土工程"),
    QStringLiteral("材料学"), QStringLiteral("管理科学与工程"), QStringLiteral("动物营养与饲料科学"),
};
const QStringList kContributions = {
    QStringLiteral("项目总体设计与技术路线制定"), QStringLiteral("关键技术攻关及试验方案设计"),
    QStringLiteral("田间试验与数据分析"), QStringLiteral("系统软件开发与集成测试"),
    QStringLiteral("样品检测与质量控制"), QStringLiteral("示范推广与技术培训"),
    QStringLiteral("理论模型建立与数值计算"), QStringLiteral("现场监测及资料整理"),
    QStringLiteral("工艺优化与中试生产"), QStringLiteral("调查研究与报告撰写"),
};
const QStringList kPatentHeads = {
    QStringLiteral("一种"), QStringLiteral("一种用于"), QStringLiteral("一种基于"),
};
const QStringList kPatentTails = {
    QStringLiteral("的检测装置"), QStringLiteral("的制备方法"), QStringLiteral("的控制系统及方法"),
    QStringLiteral("的监测设备"), QStringLiteral("的处理工艺"), QStringLiteral("的组合物及其应用"),
};

// Sentence pieces of the memo texts: an opening, a subject and a finding.
const QStringList kOpenings = {
    QStringLiteral("本项目针对"), QStringLiteral("课题组围绕"), QStringLiteral("在系统调研的基础上，项目组针对"),
    QStringLiteral("经过多年攻关，本成果解决了"), QStringLiteral("为满足生产实际需要，研究了"),
    QStringLiteral("通过室内试验与现场示范相结合，研究了"), QStringLiteral("项目实施期间，重点开展了"),
};
const QStringList kFindings = {
    QStringLiteral("中存在的技术难题，提出了新的解决思路。"),
    QStringLiteral("的关键参数，建立了适用于本地区的计算模型。"),
    QStringLiteral("的影响因素，明确了主要作用机理。"),
    QStringLiteral("等问题，形成了一套可复制、可推广的技术规程。"),
    QStringLiteral("，研制了具有自主知识产权的样机，性能指标达到设计要求。"),
    QStringLiteral("的应用效果，经济效益和社会效益显著。"),
    QStringLiteral("的检测方法，检测限和精密度均优于现行标准。"),
    QStringLiteral("，累计示范推广面积逐年扩大，带动农户增收明显。"),
};
const QStringList kFigures = {
    QStringLiteral("与对照相比，效率提高了%1%。"), QStringLiteral("累计新增产值%1万元。"),
    QStringLiteral("发表学术论文%1篇，其中被收录%2篇。"), QStringLiteral("培养研究生%1名，培训技术人员%2人次。"),
    QStringLiteral("申请发明专利%1项，制定地方标准%2项。"), QStringLiteral("能耗降低%1%，成本节约%2%。"),
};

} // namespace

int ChineseText::between(int lo, int hi)
{
    // Modulo of the engine's raw output: the same sequence with every
    // standard library, unlike the distributions.
    return lo + int(m_rng() % std::uint32_t(hi - lo + 1));
}

bool ChineseText::chance(int percent)
{
    return between(1, 100) <= percent;
}

QString ChineseText::digits(int count)
{
    QString text;
    text.reserve(count);
    for (int i = 0; i < count; ++i)
        text.append(QChar(u'0' + between(0, 9)));
    return text;
}

QString ChineseText::achievementName(QChar category)
{
    const int kind = qBound(0, category.unicode() - u'1', 2);
    QString name = pickFrom(kObjects) + pickFrom(kTopics) + pickFrom(kSuffixes[kind]);
    if (name.size() < 10 || chance(60))
        name.prepend(pickFrom(kQualifiers));
    if (name.size() < 10)
        name.prepend(pickFrom(kPlaces) + QStringLiteral("省"));
    if (chance(15))
        name.prepend(pickFrom(kQualifiers));
    return name.left(40);
}

QString ChineseText::projectName()
{
    return pickFrom(kQualifiers) + pickFrom(kObjects) + pickFrom(kTopics) + QStringLiteral("研究项目");
}

QString ChineseText::keywords()
{
    return QStringList{ pickFrom(kObjects), pickFrom(kTopics), pickFrom(kSpecialities) }.join(u';');
}

QString ChineseText::personName()
{
    QString name = pickFrom(kSurnames);
    const int given = chance(70) ? 2 : 1;
    for (int i = 0; i < given; ++i)
        name.append(kGivenChars.at(between(0, int(kGivenChars.size()) - 1)));
    return name;
}

QString ChineseText::unitName()
{
    const QString &kind = pickFrom(kUnitKinds);
    const QString &where = kind.startsWith(u'省') ? pickFrom(kPlaces) : pickFrom(kCities);
    return where + kind;
}

QString ChineseText::address()
{
    const int place = between(0, int(kPlaces.size()) - 1);  // the first cities lie in these provinces
    return kPlaces.at(place) + QStringLiteral("省") + kCities.at(place) + QStringLiteral("市")
        + pickFrom(kRoads) + QString::number(between(1, 999)) + QStringLiteral("号");
}

QString ChineseText::phone()
{
    return QStringLiteral("0") + QString::number(between(10, 999)) + u'-' + QString::number(between(2, 8))
        + digits(7);
}

QString ChineseText::speciality()
{
    return pickFrom(kSpecialities);
}

QString ChineseText::contribution()
{
    QString text = pickFrom(kContributions);
    const QString &more = pickFrom(kContributions);
    if (more != text && chance(50))
        text += QStringLiteral("，") + more;
    return text;
}

QString ChineseText::patentName()
{
    return pickFrom(kPatentHeads) + pickFrom(kObjects) + pickFrom(kPatentTails);
}

QString ChineseText::softwareName()
{
    return pickFrom(kObjects) + pickFrom(kTopics) + QStringLiteral("软件V") + QString::number(between(1, 5))
        + QStringLiteral(".0");
}

QString ChineseText::sentence()
{
    if (chance(25)) {
        const QString &figure = pickFrom(kFigures);
        const QString first = QString::number(between(2, 95));
        return figure.contains(QLatin1String("%2")) ? figure.arg(first, QString::number(between(1, 40)))
                                                    : figure.arg(first);
    }
    return pickFrom(kOpenings) + pickFrom(kObjects) + pickFrom(kTopics) + pickFrom(kFindings);
}

QString ChineseText::memo(int minBytes, int maxBytes)
{
    const int target = between(minBytes, maxBytes);
    QString text;
    text.reserve(target / 2 + 64);
    int bytes = 0;
    while (true) {
        const int sentences = between(3, 8);
        for (int i = 0; i < sentences; ++i) {
            const QString s = sentence();
            const int b = gbkBytes(s);
            if (bytes + b > target)
                return text;
            text += s;
            bytes += b;
        }
        if (bytes + 2 > target)
            return text;
        text += QStringLiteral("\r\n");
        bytes += 2;
    }
}

QString ChineseText::multiCode(const QStringList &pool, int maxCodes)
{
    QString codes;
    const int count = between(1, maxCodes);
    for (int i = 0; i < count; ++i) {
        const QString &code = pickFrom(pool);
        if (!codes.contains(code + u';'))
            codes += code + u';';
    }
    return codes;
}

int ChineseText::gbkBytes(const QString &text)
{
    int bytes = 0;
    for (QChar c : text)
        bytes += c.unicode() < 0x80 ? 1 : 2;
    return bytes;
}
