#include "ImportStore.h"

#include "ImportStaging.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "exchange/core/ExchangeNames.h"
#include "records/data/Numbering.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <memory>

namespace {

using FilePtr = std::shared_ptr<DbfFile>;
using Values = QList<QPair<int, QVariant>>;

const QString Item4 = QStringLiteral("item_4");
const QString Region = QStringLiteral("item_dqdm");
const QString Title = QStringLiteral("item_3");
const QString PersonName = QStringLiteral("item_180");

QString keyText(const QString &item4, const QString &region)
{
    return item4 + QChar(0x1f) + region;
}

QString trimmedText(const DbfFile &file, int recno, int field)
{
    return field < 0 ? QString() : file.value(recno, field).toString().trimmed();
}

int requireField(const DbfFile &file, const QString &name)
{
    const int index = file.fieldIndex(name);
    if (index < 0)
        throw DbError(QStringLiteral("表“%1”中没有字段 %2。").arg(file.tableName(), name));
    return index;
}

// A staging table of a child list and a main table it goes to.
struct ChildList
{
    QString staging;
    QString target;
    bool persons = false;
};

// The order in which a record's children are written.
const QList<ChildList> &childLists()
{
    static const QList<ChildList> lists = {
        {ExchangeNames::stagingTable(ExchangeNames::Zlqk), QStringLiteral("zlqk.dbf"), false},
        {ExchangeNames::stagingTable(ExchangeNames::Cgwcr), QStringLiteral("cgwcr.DBF"), true},
        {ExchangeNames::stagingTable(ExchangeNames::Jdwyhmd), QStringLiteral("jdwyhmd.DBF"), false},
        {ExchangeNames::stagingTable(ExchangeNames::Cgwcdw), QStringLiteral("cgwcdw.DBF"), false},
    };
    return lists;
}

// The live rows of a table file grouped by a key made of two fields.
QHash<QString, QList<int>> rowsByKey(const DbfFile &file, int first, int second, bool trimSecond = true)
{
    QHash<QString, QList<int>> rows;
    for (int recno = 0; recno < file.recordCount(); ++recno) {
        if (file.isDeleted(recno))
            continue;
        const QString a = trimmedText(file, recno, first);
        const QString b = second < 0 ? QString()
                                     : (trimSecond ? trimmedText(file, recno, second)
                                                   : file.value(recno, second).toString());
        rows[keyText(a, b)].append(recno);
    }
    return rows;
}

// A staged row as values for a main table, column by column by position:
// text goes as the GBK bytes it is stored in, so nothing is decoded and
// encoded again on the way.
Values copiedValues(const DbfFile &source, int recno, const DbfFile &target)
{
    const int columns = qMin(source.fieldCount(), target.fieldCount());
    Values values;
    values.reserve(columns);
    for (int i = 0; i < columns; ++i) {
        if (source.field(i).isText() && target.field(i).isText())
            values.append({i, source.textBytes(recno, i).toByteArray()});
        else
            values.append({i, source.value(recno, i)});
    }
    return values;
}

// The new key in place of the values of its fields, or added.
void setKey(Values &values, int item4, int region, const QString &number)
{
    values.removeIf([&](const QPair<int, QVariant> &v) { return v.first == item4 || v.first == region; });
    if (item4 >= 0)
        values.append({item4, number});
    if (region >= 0)
        values.append({region, Numbering::ownRegion()});
}

// A table rows are written to, with the places of the key.
struct Target
{
    FilePtr file;
    int item4 = -1;
    int region = -1;

    Target() = default;
    explicit Target(FilePtr f)
        : file(std::move(f)), item4(file->fieldIndex(Item4)), region(file->fieldIndex(Region))
    {
    }
};

// What one record has written so far, to be taken out when the rest fails.
// Rows taken out are marked deleted (the indexes skip them), or dropped
// with their batch when it could not be written (fail() tells the indexes).
struct Undo
{
    QList<QPair<FilePtr, int>> appended;
    int mainRow = -1;                                   // the kjcg row
    QList<QPair<QString, int>> registered;              // names added to the person list
    QList<QPair<int, QList<QVariant>>> registerBefore;  // person list rows overwritten

