// The engine under damage and hostile input: memo files whose pointers lie,
// text that would cut a memo short, files shortened while open, reads that
// fail inside an SQL statement, and a failure at each single write of a
// post, a bulk append and a pack.
#include "support/DbfFixture.h"

#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/IoFaults.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <functional>
#include <sqlite3.h>
#include <stdexcept>
#include <thread>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFileAt(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(offset));
    QCOMPARE(file.write(bytes), bytes.size());
}

void replaceFile(const QString &path, const QByteArray &bytes)
{
    QFile::remove(path);
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(out.write(bytes), bytes.size());
}

// Where a field of a row stands in the table file.
qint64 fieldOffset(const QString &dbfPath, int recno, const QString &field)
{
    const QByteArray bytes = readFile(dbfPath);
    const int headerLength = qFromLittleEndian<quint16>(bytes.constData() + 8);
    const int recordLength = qFromLittleEndian<quint16>(bytes.constData() + 10);
    auto file = DbfFile::open(dbfPath, true);
    return headerLength + qint64(recno) * recordLength + 1 + file->field(file->fieldIndex(field)).offset;
}

QString longText(const QString &piece, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += piece + QString::number(i);
    return text;
}

const QList<DbfField> MemoTable = {dbfField("NAME", 'C', 10), dbfField("M1", 'M'), dbfField("M2", 'M')};

} // namespace

