// SQL over the table files: the statement forms the program runs, GBK order,
// NULL for blank fields, writes through the virtual tables.

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "support/DbfFixture.h"

#include <QtTest>

class TestSql : public EngineTest
{
    Q_OBJECT

private:
    QStringList column(const QString &sql, const QString &field, const QVariantMap &params = {})
    {
        Query q(m_db);
        q.setSql(sql);
        for (auto it = params.begin(); it != params.end(); ++it)
            q.setParam(it.key(), it.value());
        q.open();
        QStringList values;
        for (q.first(); !q.eof(); q.next())
            values.append(q.asString(field));
        return values;
    }

    // The message of the error the statement must raise.
    QString failure(const QString &sql)
    {
        try {
            m_db->execute(sql);
        } catch (const DbError &e) {
            return e.message();
        }
        return "no error from " + sql;
    }

    QVariant scalar(const QString &sql)
    {
        Query q(m_db);
        q.setSql(sql);
        q.open();
        return q.valueAt(0, 0);
    }

private slots:
    void init()
    {
        QVERIFY(newFolder());
        makeTable(folder(), "kjcg.DBF",
                  {dbfField("ITEM_4", 'C', 10), dbfField("ITEM_DQDM", 'C', 3),
                   dbfField("ITEM_3", 'C', 20), dbfField("ITEM_CGLB", 'C', 1),
                   dbfField("ITEM_121", 'D'), dbfField("ITEM_45", 'F', 10, 2),
                   dbfField("ITEM_13", 'M'), dbfField("NO", 'C', 10)},
                  {{"2006000001", ".", "阿胶研究", "1", QDate(2006, 3, 1), 2.5, "公报一", "1"},
                   {"2006000002", ".", "白菜", "1", QVariant(), QVariant(), QVariant(), "2"},
                   {"2005000007", ".", "张三", "2", QDate(2005, 1, 9), 7.0, QVariant(), "3"},
                   {"2006000003", ".", "abc", "1", QVariant(), 1.0, QVariant(), "4"},
                   {"2006000004", ".", QVariant(), "3", QVariant(), QVariant(), QVariant(), "5"}});
        makeTable(folder(), "checkup.dbf",
                  {dbfField("lb", 'C', 1), dbfField("id", 'C', 20), dbfField("button", 'C', 2)},
                  {{"a", "item_3", "01"}, {"1", "item_2", "02"}, {"2", "item_22", "03"}});
        makeTable(folder(), "dwqk.dbf",
                  {dbfField("item_9", 'C', 140), dbfField("item_420", 'C', 20),
                   dbfField("item_38", 'C', 6)});
        makeTable(folder(), "unit.dbf",
                  {dbfField("unitcode", 'C', 10), dbfField("upunitcode", 'C', 10),
                   dbfField("unitlevel", 'C', 1)},
                  {{"9990001000", QVariant(), "1"},
                   {"9990001010", "9990001000", "2"},
                   {"9990001020", "9990001000", "2"}});
        openDatabase();
    }

    void cleanup()
    {
        dropFolder();
    }