    void run(const FilePtr &personList)
    {
        // Rows of a batch that could not be written are gone already.
        for (auto it = appended.rbegin(); it != appended.rend(); ++it) {
            if (it->second < it->first->recordCount())
                it->first->setDeleted(it->second, true);
        }
        for (const auto &[recno, record] : registerBefore) {
            Values values;
            for (int i = 0; i < record.size(); ++i)
                values.append({i, record.at(i)});
            personList->update(recno, values);
        }
    }
};

// One staged achievement.
struct StagedRecord
{
    int recno = -1;
    QString item4;
    QString region;
    QString title;
};

class Storer
{
public:
    Storer(Database *db, ImportStore::Mode mode) : m_db(db), m_mode(mode) { prepare(); }

    ImportStore::Result run(const std::function<void(int, int)> &eachRecord)
    {
        const int total = int(m_staged.size());
        int done = 0;
        for (const StagedRecord &record : m_staged) {
            storeOne(record);
            if (eachRecord)
                eachRecord(++done, total);
        }
        leaveFailedStaged();
        return m_result;
    }

private:
    Database *m_db;
    ImportStore::Mode m_mode;
    ImportStore::Result m_result;

    FilePtr m_stagedKjcg;
    Target m_kjcg;
    FilePtr m_personList;
    QList<StagedRecord> m_staged;
    QHash<QString, QList<int>> m_stagedChildren[4];
    FilePtr m_stagedChildFiles[4];
    Target m_childTargets[4];
    QHash<QString, QString> m_largest;              // year -> largest number in kjcg
    QHash<QString, QList<int>> m_titles;            // kjcg title -> rows (overwrite)
    QHash<QString, QList<int>> m_persons;           // person list: name -> rows
    QSet<QString> m_failedKeys;
    QList<int> m_storedRecnos;

    FilePtr file(const QString &table) { return m_db->file(table); }

    void prepare()
    {
        m_stagedKjcg = file(ImportStaging::kjcgTable());
        const int item4 = requireField(*m_stagedKjcg, Item4);
        const int region = requireField(*m_stagedKjcg, Region);
        const int title = requireField(*m_stagedKjcg, Title);
        for (int recno = 0; recno < m_stagedKjcg->recordCount(); ++recno) {
            if (!m_stagedKjcg->isDeleted(recno)) {
                m_staged.append({recno, trimmedText(*m_stagedKjcg, recno, item4),
                                 trimmedText(*m_stagedKjcg, recno, region),
                                 trimmedText(*m_stagedKjcg, recno, title)});
            }
        }
        for (int i = 0; i < childLists().size(); ++i) {
            const FilePtr staging = file(childLists()[i].staging);
            m_stagedChildFiles[i] = staging;
            m_stagedChildren[i] = rowsByKey(*staging, requireField(*staging, Item4), requireField(*staging, Region));
            m_childTargets[i] = Target(file(childLists()[i].target));
        }
        m_kjcg = Target(file(QStringLiteral("kjcg.DBF")));
        readMainNumbers();
        if (m_mode == ImportStore::Mode::Overwrite) {
            // Titles compare as stored: padding off, leading blanks kept.
            m_titles = rowsByKey(*m_kjcg.file, -1, requireField(*m_kjcg.file, Title), false);
        }
        m_personList = file(QStringLiteral("cgwcrNew.dbf"));
        m_persons = rowsByKey(*m_personList, requireField(*m_personList, PersonName), -1);
    }

    void readMainNumbers()
    {
        const FilePtr &kjcg = m_kjcg.file;
        const int item4 = requireField(*kjcg, Item4);
        for (int recno = 0; recno < kjcg->recordCount(); ++recno) {
            if (kjcg->isDeleted(recno))
                continue;
            const QString number = trimmedText(*kjcg, recno, item4);
            if (!Numbering::isRegistrationNumber(number))
                continue;
            QString &largest = m_largest[number.left(4)];
            if (number > largest)
                largest = number;
        }
    }

