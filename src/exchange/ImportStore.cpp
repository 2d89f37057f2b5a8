#include "ImportStore.h"

#include "ImportStaging.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/TableJournal.h"
#include "exchange/core/ExchangeNames.h"
#include "records/data/Numbering.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

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

// A table rows are written to, with the places of the key, and its rows by
// key where a record may be replaced.
struct Target
{
    FilePtr file;
    int item4 = -1;
    int region = -1;
    QHash<QString, QList<int>> rowsByKey;

    Target() = default;
    explicit Target(FilePtr f)
        : file(std::move(f)), item4(file->fieldIndex(Item4)), region(file->fieldIndex(Region))
    {
    }
};

// What one record has written, for the indexes once it stands.
struct Written
{
    QList<QPair<int, int>> rows;               // target (0 kjcg, 1.. child lists), row
    int mainRow = -1;                          // the kjcg row
    QList<QPair<QString, int>> registered;     // names added to the person list
};

// One staged achievement.
struct StagedRecord
{
    int recno = -1;
    QString item4;
    QString region;
    QString title;

    QString key() const { return keyText(item4, region); }
};

// A main record to be replaced: its key, and its number.
struct Replaced
{
    QString key;
    QString number;
    bool isEmpty() const { return key.isEmpty(); }
};

// A staged record whose year the year change's rule refuses.
class YearRefused : public DbError
{
public:
    using DbError::DbError;
};

class Storer
{
public:
    Storer(Database *db, ImportStore::Mode mode) : m_db(db), m_mode(mode), m_journal(db) { prepare(); }

    ImportStore::Result run(const std::function<void(int, int)> &eachRecord)
    {
        const int total = int(m_staged.size());
        int done = 0;
        for (const StagedRecord &record : m_staged) {
            storeOne(record);
            if (m_group.size() >= RecordsPerChange)
                commitGroup();
            if (eachRecord)
                eachRecord(++done, total);
        }
        commitGroup();
        removeStagedLeftovers();
        return m_result;
    }

private:
    static constexpr int ChildLists = 4;
    // Records stored in one change of the journal: what waits for the disk
    // (a few syncs of each table) is paid once for them all. A kill or a
    // power cut takes back at most these, and they stay staged.
    static constexpr int RecordsPerChange = 500;

    // A record stored in the change still open.
    struct Pending
    {
        StagedRecord record;
        Replaced replaced;
    };

    Database *m_db;
    ImportStore::Mode m_mode;
    ImportStore::Result m_result;
    // Each record's rows stand whole or not at all, also across a kill.
    TableJournal m_journal;

    FilePtr m_stagedKjcg;
    Target m_targets[1 + ChildLists];   // kjcg, then the child lists in their order
    FilePtr m_personList;
    QList<StagedRecord> m_staged;
    QHash<QString, QList<int>> m_stagedChildren[ChildLists];
    FilePtr m_stagedChildFiles[ChildLists];
    QHash<QString, int> m_unstored;                 // staged key -> staged records not stored yet
    QHash<QString, QString> m_largest;              // year -> largest number in kjcg
    QHash<QString, QList<int>> m_titles;            // kjcg title -> rows (overwrite)
    QHash<QString, QList<int>> m_persons;           // person list: name -> rows
    QList<Pending> m_group;                         // stored in the open change
    QList<TableJournal::Row> m_leaving;             // marked deleted once it commits
    QSet<int> m_leavingMain;                        // the kjcg rows among them
    QSet<QString> m_leavingKeys;                    // the records replaced, by key

