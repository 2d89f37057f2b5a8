// dBase table and memo files: values and their stored forms, memo texts in
// both memo layouts, files left by a killed writer, pack (also killed
// midway), and interop with another dBase reader and writer (python3-dbf).
#include "support/DbfFixture.h"
#include "support/StandingClock.h"

#include "engine/DbError.h"
#include "engine/DbfFieldCodec.h"
#include "engine/DbfFile.h"
#include "engine/FieldValue.h"
#include "engine/GbkText.h"
#include "engine/IoFaults.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QtTest>
#include "support/SmallDisk.h"
#include <functional>
#include <sys/stat.h>

namespace {

using Rows = QList<QList<QVariant>>;

DbfField field(const char *name, char type, int width, int decimals = 0)
{
    return {QString::fromLatin1(name), type, width, decimals};
}

// NAME C20, AMOUNT N12.2, CNT N5, DAY D, FLAG L, NOTE M, RATE F10.3
enum { Name, Amount, Cnt, Day, Flag, Note, Rate };
const int HeaderLength = 32 + 7 * 32 + 1;
const int RecordLength = 1 + 20 + 12 + 5 + 8 + 1 + 10 + 10;

QList<DbfField> sampleFields()
{
    return {field("NAME", 'C', 20), field("AMOUNT", 'N', 12, 2), field("CNT", 'N', 5),
            field("DAY", 'D', 8),   field("FLAG", 'L', 1),       field("NOTE", 'M', 10),
            field("RATE", 'F', 10, 3)};
}

// A memo text of about kb kilobytes with Chinese, letters and CR LF breaks.
QString memoText(int seed, int kb)
{
    QString text;
    for (int line = 0; text.size() * 2 < kb * 1024; ++line) {
        text += QStringLiteral("第%1段：科技成果%2的推广应用前景与措施，Line %3。\r\n")
                    .arg(line + 1).arg(seed).arg(line);
    }
    return text;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile::remove(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void writeFileAt(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(offset));
    QCOMPARE(file.write(bytes), bytes.size());
}

quint32 headerCount(const QString &path)
{
    return qFromLittleEndian<quint32>(readFile(path).constData() + 4);
}

// The values of the rows not marked deleted, in file order.
Rows liveRows(const QString &path)
{
    const auto table = DbfFile::open(path, true);
    Rows rows;
    for (int r = 0; r < table->recordCount(); ++r) {
        if (!table->isDeleted(r))
            rows.append(table->record(r));
    }
    return rows;
}

bool runPython(const QString &script, const QStringList &args, QByteArray *output)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit
        || python.exitCode() != 0) {
        qWarning().noquote() << QString::fromUtf8(python.readAllStandardError());
        return false;
    }
    *output = python.readAllStandardOutput();
    return true;
}

// Prints every row as JSON: deleted flag and values (text right-trimmed,
// dates ISO, NULL as null).
const char *PythonReader = R"(
import sys, json, datetime, dbf
t = dbf.Table(sys.argv[1])
t.open(dbf.READ_ONLY)
out = {'codepage': t.codepage.name, 'fields': list(t.field_names), 'rows': []}
for r in t:
    vals = []
    for name in t.field_names:
        v = r[name]
        if isinstance(v, str):
            v = v.rstrip(' ')
        elif isinstance(v, datetime.date):
            v = v.isoformat()
        vals.append(v)
    out['rows'].append({'deleted': dbf.is_deleted(r), 'values': vals})
t.close()
sys.stdout.write(json.dumps(out))
)";

QJsonObject readWithPython(const QString &path)
{
    QByteArray output;
    return runPython(QString::fromUtf8(PythonReader), {path}, &output)
               ? QJsonDocument::fromJson(output).object() : QJsonObject();
}

// A dBase III table with memo and code page 936, one row deleted; the long
// memo comes from a UTF-8 file so that its CR LF stay as they are.
const char *PythonWriter = R"(
import sys, datetime, dbf
memo = open(sys.argv[2], encoding='utf-8', newline='').read()
t = dbf.Table(sys.argv[1], 'name C(20); amount N(12,2); cnt N(5,0); day D; flag L; note M',
              dbf_type='db3', codepage='cp936')
t.open(dbf.READ_WRITE)
t.append(('张三', 12.5, 3, datetime.date(2024, 3, 5), True, memo))
t.append(('李四', None, None, None, None, ''))
t.append(('删除的行', 1, 1, None, None, '被删除的行的备注'))
t.append(('王五', -0.25, 0, datetime.date(1999, 12, 31), False, '短备注'))
dbf.delete(t[2])
t.close()
)";

// Keeps packing the table until killed.
int packForever(const QString &path)
{
    for (;;)
        DbfFile::pack(path);
}

// Runs this program in one of its child modes on the table, and kills it
// after the delay, as a crash or a power cut would stop it.
bool killAfter(const char *mode, const QString &path, int delay)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode), path});
    if (!child.waitForStarted())
        return false;
    QThread::msleep(delay);
    child.kill();
    return child.waitForFinished();
}

// Keeps appending rows in bulk until killed: row r is named r and holds
// memoText(r, 2).
int appendForever(const QString &path)
{
    const auto table = DbfFile::open(path);
    table->beginBulkAppend();
    for (int r = table->recordCount();; ++r)
        table->append({{Name, QString::number(r)}, {Note, memoText(r, 2)}});
}

