#include "WordFill.h"
#include "CodeLookup.h"
#include "LabelHelpers.h"

#include "engine/DataSet.h"
#include "engine/GbkText.h"
#include "engine/ValueText.h"
#include "records/data/ChildRows.h"
#include "records/data/UnitDM.h"
#include "word/DocxDocument.h"

using WordPlans::Bookmark;
using WordPlans::Child;
using WordPlans::Text;

WordSources WordSources::fromDataModule(TDM &dm, const CodeLookup &codes)
{
    WordSources s;
    s.record = dm.Qrykjcg;
    s.codes = &codes;
    s.dm = &dm;
    return s;
}

QString withBreakBelow(const QString &text, int bytes)
{
    if (bytes > 0 && GbkText::byteLength(text) < bytes)
        return text + QLatin1Char('\r');
    return text;
}

QString insertPlanName(const QString &sourceNames, const QString &planName)
{
    const QString national = QStringLiteral("国家科技计划");
    QStringList names = sourceNames.split(QLatin1Char(';'));
    for (QString &name : names)
        if (name == national) {
            name += QLatin1Char('(') + planName + QLatin1Char(')');
            break;
        }
    return names.join(QLatin1Char(';'));
}

QString WordTexts::field(const QString &name) const
{
    return m_s.record->asString(name);
}

QString WordTexts::codeName(const QString &key, const QString &code) const
{
    return GetCodeName(*m_s.codes, key, code);
}

QString WordTexts::codeNames(const QString &key, const QString &codes) const
{
    return GetCodeNames(*m_s.codes, key, codes);
}

QString WordTexts::unitAttribute() const
{
    QString text = codeName(QStringLiteral("item_62"), field(QStringLiteral("item_62")));
    const QString contact = field(QStringLiteral("item_41_3"));
    if (!contact.isEmpty())
        text += QLatin1Char('(') + codeName(QStringLiteral("item_41_3"), contact)
                + QLatin1Char(')');
    return text;
}

QString WordTexts::projectSource() const
{
    const QString names = codeNames(QStringLiteral("item_126"), field(QStringLiteral("item_126")));
    const QString plan = field(QStringLiteral("item_140"));
    if (plan.isEmpty())
        return names;
    return insertPlanName(names, codeName(QStringLiteral("item_140"), plan));
}

QString WordTexts::reasonNotApplied() const
{
    QString text = codeNames(QStringLiteral("item_32_1"), field(QStringLiteral("item_32_1")));
    const QString other = codeName(QStringLiteral("item_160"), field(QStringLiteral("item_160")));
    if (!other.isEmpty())
        text += QLatin1Char('(') + other + QLatin1Char(')');
    return text;
}

QString WordTexts::evaluationForm() const
{
    // Categories 2 and 3 store their evaluation forms from a group of their own.
    const QString group = field(QStringLiteral("item_cglb")) == QLatin1String("1") ? QStringLiteral("item_21")
                                                                                    : QStringLiteral("item_21_l");
    return codeName(group, field(QStringLiteral("item_21")));
}

QString WordTexts::plainText(const Bookmark &b) const
{
    const QString key = b.key.isEmpty() ? b.field : b.key;
    switch (b.text) {
    case Text::Field: return field(b.field);
    case Text::CodeName: return codeName(key, field(b.field));
    case Text::CodeNames: return codeNames(key, field(b.field));
    // Without an optional classification table the code alone is printed.
    case Text::SubjectClass:
        return LookupCodeWithName(*m_s.codes, QStringLiteral("xkfl"), QStringLiteral("xxdm"), QStringLiteral("xxmc"),
                                  field(b.field));
    case Text::LibraryClass:
        return LookupCodeWithName(*m_s.codes, QStringLiteral("ztflh"), QStringLiteral("xxdm"), QStringLiteral("xxmc"),
                                  field(b.field));
    case Text::Province:
        return LookupFieldText(*m_s.codes, QStringLiteral("province"), QStringLiteral("Province_i"),
                               QStringLiteral("Province_n"), field(b.field));
    case Text::Affiliation:
        return LookupFieldText(*m_s.codes, QStringLiteral("lsbw"), QStringLiteral("Bwdm"), QStringLiteral("Bwmc"),
                               field(b.field));
    case Text::PeriodStart:
    case Text::PeriodEnd: {
        const ResearchPeriod period = SplitResearchPeriod(field(b.field));
        return b.text == Text::PeriodStart ? period.start : period.end;
    }
    case Text::KeyWord1:
    case Text::KeyWord2:
    case Text::KeyWord3: {
        QString words = field(b.field);
        QString part1, part2, part3;
        SplitBySemicolon(words, part1, part2, part3);
        return b.text == Text::KeyWord1 ? part1 : b.text == Text::KeyWord2 ? part2 : part3;
    }
    case Text::DateYear:
    case Text::DateMonth:
    case Text::DateDay: {
        const DateParts date = SplitDate(field(b.field));
        return b.text == Text::DateYear ? date.year : b.text == Text::DateMonth ? date.month : date.day;
    }
    case Text::ShortDate:
        return m_s.record->isNull(b.field) ? QString() : ValueText::formatDate(m_s.record->asDate(b.field));
    case Text::UnitAttribute: return unitAttribute();
    case Text::ProjectSource: return projectSource();
    case Text::ConvertedInstitute:
        return field(b.field) == QLatin1String("1") ? QStringLiteral("(属于科研机构转制型企业)") : QString();
    case Text::ReasonNotApplied: return reasonNotApplied();
    case Text::SecrecyMark: {
        const QString level = field(b.field);
        return level == QLatin1String("2") || level == QLatin1String("3") || level == QLatin1String("4")
                   ? QStringLiteral("1")
                   : QStringLiteral("0");
    }
    case Text::EvaluationForm: return evaluationForm();
    }
    return {};
}

QString WordTexts::text(const Bookmark &bookmark) const
{
    return withBreakBelow(plainText(bookmark), bookmark.breakBelow);
}

std::unique_ptr<Query> WordTexts::childRows(Child child) const
{
    using ChildRows::Kind;
    const Numbering::RecordKey key{field(QStringLiteral("ITEM_4")), field(QStringLiteral("ITEM_DQDM"))};
    switch (child) {
    case Child::Units: return ChildRows::read(*m_s.dm, Kind::Units, key);
    case Child::Persons: return ChildRows::read(*m_s.dm, Kind::Persons, key);
    case Child::Committee: return ChildRows::read(*m_s.dm, Kind::Committee, key);
    case Child::AcceptedPatents: return ChildRows::read(*m_s.dm, Kind::Patents, key, QStringLiteral("1"));
    case Child::GrantedPatents: return ChildRows::read(*m_s.dm, Kind::Patents, key, QStringLiteral("2"));
    }
    return {};
}

void fillDocument(const WordPlans::Document &plan, const WordSources &sources, DocxDocument &document)
{
    const WordTexts texts(sources);
    for (const Bookmark &b : plan.head)
        document.insertAfter(b.name, texts.text(b));
    for (const WordPlans::ChildList &list : plan.lists) {
        const std::unique_ptr<Query> rows = texts.childRows(list.child);
        int row = 1;
        for (rows->first(); !rows->eof() && row <= list.limit; rows->next(), ++row) {
            for (const WordPlans::Column &column : list.columns)
                document.insertAfter(WordPlans::rowBookmark(column, row), rows->asString(column.field));
        }
    }
    for (const Bookmark &b : plan.tail)
        document.insertAfter(b.name, texts.text(b));
}