    bool overwriting() const { return m_mode == ImportStore::Mode::Overwrite; }
    Target &kjcg() { return m_targets[0]; }
    const Target &kjcg() const { return m_targets[0]; }
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
                ++m_unstored[m_staged.last().key()];
            }
        }
        m_targets[0] = Target(file(QStringLiteral("kjcg.DBF")));
        for (int i = 0; i < ChildLists; ++i) {
            const FilePtr staging = file(childLists()[i].staging);
            m_stagedChildFiles[i] = staging;
            m_stagedChildren[i] = rowsByKey(*staging, requireField(*staging, Item4), requireField(*staging, Region));
            m_targets[1 + i] = Target(file(childLists()[i].target));
        }
        readMainNumbers();
        if (overwriting())
            indexReplaceableRecords();
        m_personList = file(QStringLiteral("cgwcrNew.dbf"));
        m_persons = rowsByKey(*m_personList, requireField(*m_personList, PersonName), -1);
    }

    // Titles compare as stored: padding off, leading blanks kept. A record
    // replaced goes by its whole key in every table, read once here instead
    // of a search through each table for each record.
    void indexReplaceableRecords()
    {
        m_titles = rowsByKey(*kjcg().file, -1, requireField(*kjcg().file, Title), false);
        for (Target &target : m_targets) {
            target.rowsByKey = rowsByKey(*target.file, requireField(*target.file, Item4),
                                         requireField(*target.file, Region));
        }
    }

    // Over the child tables too: a number that child rows still carry
    // (left by a delete of an older version) is never handed out again.
    void readMainNumbers()
    {
        for (const Target &target : m_targets) {
            const DbfFile &table = *target.file;
            const int item4 = requireField(table, Item4);
            for (int recno = 0; recno < table.recordCount(); ++recno) {
                if (table.isDeleted(recno))
                    continue;
                const QString number = trimmedText(table, recno, item4);
                if (!Numbering::isRegistrationNumber(number))
                    continue;
                QString &largest = m_largest[number.left(4)];
                if (number > largest)
                    largest = number;
            }
        }
    }

    QString newNumber(const StagedRecord &record, const Replaced &replaced) const
    {
        const QString year = record.item4.left(4);
        if (year.size() != 4 || !Numbering::isRegistrationNumber(year + QStringLiteral("000000"))) {
            throw DbError(QStringLiteral("登记号“%1”不是正确的格式，无法编号。").arg(record.item4));
        }
        // The year change's rule: the user moves such a record to a year
        // within it, and stores it then.
        if (!Numbering::isValidYear(year))
            throw YearRefused(Numbering::invalidYearText() + QStringLiteral("请用“修改成果年份”改正后再入库。"));
        const QString largest = largestOfYear(year, replaced);
        if (largest.isEmpty() && Numbering::isRegistrationNumber(record.item4))
            return record.item4;
        return Numbering::numberAfter(year, largest);
    }

    // The largest number of the year once the replaced record is gone: the
    // largest but that record's, looked for again only when it is the one.
    QString largestOfYear(const QString &year, const Replaced &replaced) const
    {
        const QString largest = m_largest.value(year);
        if (replaced.isEmpty() || replaced.number != largest)
            return largest;
        return largestWithout(year, replaced.key);
    }

    // The largest number of the year that a live row of any table carries
    // under another key than `gone` (none: under any key) and than the
    // records that the open change replaces.
    QString largestWithout(const QString &year, const QString &gone) const
    {
        QString largest;
        for (const Target &target : m_targets) {
            for (auto it = target.rowsByKey.cbegin(); it != target.rowsByKey.cend(); ++it) {
                const QString number = it.key().section(QChar(0x1f), 0, 0);
                if (it.key() == gone || m_leavingKeys.contains(it.key()) || number <= largest || !number.startsWith(year)
                    || !Numbering::isRegistrationNumber(number))
                    continue;
                const bool live = std::any_of(it.value().cbegin(), it.value().cend(),
                                              [&](int recno) { return !target.file->isDeleted(recno); });
                if (live)
                    largest = number;
            }
        }
        return largest;
    }

    // The first main record of the same title, when one is to be replaced.
    Replaced recordToReplace(const StagedRecord &record) const
    {
        if (!overwriting() || record.title.isEmpty())
            return {};
        const DbfFile &main = *kjcg().file;
        for (int recno : m_titles.value(keyText(QString(), record.title))) {
            if (!main.isDeleted(recno) && !m_leavingMain.contains(recno)) {
                const QString number = trimmedText(main, recno, kjcg().item4);
                return {keyText(number, trimmedText(main, recno, kjcg().region)), number};
            }
        }
        return {};
    }

    // The tables a record's rows go to.
    QList<FilePtr> targetFiles() const
    {
        QList<FilePtr> files = {m_personList};
        for (const Target &target : m_targets)
            files.append(target.file);
        return files;
    }

    // A record's rows are gathered and written together once all are made,
    // so that a record costs a few writes instead of several per row.
    void writeGathered(const StagedRecord &record, const QString &number, Written &written)
    {
        const QList<FilePtr> files = targetFiles();
        for (const FilePtr &f : files)
            f->beginBulkAppend();
        int ended = 0;
        try {
            writeRecord(record, number, written);
            for (; ended < files.size(); ++ended)
                files[ended]->endBulkAppend();
        } catch (...) {
            // The files not ended yet write what they gathered, so that the
            // journal can take it back; a file that fails drops its rows.
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
        const Replaced replaced = recordToReplace(record);
        Written written;
        QString number;
        std::optional<TableJournal::Savepoint> point;
        try {
            number = newNumber(record, replaced);
            if (m_group.isEmpty())
                m_journal.begin(targetFiles());
            point = m_journal.savepoint();
            writeGathered(record, number, written);
        } catch (const YearRefused &error) {
            ++m_result.refusedYears[record.item4.left(4)];
            fail(record, error.message(), written, point);
            return;
        } catch (const DbError &error) {
            fail(record, error.message(), written, point);
            return;
        }
        for (const TableJournal::Row &row : rowsLeaving(record, replaced)) {
            m_leaving.append(row);
            if (row.first == kjcg().file)
                m_leavingMain.insert(row.second);
        }
        if (!replaced.isEmpty())
            m_leavingKeys.insert(replaced.key);
        m_group.append({record, replaced});
        stored(record, number, replaced, written);
    }

    // The records of the open change stand together, or are left staged
    // together when the change cannot reach the disk.
    void commitGroup()
    {
        if (m_group.isEmpty())
            return;
        const QList<Pending> group = std::exchange(m_group, {});
        const QList<TableJournal::Row> leaving = std::exchange(m_leaving, {});
        m_leavingMain.clear();
        m_leavingKeys.clear();
        try {
            m_journal.commit(leaving);
        } catch (const DbError &error) {
            QString text = error.message();
            try {
                m_journal.rollback();
            } catch (const DbError &again) {
                text += QLatin1Char('\n') + again.message();
            }
            for (const Pending &pending : group)
                unstore(pending, text);
            // The records they replaced are there again, with their numbers.
            m_largest.clear();
            readMainNumbers();
            return;
        }
        try {
            m_journal.complete();
        } catch (const DbError &error) {
            noteError(QStringLiteral("成果已入库，但它们的导入数据或同名的原有成果未能全部删除：%1")
                          .arg(error.message()));
        }
    }

    void unstore(const Pending &pending, const QString &message)
    {
        ++m_unstored[pending.record.key()];
        --m_result.stored;
        if (pending.replaced.isEmpty())
            --m_result.added;
        else
            --m_result.overwritten;
        if (overwriting() && pending.record.title.isEmpty())
            --m_result.untitled;
        ++m_result.failed;
        noteError(QStringLiteral("成果“%1”（登记号%2）未能入库：%3")
                      .arg(pending.record.title, pending.record.item4, message));
    }

    // What leaves with a stored record: the main record it replaces, by its
    // whole key in every table, and its staged rows (its staged children
    // once no other staged record of that key is still to be stored).
    QList<TableJournal::Row> rowsLeaving(const StagedRecord &record, const Replaced &replaced)
    {
        QList<TableJournal::Row> rows;
        if (!replaced.isEmpty()) {
            for (const Target &target : m_targets) {
                for (int recno : target.rowsByKey.value(replaced.key)) {
                    if (!target.file->isDeleted(recno))
                        rows.append({target.file, recno});
                }
            }
        }
        rows.append({m_stagedKjcg, record.recno});
        if (m_unstored.value(record.key()) == 1) {
            for (int i = 0; i < ChildLists; ++i) {
                for (int recno : m_stagedChildren[i].value(record.key()))
                    rows.append({m_stagedChildFiles[i], recno});
            }
        }
        return rows;
    }

    void stored(const StagedRecord &record, const QString &number, const Replaced &replaced,
                const Written &written)
    {
        --m_unstored[record.key()];
        // The replaced record's rows leave with the change (and count again
        // should it be taken back).
        const QString replacedYear = replaced.number.left(4);
        if (!replaced.isEmpty() && m_largest.value(replacedYear) == replaced.number)
            m_largest[replacedYear] = largestWithout(replacedYear, QString());
        m_largest[number.left(4)] = qMax(m_largest.value(number.left(4)), number);
        if (overwriting()) {
            m_titles[keyText(QString(), record.title)].append(written.mainRow);
            const QString key = keyText(number, Numbering::ownRegion());
            for (const auto &[target, recno] : written.rows)
                m_targets[target].rowsByKey[key].append(recno);
        }
        ++m_result.stored;
        if (replaced.isEmpty())
            ++m_result.added;
        else
            ++m_result.overwritten;
        if (overwriting() && record.title.isEmpty())
            ++m_result.untitled;
    }

    void writeRecord(const StagedRecord &record, const QString &number, Written &written)
    {
        appendCopy(*m_stagedKjcg, record.recno, 0, number, written);
        written.mainRow = written.rows.last().second;
        const QString key = record.key();
        for (int i = 0; i < ChildLists; ++i) {
            const QList<int> rows = m_stagedChildren[i].value(key);
            const DbfFile &staging = *m_stagedChildFiles[i];
            for (int recno : rows) {
                appendCopy(staging, recno, 1 + i, number, written);
                if (childLists()[i].persons)
                    registerPerson(staging, recno, written);
            }
        }
    }

    // Tables of the same fields copy rows as they are stored; others column
    // by column by position.
    void appendCopy(const DbfFile &source, int recno, int targetIndex, const QString &number, Written &written)
    {
        const Target &target = m_targets[targetIndex];
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
        written.rows.append({targetIndex, row});
    }

    // One entry per name: a new name is added, a name known once is written
    // over, a name known more than once is left alone.
    void registerPerson(const DbfFile &staging, int recno, Written &written)
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
            known.append(row);
            written.registered.append({name, row});
        } else {
            m_journal.writeOver(persons, known.first(), values);
        }
    }

    void noteError(const QString &text)
    {
        m_result.problems << text;
    }

    // What the record wrote is taken back; the records before it in the
    // change stay (none written: nothing to take back).
    void fail(const StagedRecord &record, const QString &message, const Written &written,
              const std::optional<TableJournal::Savepoint> &point)
    {
        QString text = QStringLiteral("成果“%1”（登记号%2）未能入库：%3").arg(record.title, record.item4, message);
        try {
            if (m_group.isEmpty())
                m_journal.rollback();
            else if (point)
                m_journal.rollbackTo(*point);
        } catch (const DbError &again) {
            text += QLatin1Char('\n') + again.message();
        }
        for (const auto &[name, row] : written.registered)
            m_persons[keyText(name, QString())].removeAll(row);
        ++m_result.failed;
        noteError(text);
    }

    // Child rows staged without a staged achievement go with the stored
    // records; those of a record that failed stay with it. The sender's unit
    // stays where the load put it.
    void removeStagedLeftovers()
    {
        try {
            for (int i = 0; i < ChildLists; ++i) {
                const FilePtr &staging = m_stagedChildFiles[i];
                for (auto it = m_stagedChildren[i].cbegin(); it != m_stagedChildren[i].cend(); ++it) {
                    if (m_unstored.contains(it.key()))
                        continue;
                    for (int recno : it.value()) {
                        if (!staging->isDeleted(recno))
                            staging->setDeleted(recno, true);
                    }
                }
            }
            for (const FilePtr &staging : m_stagedChildFiles)
                staging->sync();
        } catch (const DbError &error) {
            noteError(error.message());
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

// A store that stored nothing says so first; every year refused is named.
QString ImportStore::resultMessage(Mode mode, const Result &result)
{
    QStringList lines;
    if (result.stored == 0 && result.failed > 0) {
        lines << QStringLiteral("入库失败！%1条成果都未能入库，仍保留在导入数据中。").arg(result.failed);
    } else {
        lines << (mode == Mode::Save
                      ? QStringLiteral("入库完毕!")
                      : QStringLiteral("入库完毕！新增%1条,覆盖%2条。").arg(result.added).arg(result.overwritten));
        if (result.untitled > 0)
            lines << QStringLiteral("其中%1条成果名称为空，无法按名称比较，已作为新增入库。").arg(result.untitled);
        if (result.failed > 0) {
            lines << QStringLiteral("已入库%1条，%2条未能入库，仍保留在导入数据中。")
                         .arg(result.stored)
                         .arg(result.failed);
        }
    }
    if (!result.refusedYears.isEmpty()) {
        QStringList years;
        for (auto it = result.refusedYears.cbegin(); it != result.refusedYears.cend(); ++it)
            years << QStringLiteral("%1年%2条").arg(it.key()).arg(it.value());
        lines << QStringLiteral("年份不对、未能入库的成果：%1。%2请用“修改成果年份”改正后再入库。")
                     .arg(years.join(QStringLiteral("，")), Numbering::invalidYearText());
    }
    if (!result.firstError().isEmpty())
        lines << result.firstError();
    if (result.problems.size() > 1)
        lines << QStringLiteral("全部未能入库的成果及原因请点“显示详情...”查看。");
    return lines.join(QLatin1Char('\n'));
}

QString ImportStore::resultDetails(const Result &result)
{
    return result.problems.size() > 1 ? result.problems.join(QLatin1Char('\n')) : QString();
}