class TestDamage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }

    // Three rows, each with two memo texts, one of them over several blocks.
    void makeMemoRows()
    {
        makeTable(m_dir->path(), "t.dbf", MemoTable,
                  {{"甲", "甲一", longText("甲二", 300)},
                   {"乙", "乙一", "乙二"},
                   {"丙", longText("丙一", 200), "丙二"}});
    }

    void expectRow(DbfFile &file, int recno, const QStringList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(file.value(recno, i).toString(), values.at(i));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        IoFaults::clear();
    }

    void cleanup()
    {
        IoFaults::clear();
        m_dir.reset();
    }

    // A next-free pointer beyond the memo file's end points nowhere (the
    // arithmetic once wrapped and handed out blocks that rows use): the
    // table is reported damaged by name, its rows stay readable, and
    // nothing is written to either file.
    void nextFreePointerBeyondTheFile_data()
    {
        QTest::addColumn<QByteArray>("pointer");
        QTest::newRow("FF FF FF FF") << QByteArray::fromHex("ffffffff");
        QTest::newRow("2^31") << QByteArray::fromHex("00000080");
        QTest::newRow("one block too far") << QByteArray();
    }

    void nextFreePointerBeyondTheFile()
    {
        QFETCH(QByteArray, pointer);
        makeMemoRows();
        if (pointer.isEmpty()) {
            const quint32 blocks = quint32(QFileInfo(path("t.dbt")).size() / 512);
            pointer.resize(4);
            qToLittleEndian<quint32>(blocks + 1, pointer.data());
        }
        writeFileAt(path("t.dbt"), 0, pointer);
        const QByteArray table = readFile(path("t.dbf"));
        const QByteArray memo = readFile(path("t.dbt"));
        {
            auto file = DbfFile::open(path("t.dbf"));
            QVERIFY2(file->damage().contains("t.dbt"), qPrintable(file->damage()));
            const QString append = errorOf([&] { file->append({{0, "丁"}, {1, "丁一"}}); });
            QVERIFY2(append.contains("t.dbf") && append.contains("已损坏"), qPrintable(append));
            QVERIFY(!errorOf([&] { file->update(0, {{1, "甲新一"}}); }).isEmpty());
            QVERIFY(!errorOf([&] { file->setDeleted(1, true); }).isEmpty());
            expectRow(*file, 2, {"丙", longText("丙一", 200), "丙二"});
        }
        QVERIFY(!errorOf([&] { DbfFile::pack(path("t.dbf")); }).isEmpty());
        QCOMPARE(readFile(path("t.dbf")), table);
        QCOMPARE(readFile(path("t.dbt")), memo);
    }

    // Tables damaged by other programs open with their complete rows, say
    // what is wrong, and refuse every write and the pack.
    void damagedTablesAreReadOnly_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("says");
        QTest::newRow("cut inside the rows") << "cut" << 2 << "只有2条完整的记录";
        QTest::newRow("record length doubled") << "doubled" << 1 << "记录长度";
        QTest::newRow("terminator too early") << "terminator" << 3 << "记录长度";
        QTest::newRow("unknown type") << "type" << 3 << "无法识别";
    }

    void damagedTablesAreReadOnly()
    {
        QFETCH(QString, damage);
        QFETCH(int, rows);
        QFETCH(QString, says);
        makeMemoRows();
        const QString dbf = path("t.dbf");
        QByteArray bytes = readFile(dbf);
        const int headerLength = qFromLittleEndian<quint16>(bytes.constData() + 8);
        const int recordLength = qFromLittleEndian<quint16>(bytes.constData() + 10);
        if (damage == "cut")
            bytes.truncate(headerLength + 2 * recordLength + recordLength / 2);
        else if (damage == "doubled")
            qToLittleEndian<quint16>(quint16(recordLength * 2), bytes.data() + 10);
        else if (damage == "terminator")
            bytes[32 + 2 * 32] = 0x0D;   // the third field's description
        else
            bytes[32 + 32 + 11] = 'X';   // the second field's type
        replaceFile(dbf, bytes);

        auto file = DbfFile::open(dbf);
        QVERIFY2(file->damage().contains(says), qPrintable(file->damage()));
        QCOMPARE(file->recordCount(), rows);
        QCOMPARE(file->value(0, 0).toString(), QString("甲"));
        const QString refused = errorOf([&] { file->append({{0, "丁"}}); });
        QVERIFY2(refused.contains("t.dbf") && refused.contains("已损坏") && refused.contains(says), qPrintable(refused));
        QVERIFY(!errorOf([&] { file->update(0, {{0, "改"}}); }).isEmpty());
        QVERIFY(errorOf([&] { file->appendCopy(*file, 0, {}); }).contains("已损坏"));
        file.reset();
        QVERIFY(errorOf([&] { DbfFile::pack(dbf); }).contains("已损坏"));
        QCOMPARE(readFile(dbf), bytes);
    }

    // A table that a check of the program's own refused takes no row by
    // any path, and its database does not pack it.
    void refusedTablesTakeNothing()
    {
        makeMemoRows();
        Database db(m_dir->path());
        auto file = db.file("t");
        file->setDeleted(1, true);   // work for a pack
        file->refuseWrites("表文件“t.dbf”已损坏：缺少字段X。不能修改。");
        const QByteArray marked = readFile(path("t.dbf"));
        for (const auto &write : QList<std::function<void()>>{
                 [&] { file->appendCopy(*file, 0, {}); },
                 [&] { file->append({{0, "丁"}}); },
                 [&] { file->appendStoredTexts({"丁"}); },
                 [&] { file->restoreRecord(0, file->storedRecord(2)); }}) {
            QVERIFY(errorOf(write).contains("缺少字段X"));
        }
        file.reset();
        QVERIFY(errorOf([&] { db.pack("t"); }).contains("缺少字段X"));
        QCOMPARE(readFile(path("t.dbf")), marked);
    }

    // The rows begin where the header's length says; a length that does not
    // end right after the field descriptions and their terminator would
    // have every row read shifted and an append written across the last
    // row: damage. Zero bytes padding the header, as some writers leave,
    // are no damage.
    void headerLengthMustFitTheFieldList_data()
    {
        QTest::addColumn<int>("shift");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("one byte short") << -1 << true;
        QTest::newRow("one byte long") << 1 << true;
        QTest::newRow("padded with a zero byte") << 0 << false;
    }

    void headerLengthMustFitTheFieldList()
    {
        QFETCH(int, shift);
        QFETCH(bool, damaged);
        makeMemoRows();
        const QString dbf = path("t.dbf");
        QByteArray bytes = readFile(dbf);
        const int headerLength = qFromLittleEndian<quint16>(bytes.constData() + 8);
        if (shift == 0) {
            bytes.insert(headerLength, '\0');
            shift = 1;
        }
        qToLittleEndian<quint16>(quint16(headerLength + shift), bytes.data() + 8);
        replaceFile(dbf, bytes);

        auto file = DbfFile::open(dbf);
        if (!damaged) {
            QCOMPARE(file->damage(), QString());
            QCOMPARE(file->recordCount(), 3);
            expectRow(*file, 2, {"丙", longText("丙一", 200), "丙二"});
            file->append({{0, "丁"}, {1, "丁一"}});
            file.reset();
            expectRow(*DbfFile::open(dbf), 3, {"丁", "丁一", ""});
            return;
        }
        QVERIFY2(file->damage().contains("文件头长度"), qPrintable(file->damage()));
        QVERIFY(errorOf([&] { file->append({{0, "丁"}}); }).contains("已损坏"));
        file.reset();
        QVERIFY(errorOf([&] { DbfFile::pack(dbf); }).contains("已损坏"));
        QCOMPARE(readFile(dbf), bytes);
    }

    // A pointer that is no block of the memo file is damage, named with the
    // table, the row and the field; it never reads as an empty or other text.
    void memoPointersOutsideTheFile_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("ten digits") << QByteArray("9999999999");
        QTest::newRow("2^32") << QByteArray("4294967296");
        QTest::newRow("2^32 + 1") << QByteArray("4294967297");
        QTest::newRow("beyond the end") << QByteArray("0000000999");
        QTest::newRow("not a number") << QByteArray("00000A0001");
        QTest::newRow("blank inside") << QByteArray("   1    2 ");
    }

    void memoPointersOutsideTheFile()
    {
        QFETCH(QByteArray, stored);
        makeMemoRows();
        writeFileAt(path("t.dbf"), fieldOffset(path("t.dbf"), 1, "M2"), stored);
        {
            auto file = DbfFile::open(path("t.dbf"));
            const QString error = errorOf([&] { file->value(1, 2); });
            QVERIFY2(error.contains("t.dbf") && error.contains("第2条记录") && error.contains("M2"),
                     qPrintable(error));
            QCOMPARE(file->value(1, 1).toString(), QString("乙一"));
            // Saving a new text mends the row.
            file->update(1, {{2, "乙二新"}});
            QCOMPARE(file->value(1, 2).toString(), QString("乙二新"));
        }
        // The same through SQL: the statement fails with the engine's words.
        writeFileAt(path("t.dbf"), fieldOffset(path("t.dbf"), 1, "M2"), stored);
        Database db(m_dir->path());
        const QString error = errorOf([&] { db.execute("update t set NAME = M2 where NAME = '乙'"); });
        QVERIFY2(error.contains("第2条记录") && error.contains("M2"), qPrintable(error));
    }

    void memoPointersPaddedEitherWay()
    {
        makeMemoRows();
        const qint64 at = fieldOffset(path("t.dbf"), 1, "M1");
        const QByteArray padded = readFile(path("t.dbf")).mid(at, 10);
        const QByteArray digits = padded.trimmed();
        writeFileAt(path("t.dbf"), at, digits.leftJustified(10, ' '));
        QCOMPARE(DbfFile::open(path("t.dbf"))->value(1, 1).toString(), QString("乙一"));
        writeFileAt(path("t.dbf"), at, QByteArray(10 - digits.size(), ' ') + digits);
        QCOMPARE(DbfFile::open(path("t.dbf"))->value(1, 1).toString(), QString("乙一"));
    }

    // 0x1A ends a memo text for every reader; other control characters have
    // no place in a form either. They are refused by name, not stored cut.
    void controlCharactersAreRefused()
    {
        makeMemoRows();
        auto file = DbfFile::open(path("t.dbf"));
        for (const QString &text : {QString("前\x1a后"), QString("a\x01"), QString("b\x7f")}) {
            const QString memo = errorOf([&] { file->update(0, {{1, text}}); });
            QVERIFY2(memo.contains("M1") && memo.contains("控制字符"), qPrintable(memo));
            const QString plain = errorOf([&] { file->append({{0, text}}); });
            QVERIFY2(plain.contains("NAME") && plain.contains("控制字符"), qPrintable(plain));
        }
        QCOMPARE(file->recordCount(), 3);
        QCOMPARE(file->value(0, 1).toString(), QString("甲一"));
        file->update(0, {{1, "一\t二\r\n三\n"}});
        QCOMPARE(file->value(0, 1).toString(), QString("一\t二\r\n三\n"));

        Database db(m_dir->path());
        const QString sql = errorOf([&] {
            db.execute("insert into t (NAME, M1) values ('戊', :text)", {{"text", QString("前\x1a后")}});
        });
        QVERIFY2(sql.contains("M1") && sql.contains("控制字符"), qPrintable(sql));
        Table table(&db, "t");
        table.open();
        QCOMPARE(table.recordCount(), 3);
        table.first();
        table.edit();
        table.setString("M2", QString("前\x1a后"));
        QVERIFY(errorOf([&] { table.post(); }).contains("控制字符"));
        table.cancel();
        QCOMPARE(table.asString("M2"), longText("甲二", 300));
    }

    // Another program cuts the table and its memo file to half while they
    // are open and mapped: reading past the new end is an error naming the
    // file, through the file, a dataset and SQL alike, never a crash.
    void fileShortenedWhileOpen()
    {
        QList<QVariantList> rows;
        for (int i = 0; i < 3000; ++i)
            rows.append({QString::number(i), longText("备注", i % 7 + 1)});
        makeTable(m_dir->path(), "t.dbf", {dbfField("NAME", 'C', 100), dbfField("M1", 'M')}, rows);
        Database db(m_dir->path());
        auto file = db.file("t");
        QCOMPARE(file->value(0, 0).toString(), QString("0"));
        QCOMPARE(file->value(2999, 1).toString(), longText("备注", 2999 % 7 + 1));
        for (const auto &[name, part] : {std::pair{"t.dbf", 2}, std::pair{"t.dbt", 4}}) {
            QFile cut(path(name));
            QVERIFY(cut.resize(cut.size() / part));
        }
        const QString row = errorOf([&] { file->value(2000, 0); });
        QVERIFY2(row.contains("t.dbf"), qPrintable(row));
        const QString memo = errorOf([&] { file->value(1000, 1); });
        QVERIFY2(memo.contains("t.dbt"), qPrintable(memo));
        const QString sql = errorOf([&] { db.execute("update t set NAME = 'x' where M1 = ''"); });
        QVERIFY2(sql.contains("t.dbf") || sql.contains("t.dbt"), qPrintable(sql));
        Table table(&db, "t");
        const QString dataset = errorOf([&] {
            table.open();
            for (table.first(); !table.eof(); table.next())
                table.asString("M1");
        });
        QVERIFY2(dataset.contains("t.dbf") || dataset.contains("t.dbt"), qPrintable(dataset));
    }

    // Cut between two of the reader's size checks, the mapped view has no
    // bytes behind it any more: the read under way must not end the
    // program, and from then on the table reads as damaged and takes no
    // writes. Then the same with the cut at any moment of whole scans.
    void tableCutUnderAScan()
    {
        QList<QVariantList> rows;
        for (int i = 0; i < 20000; ++i)
            rows.append({QString::number(i).repeated(3)});
        makeTable(m_dir->path(), "t.dbf", {dbfField("NAME", 'C', 100)}, rows);
        const QByteArray whole = readFile(path("t.dbf"));
        {
            Database db(m_dir->path());
            auto file = db.file("t");
            QCOMPARE(file->value(0, 0).toString(), QString("000"));
            QCOMPARE(file->value(10, 0).toString(), QString("101010"));
            QVERIFY(QFile(path("t.dbf")).resize(4096));
            // Row 600 lies in the stretch just checked, on a page now gone.
            errorOf([&] { file->value(600, 0); });
            const QString after = errorOf([&] { file->value(601, 0); });
            QVERIFY2(after.contains("t.dbf"), qPrintable(after));
            QVERIFY(!errorOf([&] { file->append({{0, QString("x")}}); }).isEmpty());
        }
        for (int round = 0; round < 20; ++round) {
            QFile::remove(path("t.dbf"));
            writeFileAt(path("t.dbf"), 0, whole);
            Database db(m_dir->path());
            auto file = db.file("t");
            std::atomic<bool> scanning{false};
            std::thread cutter([&] {
                while (!scanning.load())
                    std::this_thread::yield();
                std::this_thread::sleep_for(std::chrono::microseconds(200 * round));
                QFile(path("t.dbf")).resize(whole.size() / 5);
            });
            const QString error = errorOf([&] {
                for (int pass = 0; pass < 4; ++pass) {
                    for (int recno = 0; recno < file->recordCount(); ++recno) {
                        scanning = true;
                        file->value(recno, 0);
                    }
                }
            });
            cutter.join();
            QVERIFY2(error.isEmpty() || error.contains("t.dbf"), qPrintable(error));
        }
    }

    // Two views of one table larger than a view keeps: both hand their
    // pages back as they read on, and every row still reads as written,
    // through either, pass after pass. A cut afterwards, on pages handed
    // back, is caught as under any read: an error naming the file.
    void viewsThatHandBackPagesReadTheSameRows()
    {
        constexpr int Rows = 90000;   // 250 bytes a row: over 20 MiB
        const auto text = [](int recno) { return QString("第%1行").arg(recno).repeated(4); };
        DbfFile::create(path("t.dbf"), {dbfField("NAME", 'C', 249)});
        {
            auto file = DbfFile::open(path("t.dbf"));
            DbfBulkAppend bulk(file);
            for (int recno = 0; recno < Rows; ++recno)
                file->append({{0, text(recno)}});
            bulk.finish();
        }
        Database db(m_dir->path());
        auto own = db.file("t");
        auto other = DbfFile::open(path("t.dbf"), true);
        for (int pass = 0; pass < 2; ++pass) {
            for (int recno = 0; recno < Rows; recno += 7) {
                QCOMPARE(own->value(recno, 0).toString(), text(recno));
                QCOMPARE(other->value(Rows - 1 - recno, 0).toString(), text(Rows - 1 - recno));
            }
        }
        QVERIFY(QFile(path("t.dbf")).resize(4096));
        for (DbfFile *file : {own.get(), other.get()}) {
            const QString error = errorOf([&] {
                for (int recno = 0; recno < Rows; recno += 1000)
                    file->value(recno, 0);
            });
            QVERIFY2(error.contains("t.dbf"), qPrintable(error));
        }
    }

    // A read that fails while SQLite steps through a table (here: rows
    // gathered by a bulk append that cannot be written) becomes the
    // statement's error instead of an exception through SQLite's C code.
    void readFailuresInsideSqlBecomeErrors()
    {
        makeTable(m_dir->path(), "t.dbf", MemoTable);
        Database db(m_dir->path());
        auto file = db.file("t");
        {
            DbfBulkAppend bulk(file);
            file->append({{0, "甲"}, {1, "甲一"}});
            IoFaults::failNth(1);
            Query query(&db);
            query.setSql("select * from t");
            const QString error = errorOf([&] { query.open(); });
            QVERIFY2(error.contains("t.dbt") || error.contains("t.dbf"), qPrintable(error));
            IoFaults::clear();
        }
        QCOMPARE(file->recordCount(), 0);   // the failed batch is gone, reported
        file->append({{0, "乙"}, {1, "乙一"}});
        Query query(&db);
        query.setSql("select * from t");
        query.open();
        QCOMPARE(query.recordCount(), 1);
        QCOMPARE(query.asString("M1"), QString("乙一"));
    }

    // Whatever a write inside a statement throws, a standard exception or
    // not, the statement fails with the engine's error and the connection
    // goes on; nothing unwinds through SQLite.
    void anyFailureInsideSqlBecomesAnError()
    {
        makeTable(m_dir->path(), "t.dbf", MemoTable);
        Database db(m_dir->path());
        const auto insert = [&] {
            db.execute("insert into t (NAME, M1) values (:n, :m)", {{"n", "甲"}, {"m", "甲一"}});
        };
        IoFaults::raiseNth(1, [] { throw 42; });
        QVERIFY2(errorOf(insert).contains("未知错误"), "a thrown int");
        IoFaults::raiseNth(1, [] { throw std::logic_error("broken rule"); });
        QVERIFY2(errorOf(insert).contains("broken rule"), "a logic error");
        IoFaults::clear();
        insert();
        Query query(&db);
        query.setSql("select * from t");
        query.open();
        QCOMPARE(query.recordCount(), 1);
        QCOMPARE(query.asString("M1"), QString("甲一"));
    }

    // A value SQLite refuses to bind is an error, never a NULL that writes
    // the field blank.
    void aValueThatCannotBeBoundIsRefused()
    {
        makeTable(m_dir->path(), "t.dbf", MemoTable, {{"甲", "甲一", "甲二"}});
        Database db(m_dir->path());
        sqlite3_limit(db.sqlite(), SQLITE_LIMIT_LENGTH, 64);
        const QString error = errorOf([&] {
            db.execute("update t set M1=:m", {{"m", longText("长", 40)}});
        });
        QVERIFY2(error.contains(":m"), qPrintable(error));
        Query query(&db);
        query.setSql("select * from t");
        query.open();
        QCOMPARE(query.asString("M1"), QString("甲一"));
    }

    // A folder whose renames cannot be made durable stops the pack with the
    // folder named; the table keeps every live row either way.
    void aFolderThatCannotBeSyncedStopsThePack()
    {
        const QString source = path("source");
        QDir().mkpath(source);
        makeTable(source, "t.dbf", MemoTable, {{"甲", "甲一", "甲二"}, {"乙", "乙一", "乙二"}});
        {
            Database db(source);
            db.execute("delete from t where NAME='乙'");
        }
        QStringList errors;
        for (int failing = 1; failing < 40; ++failing) {
            const QString work = path(QString("run%1").arg(failing));
            QDir().mkpath(work);
            for (const QString &name : {"t.dbf", "t.dbt"})
                QVERIFY(QFile::copy(QDir(source).filePath(name), QDir(work).filePath(name)));
            IoFaults::failNth(failing);
            errors << errorOf([&] { DbfFile::pack(QDir(work).filePath("t.dbf")); });
            IoFaults::clear();
            Database db(work);
            Query query(&db);
            query.setSql("select NAME, M1 from t");
            query.open();
            QCOMPARE(query.recordCount(), 1);
            QCOMPARE(query.asString("M1"), QString("甲一"));
        }
        QVERIFY2(errors.filter("无法把文件夹").size() >= 2, qPrintable(errors.join(" | ")));
    }

    // Each write and flush of a session of posts, a bulk append, a delete
    // and a pack fails once in turn: afterwards the table opens with every
    // row whose post was reported done, and with no row it never had.
    void failureAtEachWriteKeepsPostedRows()
    {
        const QString source = path("source");
        QDir().mkpath(source);
        makeTable(source, "t.dbf", MemoTable, {{"甲", "甲一", longText("甲二", 300)}, {"乙", "乙一", "乙二"}});
        int writes = 0;
        for (int failing = 0; failing == 0 || failing <= writes; ++failing) {
            const QString work = path(QString("run%1").arg(failing));
            QDir().mkpath(work);
            for (const QString &name : {"t.dbf", "t.dbt"})
                QVERIFY(QFile::copy(QDir(source).filePath(name), QDir(work).filePath(name)));
            QHash<QString, QStringList> posted = {{"甲", {"甲", "甲一", longText("甲二", 300)}},
                                                  {"乙", {"乙", "乙一", "乙二"}}};
            QSet<QString> tried;
            IoFaults::failNth(failing);
            const QString error = errorOf([&] { runSession(work, posted, tried); });
            if (failing == 0)
                writes = IoFaults::seen();
            IoFaults::clear();
            QVERIFY2((failing == 0) == error.isEmpty(), qPrintable(QString("write %1: %2").arg(failing).arg(error)));
            checkSessionRows(work, posted, tried, failing);
        }
        QVERIFY(writes > 10);
    }

