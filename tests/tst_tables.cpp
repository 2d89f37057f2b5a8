// The shipped table files: built from data/tables, their column orders (the
// exchange files are read by position), their readability by another dBase
// reader, and the mktables text round trip.
#include "engine/TableSource.h"

#include "engine/DbError.h"
#include "engine/DbfFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString SourceDir = QStringLiteral(DRAVIK_SOURCE_DIR "/data/tables");
const QString MkTables = QStringLiteral(DRAVIK_BINARY_DIR "/tools/mktables/mktables");

const QStringList KjcgColumns = {
    "ITEM_1", "ITEM_110", "ITEM_12", "ITEM_12_1", "ITEM_120", "ITEM_121", "ITEM_123",
    "ITEM_124_1", "ITEM_125", "ITEM_125_1", "ITEM_126", "ITEM_13", "ITEM_13_1", "ITEM_13_2",
    "ITEM_13_3", "ITEM_14", "ITEM_16", "ITEM_2", "ITEM_200", "ITEM_210", "ITEM_3", "ITEM_33",
    "ITEM_4", "ITEM_420", "ITEM_8", "ITEM_127", "ITEM_201", "ITEM_37", "ITEM_38", "ITEM_39",
    "ITEM_40", "ITEM_41", "ITEM_41_1", "ITEM_41_2", "ITEM_41_3", "ITEM_60", "ITEM_61",
    "ITEM_62", "ITEM_63", "ITEM_64", "ITEM_9", "ITEM_32", "ITEM_32_1", "ITEM_34", "ITEM_45",
    "ITEM_46", "ITEM_47", "ITEM_300", "ITEM_301", "ITEM_302", "ITEM_303", "ITEM_304",
    "ITEM_305", "ITEM_306", "ITEM_160", "ITEM_161", "ITEM_163", "ITEM_151", "ITEM_152",
    "ITEM_153", "ITEM_150", "ITEM_140", "ITEM_142", "ITEM_143", "ITEM_141", "ITEM_162",
    "ITEM_130", "ITEM_133", "ITEM_21", "ITEM_22", "ITEM_131", "ITEM_51", "ITEM_52",
    "ITEM_53", "ITEM_56", "ITEM_SJDR", "ITEM_SJDC", "ITEM_DQDM", "ITEM_CGLB", "ITEM_144",
    "ITEM_145", "ITEM_149", "ITEM_154", "ITEM_128", "ITEM_15", "ITEM_15_1", "ITEM_142_1",
    "ITEM_142_2", "ITEM_142_3", "ITEM_XH", "ITEM_148", "ITEM_243", "ITEM_244", "ITEM_51_1",
    "ITEM_51_2", "ITEM_51_3", "ITEM_151_1", "ITEM_152_1", "ITEM_127_1", "NO", "item_check",
    "outcomeb", "patent_ty"};

// Every table file that the program opens, packs, stages into or refreshes.
const QStringList ShippedTables = {
    "kjcg.dbf", "kjcgtemp.dbf", "cgwcdw.dbf", "cgwcdwtemp.dbf", "cgwcr.dbf", "cgwcrtemp.dbf",
    "cgwcrNew.dbf", "jdwyhmd.dbf", "jdwyhmdtemp.dbf", "zlqk.dbf", "zlqktemp.dbf", "unit.dbf",
    "unittemp.dbf", "unitexpert.dbf", "dwqk.dbf", "zdxx.dbf", "zdxx1.dbf", "checkup.dbf",
    "province.dbf", "lsbw.dbf", "gxjs.dbf", "xkfl.dbf", "ztflh.dbf", "dfjhzdxx.dbf"};

// The file of that name in the folder, found without regard to case.
QString findTable(const QString &dir, const QString &name)
{
    for (const QString &entry : QDir(dir).entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(dir).filePath(entry);
    }
    return {};
}

