#include "LabelHelpers.h"

#include "CodeLookup.h"
#include "report/Report.h"

#include <QStringList>

namespace {

const QChar Semicolon(u';');

// "2001.01" → "2001年01月"; an empty part stays empty.
QString yearMonth(const QString &part)
{
    if (part.isEmpty())
        return {};
    const qsizetype dot = part.indexOf(u'.');
    const QString year = dot < 0 ? QString() : part.left(dot);
    const QString month = part.mid(dot + 1);
    return year + QStringLiteral("年") + month + QStringLiteral("月");
}

// The codes of a multi-code text: each trimmed text before a ";". A text
// after the last ";" is no code.
QStringList codesBeforeSemicolons(const QString &text, int limit)
{
    QStringList codes;
    QString rest = text;
    qsizetype at;
    while (codes.size() < limit && (at = rest.indexOf(Semicolon)) >= 0) {
        codes << rest.left(at).trimmed();
        rest = rest.mid(at + 1);
    }
    return codes;
}

bool isPlainLabel(const report::Element *e)
{
    return e->kind == report::Kind::Label;
}

} // namespace

ResearchPeriod SplitResearchPeriod(const QString &period)
{
    const qsizetype to = period.indexOf(QStringLiteral("至"));
    if (to < 0)
        return {yearMonth(period.trimmed()), QString()};
    return {yearMonth(period.left(to).trimmed()), yearMonth(period.mid(to + 1).trimmed())};
}

void SplitBySemicolon(QString &text, QString &part1, QString &part2, QString &part3)
{
    QString *parts[] = {&part1, &part2, &part3};
    for (QString *part : parts) {
        const qsizetype at = text.indexOf(Semicolon);
        if (at < 0) {
            *part = text;
            text.clear();
            return;
        }
        *part = text.left(at);
        text = text.mid(at + 1);
    }
    text.clear();
}

QString GetCodeName(const CodeLookup &codes, const QString &key, const QString &code)
{
    return codes.optionText(key, code);
}

QString GetCodeNames(const CodeLookup &codes, const QString &key, const QString &codesText)
{
    if (codesText.isEmpty())
        return {};
    if (!codesText.contains(Semicolon))
        return GetCodeName(codes, key, codesText);
    const QStringList list = codesBeforeSemicolons(codesText, int(codesText.size()));
    QStringList names;
    for (const QString &code : list)
        names << GetCodeName(codes, key, code);
    // One code keeps the ";" it was stored with.
    if (names.size() == 1)
        return names.first() + Semicolon;
    return names.join(Semicolon);
}

QString LookupFieldText(const CodeLookup &codes, const QString &table, const QString &keyField,
                        const QString &resultField, const QString &value)
{
    return codes.fieldText(table, keyField, resultField, value);
}

QString LookupCodeWithName(const CodeLookup &codes, const QString &table, const QString &keyField,
                           const QString &nameField, const QString &value)
{
    if (!codes.hasTable(table))
        return value;
    const QString name = codes.fieldText(table, keyField, nameField, value);
    if (name.isEmpty())
        return {};
    return value + u' ' + name;
}

DateParts SplitDate(const QString &date)
{
    if (date.isEmpty())
        return {};
    return {date.mid(0, 4), date.mid(5, 2), date.mid(8, 2)};
}

void SetCodeCaption(const CodeLookup &codes, const QString &key, const QString &code,
                    report::Element &label)
{
    label.text = codes.optionText(key, code);
}

void ClearItemLabels(report::Report &page)
{
    for (report::Element *e : page.elements()) {
        if (!isPlainLabel(e))
            continue;
        if (e->name.indexOf(QStringLiteral("ITEM")) >= 3
            || e->name.indexOf(QStringLiteral("patent")) >= 3)
            e->text.clear();
    }
}

void MarkChoiceLabel(report::Report &page, const QString &field, const QString &code)
{
    if (code.isEmpty())
        return;
    const qsizetype n = field.size();
    for (report::Element *e : page.elements()) {
        if (isPlainLabel(e) && e->name.mid(3, n) == field && e->name.mid(4 + n) == code)
            e->text = QStringLiteral("√");
    }
}

void MarkChoices(report::Report &page, const QString &field, const QString &storedText)
{
    if (storedText.isEmpty())
        return;
    if (!storedText.contains(Semicolon)) {
        MarkChoiceLabel(page, field, storedText);
        return;
    }
    for (const QString &code : codesBeforeSemicolons(storedText, 3))
        MarkChoiceLabel(page, field, code);
}