private:
    // Posts through a dataset, a bulk append and a pack; `posted` holds the
    // rows each step reported done, `tried` the names a step has begun on.
    void runSession(const QString &folder, QHash<QString, QStringList> &posted, QSet<QString> &tried)
    {
        Database db(folder);
        {
            Table table(&db, "t");
            table.open();
            table.first();
            table.edit();
            table.setString("M1", "甲一改");
            table.post();
            posted["甲"][1] = "甲一改";
            for (const QString &name : {"丙", "丁"}) {
                tried.insert(name);
                table.append();
                table.setString("NAME", name);
                table.setString("M1", longText(name, 150));
                table.post();
                posted[name] = {name, longText(name, 150), ""};
            }
        }
        {
            auto file = db.file("t");
            DbfBulkAppend bulk(file);
            QStringList names;
            for (int i = 0; i < 40; ++i) {
                const QString name = QString("批%1").arg(i);
                tried.insert(name);
                names << name;
                file->append({{0, name}, {1, longText(name, 20)}, {2, name}});
            }
            bulk.finish();
            for (const QString &name : names)
                posted[name] = {name, longText(name, 20), name};
            tried.insert("乙");
            file->setDeleted(1, true);
            posted.remove("乙");
        }
        db.pack("t");
    }

    void checkSessionRows(const QString &folder, const QHash<QString, QStringList> &posted,
                          const QSet<QString> &tried, int failing)
    {
        const QString context = QString("failing write %1").arg(failing);
        std::shared_ptr<DbfFile> file;
        const QString error = errorOf([&] { file = DbfFile::open(QDir(folder).filePath("t.dbf"), true); });
        QVERIFY2(error.isEmpty(), qPrintable(context + ": " + error));
        QSet<QString> seen;
        for (int recno = 0; recno < file->recordCount(); ++recno) {
            if (file->isDeleted(recno))
                continue;
            const QString name = file->value(recno, 0).toString();
            QVERIFY2(posted.contains(name) || tried.contains(name), qPrintable(context + ": row " + name));
            if (posted.contains(name) && name != "甲") {
                for (int i = 0; i < 3; ++i)
                    QVERIFY2(file->value(recno, i).toString() == posted[name].at(i), qPrintable(context + " " + name));
            }
            seen.insert(name);
        }
        for (auto it = posted.begin(); it != posted.end(); ++it)
            QVERIFY2(seen.contains(it.key()), qPrintable(context + ": lost " + it.key()));
    }
};

QTEST_GUILESS_MAIN(TestDamage)
#include "tst_damage.moc"