    QString newNumber(const StagedRecord &record) const
    {
        const QString year = record.item4.left(4);
        if (year.size() != 4 || !Numbering::isRegistrationNumber(year + QStringLiteral("000000"))) {
            throw DbError(QStringLiteral("登记号“%1”不是正确的格式，无法编号。").arg(record.item4));
        }
        // The year change's rule: the user moves such a record to a year
        // within it, and stores it then.
        if (!Numbering::isValidYear(year))
            throw DbError(QStringLiteral("不能输入1900到2050外的年份！请用“修改成果年份”改正后再入库。"));
        const QString largest = m_largest.value(year);
        if (largest.isEmpty() && Numbering::isRegistrationNumber(record.item4))
            return record.item4;
        return Numbering::numberAfter(year, largest);
    }

    // The first main record of the same title, when one is to be replaced.
    QString numberToReplace(const StagedRecord &record) const
    {
        if (m_mode != ImportStore::Mode::Overwrite || record.title.isEmpty())
            return QString();
        for (int recno : m_titles.value(keyText(QString(), record.title))) {
            if (!m_kjcg.file->isDeleted(recno))
                return trimmedText(*m_kjcg.file, recno, m_kjcg.item4);
        }
        return QString();
    }

    // The tables a record's rows go to.
    QList<FilePtr> targetFiles() const
    {
        QList<FilePtr> files = {m_kjcg.file, m_personList};
        for (const Target &target : m_childTargets)
            files.append(target.file);
        return files;
    }

    // A record's rows are gathered and written together once all are made,
    // so that a record costs a few writes instead of several per row.
    void writeGathered(const StagedRecord &record, const QString &number, Undo &undo)
    {
        const QList<FilePtr> files = targetFiles();
        for (const FilePtr &f : files)
            f->beginBulkAppend();
        int ended = 0;
        try {
            writeRecord(record, number, undo);
            for (; ended < files.size(); ++ended)
                files[ended]->endBulkAppend();
        } catch (...) {
            // The files not ended yet write what they gathered, so that the
            // undo can take it out; a file that fails drops its rows itself.
            for (int i = ended; i < files.size(); ++i) {
                try {
                    files[i]->endBulkAppend();
                } catch (const DbError &) {
                }
            }
            throw;
        }
    }

    void storeOne(const StagedRecord &record)
    {
        const QString replaced = numberToReplace(record);
        Undo undo;
        QString number;
        try {
            number = newNumber(record);
            writeGathered(record, number, undo);
        } catch (const DbError &error) {
            fail(record, error.message(), undo);
            return;
        }
        // Only now: rows of a record that failed may have been dropped, and
        // their numbers taken by the rows of the next one.
        if (m_mode == ImportStore::Mode::Overwrite)
            m_titles[keyText(QString(), record.title)].append(undo.mainRow);
        m_storedRecnos.append(record.recno);
        m_largest[number.left(4)] = qMax(m_largest.value(number.left(4)), number);
        ++m_result.stored;
        if (replaced.isEmpty()) {
            ++m_result.added;
        } else {
            ++m_result.overwritten;
            removeReplaced(record, replaced);
        }
    }

    void writeRecord(const StagedRecord &record, const QString &number, Undo &undo)
    {
        appendCopy(*m_stagedKjcg, record.recno, m_kjcg, number, undo);
        undo.mainRow = undo.appended.last().second;
        const QString key = keyText(record.item4, record.region);
        for (int i = 0; i < childLists().size(); ++i) {
            const QList<int> rows = m_stagedChildren[i].value(key);
            if (rows.isEmpty())
                continue;
            const DbfFile &staging = *m_stagedChildFiles[i];
            for (int recno : rows) {
                appendCopy(staging, recno, m_childTargets[i], number, undo);
                if (childLists()[i].persons)
                    registerPerson(staging, recno, undo);
            }
        }
    }

    // Tables of the same fields copy rows as they are stored; others column
    // by column by position.
    void appendCopy(const DbfFile &source, int recno, const Target &target, const QString &number, Undo &undo)
    {
        int row = -1;
        if (target.file->hasFieldsOf(source)) {
            Values key;
            setKey(key, target.item4, target.region, number);
            row = target.file->appendCopy(source, recno, key);
        } else {
            Values values = copiedValues(source, recno, *target.file);
            setKey(values, target.item4, target.region, number);
            row = target.file->append(values);
        }
        undo.appended.append({target.file, row});
    }

