// Datasets over the table files: rows shared between datasets, filters,
// locate, the row buffer, cached updates, lookup fields and the grid model.

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/GbkText.h"
#include "support/DbfFixture.h"

#include <QSignalSpy>
#include <QtTest>

class TestDataSet : public EngineTest
{
    Q_OBJECT

private:
    static QStringList columnOf(DataSet &ds, const QString &field)
    {
        QStringList values;
        for (int row = 0; row < ds.recordCount(); ++row)
            values.append(ds.textAt(row, ds.fieldIndex(field)));
        return values;
    }

    // Edits one field of the current row the way the pages do.
    static void store(DataSet &ds, const QString &field, const QString &text)
    {
        ds.edit();
        ds.setString(field, text);
        ds.post();
    }

    static void openFiltered(Table &table, const QString &filter)
    {
        table.setFilter(filter);
        table.setFiltered(true);
        table.open();
    }

    // Persons of record 2006000001: two rows with the same key and name.
    static QList<QVariantList> personRows()
    {
        return {{"2006000001", ".", 1.0, "王五", "1", "2", "0"},
                {"2006000001", ".", 2.0, "王五", "2", "3", "1"},
                {"2006000002", ".", 1.0, "李四", "1", "1", "0"}};
    }

private slots:
    void init()
    {
        QVERIFY(newFolder());
        makeTable(folder(), "kjcg.DBF",
                  {dbfField("ITEM_4", 'C', 10), dbfField("ITEM_DQDM", 'C', 3),
                   dbfField("ITEM_3", 'C', 20), dbfField("ITEM_45", 'N', 3),
                   dbfField("ITEM_121", 'D'), dbfField("PATENT_ST", 'C', 1)},
                  {{"2006000001", ".", "名称一", 1.0, QDate(2006, 5, 1), "1"},
                   {"2006000002", ".", "O'K", QVariant(), QVariant(), "2"},
                   {"2005000001", ".", "abc", 3.0, QVariant(), "1"},
                   {"2006000003", ".", "名称四", QVariant(), QVariant(), "2"}});
        makeTable(folder(), "cgwcr.DBF",
                  {dbfField("ITEM_4", 'C', 10), dbfField("ITEM_DQDM", 'C', 3),
                   dbfField("ITEM_187", 'F', 10), dbfField("ITEM_180", 'C', 20),
                   dbfField("ITEM_181", 'C', 1), dbfField("ITEM_183", 'C', 1),
                   dbfField("ITEM_188", 'C', 1)},
                  personRows());
        makeTable(folder(), "zdxx.dbf",
                  {dbfField("zddm", 'C', 10), dbfField("xxdm", 'C', 3), dbfField("xxmc", 'C', 40)},
                  {{"item_181", "1", "男"}, {"item_181", "2", "女"}, {"item_183", "1", "正高"},
                   {"item_183", "2", "副高"}, {"item_191", "1", "主任委员"}, {"item_191", "3", "委员"}});
        openDatabase();
    }

    void cleanup()
    {
        dropFolder();
    }