QStringList fieldNames(const QList<DbfField> &fields)
{
    QStringList names;
    for (const DbfField &field : fields)
        names << field.name;
    return names;
}

QString layout(const QList<DbfField> &fields)
{
    QStringList parts;
    for (const DbfField &f : fields)
        parts << QStringLiteral("%1 %2 %3 %4").arg(f.name.toLower()).arg(QLatin1Char(f.type)).arg(f.width).arg(f.decimals);
    return parts.join(QLatin1String(", "));
}

void writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(text.toUtf8());
}

struct RunResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

RunResult run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {-1, {}, process.errorString()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

const char *PythonLayoutScript = R"PY(
import dbf, json, os, sys
folder = sys.argv[1]
result = {}
for name in sorted(os.listdir(folder)):
    if not name.lower().endswith('.dbf'):
        continue
    table = dbf.Table(os.path.join(folder, name))
    table.open(dbf.READ_ONLY)
    fields = []
    for field in table.field_names:
        info = table.field_info(field)
        fields.append('%s %s %d %d' % (field.lower(), chr(info[0]), info[1], info[2]))
    result[name] = {'fields': ', '.join(fields), 'records': len(table),
                    'codepage': table.codepage.name}
    table.close()
print(json.dumps(result))
)PY";

} // namespace