    void selectsAsTheProgramWritesThem()
    {
        // No blank between like and the quote; the maximum keeps its SQL name.
        Query max(m_db);
        max.setSql("select max(item_4) from kjcg where item_4 like'2006%'");
        max.open();
        QVERIFY(!max.isLive());
        QCOMPARE(max.fieldNames(), QStringList{"max(item_4)"});
        QCOMPARE(max.asString("max(item_4)"), QString("2006000004"));

        // Two lines, table spelled in another case than the file.
        Query rules(m_db);
        rules.setSql(QStringList{"select * from checkup where ", "lb='a' or lb='1'"});
        rules.open();
        QCOMPARE(rules.recordCount(), 2);
        QCOMPARE(column("select * from CheckUp", "id"),
                 (QStringList{"item_3", "item_2", "item_22"}));

        QCOMPARE(column("select distinct item_cglb from kjcg order by item_cglb desc", "item_cglb"),
                 (QStringList{"3", "2", "1"}));
        QCOMPARE(column("select item_4 from kjcg order by item_4 desc", "item_4").first(),
                 QString("2006000004"));

        // The three-line child-list form with its double blanks and parameters.
        QCOMPARE(column("select *  from  kjcg  where  item_4=:item_4\nand  item_dqdm=:item_dqdm\n"
                        "order  by  item_3 ",
                        "ITEM_3", {{"item_4", "2005000007"}, {"item_dqdm", "."}}),
                 QStringList{"张三"});
        QCOMPARE(column("select* from unit\nwhere upunitcode = :uncode", "unitcode",
                        {{"uncode", "9990001000"}}),
                 (QStringList{"9990001010", "9990001020"}));
        QCOMPARE(scalar("select   max(unitcode) from   unit\nwhere upunitcode = '9990001000'"),
                 QVariant("9990001020"));

        // The export condition and the query builder's four lines.
        QCOMPARE(column("select * from kjcg where 1=0 or item_4='2006000001' or item_4='2005000007'",
                        "item_4"),
                 (QStringList{"2006000001", "2005000007"}));
        QCOMPARE(column("select * from kjcg\n where  (\nnot item_3='abc'\n ) and (item_cglb='1' "
                        "and item_4 like '2006%')",
                        "item_4"),
                 (QStringList{"2006000001", "2006000002"}));
    }

    void parametersAreValuesNotText()
    {
        const QString hostile = "x' or '1'='1";
        QCOMPARE(column("select * from kjcg where item_3=:name", "item_4", {{"name", hostile}}),
                 QStringList());
        QCOMPARE(column("select * from kjcg where item_3='" + Database::escapeSql(hostile) + "'",
                        "item_4"),
                 QStringList());
        Query q(m_db);
        q.setSql("select * from kjcg where item_4=:item_4");
        QVERIFY_THROWS_EXCEPTION(DbError, q.open());  // a parameter without a value
    }

    void textOrdersAndComparesAsGbk()
    {
        // Unicode puts 张 (U+5F20) before 阿 (U+963F); GBK puts 阿 (B0A2)
        // before 白 (B0D7) before 张 (D5C5).
        QVERIFY(QString("张") < QString("阿"));
        QCOMPARE(column("select * from kjcg where item_3 is not null and item_3 <> 'abc' "
                        "order by item_3",
                        "item_3"),
                 (QStringList{"阿胶研究", "白菜", "张三"}));
        QCOMPARE(column("select * from kjcg where item_cglb<>'3' order by item_3 desc", "item_3"),
                 (QStringList{"张三", "白菜", "阿胶研究", "abc"}));
        QCOMPARE(scalar("select max(item_3) from kjcg"), QVariant("张三"));

        // LIKE is case sensitive; equality ignores only trailing blanks.
        QCOMPARE(column("select * from kjcg where item_3 like 'ABC%'", "item_3"), QStringList());
        QCOMPARE(column("select * from kjcg where item_3 like 'ab%'", "item_3"), QStringList{"abc"});
        QCOMPARE(column("select * from kjcg where item_3='abc  '", "item_3"), QStringList{"abc"});
        QCOMPARE(column("select * from kjcg where item_3='ABC'", "item_3"), QStringList());
    }

    void blankFieldsAreNull()
    {
        QCOMPARE(column("select * from kjcg where item_3 is null", "item_4"),
                 QStringList{"2006000004"});
        QCOMPARE(column("select * from kjcg where item_121 is null", "item_4").size(), 3);
        QCOMPARE(scalar("select count(*) from kjcg where item_45 is null"), QVariant(2));
        QCOMPARE(scalar("select sum(item_45) from kjcg"), QVariant(10.5));

        QCOMPARE(scalar("select item_121 from kjcg where item_121 > '2006-01-01'").toDate(), QDate(2006, 3, 1));
    }