// Every row from `from` on is whole: its name and its memo text.
void checkAppendedRows(const QString &path, int from, int memoKb)
{
    const auto table = DbfFile::open(path, true);
    for (int r = from; r < table->recordCount(); ++r) {
        QCOMPARE(table->value(r, Name).toString(), QString::number(r));
        QCOMPARE(table->value(r, Note).toString(), memoText(r, memoKb));
    }
}

// Rows: 0 full, 1 all NULL, 2 full with negative numbers, 3 deleted.
QString makeSample(const QString &folder, int rows = 4)
{
    const QString path = folder + QStringLiteral("/sample.dbf");
    DbfFile::create(path, sampleFields());
    const auto table = DbfFile::open(path);
    for (int i = 0; i < rows; ++i) {
        switch (i % 4) {
        case 0:
            table->append({{Name, QStringLiteral("张三%1").arg(i)}, {Amount, 12.5}, {Cnt, 3},
                           {Day, QDate(2024, 3, 5)}, {Flag, true}, {Note, memoText(i, 6)},
                           {Rate, 1.5}});
            break;
        case 1:
            table->append({});
            break;
        case 2:
            table->append({{Name, QStringLiteral("科技成果转化")}, {Amount, -1234.56},
                           {Cnt, 99999}, {Day, QDate(1999, 12, 31)}, {Flag, false},
                           {Note, memoText(i, 3)}, {Rate, 0.125}});
            break;
        default:
            table->append({{Name, QStringLiteral("删除")}, {Note, QStringLiteral("删除行的备注")}});
            table->setDeleted(table->recordCount() - 1, true);
        }
    }
    return path;
}

} // namespace

class TstDbfFile : public QObject
{
    Q_OBJECT

private slots:

    // Rows appended until the disk is full: the failure says so and names
    // the folder, instead of the system's "Unknown error".
    void aFullDiskIsSaidToBeFull()
    {
        SmallDisk disk(256 * 1024);
        if (!disk.mounted())
            QSKIP("cannot mount a small disk here");
        const QString path = QDir(disk.path()).filePath("t.dbf");
        DbfFile::create(path, {dbfField("NAME", 'C', 200), dbfField("M1", 'M')});
        disk.fill(8 * 1024);
        auto file = DbfFile::open(path);
        QString error;
        try {
            for (int i = 0; i < 1000; ++i)
                file->append({{0, QString("行%1").arg(i)}, {1, QString("备注").repeated(500)}});
        } catch (const DbError &e) {
            error = e.message();
        }
        QVERIFY2(error.contains("磁盘已满") && error.contains(QDir::toNativeSeparators(disk.path())), qPrintable(error));
    }
    void valuesAndTheirStoredForms()
    {
        const StandingClock clock(QDate(2028, 2, 29));
        QTemporaryDir dir;
        const QString path = makeSample(dir.path());
        {
            const auto table = DbfFile::open(path);
            QCOMPARE(table->fieldIndex(QStringLiteral("note")), int(Note));
            QCOMPARE(table->tableName(), QStringLiteral("sample"));
            QCOMPARE(table->record(0), (QList<QVariant>{QStringLiteral("张三0"), 12.5, 3.0, QDate(2024, 3, 5),
                                                        true, memoText(0, 6), 1.5}));
            QCOMPARE(table->value(2, Amount).toDouble(), -1234.56);
            // A blank row: empty texts, NULL numbers, dates and logicals.
            const QList<QVariant> blank = table->record(1);
            QCOMPARE(blank[Name].typeId(), int(QMetaType::QString));
            QCOMPARE(blank, (QList<QVariant>{QString(), {}, {}, {}, {}, QString(), {}}));
            QVERIFY(!table->isDeleted(0) && table->isDeleted(3));

            const QList<QPair<int, QByteArray>> stored = {
                {Name, GbkText::encode(QStringLiteral("张三0")).leftJustified(20, ' ')},
                {Amount, "       12.50"}, {Cnt, "    3"}, {Day, "20240305"}, {Flag, "T"},
                {Note, "0000000001"}, {Rate, "     1.500"}};
            for (const auto &[f, bytes] : stored)
                QCOMPARE(table->rawField(0, f), bytes);
            // Numbers round to the field's decimals; N with none holds integers.
            table->update(1, {{Amount, QStringLiteral(" 7 ")}, {Cnt, 12.6}, {Rate, -0.0001},
                              {Day, QStringLiteral("2020/1/2")}, {Flag, QStringLiteral("F")}, {Name, 42}});
            for (const auto &[f, bytes] : QList<QPair<int, QByteArray>>{
                     {Amount, "        7.00"}, {Cnt, "   13"}, {Rate, "     0.000"}, {Day, "20200102"}})
                QCOMPARE(table->rawField(1, f), bytes);
            QCOMPARE(table->value(1, Name), QVariant(QStringLiteral("42")));
            QCOMPARE(table->value(1, Flag), QVariant(false));
            // Writing NULL blanks a field again; an empty memo points nowhere.
            table->update(0, {{Amount, QVariant()}, {Day, QVariant()}, {Note, QString()}});
            QVERIFY(!table->value(0, Amount).isValid() && !table->value(0, Day).isValid());
            QCOMPARE(table->rawField(0, Note), QByteArray(10, ' '));
        }
        const QByteArray bytes = readFile(path);
        // The date of the last change, on the program's clock (2028-02-29).
        QCOMPARE(bytes.left(4), QByteArray("\x83\x80\x02\x1d", 4));
        QCOMPARE(uchar(bytes[29]), uchar(0x4D));   // code page 936
        QCOMPARE(headerCount(path), 4u);
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 8), quint16(HeaderLength));
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 10), quint16(RecordLength));
        QCOMPARE(bytes[HeaderLength - 1], char(0x0D));
        QCOMPARE(int(bytes.size()), HeaderLength + 4 * RecordLength + 1);
        QCOMPARE(bytes.back(), char(0x1A));

        // A table without memo fields is plain dBase III and has no memo file.
        const QString plain = dir.filePath(QStringLiteral("plain.dbf"));
        DbfFile::create(plain, {field("A", 'C', 5)});
        QCOMPARE(uchar(readFile(plain)[0]), uchar(0x03));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("plain.dbt"))));
        QVERIFY(!errorOf([&] { DbfFile::create(plain, {field("A", 'C', 5)}); }).isEmpty());
    }

    void refusedValuesLeaveTheRowAlone()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 1);
        const auto table = DbfFile::open(path);
        const QString memoPath = dir.filePath(QStringLiteral("sample.dbt"));
        const qint64 memoSize = QFileInfo(memoPath).size();
        const QList<QVariant> before = table->record(0);
        const quint64 generation = table->generation();

        const QString thai = QStringLiteral("ก");
        QCOMPARE(errorOf([&] { table->update(0, {{Note, QStringLiteral("新备注")}, {Name, QStringLiteral("张") + thai}}); }),
                 QStringLiteral("字段“NAME”不能保存GBK编码以外的字符“%1”").arg(thai));
        const QList<QPair<QPair<int, QVariant>, QString>> refused = {
            {{Cnt, 123456}, "“CNT”"}, {{Amount, "12,5"}, "“AMOUNT”"}, {{Day, "2023-2-29"}, "“DAY”"}};
        for (const auto &[value, names] : refused) {
            const QString message = errorOf([&] { table->update(0, {value}); });
            QVERIFY2(message.contains(names), qPrintable(message));
        }
        const QString message = errorOf([&] { table->append({{Note, QStringLiteral("备注") + thai}}); });
        QVERIFY2(message.contains(QStringLiteral("“NOTE”")), qPrintable(message));
        // Bytes that are no GBK text are refused as well.
        for (const QByteArray &bad : {QByteArray("ab\xd5"), QByteArray::fromHex("b07f")}) {
            QVERIFY(!errorOf([&] { table->append({{Note, bad}}); }).isEmpty());
            QVERIFY(errorOf([&] { table->update(0, {{Name, bad}}); }).contains(QStringLiteral("“NAME”")));
        }
        QVERIFY(!errorOf([&] { table->value(5, Name); }).isEmpty());

        QCOMPARE(table->record(0), before);
        QCOMPARE(table->recordCount(), 1);
        QCOMPARE(QFileInfo(memoPath).size(), memoSize);   // no memo block written for nothing
        QCOMPARE(table->generation(), generation);

        // Too long text is cut on a character boundary: 20 bytes hold 9 Chinese
        // characters after the letter, not 9 and a half.
        const QString cut = QStringLiteral("a") + QString(9, QChar(0x6210));
        table->update(0, {{Name, QStringLiteral("a") + QString(15, QChar(0x6210))}});
        QCOMPARE(table->value(0, Name), QVariant(cut));
        QVERIFY(table->generation() > generation);
        // GBK bytes are stored as they are, cut the same way.
        table->update(0, {{Name, GbkText::encode(QStringLiteral("b") + QString(15, QChar(0x6210)))},
                          {Note, GbkText::encode(QStringLiteral("备注"))}});
        QCOMPARE(table->textBytes(0, Name).toByteArray(), GbkText::encode(QStringLiteral("b") + cut.mid(1)));
        QCOMPARE(table->value(0, Note).toString(), QStringLiteral("备注"));
    }

    // A loader's texts are read straight from their bytes where they are
    // plain numbers and dates: stored byte for byte as the decoded text
    // would be, and refused with the same words.
    void fileTextsStoreAsTheirDecodedText()
    {
        const QList<QByteArray> numbers = {
            "12.5", " 7 ", "-0.00", "-0", ".5", "-.5", "+3", "5.", "007.10", "1.005", "-1.25", "123456789.12",
            "1234567890.5", "99999", "123456", "1e3", "12,5", "", "  ", "-", ".", "+-1", "\xa3\xb1\xa3\xb2",
            "\xa1\xa1" "12", "12\x01", "0.0001", "9999999999999.5"};
        const QList<QByteArray> dates = {
            "2024-3-5", "2024/03/05", "2024.3.5", " 2024-3-5\t", "2024-3/5", "2023-2-29", "2024-13-1", "20240305",
            "2024-003-5", "2024-3-", "0000-1-1", "\xa1\xa1" "2024-3-5", "", "T"};
        const QList<DbfField> fields = sampleFields();
        const auto storedForm = [](const DbfField &f, const std::function<void(char *)> &write) {
            QByteArray bytes(f.width, '#');
            const QString error = errorOf([&] { write(bytes.data()); });
            return error.isEmpty() ? QString::fromLatin1(bytes) : error;
        };
        for (const int index : {Amount, Cnt, Rate, Day, Flag}) {
            const DbfField &f = fields[index];
            for (const QByteArray &text : index == Day ? dates : numbers) {
                const QString quick = storedForm(f, [&](char *b) { DbfFieldCodec::writeFromText(f, text, b); });
                const QString decoded = storedForm(f, [&](char *b) {
                    DbfFieldCodec::write(f, FieldValue::fromText(f, GbkText::decode(text)), b);
                });
                QVERIFY2(quick == decoded, qPrintable(f.name + QLatin1Char(' ') + QString::fromLatin1(text.toHex())));
            }
        }
    }

    void openErrorsNameTheFile()
    {
        QTemporaryDir dir;
        const auto expectError = [](const QString &path, const QString &says) {
            const QString message = errorOf([&] { DbfFile::open(path); });
            QVERIFY2(message.contains(says) && message.contains(QFileInfo(path).fileName()), qPrintable(message));
        };
        expectError(dir.filePath(QStringLiteral("kjcg.DBF")), QStringLiteral("无法打开表文件“"));
        writeFile(dir.filePath(QStringLiteral("damaged.dbf")), QByteArray(20, 'x'));
        expectError(dir.filePath(QStringLiteral("damaged.dbf")), QStringLiteral("已损坏"));
        const QString path = makeSample(dir.path(), 1);
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("sample.dbt"))));
        expectError(path, QStringLiteral("sample.dbt"));

        const QString plain = dir.filePath(QStringLiteral("plain.dbf"));
        DbfFile::create(plain, {field("A", 'C', 5)});
        const auto readOnly = DbfFile::open(plain, true);
        QVERIFY(!errorOf([&] { readOnly->append({{0, QStringLiteral("x")}}); }).isEmpty());
        QCOMPARE(readOnly->recordCount(), 0);
    }

    void memoTextsUpdateAndEmpty()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 3);
        const QString memoPath = dir.filePath(QStringLiteral("sample.dbt"));
        const QString longText = memoText(7, 20);
        {
            const auto table = DbfFile::open(path);
            table->update(0, {{Note, longText}});
            QCOMPARE(table->value(2, Note).toString(), memoText(2, 3));   // others untouched
            // Saving the same text again does not grow the memo file.
            const qint64 size = QFileInfo(memoPath).size();
            table->update(0, {{Note, longText}, {Name, QStringLiteral("改名")}});
            QCOMPARE(QFileInfo(memoPath).size(), size);
            table->update(2, {{Note, QStringLiteral("短")}});
            table->update(1, {{Note, QStringLiteral("原来为空")}});
        }
        const auto check = [&] {
            const auto table = DbfFile::open(path, true);
            QCOMPARE(table->value(0, Note).toString(), longText);
            QCOMPARE(table->value(0, Name).toString(), QStringLiteral("改名"));
            QCOMPARE(table->value(1, Note).toString(), QStringLiteral("原来为空"));
            QCOMPARE(table->value(2, Note).toString(), QStringLiteral("短"));
        };
        check();
        // dBase III entries end with two end-of-text bytes and fill whole blocks.
        const QByteArray memo = readFile(memoPath);
        QCOMPARE(memo.size() % 512, 0);
        const quint32 block = DbfFile::open(path, true)->rawField(2, Note).toUInt();
        QCOMPARE(memo.mid(block * 512, 4), GbkText::encode(QStringLiteral("短")) + "\x1a\x1a");
        QCOMPARE(qFromLittleEndian<quint32>(memo.constData()), quint32(memo.size() / 512));

        // Another writer left the next-free pointer behind its last entry: a new
        // entry still goes after every entry in use.
        writeFileAt(memoPath, 0, QByteArray::fromHex("01000000"));
        DbfFile::open(path)->append({{Note, QStringLiteral("第二条备注")}});
        check();
        QCOMPARE(DbfFile::open(path, true)->value(3, Note).toString(), QStringLiteral("第二条备注"));
    }

    void memoFileFoundWithoutRegardToCase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Mixed.DBF"));
        DbfFile::create(path, sampleFields());
        DbfFile::open(path)->append({{Note, QStringLiteral("大小写")}});
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("Mixed.DBT")), dir.filePath(QStringLiteral("mIXED.dbt"))));
        QCOMPARE(DbfFile::open(path)->value(0, Note).toString(), QStringLiteral("大小写"));
        DbfFile::pack(path);
        QCOMPARE(DbfFile::open(path)->value(0, Note).toString(), QStringLiteral("大小写"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("mIXED.dbt"))));
    }

    void readsAndWritesDBase4Memos()
    {
        // Built by hand: version 0x8B, memo blocks of 1024 bytes, entries with the
        // FF FF 08 00 signature and a length that counts the eight header bytes.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("four.dbf"));
        const QString memoPath = dir.filePath(QStringLiteral("four.dbt"));
        const QByteArray longText = GbkText::encode(memoText(4, 2));   // spans two blocks
        const QByteArray shortText = GbkText::encode(QStringLiteral("第四版备注\r\n第二行"));
        QVERIFY(longText.size() > 1024 && longText.size() < 2000);

        QByteArray dbf = QByteArray::fromHex("8b7c01020300000061001500") + QByteArray(17, '\0') + QByteArray::fromHex("4d0000");
        for (const char *name : {"TITLE\0\0\0\0\0\0C", "BODY\0\0\0\0\0\0\0M"})
            dbf += QByteArray(name, 12) + QByteArray(4, '\0') + '\x0a' + QByteArray(15, '\0');
        dbf += '\x0D';
        dbf += ' ' + GbkText::encode(QStringLiteral("标题一")).leftJustified(10, ' ') + "         1";
        dbf += " second    " + QByteArray(10, ' ') + " third     0000000003\x1a";
        writeFile(path, dbf);
        const auto entry = [](const QByteArray &text) {
            QByteArray e = QByteArray::fromHex("ffff080000000000");
            qToLittleEndian<quint32>(quint32(text.size() + 8), e.data() + 4);
            return (e + text).leftJustified((e.size() + text.size() + 1023) / 1024 * 1024, '\0');
        };
        QByteArray dbt(1024, '\0');
        qToLittleEndian<quint32>(4, dbt.data());
        qToLittleEndian<quint16>(1024, dbt.data() + 20);
        writeFile(memoPath, dbt + entry(longText) + entry(shortText));

        const auto check = [&](int rows) {
            const auto table = DbfFile::open(path, true);
            QCOMPARE(table->recordCount(), rows);
            QCOMPARE(table->value(0, 0).toString(), QStringLiteral("标题一"));
            QCOMPARE(table->value(0, 1).toString(), GbkText::decode(longText));
            QCOMPARE(table->value(1, 1).toString(), QString());
            QCOMPARE(table->value(2, 1).toString(), GbkText::decode(shortText));
        };
        check(3);
        QCOMPARE(DbfFile::open(path, true)->version(), quint8(0x8B));
        // A new entry goes to the end in the file's own layout.
        const auto table = DbfFile::open(path);
        table->append({{0, QStringLiteral("fourth")}, {1, QStringLiteral("新的第四版备注")}});
        QCOMPARE(table->rawField(3, 1), QByteArray("0000000004"));
        const QByteArray written = readFile(memoPath);
        QCOMPARE(written.mid(4096, 4), QByteArray::fromHex("ffff0800"));
        QCOMPARE(qFromLittleEndian<quint32>(written.constData()), 5u);

        DbfFile::pack(path);   // keeps layout and block size
        QCOMPARE(qFromLittleEndian<quint16>(readFile(memoPath).constData() + 20), quint16(1024));
        check(4);
        QCOMPARE(DbfFile::open(path, true)->value(3, 1).toString(), QStringLiteral("新的第四版备注"));
    }

    void killedWriterLeavesCompleteRows()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 3);
        const QList<QVariant> lastRow = DbfFile::open(path, true)->record(2);

        // Half a row after the complete ones: the writer died within it.
        writeFileAt(path, HeaderLength + 3 * RecordLength, QByteArray(RecordLength / 2, ' '));
        {
            const auto table = DbfFile::open(path);
            QCOMPARE(table->recordCount(), 3);
            QCOMPARE(table->record(2), lastRow);
            QCOMPARE(table->damage(), QString());
            QCOMPARE(table->append({{Name, QStringLiteral("之后的行")}}), 3);
        }
        QCOMPARE(headerCount(path), 4u);
        QCOMPARE(DbfFile::open(path, true)->value(3, Name).toString(), QStringLiteral("之后的行"));

        // Count behind the rows: the writer died after the row, before the count.
        const QByteArray row = readFile(path).mid(HeaderLength + 2 * RecordLength, RecordLength);
        writeFileAt(path, HeaderLength + 4 * RecordLength, row + '\x1a');
        QCOMPARE(headerCount(path), 4u);
        const auto table = DbfFile::open(path, true);
        QCOMPARE(table->recordCount(), 5);
        QCOMPARE(table->record(4), lastRow);
    }

    void bulkAppendsWaitAndGoOutInOrder()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 1);
        const auto reader = DbfFile::open(path, true);
        const quint64 generation = reader->generation();
        const auto writer = DbfFile::open(path);
        {
            DbfBulkAppend bulk(writer);
            for (int r = 1; r <= 20; ++r)
                writer->append({{Name, QString::number(r)}, {Note, memoText(r, 2)}});
            // Nothing reached the file yet: another reader sees it as it was.
            QCOMPARE(headerCount(path), 1u);
            QCOMPARE(DbfFile::open(path, true)->recordCount(), 1);
            // This handle sees its rows at once; reading one writes them.
            QCOMPARE(writer->recordCount(), 21);
            QCOMPARE(writer->value(20, Note).toString(), memoText(20, 2));
            QCOMPARE(headerCount(path), 21u);
            // So does a change to an earlier row, whose count covers them.
            writer->append({{Name, QStringLiteral("21")}, {Note, memoText(21, 2)}});
            writer->update(0, {{Name, QStringLiteral("改过")}, {Note, memoText(99, 1)}});
            QCOMPARE(headerCount(path), 22u);
            QCOMPARE(DbfFile::open(path, true)->value(0, Note).toString(), memoText(99, 1));
            writer->append({{Name, QStringLiteral("22")}, {Note, memoText(22, 2)}});
            bulk.finish();
        }
        QCOMPARE(headerCount(path), 23u);
        QCOMPARE(DbfFile::open(path, true)->value(0, Name).toString(), QStringLiteral("改过"));
        checkAppendedRows(path, 1, 2);
        // A handle opened before sees the rows once refreshed.
        QCOMPARE(reader->recordCount(), 1);
        reader->refresh();
        QCOMPARE(reader->recordCount(), 23);
        QVERIFY(reader->generation() != generation);
        QCOMPARE(reader->value(22, Note).toString(), memoText(22, 2));

        // Many rows go out in batches, each whole before the count shows it.
        {
            DbfBulkAppend bulk(writer);
            for (int r = 23; r < 600; ++r)
                writer->append({{Name, QString::number(r)}, {Note, memoText(r, 8)}});
            const int seen = DbfFile::open(path, true)->recordCount();
            QVERIFY(seen > 23 && seen < 600);
            checkAppendedRows(path, 23, 8);
        }   // what is left goes out on the way out
        QCOMPARE(DbfFile::open(path, true)->recordCount(), 600);
        checkAppendedRows(path, 23, 8);
    }

    void killedBulkAppenderLeavesWholeRows()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 1);
        for (int delay : {0, 20, 60, 150, 300}) {
            QVERIFY(killAfter("--append-forever", path, delay));
            checkAppendedRows(path, 1, 2);
        }
        // And the table takes further rows where the whole ones end.
        const auto table = DbfFile::open(path);
        const int next = table->recordCount();
        QCOMPARE(table->append({{Name, QString::number(next)}, {Note, memoText(next, 2)}}), next);
        checkAppendedRows(path, 1, 2);
    }

    // Rows appended since an extent go with their memo texts, the files as
    // long as they were; a row kept that was changed meanwhile keeps its
    // new text (the memo file stays then). Each write of the cut failing in
    // turn (what a kill just before it leaves) leaves the kept rows whole
    // and any row beyond them marked deleted.
    void cutBackGivesBackAppendedRows()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 3);
        const QString memoPath = dir.filePath(QStringLiteral("sample.dbt"));
        const QByteArray tableBefore = readFile(path);
        const QByteArray memoBefore = readFile(memoPath);
        const Rows kept = liveRows(path);
        const auto appendFive = [](const std::shared_ptr<DbfFile> &table) {
            DbfBulkAppend bulk(table);
            for (int r = 3; r < 8; ++r)
                table->append({{Name, QString::number(r)}, {Note, memoText(r, 4)}});
        };
        {
            const auto table = DbfFile::open(path);
            const DbfFile::Extent extent = table->extent();
            appendFive(table);
            table->cutBack(extent);
            QCOMPARE(table->recordCount(), 3);
            QCOMPARE(table->append({{Name, QStringLiteral("之后")}}), 3);
            table->cutBack(extent);
        }
        QCOMPARE(readFile(memoPath), memoBefore);
        QCOMPARE(readFile(path).size(), tableBefore.size());
        QCOMPARE(liveRows(path), kept);
        QCOMPARE(DbfFile::open(path, true)->damage(), QString());

        for (int failing = 1;; ++failing) {
            const auto table = DbfFile::open(path);
            const DbfFile::Extent extent = table->extent();
            appendFive(table);
            IoFaults::failNth(failing);
            const bool failed = !errorOf([&] { table->cutBack(extent); }).isEmpty();
            IoFaults::clear();
            const auto reopened = DbfFile::open(path, true);
            QCOMPARE(reopened->damage(), QString());
            for (int r = 0; r < 3; ++r)
                QCOMPARE(reopened->record(r), kept[r]);
            if (!failed) {
                QCOMPARE(liveRows(path), kept);
                break;
            }
            DbfFile::open(path)->cutBack(extent);
            QCOMPARE(liveRows(path), kept);
            QCOMPARE(readFile(memoPath), memoBefore);
            QVERIFY(failing < 40);
        }

        const auto table = DbfFile::open(path);
        const DbfFile::Extent extent = table->extent();
        appendFive(table);
        table->update(0, {{Note, QStringLiteral("改过的备注")}});
        table->cutBack(extent);
        QCOMPARE(table->recordCount(), 3);
        QCOMPARE(DbfFile::open(path, true)->value(0, Note).toString(), QStringLiteral("改过的备注"));
    }

    // Users who share a data folder may all write its tables: a pack by
    // one of them leaves table and memo file as writable as they were,
    // whatever that user's umask.
    void packKeepsThePermissionsOfTheFiles()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 4);
        const QString memoPath = dir.filePath(QStringLiteral("sample.dbt"));
        {
            const auto table = DbfFile::open(path);
            table->setDeleted(0, true);
            table->setDeleted(2, true);
        }
        const QFile::Permissions shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                                          | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QVERIFY(QFile::setPermissions(path, shared) && QFile::setPermissions(memoPath, shared));
        const QByteArray memoBefore = readFile(memoPath);
        const mode_t mask = ::umask(022);
        const auto restore = qScopeGuard([mask] { ::umask(mask); });
        DbfFile::pack(path);
        QVERIFY(readFile(memoPath).size() < memoBefore.size());   // the memo file was written anew too
        QCOMPARE(QFile::permissions(path), shared);
        QCOMPARE(QFile::permissions(memoPath), shared);
    }

    void packRemovesDeletedRowsAndKeepsMemos()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 12);
        const QString memoPath = dir.filePath(QStringLiteral("sample.dbt"));
        DbfFile::open(path)->setDeleted(6, true);
        Rows expected = liveRows(path);
        QCOMPARE(expected.size(), 8);
        const QByteArray memoBefore = readFile(memoPath);

        const auto checkPacked = [&] {
            const auto table = DbfFile::open(path, true);
            QCOMPARE(table->recordCount(), int(expected.size()));
            for (int r = 0; r < table->recordCount(); ++r) {
                QVERIFY(!table->isDeleted(r));
                QCOMPARE(table->record(r), expected[r]);
            }
            QCOMPARE(headerCount(path), quint32(expected.size()));
            QCOMPARE(int(QFileInfo(path).size()), HeaderLength + int(expected.size()) * RecordLength + 1);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);   // no temporaries left
        };
        // Little unused memo space: the rows go, the memo file stays as it is.
        DbfFile::pack(path);
        checkPacked();
        QCOMPARE(readFile(memoPath), memoBefore);

        // Replaced texts leave most of it unused: the memo file is written anew.
        {
            const auto table = DbfFile::open(path);
            for (int round = 0; round < 3; ++round)
                table->update(0, {{Note, memoText(60 + round, 12)}});
            table->update(3, {{Note, QString()}});
        }
        expected = liveRows(path);
        const qint64 sizeBefore = QFileInfo(memoPath).size();
        DbfFile::pack(path);
        checkPacked();
        const QByteArray memo = readFile(memoPath);
        QVERIFY(memo.size() < sizeBefore / 2);
        QCOMPARE(qFromLittleEndian<quint32>(memo.constData()), quint32(memo.size() / 512));
        QCOMPARE(DbfFile::open(path, true)->value(0, Note).toString(), memoText(62, 12));

        // Nothing deleted and the memo file compact: both files stay untouched.
        const QByteArray tableBefore = readFile(path);
        DbfFile::pack(path);
        QCOMPARE(readFile(path), tableBefore);
        QCOMPARE(readFile(memoPath), memo);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }

    // A memo file of many entries is weighed in shares read side by side: the
    // shares together must count every live block once, so that the file
    // is compacted from exactly a quarter unused on, as a small one is.
    void packWeighsALargeMemoFileExactly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.dbf"));
        const QString memoPath = dir.filePath(QStringLiteral("large.dbt"));
        DbfFile::create(path, sampleFields());
        constexpr int Rows = 42000;   // one block each
        constexpr int ReplacedAtQuarter = Rows / 3;
        {
            const auto table = DbfFile::open(path);
            DbfBulkAppend bulk(table);
            for (int r = 0; r < Rows; ++r)
                table->append({{Name, QString::number(r)}, {Note, QStringLiteral("备注%1").arg(r)}});
            bulk.finish();
        }
        const auto replaceTexts = [&](int from, int to) {
            const auto table = DbfFile::open(path);
            for (int r = from; r < to; ++r)
                table->update(r, {{Note, QStringLiteral("新备注%1").arg(r)}});
        };
        replaceTexts(0, ReplacedAtQuarter - 1);
        const qint64 justUnder = QFileInfo(memoPath).size();
        QCOMPARE(justUnder, qint64(512) * (1 + Rows + ReplacedAtQuarter - 1));
        DbfFile::pack(path);
        QCOMPARE(QFileInfo(memoPath).size(), justUnder);

        replaceTexts(ReplacedAtQuarter - 1, ReplacedAtQuarter);
        DbfFile::pack(path);
        QCOMPARE(QFileInfo(memoPath).size(), qint64(512) * (1 + Rows));
        const auto table = DbfFile::open(path, true);
        QCOMPARE(table->value(0, Note).toString(), QStringLiteral("新备注0"));
        QCOMPARE(table->value(Rows - 1, Note).toString(), QStringLiteral("备注%1").arg(Rows - 1));
    }

    // Each row: the files a pack killed at some instant leaves beside the table
    // (name:what, what being the new table, half of it, the new memo file, the
    // commit marker or half of it), and whether the table then reads as packed.
    void packInterruptedInEveryState_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("packed");
        const QStringList both = {"sample.dbf.pack-dbt:memo", "sample.dbf.pack-dbf:table"};
        const QString marker = "sample.dbf.pack-commit:marker";
        QTest::newRow("new table half written") << QStringList{"sample.dbf.pack-dbt:memo", "sample.dbf.pack-dbf:half"} << false;
        QTest::newRow("both new files, no marker") << both << false;
        QTest::newRow("marker half written") << both + QStringList{"sample.dbf.pack-commit-draft:draft"} << false;
        QTest::newRow("marker, nothing renamed") << both + QStringList{marker} << true;
        QTest::newRow("marker, memo renamed") << QStringList{"sample.dbt:memo", "sample.dbf.pack-dbf:table", marker} << true;
        QTest::newRow("marker, both renamed") << QStringList{"sample.dbt:memo", "sample.dbf:table", marker} << true;
    }

    void packInterruptedInEveryState()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, packed);
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 8);
        const Rows expected = liveRows(path);
        // The files a finished pack makes, made in another folder.
        QTemporaryDir other;
        QVERIFY(QFile::copy(path, other.filePath(QStringLiteral("sample.dbf"))));
        QVERIFY(QFile::copy(dir.filePath(QStringLiteral("sample.dbt")), other.filePath(QStringLiteral("sample.dbt"))));
        DbfFile::pack(other.filePath(QStringLiteral("sample.dbf")));
        const QByteArray newTable = readFile(other.filePath(QStringLiteral("sample.dbf")));
        const QByteArray marker("sample.dbf\nsample.dbt\n");
        const QHash<QString, QByteArray> made = {
            {"table", newTable}, {"half", newTable.left(newTable.size() / 2)},
            {"memo", readFile(other.filePath(QStringLiteral("sample.dbt")))},
            {"marker", marker}, {"draft", marker.left(5)}};
        for (const QString &file : files)
            writeFile(dir.filePath(file.section(':', 0, 0)), made.value(file.section(':', 1)));

        QCOMPARE(DbfFile::open(path, true)->recordCount(), packed ? int(expected.size()) : 8);
        QCOMPARE(liveRows(path), expected);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList({QStringLiteral("sample.dbf"), QStringLiteral("sample.dbt")}));
    }

    void packKilledMidway()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path(), 400);
        int round = 0;
        for (int delay : {0, 5, 15, 30, 60, 100, 150, 250, 400}) {
            {   // replaced texts every other round, so that the memo file is
                // written anew too; in between the table alone is replaced
                const auto table = DbfFile::open(path);
                ++round;
                for (int r = 0; round % 2 == 1 && r < table->recordCount(); r += 2)
                    table->update(r, {{Note, memoText(1000 * round + r, 4)}});
                for (int r = round; r < table->recordCount(); r += 25)
                    table->setDeleted(r, true);
            }
            const Rows expected = liveRows(path);
            QVERIFY(killAfter("--pack-forever", path, delay));
            QCOMPARE(liveRows(path), expected);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
        }
    }

    void pythonReadsOurTable()
    {
        QTemporaryDir dir;
        const QString path = makeSample(dir.path());
        DbfFile::open(path)->update(2, {{Note, memoText(22, 4)}});   // a moved memo

        const QJsonObject result = readWithPython(path);
        QCOMPARE(result[QStringLiteral("codepage")].toString(), QStringLiteral("cp936"));
        QCOMPARE(result[QStringLiteral("fields")].toArray().size(), 7);
        const auto row = [](bool deleted, const QJsonArray &values) {
            return QJsonObject{{QStringLiteral("deleted"), deleted}, {QStringLiteral("values"), values}};
        };
        const QJsonValue null;
        QCOMPARE(result[QStringLiteral("rows")].toArray(),
                 (QJsonArray{row(false, {"张三0", 12.5, 3, "2024-03-05", true, memoText(0, 6), 1.5}),
                             row(false, {"", null, null, null, null, "", null}),
                             row(false, {"科技成果转化", -1234.56, 99999, "1999-12-31", false, memoText(22, 4), 0.125}),
                             row(true, {"删除", null, null, null, null, "删除行的备注", null})}));
    }

    void weReadPythonTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("python.dbf"));
        const QString memoSource = dir.filePath(QStringLiteral("memo.txt"));
        const QString longText = memoText(9, 5);
        writeFile(memoSource, longText.toUtf8());
        QByteArray output;
        QVERIFY(runPython(QString::fromUtf8(PythonWriter), {path, memoSource}, &output));

        const Rows live = {{QStringLiteral("张三"), 12.5, 3.0, QDate(2024, 3, 5), true, longText},
                           {QStringLiteral("李四"), {}, {}, {}, {}, QString()},
                           {QStringLiteral("王五"), -0.25, 0.0, QDate(1999, 12, 31), false, QStringLiteral("短备注")}};
        {
            const auto table = DbfFile::open(path, true);
            QCOMPARE(table->version(), quint8(0x83));
            QCOMPARE(table->recordCount(), 4);
            QVERIFY(table->isDeleted(2));
            QCOMPARE(table->value(2, 5).toString(), QStringLiteral("被删除的行的备注"));
        }
        QCOMPARE(liveRows(path), live);
        DbfFile::pack(path);
        QCOMPARE(DbfFile::open(path, true)->recordCount(), 3);
        QCOMPARE(liveRows(path), live);

        // And the packed file is still what the other reader understands.
        const QJsonArray rows = readWithPython(path)[QStringLiteral("rows")].toArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].toObject()[QStringLiteral("values")].toArray()[5].toString(), longText);
        QCOMPARE(rows[2].toObject()[QStringLiteral("values")].toArray()[0].toString(), QStringLiteral("王五"));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--pack-forever") == 0)
        return packForever(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--append-forever") == 0)
        return appendForever(QString::fromLocal8Bit(argv[2]));
    TstDbfFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dbffile.moc"