    // One entry per name: a new name is added, a name known once is written
    // over, a name known more than once is left alone.
    void registerPerson(const DbfFile &staging, int recno, Undo &undo)
    {
        const QString name = trimmedText(staging, recno, staging.fieldIndex(PersonName));
        if (name.isEmpty())
            return;
        const FilePtr &persons = m_personList;
        QList<int> &known = m_persons[keyText(name, QString())];
        known.removeIf([&](int row) { return persons->isDeleted(row); });
        if (known.size() > 1)
            return;
        const Values values = copiedValues(staging, recno, *persons);
        if (known.isEmpty()) {
            const int row = persons->append(values);
            undo.appended.append({persons, row});
            known.append(row);
            undo.registered.append({name, row});
        } else {
            undo.registerBefore.append({known.first(), persons->record(known.first())});
            persons->update(known.first(), values);
        }
    }

    void fail(const StagedRecord &record, const QString &message, Undo &undo)
    {
        QString text = QStringLiteral("成果“%1”（登记号%2）未能入库：%3").arg(record.title, record.item4, message);
        try {
            undo.run(m_personList);
        } catch (const DbError &again) {
            text += QLatin1Char('\n') + again.message();
        }
        for (const auto &[name, row] : undo.registered)
            m_persons[keyText(name, QString())].removeAll(row);
        ++m_result.failed;
        if (m_result.firstError.isEmpty())
            m_result.firstError = text;
        m_failedKeys.insert(keyText(record.item4, record.region));
    }

    // The record of the same title goes once its successor is stored: the
    // rows of its number in every region.
    void removeReplaced(const StagedRecord &record, const QString &number)
    {
        try {
            const QVariantMap params = {{QStringLiteral("item4"), number}};
            for (const QString &table : {QStringLiteral("zlqk"), QStringLiteral("cgwcdw"), QStringLiteral("cgwcr"),
                                         QStringLiteral("jdwyhmd"), QStringLiteral("kjcg")}) {
                m_db->execute(QStringLiteral("delete from %1 where item_4 = :item4").arg(table), params);
            }
        } catch (const DbError &error) {
            if (m_result.firstError.isEmpty()) {
                m_result.firstError = QStringLiteral("成果“%1”已入库，但同名的原有成果（登记号%2）未能删除：%3")
                                          .arg(record.title, number, error.message());
            }
        }
    }

    // Stored records leave the staging tables; a failed one stays with its
    // children. Child rows of no staged record go with the stored ones.
    void leaveFailedStaged()
    {
        for (int recno : m_storedRecnos)
            m_stagedKjcg->setDeleted(recno, true);
        for (int i = 0; i < childLists().size(); ++i) {
            const FilePtr &staging = m_stagedChildFiles[i];
            for (auto it = m_stagedChildren[i].begin(); it != m_stagedChildren[i].end(); ++it) {
                if (m_failedKeys.contains(it.key()))
                    continue;
                for (int recno : it.value())
                    staging->setDeleted(recno, true);
            }
        }
        if (m_result.failed == 0) {
            const FilePtr unit = file(ExchangeNames::stagingTable(ExchangeNames::Unit));
            for (int recno = 0; recno < unit->recordCount(); ++recno) {
                if (!unit->isDeleted(recno))
                    unit->setDeleted(recno, true);
            }
        }
    }
};

} // namespace

ImportStore::ImportStore(Database *db)
    : m_db(db)
{
}

ImportStore::Result ImportStore::storeAll(Mode mode, const std::function<void(int, int)> &eachRecord)
{
    return Storer(m_db, mode).run(eachRecord);
}

QString ImportStore::resultMessage(Mode mode, const Result &result)
{
    QString text = mode == Mode::Save
                       ? QStringLiteral("入库完毕!")
                       : QStringLiteral("入库完毕！新增%1条,覆盖%2条。").arg(result.added).arg(result.overwritten);
    if (result.failed > 0) {
        text += QStringLiteral("\n已入库%1条，%2条未能入库，仍保留在导入数据中。\n%3")
                    .arg(result.stored)
                    .arg(result.failed)
                    .arg(result.firstError);
    } else if (!result.firstError.isEmpty()) {
        text += QLatin1Char('\n') + result.firstError;
    }
    return text;
}