    void deleteMarksRowsUntilPack()
    {
        QCOMPARE(m_db->execute("delete from kjcg where item_cglb='1' and item_4 like '2006%'"), 3);
        auto file = m_db->file("kjcg");
        QCOMPARE(file->recordCount(), 5);
        QVERIFY(file->isDeleted(0) && !file->isDeleted(2));
        QCOMPARE(scalar("select count(*) from kjcg"), QVariant(2));
        file.reset();

        // No blank before "and": the staging deletes are written that way.
        QCOMPARE(m_db->execute("delete from  kjcg where item_4='2005000007'and item_dqdm='.'"), 1);
        m_db->pack("KJCG.dbf");
        QCOMPARE(m_db->file("kjcg")->recordCount(), 1);
        QCOMPARE(scalar("select item_4 from kjcg"), QVariant("2006000004"));
    }

    void insertAndUpdateWriteThrough()
    {
        m_db->execute("insert into dwqk (item_9,item_420,item_38) values ('某研究所','12345','100081')");
        m_db->execute("insert into dwqk (item_9,item_420,item_38) values ('第二','1','2')");
        QCOMPARE(m_db->execute("update dwqk set item_9='O''Brien研究所',item_420='999'"), 2);
        auto file = m_db->file("dwqk");
        QCOMPARE(file->value(1, 0), QVariant("O'Brien研究所"));
        QCOMPARE(file->value(0, 2), QVariant("100081"));  // a column left alone stays

        // Too wide: cut on a character boundary, never half a character.
        m_db->execute("update dwqk set item_38='张三李四' where item_420='999' and rowid=0");
        QCOMPARE(file->value(0, 2), QVariant("张三李"));

        // A memo survives an update of other columns; numbers and dates convert.
        m_db->execute("update kjcg set no='9', item_45='3.25', item_121='2007-2-3' where item_4='2006000001'");
        auto kjcg = m_db->file("kjcg");
        QCOMPARE(kjcg->value(0, 6), QVariant("公报一"));
        QCOMPARE(kjcg->value(0, 5).toDouble(), 3.25);
        QCOMPARE(kjcg->value(0, 4).toDate(), QDate(2007, 2, 3));
        QCOMPARE(scalar("select item_3 from kjcg where rowid = 2"), QVariant("张三"));
    }

    void refusedValuesNameTheField()
    {
        QString message = failure("insert into dwqk (item_9) values ('表情😀')");
        QVERIFY2(message.contains("item_9", Qt::CaseInsensitive), qPrintable(message));
        message = failure("update kjcg set item_45='abc'");
        QVERIFY2(message.contains("ITEM_45"), qPrintable(message));
        QCOMPARE(m_db->file("dwqk")->recordCount(), 0);
    }

    void errorsCarryTheStatement()
    {
        QVERIFY(failure("select * form kjcg").contains("select * form kjcg"));
        QVERIFY(failure("select * from nosuch").contains("nosuch.dbf"));
    }

    void tableFileAddedLater()
    {
        QCOMPARE(scalar("select count(*) from kjcg"), QVariant(5));  // connection is open
        makeTable(folder(), "ZLQKtemp.DBF", {dbfField("ITEM_4", 'C', 10)}, {{"2006000009"}});
        QCOMPARE(scalar("select item_4 from zlqktemp"), QVariant("2006000009"));
    }

    void packAndReleaseRefusedWhileInUse()
    {
        Table table(m_db, "kjcg.dbf");
        table.open();
        m_db->execute("delete from kjcg where item_4='2006000002'");
        QString message;
        try {
            m_db->pack("kjcg");
        } catch (const DbError &e) {
            message = e.message();
        }
        QCOMPARE(message, QString("表文件“kjcg.DBF”正在使用"));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->release("kjcg"));
        table.pack();  // closes itself, packs, opens again
        QVERIFY(table.isOpen());
        QCOMPARE(table.recordCount(), 4);
        QCOMPARE(m_db->file("kjcg")->recordCount(), 4);
    }
};

QTEST_GUILESS_MAIN(TestSql)
#include "tst_sql.moc"