    void changesAreSharedBetweenDatasets()
    {
        Table table(m_db, "KJCG.dbf");
        table.open();
        table.moveTo(2);
        Query query(m_db);
        query.setSql("select * from kjcg where item_4 like '2006%' order by item_4");
        query.open();
        QVERIFY(query.isLive());
        QCOMPARE(query.recordCount(), 3);

        store(query, "item_3", "新名称");
        QCOMPARE(table.textAt(0, table.fieldIndex("ITEM_3")), QString("新名称"));

        query.append();
        query.setString("item_4", "2006000009");
        query.post();
        QCOMPARE(query.recordCount(), 4);
        QCOMPARE(query.asString("item_4"), QString("2006000009"));
        QCOMPARE(table.recordCount(), 5);

        query.first();
        query.remove();  // record 0
        QCOMPARE(table.recordCount(), 4);
        QCOMPARE(table.asString("item_4"), QString("2005000001"));  // still on its record
        QVERIFY(m_db->file("kjcg")->isDeleted(0));

        Query count(m_db);
        count.setSql("select count(*) from kjcg where item_4 like '2006%'");
        count.open();
        QCOMPARE(count.valueAt(0, 0).toInt(), 3);

        // Statements write through the same file the datasets read.
        m_db->execute("delete from kjcg where item_4='2006000009'");
        m_db->execute("insert into kjcg (item_4, item_3) values ('2007000001', 'SQL')");
        QCOMPARE(columnOf(table, "item_4"),
                 (QStringList{"2006000002", "2005000001", "2006000003", "2007000001"}));
        QCOMPARE(query.recordCount(), 2);  // its deleted row left; the new one is no match

        // Named columns stay live and show just those fields.
        Query years(m_db);
        years.setSql("select item_4, item_3 from kjcg order by item_4 desc");
        years.open();
        QVERIFY(years.isLive());
        QCOMPARE(years.fieldNames(), (QStringList{"ITEM_4", "ITEM_3"}));
        QCOMPARE(years.textAt(0, 0), QString("2007000001"));
    }

    void filterGrammarAndLifetime()
    {
        Table table(m_db, "kjcg.dbf");
        openFiltered(table, "item_4='2006*'");
        table.close();
        table.open();
        QCOMPARE(table.recordCount(), 3);  // still filtered after close and open

        for (const auto &[filter, rows] : QList<QPair<QString, QStringList>>{
                 {"item_4='2006*' and PATENT_ST=1", {"2006000001"}}, {"item_3='O''K'", {"2006000002"}},
                 {"item_3 ='名称四' AND item_dqdm= '.'", {"2006000003"}}, {"item_4='2006'", {}}}) {
            table.setFilter(filter);   // the last is exact without the star
            QCOMPARE(columnOf(table, "item_4"), rows);
        }
        for (const char *bad : {"item_4 like '2006%'", "item_4='2006", "nosuch='1'"})
            QVERIFY_THROWS_EXCEPTION(DbError, table.setFilter(bad));
        QCOMPARE(table.filter(), QString("item_4='2006'"));  // a bad text changes nothing

        table.setFiltered(false);
        QCOMPARE(table.recordCount(), 4);
        table.setFilter("");
        table.setFiltered(true);
        QCOMPARE(table.recordCount(), 4);
    }

    void rowThatLeavesTheFilterLeavesTheRows()
    {
        // Re-keying a record's children: each posted row leaves the filtered
        // view, so the loop walks every row of the old number.
        Table persons(m_db, "cgwcr.DBF");
        openFiltered(persons, "item_4='2006000001'");
        int posts = 0;
        for (; !persons.eof() && persons.asString("item_4") != "2006000077"; ++posts)
            store(persons, "item_4", "2006000077");
        QCOMPARE(posts, 2);
        QCOMPARE(persons.recordCount(), 0);
        auto file = m_db->file("cgwcr");
        for (int r : {0, 1, 2})
            QCOMPARE(file->value(r, 0), QVariant(r < 2 ? "2006000077" : "2006000002"));
    }

    void locateExactPrefixAndCase()
    {
        Table table(m_db, "kjcg.dbf");
        table.open();
        QVERIFY(table.locate("item_4", "2006000003"));
        QCOMPARE(table.recNo(), 3);
        QVERIFY(!table.locate("item_4", "2006"));
        QCOMPARE(table.recNo(), 3);  // a failed locate stays
        QVERIFY(table.locate("item_4", "2005", DataSet::PartialKey));
        QCOMPARE(table.recNo(), 2);
        QVERIFY(!table.locate("item_3", "ABC"));
        QVERIFY(table.locate("item_3", "ABC", DataSet::CaseInsensitive));
        table.first();
        QVERIFY(table.locate("item_45", 3));  // a number field found by a whole number
        QCOMPARE(table.recNo(), 2);
        QVERIFY(table.locate(QStringList{"item_4", "patent_st"}, QVariantList{"2006000002", "2"}));
        QCOMPARE(table.recNo(), 1);
    }

