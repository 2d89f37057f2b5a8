#include "RecordMaker.h"

#include <QDate>
#include <cmath>

namespace {

void put(NamedRow &row, const char *name, const QVariant &value)
{
    row.append({ QString::fromLatin1(name), value });
}

const QStringList kLibraryCodes = { QStringLiteral("TP391"), QStringLiteral("S511"), QStringLiteral("TU997"),
                                    QStringLiteral("R737.9"), QStringLiteral("X703"), QStringLiteral("TM726"),
                                    QStringLiteral("S828"), QStringLiteral("U213.1") };
const QStringList kSubjectCodes = { QStringLiteral("4107010"), QStringLiteral("5603010"),
                                    QStringLiteral("4703020"), QStringLiteral("3203010"),
                                    QStringLiteral("5203010"), QStringLiteral("6301020") };
const QStringList kTechFields = { QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"),
                                  QStringLiteral("04"), QStringLiteral("05"), QStringLiteral("06") };
const QStringList kIndustries = { QStringLiteral("A01"), QStringLiteral("C26"), QStringLiteral("D44"),
                                  QStringLiteral("E48"), QStringLiteral("M73"), QStringLiteral("Q83") };
const QStringList kSources = { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                               QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                               QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9") };
const QStringList kGoals = { QStringLiteral("01"), QStringLiteral("03"), QStringLiteral("05"),
                             QStringLiteral("07"), QStringLiteral("09"), QStringLiteral("11") };
const QStringList kSmallCodes = { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                  QStringLiteral("4"), QStringLiteral("5") };
const QStringList kReasons = { QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
                               QStringLiteral("14"), QStringLiteral("15") };
const QStringList kProvinces = { QStringLiteral("430"), QStringLiteral("420"), QStringLiteral("320"),
                                 QStringLiteral("330"), QStringLiteral("510"), QStringLiteral("370") };
const QStringList kAffiliations = { QStringLiteral("360"), QStringLiteral("322"), QStringLiteral("910"),
                                    QStringLiteral("998") };
const QStringList kPlanSubclasses = { QStringLiteral("0101"), QStringLiteral("0102"), QStringLiteral("0201"),
                                      QStringLiteral("0301") };
const QStringList kRoles = { QStringLiteral("主任委员"), QStringLiteral("副主任委员"), QStringLiteral("委员") };

QString code(ChineseText &text, int lo, int hi)
{
    return QString::number(text.between(lo, hi));
}

} // namespace

RecordMaker::RecordMaker(std::uint32_t seed, int achievementCount) : m_text(seed)
{
    for (int i = 0; i < 30; ++i) {
        Unit u;
        u.name = m_text.unitName();
        u.address = m_text.address();
        u.postalCode = m_text.digits(6);
        u.phone = m_text.phone();
        u.fax = m_text.phone();
        u.contact = m_text.personName();
        u.contactPhone = m_text.phone();
        u.web = QStringLiteral("http://www.unit%1.cn").arg(i + 1);
        u.mail = QStringLiteral("kjc%1@unit%2.cn").arg(m_text.digits(3)).arg(i + 1);
        u.attribute = code(m_text, 1, 5);
        u.affiliation = m_text.pickFrom(kAffiliations);
        u.province = m_text.pickFrom(kProvinces);
        u.legalCode = QStringLiteral("12") + m_text.digits(14) + QStringLiteral("X");
        m_units.append(u);
    }
    m_firstUnit = &m_units.first();

    const int poolSize = qMax(60, achievementCount / 8);
    m_people.reserve(poolSize);
    for (int i = 0; i < poolSize; ++i) {
        Person p;
        p.name = m_text.personName();
        p.sex = code(m_text, 1, 2);
        p.birth = QStringLiteral("%1.%2").arg(m_text.between(1955, 1995)).arg(m_text.between(1, 12), 2, 10,
                                                                              QLatin1Char('0'));
        p.title = code(m_text, 1, 5);
        p.education = code(m_text, 1, 5);
        p.workUnit = m_units.at(m_text.between(0, 5)).name;
        p.abroad = m_text.chance(10) ? QStringLiteral("1") : QStringLiteral("0");
        m_people.append(p);
    }
}

Achievement RecordMaker::achievement(int rowNumber, int year, int serial)
{
    const int roll = m_text.between(1, 100);
    const QChar category = roll <= 60 ? u'1' : roll <= 85 ? u'2' : u'3';
    Achievement a;
    a.record.reserve(110);
    fillIdentity(a.record, category, rowNumber, year, serial);
    fillFirstUnit(a.record);
    fillClassification(a.record, category);
    fillEvaluation(a.record, year);
    fillFunding(a.record);
    fillMemos(a.record);

    const QString key = QStringLiteral("%1%2").arg(year).arg(serial, 6, 10, QLatin1Char('0'));
    a.persons = persons(key);
    a.units = cooperatingUnits(key);
    a.committee = committee(key);
    a.patents = patents(key, year);
    fillPatentSummary(a.record, a.patents);
    return a;
}

void RecordMaker::fillIdentity(NamedRow &row, QChar category, int rowNumber, int year, int serial)
{
    put(row, "ITEM_4", QStringLiteral("%1%2").arg(year).arg(serial, 6, 10, QLatin1Char('0')));
    put(row, "ITEM_DQDM", QStringLiteral("."));
    put(row, "ITEM_CGLB", QString(category));
    put(row, "ITEM_3", m_text.achievementName(category));
    put(row, "ITEM_121", QDate(year, 1, 1).addDays(m_text.between(0, 364)));
    put(row, "ITEM_120", QStringLiteral("GL-%1-%2").arg(year).arg(m_text.digits(4)));
    put(row, "ITEM_1", m_text.chance(85) ? QStringLiteral("1") : code(m_text, 2, 3));
    // The research ends the year before registration and starts a year or
    // more before that, so page 1 accepts the period whatever the months.
    const int start = year - m_text.between(2, 5);
    put(row, "ITEM_8", QStringLiteral("%1.%2   至%3.%4")
                           .arg(start).arg(m_text.between(1, 12), 2, 10, QLatin1Char('0'))
                           .arg(year - 1).arg(m_text.between(1, 12), 2, 10, QLatin1Char('0')));
    put(row, "ITEM_14", m_text.keywords());
    put(row, "ITEM_127", QStringLiteral("%1YF%2").arg(start).arg(m_text.digits(7)));
    put(row, "ITEM_127_1", m_text.projectName());
    put(row, "ITEM_SJDC", QStringLiteral("0"));
    put(row, "NO", QString::number(rowNumber));
    for (const char *unused : { "ITEM_110", "ITEM_300", "ITEM_304", "ITEM_305", "ITEM_306", "ITEM_151", "ITEM_152",
                                "ITEM_131", "ITEM_56", "ITEM_SJDR", "ITEM_XH", "item_check", "outcomeb" })
        put(row, unused, QVariant());
}

void RecordMaker::fillFirstUnit(NamedRow &row)
{
    const Unit &u = m_text.chance(70) ? *m_firstUnit : m_units.at(m_text.between(1, 5));
    put(row, "ITEM_9", u.name);
    put(row, "ITEM_420", u.legalCode);
    put(row, "ITEM_37", u.address);
    put(row, "ITEM_38", u.postalCode);
    put(row, "ITEM_39", u.phone);
    put(row, "ITEM_40", u.fax);
    put(row, "ITEM_41", u.contact);
    put(row, "ITEM_41_2", u.contactPhone);
    put(row, "ITEM_60", u.web);
    put(row, "ITEM_61", u.mail);
    put(row, "ITEM_62", u.attribute);
    put(row, "ITEM_63", u.affiliation);
    put(row, "ITEM_64", u.province);
    const bool enterprise = u.attribute == QLatin1String("3");
    put(row, "ITEM_41_3", enterprise ? code(m_text, 1, 9) : QString());
    put(row, "ITEM_163", enterprise ? code(m_text, 0, 1) : QString());
    put(row, "ITEM_128", m_units.at(m_text.between(6, 9)).name);
}

void RecordMaker::fillClassification(NamedRow &row, QChar category)
{
    const bool applied = category == u'1';
    put(row, "ITEM_12", m_text.pickFrom(kLibraryCodes));
    put(row, "ITEM_12_1", m_text.chance(40) ? m_text.pickFrom(kLibraryCodes) : QString());
    put(row, "ITEM_15", m_text.pickFrom(kSubjectCodes));
    put(row, "ITEM_15_1", m_text.chance(40) ? m_text.pickFrom(kSubjectCodes) : QString());
    put(row, "ITEM_123", applied ? QStringLiteral("0") + code(m_text, 1, 6) : QString());
    put(row, "ITEM_210", applied ? QString() : code(m_text, 1, 4));
    put(row, "ITEM_124_1", m_text.multiCode(kTechFields, 3));
    put(row, "ITEM_125", m_text.multiCode(kIndustries, 3));
    put(row, "ITEM_125_1", code(m_text, 1, 3));
    put(row, "ITEM_126", m_text.multiCode(kSources, 4));
    put(row, "ITEM_41_1", m_text.pickFrom(kPlanSubclasses));
    put(row, "ITEM_140", code(m_text, 1, 6));
    // Only the stages and transfer terms still offered (codes 1-3) are ones
    // page 1 accepts.
    put(row, "ITEM_16", code(m_text, 1, 3));
    put(row, "ITEM_2", code(m_text, 1, 5));
    put(row, "ITEM_200", m_text.multiCode(kGoals, 3));
    put(row, "ITEM_33", code(m_text, 1, 3));
    put(row, "ITEM_201", code(m_text, 1, 3));
    const QString state = code(m_text, 1, 3);
    put(row, "ITEM_32", state);
    put(row, "ITEM_32_1", state == QLatin1String("1") ? QString() : m_text.multiCode(kSmallCodes, 2));
    put(row, "ITEM_160", state == QLatin1String("1") ? QString() : m_text.multiCode(kReasons, 3));
    put(row, "ITEM_161", m_text.multiCode(kSmallCodes, 3));
    put(row, "ITEM_46", applied ? code(m_text, 1, 6) : QString());
    put(row, "ITEM_47", applied ? code(m_text, 1, 6) : QString());
    put(row, "ITEM_45", double(m_text.between(0, 12)));
    put(row, "ITEM_51", m_text.multiCode(kSmallCodes, 3));
    const bool software = m_text.chance(20);
    put(row, "ITEM_52", software ? m_text.softwareName() : QString());
    put(row, "ITEM_53", software ? QStringLiteral("2020SR") + m_text.digits(6) : QString());
}

void RecordMaker::fillEvaluation(NamedRow &row, int year)
{
    const QString date = dotDate(year);
    put(row, "ITEM_34", date);
    put(row, "ITEM_302", date);
    put(row, "ITEM_301", QStringLiteral("湘科成鉴字〔%1〕第%2号").arg(year).arg(m_text.digits(4)));
    put(row, "ITEM_130", m_units.at(m_text.between(6, 12)).name);
    put(row, "ITEM_21", code(m_text, 1, 4));
    put(row, "ITEM_22", QStringLiteral("PJ%1-%2").arg(year).arg(m_text.digits(5)));
}

void RecordMaker::fillFunding(NamedRow &row)
{
    const double province = money(200), prefecture = money(80), county = money(30);
    const double local = province + prefecture + county;
    const double state = money(500), fund = money(100), ministry = money(150);
    const double own = money(300), other = money(50), loans = money(200), foreign = money(20);
    put(row, "ITEM_142_1", province);
    put(row, "ITEM_142_2", prefecture);
    put(row, "ITEM_142_3", county);
    put(row, "ITEM_142", local);
    put(row, "ITEM_141", state);
    put(row, "ITEM_143", fund);
    put(row, "ITEM_148", ministry);
    put(row, "ITEM_144", own);
    put(row, "ITEM_145", other);
    put(row, "ITEM_243", loans);
    put(row, "ITEM_244", foreign);
    put(row, "ITEM_149", local + state + fund + ministry + own + other + loans + foreign);
    put(row, "ITEM_150", money(800));
    put(row, "ITEM_162", money(100));
    put(row, "ITEM_153", money(300));
    put(row, "ITEM_154", money(500));
    put(row, "ITEM_151_1", money(2000));
    put(row, "ITEM_152_1", money(600));
}

void RecordMaker::fillMemos(NamedRow &row)
{
    for (const char *field : { "ITEM_13", "ITEM_13_1", "ITEM_13_2", "ITEM_13_3", "ITEM_303", "ITEM_133" })
        put(row, field, m_text.memo(1024, 5120));
}

void RecordMaker::fillPatentSummary(NamedRow &row, const QList<NamedRow> &patents)
{
    int accepted = 0, granted = 0;
    QString types;
    for (const NamedRow &p : patents) {
        (p.at(5).second.toString() == QLatin1String("2") ? granted : accepted) += 1;
        const QString type = p.at(6).second.toString() + u';';
        if (!types.contains(type))
            types += type;
    }
    put(row, "ITEM_51_1", patents.isEmpty() ? QStringLiteral("1") : granted ? QStringLiteral("3") : QStringLiteral("2"));
    put(row, "ITEM_51_2", double(accepted));
    put(row, "ITEM_51_3", double(granted));
    put(row, "patent_ty", types);
}

QList<NamedRow> RecordMaker::persons(const QString &key)
{
    QList<NamedRow> rows;
    const int count = m_text.between(3, 10);
    QList<int> chosen;
    while (chosen.size() < count) {
        const int index = m_text.between(0, int(m_people.size()) - 1);
        if (!chosen.contains(index))
            chosen.append(index);
    }
    for (int i = 0; i < count; ++i) {
        NamedRow row = personRow(m_people.at(chosen.at(i)));
        row.prepend({ QStringLiteral("ITEM_187"), double(i + 1) });
        row.prepend({ QStringLiteral("ITEM_DQDM"), QStringLiteral(".") });
        row.prepend({ QStringLiteral("ITEM_4"), key });
        put(row, "ITEM_186", m_text.contribution());
        rows.append(row);
    }
    return rows;
}

NamedRow RecordMaker::personRow(const Person &p)
{
    return { { QStringLiteral("ITEM_180"), p.name },     { QStringLiteral("ITEM_181"), p.sex },
             { QStringLiteral("ITEM_182"), p.birth },    { QStringLiteral("ITEM_183"), p.title },
             { QStringLiteral("ITEM_184"), p.education }, { QStringLiteral("ITEM_185"), p.workUnit },
             { QStringLiteral("ITEM_188"), p.abroad } };
}

QList<NamedRow> RecordMaker::cooperatingUnits(const QString &key)
{
    QList<NamedRow> rows;
    const int count = m_text.between(0, 5);
    for (int i = 0; i < count; ++i) {
        const Unit &u = m_units.at(m_text.between(1, int(m_units.size()) - 1));
        NamedRow row;
        put(row, "ITEM_4", key);
        put(row, "ITEM_DQDM", QStringLiteral("."));
        put(row, "ITEM_176", double(i + 1));
        put(row, "ITEM_170", u.name);
        put(row, "ITEM_171", u.address);
        put(row, "ITEM_172", u.postalCode);
        put(row, "ITEM_173", u.contact);
        put(row, "ITEM_174", QVariant());  // carried by the files, written by no dialog
        put(row, "ITEM_175", QVariant());
        rows.append(row);
    }
    return rows;
}

QList<NamedRow> RecordMaker::committee(const QString &key)
{
    QList<NamedRow> rows;
    const int count = m_text.between(0, 9);
    for (int i = 0; i < count; ++i) {
        const int rank = qMin(i, 2);
        NamedRow row;
        put(row, "ITEM_4", key);
        put(row, "ITEM_DQDM", QStringLiteral("."));
        put(row, "ITEM_190", double(i + 1));
        put(row, "ITEM_191", kRoles.at(rank));
        put(row, "ITEM_192", m_text.personName());
        put(row, "ITEM_193", code(m_text, 1, 2));
        put(row, "ITEM_194", QString::number(rank + 1));
        put(row, "ITEM_195", m_text.unitName());
        put(row, "ITEM_196", m_text.speciality());
        put(row, "ITEM_197", m_text.speciality());
        put(row, "ITEM_198", code(m_text, 1, 3));
        put(row, "ITEM_199", QVariant());  // written by no dialog
        rows.append(row);
    }
    return rows;
}

QList<NamedRow> RecordMaker::patents(const QString &key, int year)
{
    QList<NamedRow> rows;
    const int count = m_text.between(0, 4);
    for (int i = 0; i < count; ++i) {
        NamedRow row;  // status and type stay at positions 5 and 6 (fillPatentSummary)
        put(row, "ITEM_4", key);
        put(row, "ITEM_DQDM", QStringLiteral("."));
        put(row, "ITEM_NO", double(i + 1));
        put(row, "PATENT_NO", QStringLiteral("ZL%1%2").arg(year - m_text.between(1, 4)).arg(m_text.digits(8)));
        put(row, "PATENT_NAM", m_text.patentName());
        put(row, "PATENT_ST", code(m_text, 1, 2));
        put(row, "PATENT_TY", code(m_text, 1, 3));
        rows.append(row);
    }
    return rows;
}

QList<NamedRow> RecordMaker::personRegister() const
{
    QList<NamedRow> rows;
    QStringList seen;
    for (const Person &p : m_people) {
        if (seen.contains(p.name))
            continue;  // the register holds one row per name
        seen.append(p.name);
        NamedRow row = personRow(p);  // no record key: the register stands alone
        for (const char *blank : { "ITEM_4", "ITEM_DQDM", "ITEM_187", "ITEM_186" })
            put(row, blank, QVariant());
        rows.append(row);
    }
    return rows;
}

QList<NamedRow> RecordMaker::unitRows()
{
    QList<NamedRow> rows;
    for (int i = 0; i < 11; ++i) {
        const Unit &u = m_units.at(i);
        NamedRow row;
        put(row, "unitcode", QStringLiteral("99900010%1").arg(i, 2, 10, QLatin1Char('0')));
        put(row, "upunitcode", i == 0 ? QString() : QStringLiteral("9990001000"));
        put(row, "unitlevel", i == 0 ? QStringLiteral("1") : QStringLiteral("2"));
        put(row, "endlevel", i == 0 ? 0.0 : 1.0);
        put(row, "item_9", u.name);
        put(row, "item_420", u.legalCode);
        put(row, "item_37", u.address);
        put(row, "item_38", u.postalCode);
        put(row, "item_39", u.phone);
        put(row, "item_40", u.fax);
        put(row, "item_60", u.web);
        put(row, "item_61", u.mail);
        put(row, "item_62", u.attribute);
        const bool enterprise = u.attribute == QLatin1String("3");
        put(row, "item_41_3", enterprise ? QStringLiteral("1") : QString());
        put(row, "item_163", enterprise ? QStringLiteral("0") : QString());
        put(row, "item_64", u.province);
        put(row, "item_41", u.contact);
        put(row, "item_41_2", u.contactPhone);
        put(row, "item_124_1", m_text.multiCode(kTechFields, 3));
        put(row, "item_124_2", m_text.multiCode(kTechFields, 2));
        put(row, "item_15", m_text.pickFrom(kSubjectCodes) + u';');
        put(row, "item_15_1", m_text.pickFrom(kSubjectCodes) + u';');
        put(row, "chiefexper", m_text.personName());
        put(row, "unitintrod", m_text.memo(1024, 5120));
        put(row, "advantage", m_text.memo(1024, 5120));
        put(row, "studydirec", m_text.memo(1024, 5120));
        rows.append(row);
    }
    return rows;
}

QList<NamedRow> RecordMaker::expertRows()
{
    QList<NamedRow> rows;
    for (int unit = 1; unit <= 10; ++unit) {
        for (int i = 1; i <= 3; ++i) {
            const Person &p = m_people.at(m_text.between(0, int(m_people.size()) - 1));
            NamedRow row;
            put(row, "unitcode", QStringLiteral("99900010%1").arg(unit, 2, 10, QLatin1Char('0')));
            put(row, "item_187", QString::number(i));
            put(row, "item_180", p.name);
            put(row, "item_181", p.sex);
            put(row, "item_182", p.birth);
            put(row, "item_186", m_text.contribution());
            put(row, "item_124_1", m_text.pickFrom(kTechFields) + u';');
            rows.append(row);
        }
    }
    return rows;
}

double RecordMaker::money(int maxTenThousands)
{
    if (m_text.chance(40))
        return 0.0;
    return std::round(m_text.between(1, maxTenThousands * 100)) / 100.0;
}

QString RecordMaker::dotDate(int year)
{
    const QDate d = QDate(year, 1, 1).addDays(m_text.between(0, 364));
    return d.toString(QStringLiteral("yyyy.MM.dd"));
}
