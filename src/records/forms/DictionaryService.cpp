#include "DictionaryService.h"

#include "engine/DataSet.h"
#include "records/forms/EntryRoutines.h"
#include "records/data/UnitDM.h"

#include <QComboBox>

namespace {

const QString ItemSeparator = QStringLiteral("  ");
const QString BlankItem = QStringLiteral(" ");
const QString EarlierVersionMark = QStringLiteral("**");
const QString DictionaryFile = QStringLiteral("zdxx.dbf");

QString bare(const QString &file)
{
    return file.toLower();
}

} // namespace

DictionaryService::DictionaryService(TDM &dm) : m_dm(dm) {}

DictionaryService::~DictionaryService() = default;

Table &DictionaryService::table(const QString &tableFile) const
{
    std::shared_ptr<Table> &t = m_tables[bare(tableFile)];
    if (!t)
        t = std::make_shared<Table>(m_dm.database(), tableFile);
    if (!t->isOpen())
        t->open();
    return *t;
}

QList<DictionaryService::Entry> DictionaryService::group(const QString &group,
                                                         bool withEarlierVersions) const
{
    auto cached = m_groups.find(group);
    if (cached == m_groups.end()) {
        // The group key is a value bound to the statement, never filter text.
        Query rows(m_dm.database());
        rows.setSql(QStringLiteral("select xxdm, xxmc from zdxx where zddm = :zddm"));
        rows.setParam(QStringLiteral("zddm"), group);
        rows.open();
        QList<Entry> entries;
        for (rows.first(); !rows.eof(); rows.next()) {
            const Entry e{rows.asString(QStringLiteral("xxdm")), rows.asString(QStringLiteral("xxmc"))};
            if (!e.code.isEmpty() && !e.text.isEmpty())
                entries << e;
        }
        cached = m_groups.insert(group, entries);
    }
    if (withEarlierVersions)
        return *cached;
    QList<Entry> current;
    for (const Entry &e : std::as_const(*cached)) {
        if (!e.text.startsWith(EarlierVersionMark))
            current << e;
    }
    return current;
}

QString DictionaryService::name(const QString &groupKey, const QString &code) const
{
    const QString wanted = code.trimmed();
    for (const Entry &e : group(groupKey, true)) {
        if (e.code.trimmed() == wanted)
            return e.text;
    }
    return {};
}

QStringList DictionaryService::items(const QString &groupKey, bool noBlank,
                                     bool withEarlierVersions) const
{
    QStringList list;
    for (const Entry &e : group(groupKey, withEarlierVersions))
        list << e.code + ItemSeparator + e.text;
    if (!noBlank)
        list << BlankItem;
    return list;
}

QList<DictionaryService::Entry> DictionaryService::codeTable(const QString &tableFile,
                                                             const QString &codeField,
                                                             const QString &nameField) const
{
    Table &rows = table(tableFile);
    rows.refresh();
    QList<Entry> entries;
    const int count = rows.recordCount();
    for (int i = 0; i < count; ++i) {
        rows.moveTo(i);
        if (rows.isNull(codeField) || rows.isNull(nameField))
            continue;
        entries << Entry{rows.asString(codeField), rows.asString(nameField)};
    }
    return entries;
}

QStringList DictionaryService::tableItems(const QString &tableFile, const QString &codeField,
                                          const QString &nameField, bool noBlank) const
{
    QStringList list;
    for (const Entry &e : codeTable(tableFile, codeField, nameField))
        list << e.code + ItemSeparator + QLatin1Char('(') + e.text + QLatin1Char(')');
    if (!noBlank)
        list << BlankItem;
    return list;
}

QStringList DictionaryService::provinceItems(bool noBlank) const
{
    return tableItems(QStringLiteral("province.dbf"), QStringLiteral("Province_i"),
                      QStringLiteral("Province_n"), noBlank);
}

QStringList DictionaryService::affiliationItems(bool noBlank) const
{
    return tableItems(QStringLiteral("lsbw.dbf"), QStringLiteral("Bwdm"), QStringLiteral("Bwmc"),
                      noBlank);
}

bool DictionaryService::hasClassification(const QString &tableFile) const
{
    const QString file = bare(tableFile);
    if (file == QLatin1String("xkfl.dbf"))
        return m_dm.XkflPresent;
    if (file == QLatin1String("ztflh.dbf"))
        return m_dm.ZtflhPresent;
    return true;
}

QString DictionaryService::classificationEntry(const QString &tableFile, const QString &code) const
{
    const QString wanted = code.trimmed();
    if (wanted.isEmpty() || !hasClassification(tableFile))
        return {};
    Table &rows = table(tableFile);
    const QStringList fields = rows.fieldNames();
    if (fields.size() < 3 || !rows.locate(fields.at(1), wanted))
        return {};
    return rows.asString(fields.at(1)).trimmed() + ItemSeparator
           + rows.asString(fields.at(2)).trimmed();
}

QStringList DictionaryService::subclassItems(const QString &sourceCode) const
{
    const auto cached = m_subclasses.constFind(sourceCode);
    if (cached != m_subclasses.constEnd())
        return *cached;
    Table rows(m_dm.database(), QStringLiteral("DFJHZDXX.DBF"));
    rows.setFilter(QStringLiteral("item_126 ='") + EscapeSqlQuotes(sourceCode) + QStringLiteral("'"));
    rows.setFiltered(true);
    rows.open();
    QStringList list;
    for (rows.first(); !rows.eof(); rows.next()) {
        const QString code = rows.asString(QStringLiteral("item_41_"));
        const QString name = rows.asString(QStringLiteral("xxmc"));
        if (!code.isEmpty() && !name.isEmpty())
            list << code + ItemSeparator + name;
    }
    if (!rows.isEmpty())
        list << BlankItem;
    m_subclasses.insert(sourceCode, list);
    return list;
}

void DictionaryService::forget()
{
    m_groups.clear();
    m_subclasses.clear();
    m_tables.clear();
}

void FillComboFromDict(const DictionaryService &dictionary, const QString &group, bool noBlank,
                       QComboBox *combo)
{
    combo->clear();
    combo->addItems(dictionary.items(group, noBlank));
}
