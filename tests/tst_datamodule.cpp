// The data module over a data folder built from the shipped tables: packing
// at creation, the optional classification files, tables that cannot be
// opened, and the datasets it opens.
#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "records/Messages.h"
#include "records/UnitDM.h"
#include "support/RecordsData.h"

#include <QProcess>
#include <QTest>
#include <memory>

class TestDataModule : public QObject
{
    Q_OBJECT

    QTemporaryDir m_shipped;
    std::unique_ptr<QTemporaryDir> m_dir;
    MessageLog m_log;

    QString dataPath() const { return m_dir->filePath(QStringLiteral("data")); }
    // The table files keep the spelling they were shipped with.
    QString file(const QString &name) const
    {
        const QDir dir(dataPath());
        for (const QString &entry : dir.entryList(QDir::Files)) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0)
                return dir.filePath(entry);
        }
        return dir.filePath(name);
    }

    static int fileRows(const QString &path, int *deleted = nullptr)
    {
        auto f = DbfFile::open(path, true);
        if (deleted) {
            *deleted = 0;
            for (int i = 0; i < f->recordCount(); ++i)
                *deleted += f->isDeleted(i) ? 1 : 0;
        }
        return f->recordCount();
    }

    // Marks the first row of each file deleted with another dBase reader.
    static void deleteFirstRowsWithPython(const QStringList &paths)
    {
        const QString script = QStringLiteral(
            "import dbf, sys\n"
            "for path in sys.argv[1:]:\n"
            "    t = dbf.Table(path)\n"
            "    t.open(dbf.READ_WRITE)\n"
            "    dbf.delete(t[0])\n"
            "    t.close()\n");
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     QStringList{QStringLiteral("-c"), script} + paths);
        QVERIFY(python.waitForFinished(60000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    }

private slots:
    void initTestCase() { buildShippedTables(m_shipped.path()); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(copyFolder(m_shipped.path(), dataPath()));
        m_log.start();
    }

    void cleanup()
    {
        MessageLog::stop();
        m_dir.reset();
    }

    void createsTheDatasetsOverTheFolder()
    {
        TDM dm(dataPath());
        QCOMPARE(DM, &dm);
        QCOMPARE(dm.DataPath, dataPath());
        QVERIFY(dm.ZtflhPresent);
        QVERIFY(dm.XkflPresent);
        for (DataSet *opened : std::initializer_list<DataSet *>{
                 dm.Qrykjcg, dm.tempquery, dm.Query2, dm.QryCgwcdw, dm.QryCgwcr, dm.QryJdwyhmd,
                 dm.QryCheckUp, dm.Qryunit, dm.Qryexpert, dm.Qrydwqk, dm.T_temp_out, dm.Tblkjcg,
                 dm.TblCgwcdw, dm.TblCgwcr, dm.Tbljdwyhmd, dm.tblzlqk, dm.TblwcrNew, dm.Tblzdxx,
                 dm.tblzdxx1, dm.tblProvince, dm.tblLsbw, dm.Tblgxjs, dm.TblDFJHZDXX, dm.Tblunit,
                 dm.Tblexpert, dm.Txkfl2, dm.Tztflh2, dm.TblCgwcr_181, dm.Tblzlqk_ty})
            QVERIFY(opened->isOpen());
        QVERIFY(!dm.T_temp_in->isOpen());
        QVERIFY(!dm.Table1->isOpen());
        QVERIFY(dm.QryCgwcr->cachedUpdates());
        QVERIFY(!dm.QryCheckUp->isEmpty());
        QVERIFY(m_log.boxes.isEmpty());
    }

    void lookupFieldsShowDictionaryTexts()
    {
        TDM dm(dataPath());
        addPerson(dm.database(), QStringLiteral("2006000001"), QStringLiteral("."),
                  QStringLiteral("王五"));
        appendRow(dm.database(), QStringLiteral("jdwyhmd.DBF"),
                  {{QStringLiteral("ITEM_4"), QStringLiteral("2006000001")},
                   {QStringLiteral("ITEM_191"), QStringLiteral("委员")}});

        // The committee's role is stored as text and looked up by its name.
        Table roles(dm.database(), QStringLiteral("zdxx.dbf"));
        roles.setFilter(QStringLiteral("zddm='item_191' and xxmc='委员'"));
        roles.setFiltered(true);
        roles.open();
        QVERIFY2(!roles.isEmpty(), "the dictionary holds the role 委员");
        dm.Tbljdwyhmd->close();
        dm.Tbljdwyhmd->open();
        dm.Tbljdwyhmd->first();
        QCOMPARE(dm.Tbljdwyhmd->asString(QStringLiteral("V_191")),
                 roles.asString(QStringLiteral("xxdm")));

        Table sexes(dm.database(), QStringLiteral("zdxx.dbf"));
        sexes.setFilter(QStringLiteral("zddm='item_181'"));
        sexes.setFiltered(true);
        sexes.open();
        QVERIFY(!sexes.isEmpty());
        dm.TblCgwcr->close();
        dm.TblCgwcr->open();
        dm.TblCgwcr->first();
        dm.TblCgwcr->edit();
        dm.TblCgwcr->setString(QStringLiteral("ITEM_181"), sexes.asString(QStringLiteral("xxdm")));
        dm.TblCgwcr->post();
        QCOMPARE(dm.TblCgwcr->asString(QStringLiteral("V_181")),
                 sexes.asString(QStringLiteral("xxmc")));
    }

    void packsTheEighteenFilesAndNoOther()
    {
        {
            TDM dm(dataPath());
            addAchievement(dm.database(), QStringLiteral("2006000001"), QStringLiteral("1"),
                           QStringLiteral("甲"));
            addAchievement(dm.database(), QStringLiteral("2006000002"), QStringLiteral("1"),
                           QStringLiteral("乙"));
        }
        QStringList packed;
        for (const QString &name : TDM::packedFiles()) {
            packed << file(name);
            auto f = DbfFile::open(packed.last());
            while (f->recordCount() < 2)
                f->append({});
        }
        QCOMPARE(packed.size(), 18);
        const QString notPacked = file(QStringLiteral("zdxx.dbf"));
        QList<int> before;
        for (const QString &path : packed)
            before << fileRows(path);
        const int dictionaryRows = fileRows(notPacked);
        deleteFirstRowsWithPython(packed + QStringList{notPacked});

        TDM dm(dataPath());
        for (int i = 0; i < packed.size(); ++i) {
            int deleted = -1;
            QCOMPARE(fileRows(packed[i], &deleted), before[i] - 1);
            QCOMPARE(deleted, 0);
        }
        int deleted = 0;
        QCOMPARE(fileRows(notPacked, &deleted), dictionaryRows);
        QCOMPARE(deleted, 1);
        // What survived is the second row.
        dm.Tblkjcg->first();
        QCOMPARE(dm.Tblkjcg->recordCount(), 1);
        QCOMPARE(dm.Tblkjcg->asString(QStringLiteral("ITEM_3")), QStringLiteral("乙"));
        QVERIFY(m_log.boxes.isEmpty());
    }

    void optionalClassificationsMayBeAbsent()
    {
        QVERIFY(QFile::remove(file(QStringLiteral("xkfl.dbf"))));
        {
            TDM dm(dataPath());
            QVERIFY(!dm.XkflPresent);
            QVERIFY(!dm.Txkfl2->isOpen());
            QVERIFY(dm.ZtflhPresent);
            QVERIFY(dm.Tztflh2->isOpen());
        }
        QVERIFY(QFile::remove(file(QStringLiteral("ztflh.dbf"))));
        TDM dm(dataPath());
        QVERIFY(!dm.XkflPresent);
        QVERIFY(!dm.ZtflhPresent);
        QVERIFY(!dm.Tztflh2->isOpen());
        QVERIFY(dm.Tblgxjs->isOpen());
        QVERIFY2(m_log.boxes.isEmpty(), "absent optional files are not reported");
    }

    void aTableThatCannotBeOpenedEndsTheCreation()
    {
        QVERIFY(QFile::remove(file(QStringLiteral("zdxx1.dbf"))));
        try {
            TDM dm(dataPath());
            QFAIL("the data module was created without zdxx1.dbf");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("zdxx1"), Qt::CaseInsensitive),
                     qPrintable(e.message()));
        }
        QCOMPARE(DM, nullptr);
    }

    void aFailedPackIsReportedAndTheStartGoesOn()
    {
        // A staging table that is not opened at creation, damaged.
        QFile damaged(file(QStringLiteral("kjcgtemp.dbf")));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("not a table");
        damaged.close();

        TDM dm(dataPath());
        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(m_log.boxes[0].caption, QStringLiteral("提示"));
        QVERIFY2(m_log.boxes[0].text.contains(QStringLiteral("kjcgtemp"), Qt::CaseInsensitive),
                 qPrintable(m_log.boxes[0].text));
        QVERIFY(dm.Qrykjcg->isOpen());
        QVERIFY(dm.Tblunit->isOpen());
    }

    void reopenWithSqlReplacesTheStatement()
    {
        TDM dm(dataPath());
        addAchievement(dm.database(), QStringLiteral("2006000001"), QStringLiteral("1"),
                       QStringLiteral("甲"));
        dm.ReopenWithSql(*dm.tempquery, QStringLiteral("select item_4 from kjcg"));
        QCOMPARE(dm.tempquery->recordCount(), 1);
        QCOMPARE(dm.tempquery->fieldNames().size(), 1);
        QVERIFY(!dm.PackTable(*dm.T_temp_in));
    }
};

QTEST_MAIN(TestDataModule)
#include "tst_datamodule.moc"