class TstTables : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_data;

    QList<DbfField> shippedFields(const QString &name)
    {
        const QString path = findTable(m_data, name);
        return path.isEmpty() ? QList<DbfField>() : DbfFile::open(path, true)->fields();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_data = m_tmp.filePath(QStringLiteral("data"));
        try {
            TableSource::buildAll(SourceDir, m_data);
        } catch (const DbError &e) {
            QFAIL(qPrintable(e.message()));
        }
    }

    void everyTableIsShippedAndReadByAnotherReader()
    {
        for (const QString &name : ShippedTables) {
            const QString path = findTable(m_data, name);
            QVERIFY2(!path.isEmpty(), qPrintable(name));
            const auto table = DbfFile::open(path, true);
            QCOMPARE(table->version(), table->hasMemo() ? quint8(0x83) : quint8(0x03));
        }
        const RunResult result = run("/usr/bin/python3", {"-c", PythonLayoutScript, m_data});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QJsonObject tables = QJsonDocument::fromJson(result.out.toUtf8()).object();
        QCOMPARE(tables.size(), ShippedTables.size());
        for (const QString &schema : QDir(SourceDir).entryList({"*.schema"}, QDir::Files)) {
            const TableSource::TableSpec table = TableSource::read(QDir(SourceDir).filePath(schema));
            const QJsonObject seen = tables.value(table.fileName).toObject();
            QVERIFY2(!seen.isEmpty(), qPrintable(table.fileName));
            QCOMPARE(seen.value("fields").toString(), layout(table.fields));
            QCOMPARE(seen.value("records").toInt(), int(table.rows.size()));
            QCOMPARE(seen.value("codepage").toString(), QStringLiteral("cp936"));
        }
    }

    // The import reads KJCG.TXT by position; mktables dump shows the same order.
    void kjcgColumnsInExchangeOrder()
    {
        const QList<DbfField> fields = shippedFields("kjcg.dbf");
        QCOMPARE(fields.size(), 103);
        QCOMPARE(fieldNames(fields), KjcgColumns);
        QCOMPARE(fields[5].type, 'D');   // ITEM_121
        QCOMPARE(fields[22].width, 10);  // ITEM_4
        QCOMPARE(fields[77].width, 3);   // ITEM_DQDM
        const RunResult result = run(MkTables, {"dump", findTable(m_data, "kjcg.dbf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out, KjcgColumns.join('\t') + '\n');   // the table ships empty
    }

    void childTablesInExchangeOrder()
    {
        const QHash<QString, QStringList> orders = {
            {"cgwcdw.dbf", {"ITEM_4", "ITEM_DQDM", "ITEM_170", "ITEM_171", "ITEM_172", "ITEM_173",
                            "ITEM_174", "ITEM_176", "ITEM_175"}},
            {"cgwcr.dbf", {"ITEM_4", "ITEM_DQDM", "ITEM_187", "ITEM_180", "ITEM_181", "ITEM_182",
                           "ITEM_183", "ITEM_184", "ITEM_185", "ITEM_186", "ITEM_188"}},
            {"jdwyhmd.dbf", {"ITEM_4", "ITEM_DQDM", "ITEM_190", "ITEM_191", "ITEM_192", "ITEM_193",
                             "ITEM_194", "ITEM_195", "ITEM_196", "ITEM_197", "ITEM_198", "ITEM_199"}},
            {"zlqk.dbf", {"ITEM_4", "ITEM_DQDM", "ITEM_NO", "PATENT_NO", "PATENT_NAM", "PATENT_ST",
                          "PATENT_TY"}},
            {"unitexpert.dbf", {"unitcode", "item_187", "item_180", "item_181", "item_182",
                                "item_186", "item_124_1"}},
            {"unit.dbf", {"unitcode", "upunitcode", "unitlevel", "endlevel", "item_9", "item_420",
                          "item_37", "item_38", "item_39", "item_40", "item_60", "item_61",
                          "item_62", "item_41_3", "item_163", "item_64", "item_41", "item_41_2",
                          "item_124_1", "item_124_2", "item_15", "item_15_1", "chiefexper",
                          "unitintrod", "advantage", "studydirec"}},
        };
        for (auto it = orders.cbegin(); it != orders.cend(); ++it)
            QCOMPARE(fieldNames(shippedFields(it.key())), it.value());
        // The last UNIT.TXT column is the one always quoted: a memo.
        QCOMPARE(shippedFields("unit.dbf").last().type, 'M');
    }

    void stagingTablesMatchTheirMainTables()
    {
        const QList<QPair<QString, QString>> pairs = {
            {"kjcg.dbf", "KJCGtemp.dbf"},       {"cgwcdw.dbf", "CGWCDWtemp.dbf"},
            {"cgwcr.dbf", "CGWCRtemp.dbf"},     {"cgwcr.dbf", "cgwcrNew.dbf"},
            {"jdwyhmd.dbf", "JDWYHMDtemp.dbf"}, {"zlqk.dbf", "ZLQKtemp.dbf"},
            {"unit.dbf", "UNITtemp.dbf"}};
        for (const auto &[main, copy] : pairs) {
            const QList<DbfField> mainFields = shippedFields(main);
            QVERIFY(!mainFields.isEmpty());
            QCOMPARE(layout(shippedFields(copy)), layout(mainFields));
        }
    }

    void rowsRoundTrip()
    {
        QTemporaryDir src;
        writeFile(src.filePath("t.schema"), "# fixture\ntable Mixed.DBF\nfield NAME  C 20\nfield NOTE  M\n"
                                            "field MONEY F 20 6\nfield COUNT N 6 0\nfield DAY   D\nfield FLAG  L\n");
        const QString rows = "NAME\tNOTE\tMONEY\tCOUNT\tDAY\tFLAG\n"
                             "中国科学院\t第一行\\n第二行\\t制表\\\\反斜线\t12.5\t3\t2006-1-5\tT\n"
                             "\t\t\t\t\t\n"
                             "  空格在前\t\t0.25\t-7\t1999-12-31\tF\n";
        writeFile(src.filePath("t.rows"), rows);
        const QString out = m_tmp.filePath("roundtrip");
        TableSource::buildAll(src.path(), out);

        const QString path = QDir(out).filePath("Mixed.DBF");
        QVERIFY(QFile::exists(path));
        QCOMPARE(TableSource::dump(path), rows);

        // A line break is stored as CR LF; a blank field reads as NULL.
        const auto table = DbfFile::open(path, true);
        QCOMPARE(table->value(0, 1).toString(), QStringLiteral("第一行\r\n第二行\t制表\\反斜线"));
        QVERIFY(!table->value(1, 2).isValid());

        // Columns of a .rows file may be a subset in any order.
        writeFile(src.filePath("t.rows"), "count\tname\n5\t甲\n");
        TableSource::buildAll(src.path(), out);
        QCOMPARE(TableSource::dump(path), QStringLiteral("NAME\tNOTE\tMONEY\tCOUNT\tDAY\tFLAG\n甲\t\t\t5\t\t\n"));
    }

    void rebuildReplacesTableOfAnyCase()
    {
        QTemporaryDir src;
        QTemporaryDir out;
        writeFile(src.filePath("a.schema"), "table Memo.dbf\nfield TEXT M\n");
        writeFile(out.filePath("MEMO.DBF"), "stale");
        writeFile(out.filePath("memo.DBT"), "stale");
        TableSource::buildAll(src.path(), out.path());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);
        QVERIFY(QFile::exists(out.filePath("Memo.dbf")));
        QCOMPARE(DbfFile::open(out.filePath("Memo.dbf"), true)->recordCount(), 0);
    }

    void badSourceNamesFileAndLine_data()
    {
        QTest::addColumn<QString>("schema");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("where");

        const QString head = "# x\ntable x.dbf\n";
        QTest::newRow("unknown type") << head + "field A X 3\n" << "" << "x.schema:3:";
            QTest::newRow("name past 10 characters") << head + "field PATENT_NAME C 3\n" << "" << "x.schema:3:";
        QTest::newRow("duplicate name") << head + "field A C 3\nfield a N 5\n" << "" << "x.schema:4:";
        QTest::newRow("field before table") << "field A C 3\ntable x.dbf\n" << "" << "x.schema:1:";
            QTest::newRow("wrong date width") << head + "field A D 10\n" << "" << "x.schema:3:";
            QTest::newRow("no fields") << head << "" << "x.schema:2:";

        const QString schema = head + "field A C 4\nfield B N 5 2\nfield C D\n";
        QTest::newRow("unknown column") << schema << "A\tZ\n" << "x.rows:1:";
        QTest::newRow("value count") << schema << "A\tB\n甲\t1\n乙\n" << "x.rows:3:";
        QTest::newRow("bad escape") << schema << "A\n\\q\n" << "x.rows:2:";
        QTest::newRow("not a number") << schema << "B\n1,5\n" << "x.rows:2:";
        QTest::newRow("number too wide") << schema << "B\n1\n123.45\n" << "x.rows:3:";
            QTest::newRow("text past width in bytes") << schema << "A\n中文\n中文字\n" << "x.rows:3:";
        QTest::newRow("not GBK") << schema << "A\n😀\n" << "x.rows:2:";
    }

    void badSourceNamesFileAndLine()
    {
        QFETCH(QString, schema);
        QFETCH(QString, rows);
        QFETCH(QString, where);
        QTemporaryDir src;
        writeFile(src.filePath("x.schema"), schema);
        if (!rows.isEmpty())
            writeFile(src.filePath("x.rows"), rows);
        try {
            TableSource::buildAll(src.path(), src.filePath("out"));
            QFAIL("no error");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(where), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(src.filePath("out/x.dbf")));
    }

    void toolReportsErrorsWithExitCode()
    {
        QTemporaryDir src;
        writeFile(src.filePath("bad.schema"), "table bad.dbf\nfield A Q 1\n");
        const RunResult bad = run(MkTables, {"build", src.path(), src.filePath("out")});
        QCOMPARE(bad.exitCode, 1);
        QVERIFY2(bad.err.contains("bad.schema:2:"), qPrintable(bad.err));

        const RunResult missing = run(MkTables, {"dump", src.filePath("none.dbf")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains("none.dbf"), qPrintable(missing.err));
    }
};

QTEST_GUILESS_MAIN(TstTables)
#include "tst_tables.moc"
