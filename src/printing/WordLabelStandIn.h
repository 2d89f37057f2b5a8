#pragma once
// TEMPORARY until the print window's label helpers land; replaced by them.
#include "engine/DataSet.h"
#include "engine/GbkText.h"

struct ResearchPeriod { QString start, end; };
struct SemicolonParts { QString part1, part2, part3; };
struct DateParts { QString year, month, day; };

inline QString standInLookup(Table &t, const QString &filter, const QString &result)
{
    t.close();
    t.setFiltered(false);
    t.setFilter(filter);
    t.setFiltered(true);
    t.open();
    return t.isEmpty() ? QString() : t.asString(result);
}
inline QString GetCodeName(Table &t, const QString &key, const QString &code)
{
    return standInLookup(t, QStringLiteral("zddm='%1' and xxdm='%2'").arg(key, code), QStringLiteral("xxmc"));
}
inline QString GetCodeNames(Table &t, const QString &key, const QString &codes)
{
    if (codes.isEmpty()) return {};
    if (!codes.contains(';')) return GetCodeName(t, key, codes);
    QString rest = codes;
    const QString c1 = rest.left(rest.indexOf(';')).trimmed();
    rest = rest.mid(rest.indexOf(';') + 1);
    const QString c2 = rest.contains(';') ? rest.left(rest.indexOf(';')).trimmed() : QString();
    return GetCodeName(t, key, c1) + ';' + GetCodeName(t, key, c2);
}
inline QString LookupFieldText(Table &t, const QString &k, const QString &r, const QString &v)
{
    return standInLookup(t, QStringLiteral("%1='%2'").arg(k, v), r);
}
inline QString LookupCodeWithName(Table &t, const QString &k, const QString &n, const QString &v)
{
    const QString name = standInLookup(t, QStringLiteral("%1='%2'").arg(k, v), n);
    return name.isEmpty() ? QString() : t.asString(k) + ' ' + name;
}
inline ResearchPeriod SplitResearchPeriod(const QString &p)
{
    if (p.isEmpty()) return {};
    const int at = p.indexOf(QStringLiteral("至"));
    auto fmt = [](const QString &s) { const int d = s.indexOf('.'); return (d < 0 ? QString() : s.left(d)) + "年" + (d < 0 ? s : s.mid(d + 1)) + "月"; };
    return {fmt(p.left(at).trimmed()), fmt(p.mid(at + 1).trimmed())};
}
inline SemicolonParts SplitBySemicolon(const QString &text)
{
    const QStringList l = text.split(';');
    return {l.value(0), l.value(1), l.value(2)};
}
inline DateParts SplitDate(const QString &d)
{
    return {d.mid(0, 4), d.mid(5, 2), d.mid(8, 2)};
}