    void failedPostKeepsStateAndBuffer()
    {
        Table table(m_db, "kjcg.dbf");
        table.open();
        table.edit();
        table.setString("item_3", "新名");
        try {
            table.setString("item_3", "表情😀");
            QFAIL("GBK cannot hold the character");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains("ITEM_3"), qPrintable(e.message()));
        }
        table.setValue("item_45", 12345);  // wider than the field's three digits
        QVERIFY_THROWS_EXCEPTION(DbError, table.post());
        QCOMPARE(table.state(), DataSet::Edit);
        QCOMPARE(table.asString("item_3"), QString("新名"));
        QCOMPARE(table.asString("item_45"), QString("12345"));
        table.cancel();
        QCOMPARE(table.state(), DataSet::Browse);
        QCOMPARE(table.asString("item_3"), QString("名称一"));
        QCOMPARE(m_db->file("kjcg")->value(0, 2), QVariant("名称一"));
    }

    void valuesConvertByFieldType()
    {
        Table table(m_db, "kjcg.dbf");
        table.open();
        table.moveTo(1);
        QVERIFY(table.isNull("item_45"));
        QCOMPARE(table.asString("item_45"), QString());
        QCOMPARE(table.asNumber("item_45"), 0.0);
        table.edit();
        table.setString("item_3", "一二三四五六七八九十甲");  // 22 bytes into 20
        QCOMPARE(table.asString("item_3"), QString("一二三四五六七八九十"));
        try {
            table.setString("item_45", "12a");
            QFAIL("not a number");
        } catch (const DbError &e) {
            QVERIFY(e.message().contains("ITEM_45"));
        }
        QVERIFY_THROWS_EXCEPTION(DbError, table.setString("item_121", "2006-13-45"));
        table.setString("item_121", "2006.3.5");
        table.setString("item_45", " 12 ");
        table.post();
        QCOMPARE(table.asDate("item_121"), QDate(2006, 3, 5));
        QCOMPARE(table.asString("item_121"), QString("2006-3-5"));
        QCOMPARE(table.asNumber("item_45"), 12.0);
        table.setTextFit("item_3", DataSet::Refuse);
        table.edit();
        QVERIFY_THROWS_EXCEPTION(DbError, table.setString("item_3", "一二三四五六七八九十甲"));
        QVERIFY_THROWS_EXCEPTION(DbError, table.setGbk("item_3", GbkText::encode("一二三四五六七八九十甲")));
        table.cancel();
    }

    // Numbers as other programs leave them in the file read as the program's
    // own short form, whether the digits show it as they stand or the value
    // must be converted; a number being edited reads as edited.
    void storedNumbersReadInTheirShortForm()
    {
        const QList<QPair<const char *, QString>> cases = {
            {"           30.470000", "30.47"}, {"            0.000000", "0"}, {"           -0.000000", "0"},
            {"                    ", QString()}, {"                 12.", "12"}, {"-12.500000          ", "-12.5"},
            {"       347.040000\0\0\0", "347.04"}, {"             0.00010", "0.0001"},
            {"           0.0000100", "1E-5"}, {"     123456789012345", "123456789012345"},
            {"    1234567890123456", "1.23456789012346E+15"}, {"  99999999999999.900", "99999999999999.9"},
            {"  0.1234567890123456", "0.123456789012346"}, {" 0.01234567890123456", "0.0123456789012346"},
            {"  0.0001234567890123", "0.0001234567890123"},
            {"                 007", "7"}, {"                  +5", "5"}, {"               1.5e3", "1500"},
            {"           -.250    ", "-0.25"}, {"********************", QString()}, {"        12.5.0      ", QString()},
        };
        makeTable(folder(), "money.dbf", {dbfField("AMOUNT", 'F', 20, 6), dbfField("COUNT", 'N', 6)},
                  QList<QVariantList>(cases.size(), {QVariant(), 1.0}));
        {
            QFile file(QDir(folder()).filePath("money.dbf"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            const int header = 32 + 2 * 32 + 1;
            const int record = 1 + 20 + 6;
            for (int row = 0; row < cases.size(); ++row) {
                QVERIFY(file.seek(header + row * record + 1));
                QCOMPARE(file.write(cases[row].first, 20), 20);
            }
        }
        Table table(m_db, "money");
        table.open();
        for (int row = 0; row < cases.size(); ++row) {
            table.moveTo(row);
            QCOMPARE(table.asString("amount"), cases[row].second);
            QCOMPARE(table.asString("count"), QString("1"));
        }
        table.moveTo(0);
        table.edit();
        table.setString("amount", "0.25");
        QCOMPARE(table.asString("amount"), QString("0.25"));
        table.cancel();
        QCOMPARE(table.asString("amount"), QString("30.47"));
    }

    void gbkBytesGoStraightToTheFile()
    {
        Table table(m_db, "kjcg.dbf");
        table.open();
        const int name = table.fieldIndex("item_3");
        QByteArrayView gbk;
        QVERIFY(table.storedGbk(0, name, &gbk));
        QCOMPARE(gbk.toByteArray(), GbkText::encode("名称一"));
        QVERIFY(!table.storedGbk(0, table.fieldIndex("item_45"), &gbk));   // a number

        table.append();
        table.setGbk("item_4", "2006000009");
        table.setGbk("item_3", GbkText::encode("一二三四五六七八九十甲"));  // 22 bytes into 20
        QVERIFY(!table.storedGbk(4, name, &gbk));                         // being edited
        QVERIFY(table.storedGbk(1, name, &gbk));
        table.setGbk("item_45", "12");         // other types take the text
        table.setGbk("item_121", "2006.3.5");
        table.post();
        QCOMPARE(m_db->file("kjcg")->textBytes(4, 2).toByteArray(), GbkText::encode("一二三四五六七八九十"));
        QCOMPARE(table.asNumber("item_45"), 12.0);
        QCOMPARE(table.asDate("item_121"), QDate(2006, 3, 5));

        // Bytes that are no GBK text: the post fails and the row can be dropped.
        table.append();
        table.setGbk("item_3", "\xd5");
        QVERIFY_THROWS_EXCEPTION(DbError, table.post());
        QCOMPARE(table.state(), DataSet::Insert);
        table.cancel();
        QCOMPARE(table.recordCount(), 5);

        // Held back by cached updates, they read as text, not as the file's bytes.
        Query cached(m_db);
        cached.setSql("select * from kjcg");
        cached.setCachedUpdates(true);
        cached.open();
        store(cached, "item_3", "改");
        QVERIFY(!cached.storedGbk(0, cached.fieldIndex("item_3"), &gbk));
        QVERIFY(cached.storedGbk(0, cached.fieldIndex("item_4"), &gbk));
        QCOMPARE(gbk.toByteArray(), QByteArray("2006000001"));
        cached.append();
        cached.setGbk("item_3", GbkText::encode("新行"));
        cached.post();
        QCOMPARE(cached.asString("item_3"), QString("新行"));
        cached.applyUpdates();
        QCOMPARE(m_db->file("kjcg")->value(5, 2), QVariant("新行"));
        QCOMPARE(m_db->file("kjcg")->value(0, 2), QVariant("改"));
    }

    void cachedUpdatesGoToTheExactRow()
    {
        Query persons(m_db);
        persons.setSql(QStringList{"select *  from  cgwcr  where  item_4=:item_4",
                                   "and  item_dqdm=:item_dqdm", "order  by  item_187 "});
        persons.setParam("item_4", "2006000001");
        persons.setParam("item_dqdm", ".");
        persons.setCachedUpdates(true);
        persons.open();
        QCOMPARE(persons.recordCount(), 2);
        Table table(m_db, "cgwcr.dbf");
        table.open();

        // The second 王五 changes; the first, with the same key and name, not.
        persons.moveTo(1);
        store(persons, "item_183", "1");
        QCOMPARE(persons.asString("item_183"), QString("1"));
        QCOMPARE(table.textAt(1, table.fieldIndex("item_183")), QString("3"));
        QVERIFY(persons.updatesPending());

        persons.append();
        const QStringList values{"2006000001", ".", "3", "赵六", "2", "1", "1"};
        for (int i = 0; i < values.size(); ++i)
            persons.setString(persons.fieldNames()[i], values[i]);
        persons.post();
        QCOMPARE(table.recordCount(), 3);  // nothing written yet
        persons.first();
        persons.remove();
        persons.applyUpdates();
        QVERIFY(!persons.updatesPending());

        auto file = m_db->file("cgwcr");
        QVERIFY(file->isDeleted(0) && !file->isDeleted(1));
        QCOMPARE(file->value(1, 5), QVariant("1"));
        QCOMPARE(file->record(3), (QVariantList{"2006000001", ".", 3.0, "赵六", "2", "1", "1"}));
        QCOMPARE(columnOf(persons, "item_180"), (QStringList{"王五", "赵六"}));

        store(persons, "item_180", "改名");
        persons.cancelUpdates();
        QCOMPARE(persons.asString("item_180"), QString("王五"));
        QCOMPARE(file->value(1, 3), QVariant("王五"));
    }

    void lookupFieldsFollowTheirSource()
    {
        Table codes(m_db, "zdxx.dbf");
        openFiltered(codes, "zddm='item_181'");
        Table roles(m_db, "zdxx.dbf");
        openFiltered(roles, "zddm='item_191'");
        Table persons(m_db, "cgwcr.dbf");
        persons.addLookupField("V_181", "ITEM_181", &codes, "XXDM", "XXMC", "性别");
        persons.addLookupField("V_191", "ITEM_180", &roles, "XXMC", "XXDM");
        persons.open();
        QCOMPARE(columnOf(persons, "V_181"), (QStringList{"男", "女", "男"}));
        QCOMPARE(persons.fieldTitle("v_181"), QString("性别"));
        QVERIFY_THROWS_EXCEPTION(DbError, persons.setString("V_181", "x"));

        // Matched on the text, giving the code back.
        persons.edit();
        persons.setString("item_180", "委员");
        QCOMPARE(persons.asString("V_191"), QString("3"));
        persons.cancel();

        // An edit through another dataset and a new filter both show.
        Table editor(m_db, "zdxx.dbf");
        editor.open();
        editor.moveTo(1);
        store(editor, "xxmc", "女性");
        QCOMPARE(columnOf(persons, "V_181"), (QStringList{"男", "女性", "男"}));
        codes.setFilter("zddm='item_183'");
        QCOMPARE(columnOf(persons, "V_181"), (QStringList{"正高", "副高", "正高"}));
    }

    void deleteRowsUntilNoneLeft()
    {
        Table persons(m_db, "cgwcr.dbf");
        openFiltered(persons, "item_4='2006000001' and item_dqdm='.'");
        persons.first();
        while (!persons.eof())
            persons.remove();
        QCOMPARE(persons.recordCount(), 0);
        QVERIFY_THROWS_EXCEPTION(DbError, persons.remove());
        persons.setFiltered(false);
        QCOMPARE(columnOf(persons, "item_180"), QStringList{"李四"});

        // Editing an empty table makes a new row, as the unit page relies on.
        Table empty(m_db, "cgwcr.dbf");
        openFiltered(empty, "item_4='none'");
        empty.edit();
        QCOMPARE(empty.state(), DataSet::Insert);
        empty.setString("item_4", "none");
        empty.post();
        QCOMPARE(empty.recordCount(), 1);
    }

    void gridModelFollowsAndDetaches()
    {
        Table persons(m_db, "cgwcr.dbf");
        persons.setFieldTitle("ITEM_180", "姓名");
        persons.open();
        DataSetModel model;
        model.setColumns({"item_180", "item_187"});
        model.setDataSet(&persons);
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("姓名"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("ITEM_187"));
        QCOMPARE(model.data(model.index(2, 0)).toString(), QString("李四"));
        QCOMPARE(model.data(model.index(2, 1)).toString(), QString("1"));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        persons.moveTo(2);
        store(persons, "item_180", "李四四");
        QVERIFY(!changed.isEmpty());
        QCOMPARE(changed.last().at(0).value<QModelIndex>().row(), 2);
        QCOMPARE(model.data(model.index(2, 0)).toString(), QString("李四四"));

        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        persons.remove();
        QCOMPARE(reset.size(), 1);
        QCOMPARE(model.rowCount(), 2);

        model.setDataSet(nullptr);
        QCOMPARE(model.rowCount(), 0);
        persons.first();
        while (!persons.eof()) {  // a loop while detached tells the model nothing
            store(persons, "item_187", "9");
            persons.next();
        }
        QCOMPARE(reset.size(), 2);
        model.setDataSet(&persons);
        QCOMPARE(model.data(model.index(1, 1)).toString(), QString("9"));
    }

    // A value typed into the grid that its field refuses is named by the
    // column's caption, and the row stays as stored.
    void aRefusedGridEditNamesItsColumn()
    {
        Table persons(m_db, "cgwcr.dbf");
        persons.setFieldTitle("ITEM_187", "序号");
        persons.open();
        DataSetModel model;
        model.setColumns({"item_180", "item_187"});
        model.setDataSet(&persons);
        model.setEditable(true);
        QSignalSpy refused(&model, &DataSetModel::editRefused);
        QVERIFY(!model.setData(model.index(2, 1), QString("李四"), Qt::EditRole));
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.first().first().toString(), QString("字段“序号”：“李四”不是有效的数字。"));
        QCOMPARE(model.data(model.index(2, 1)).toString(), QString("1"));
    }

    // A form writes its fields at once: the grid hears of the row once, also
    // when a field is refused after others took their values.
    void severalFieldsTellTheGridOnce()
    {
        Table persons(m_db, "cgwcr.dbf");
        persons.open();
        DataSetModel model;
        model.setColumns({"item_180", "item_187"});
        model.setDataSet(&persons);
        persons.moveTo(1);
        persons.edit();
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        persons.setValues({{"item_180", "赵六"}, {"item_187", 7}});
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 1);
        QCOMPARE(model.data(model.index(1, 0)).toString(), QString("赵六"));
        QCOMPARE(model.data(model.index(1, 1)).toString(), QString("7"));

        QVERIFY_THROWS_EXCEPTION(DbError, persons.setValues({{"item_180", "钱七"}, {"item_187", "x"}}));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(persons.asString("item_180"), QString("钱七"));
        persons.post();
        QCOMPARE(m_db->file("cgwcr")->value(1, 3), QVariant("钱七"));
    }

    // The grid reads while it paints, where an exception would end the
    // program: a memo that cannot be read shows empty and is remembered.
    void gridModelShowsAnUnreadableMemoEmpty()
    {
        makeTable(folder(), "notes.dbf", {dbfField("NAME", 'C', 10), dbfField("NOTE", 'M')},
                  {{"一", "第一条说明"}, {"二", "第二条说明"}});
        // The memo file loses the blocks that the rows point to.
        QFile memo(QDir(folder()).filePath("notes.dbt"));
        QVERIFY(memo.resize(512));
        Table notes(m_db, "notes.dbf");
        notes.open();
        DataSetModel model;
        model.setDataSet(&notes);
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(model.lastError().isEmpty());
        QCOMPARE(model.data(model.index(1, 0)).toString(), QString("二"));
        QCOMPARE(model.data(model.index(0, 1)).toString(), QString());
        QVERIFY2(model.lastError().contains("notes.dbt"), qPrintable(model.lastError()));
        const QString first = model.lastError();
        model.data(model.index(1, 1));
        QCOMPARE(model.lastError(), first);
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
