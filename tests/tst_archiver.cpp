// The archiver layer against the real arj program: what it packs comes back
// byte for byte, every kind of failure is reported as one, hostile archives
// are refused before anything is extracted, and a run can be cancelled from
// its progress window.
#include "support/FileBytes.h"
#include "engine/DbError.h"
#include "exchange/ArchiverProgress.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/ExchangeNames.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// The call must throw a DbError whose text says so.
template<typename Call>
void expectFailure(Call call, const QString &says)
{
    QString text = "no error";
    try {
        call();
    } catch (const DbError &error) {
        text = error.message();
    }
    QVERIFY2(text.contains(says), qPrintable(text));
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putLe(QByteArray &bytes, qsizetype at, quint32 value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

quint32 getLe(const QByteArray &bytes, qsizetype at, int width)
{
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

// An archive made by arj, with one member's header edited the way a hostile
// or damaged package would have it: another stored name, another unpacked
// size. The header's checksum is made right again, so that only what the
// header says is wrong.
QByteArray editedMember(QByteArray archive, const QByteArray &name, const QByteArray &newName,
                        qint64 newSize = -1)
{
    const qsizetype at = archive.indexOf(name + '\0');
    const qsizetype header = archive.lastIndexOf("\x60\xEA", at);
    if (at < 0 || header < 0)
        return {};
    const qsizetype basic = header + 4;
    if (newSize >= 0)
        putLe(archive, basic + 16, quint32(newSize), 4);
    archive.replace(at, name.size(), newName);
    const quint32 size = getLe(archive, header + 2, 2) + quint32(newName.size() - name.size());
    putLe(archive, header + 2, size, 2);
    putLe(archive, basic + size, crc32(archive.mid(basic, size)), 4);
    return archive;
}

#ifndef Q_OS_WIN
// An archiver that never ends, as arj does on some damaged headers.
QString hangingArchiver(const QString &folder)
{
    const QString script = QDir(folder).filePath("arj");
    QFile file(script);
    if (file.open(QIODevice::WriteOnly))
        file.write("#!/bin/sh\nexec sleep 60\n");
    file.close();
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return script;
}
#endif

} // namespace

class TestArchiver : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_source;   // the seven text files and the archive made of them

    QString folder(const QString &name) const
    {
        const QString path = QDir(m_dir.path()).filePath(name);
        QDir().mkpath(path);
        return path;
    }

    QString archivePath() const { return QDir(m_source).filePath(ExchangeNames::ExportArchive); }

private slots:
    void initTestCase()
    {
        if (Archiver::locate().isEmpty())
            QSKIP("arj is not installed");
        m_source = folder("源 文件");
        QRandomGenerator random(7);
        for (const QString &name : ExchangeNames::allFiles() + QStringList{"README.TXT"}) {
            QByteArray bytes = ("中文\t\"" + name + "\"\r\n").toUtf8();
            for (int i = random.bounded(5000); i > 0; --i)
                bytes += char(random.bounded(256));
            putFile(QDir(m_source).filePath(name), bytes);
        }
        Archiver().pack(m_source, ExchangeNames::ExportArchive, ExchangeNames::allFiles());
    }

    void packedFilesComeBackByteIdentical()
    {
        const QString cwd = QDir::currentPath();
        Archiver archiver;
        QList<int> steps;
        connect(&archiver, &Archiver::progress, this, [&](int done, int) { steps.append(done); });
        archiver.pack(m_source, ExchangeNames::ExportArchive, ExchangeNames::allFiles());
        QVERIFY(QFile::exists(archivePath()));
        QCOMPARE(steps.last(), 7);

        const QList<Archiver::Member> members = archiver.list(archivePath());
        QCOMPARE(members.size(), 7);
        QCOMPARE(members.at(0).name, QString("KJCG.TXT"));
        QCOMPARE(members.at(0).size, QFileInfo(QDir(m_source).filePath("KJCG.TXT")).size());

        const QString target = folder("导入 目录/子 文件夹");
        putFile(QDir(target).filePath("kjcg.txt"), "old");   // replaced, whatever its case
        const QStringList all = ExchangeNames::allFiles();
        const QStringList names = archiver.unpack(archivePath(), target, ExchangeNames::recordFiles(),
                                                  {"UNIT.TXT", "EXPERT.TXT", "DFJHXX.TXT"});
        QCOMPARE(QSet<QString>(names.begin(), names.end()), QSet<QString>(all.begin(), all.end()));
        for (const QString &name : all)
            QCOMPARE(fileBytes(QDir(target).filePath(name)), fileBytes(QDir(m_source).filePath(name)));
        QVERIFY(!QFile::exists(QDir(target).filePath("kjcg.txt")));
        QCOMPARE(QDir::currentPath(), cwd);

        // Packing again replaces the archive instead of adding to it.
        archiver.pack(m_source, ExchangeNames::ExportArchive, ExchangeNames::recordFiles());
        QCOMPARE(archiver.unpack(archivePath(), folder("再次"), ExchangeNames::recordFiles()).size(), 5);
        archiver.pack(m_source, ExchangeNames::ExportArchive, ExchangeNames::allFiles());
    }

    void failuresAreReported()
    {
        Archiver archiver;
        const QString work = folder("失败");
        const QByteArray whole = fileBytes(archivePath());
        const QStringList all = ExchangeNames::allFiles();

        putFile(QDir(work).filePath("CUT.ARJ"), whole.left(whole.size() / 2));
        expectFailure([&] { archiver.unpack(QDir(work).filePath("CUT.ARJ"), work, all); }, "压缩程序报告错误");
        QVERIFY(QDir(work).entryList({"*.TXT"}).isEmpty());   // nothing of a damaged archive
        putFile(QDir(work).filePath("NOT.ARJ"), "这不是压缩包");
        // Named as the user knows it, not by the work copy the archiver saw.
        expectFailure([&] { archiver.unpack(QDir(work).filePath("NOT.ARJ"), work, all); }, "NOT.ARJ is not an ARJ archive");
        expectFailure([&] { archiver.unpack(QDir(work).filePath("NOT.ARJ"), work, all); }, "压缩包可能已损坏");
        expectFailure([&] { archiver.unpack(archivePath(), work, {"DFJHXX.TXT"}, all); }, "没有文件 DFJHXX.TXT");
        expectFailure([&] { archiver.pack(m_source, "x.arj", {"KJCG.TXT", "MISSING.TXT"}); }, "MISSING.TXT");
        QVERIFY(!QFile::exists(QDir(m_source).filePath("x.arj")));
        expectFailure([&] { archiver.unpack(QDir(work).filePath("NONE.ARJ"), work, all); }, "NONE.ARJ");
        expectFailure([&] { Archiver(QString()).unpack(archivePath(), work, all); }, "找不到压缩程序");
        QVERIFY(QDir(work).entryList({"*.TXT"}).isEmpty());
    }

    // Names with folder parts (one of them makes arj spin for ever), names
    // the caller has no use for, and sizes beyond the room: the archive is
    // refused after listing it, and nothing reaches the folder.
    void hostileArchivesAreRefusedBeforeExtraction_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<QByteArray>("storedAs");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("says");
        QTest::newRow("parent folder") << QByteArray("ZLQK.TXT") << QByteArray("..\\evil.txt") << qint64(-1)
                                       << "不应有的文件“..\\evil.txt”";
        QTest::newRow("sub folder") << QByteArray("ZLQK.TXT") << QByteArray("a/ZLQK.TXT") << qint64(-1)
                                    << "不应有的文件“a/ZLQK.TXT”";
        QTest::newRow("absolute") << QByteArray("ZLQK.TXT") << QByteArray("/tmp/ZLQK.TXT") << qint64(-1)
                                  << "不应有的文件";
        QTest::newRow("drive") << QByteArray("ZLQK.TXT") << QByteArray("C:ZLQK.TXT") << qint64(-1)
                               << "不应有的文件“C:ZLQK.TXT”";
        // Another name is skipped, and the file it stands for is missing.
        QTest::newRow("unexpected name") << QByteArray("ZLQK.TXT") << QByteArray("README.TXT") << qint64(-1)
                                         << "没有文件 ZLQK.TXT";
        QTest::newRow("twice") << QByteArray("ZLQK.TXT") << QByteArray("KJCG.TXT") << qint64(-1)
                               << "不止一次";
        QTest::newRow("one GiB") << QByteArray("ZLQK.TXT") << QByteArray("ZLQK.TXT") << (qint64(1) << 30)
                                 << "超出了可用的磁盘空间";
    }

    void hostileArchivesAreRefusedBeforeExtraction()
    {
        QFETCH(QByteArray, member);
        QFETCH(QByteArray, storedAs);
        QFETCH(qint64, size);
        QFETCH(QString, says);
        const QString work = folder(QString("敌意/") + QTest::currentDataTag());
        const QString hostile = QDir(work).filePath("CGSBQY.ARJ");
        const QByteArray bytes = editedMember(fileBytes(archivePath()), member, storedAs, size);
        QVERIFY(!bytes.isEmpty());
        putFile(hostile, bytes);

        Archiver archiver;
        archiver.setSpaceLimit(qint64(64) << 20);
        archiver.setTimeLimit(20 * 1000);
        QElapsedTimer clock;
        clock.start();
        expectFailure([&] {
            archiver.unpack(hostile, work, ExchangeNames::recordFiles(), {"UNIT.TXT", "EXPERT.TXT"});
        }, says);
        QVERIFY2(clock.elapsed() < 20 * 1000, "refused only after the time limit");
        QCOMPARE(QDir(work).entryList(QDir::Files), QStringList{"CGSBQY.ARJ"});
        QVERIFY(!QFile::exists(QDir(work).filePath("../evil.txt")));
    }

    // Members beyond the named files (a read-me of another program) are
    // not extracted, whatever their size, and are named to the caller.
    void membersBeyondTheNamedAreSkipped()
    {
        const QString source = folder("多余");
        for (const QString &name : ExchangeNames::allFiles())
            QFile::copy(QDir(m_source).filePath(name), QDir(source).filePath(name));
        putFile(QDir(source).filePath("README.TXT"), QByteArray(3 << 20, 'x'));
        Archiver archiver;
        archiver.pack(source, ExchangeNames::ExportArchive, ExchangeNames::allFiles() + QStringList{"README.TXT"});
        archiver.setSpaceLimit(qint64(1) << 20);
        const QString target = folder("多余/目标");
        QStringList skipped{"left over"};
        const QStringList names = archiver.unpack(QDir(source).filePath(ExchangeNames::ExportArchive), target,
                                                  ExchangeNames::recordFiles(), {"UNIT.TXT", "EXPERT.TXT"}, &skipped);
        QCOMPARE(names, ExchangeNames::allFiles());
        QCOMPARE(skipped, QStringList{"README.TXT"});
        QStringList all = ExchangeNames::allFiles();
        all.sort();
        QCOMPARE(QDir(target).entryList(QDir::Files, QDir::Name), all);
    }

    // A member that grows thousands of times from its packed size is made
    // to fill the disk and the memory: refused before anything is
    // extracted. A file of one line over and over still comes out.
    void membersOutOfProportionAreRefused()
    {
        const QString source = folder("比例");
        const QByteArray line = QString("测试\t数据\t\r\n").toLocal8Bit().repeated(1);
        for (const QString &name : ExchangeNames::recordFiles())
            putFile(QDir(source).filePath(name), line.repeated(200000));
        Archiver archiver;
        archiver.pack(source, ExchangeNames::ExportArchive, ExchangeNames::recordFiles());
        const QString repeated = folder("比例/重复");
        QCOMPARE(archiver.unpack(QDir(source).filePath(ExchangeNames::ExportArchive), repeated,
                                 ExchangeNames::recordFiles()).size(), 5);

        putFile(QDir(source).filePath("KJCG.TXT"), QByteArray(24 << 20, '\t'));
        archiver.pack(source, ExchangeNames::ExportArchive, ExchangeNames::recordFiles());
        const QString work = folder("比例/炸弹");
        expectFailure([&] {
            archiver.unpack(QDir(source).filePath(ExchangeNames::ExportArchive), work, ExchangeNames::recordFiles());
        }, "KJCG.TXT 解压后有 25165824 字节");
        QVERIFY(QDir(work).entryList(QDir::Files).isEmpty());
    }

    // Text in an archive that poses as a member is not taken for one.
    void commentsCannotPoseAsMembers()
    {
        const QString work = folder("注释");
        const QString archive = QDir(work).filePath("C.ARJ");
        QFile::copy(archivePath(), archive);
        putFile(QDir(work).filePath("cmt"), "001) UNIT.TXT\n 11 UNIX  1  1 1.000 26-12-06 23:45:36 x\n");
        QProcess arj;
        arj.setWorkingDirectory(work);
        arj.start(Archiver::locate(), {"c", "-y", "-i", "C.ARJ", "KJCG.TXT", "-jzcmt"});
        QVERIFY(arj.waitForFinished());
        Archiver archiver;
        expectFailure([&] { archiver.list(archive); }, "无法读出压缩包");
    }

#ifndef Q_OS_WIN
    void hangingArchiverIsStopped()
    {
        Archiver slow(hangingArchiver(folder("慢")));
        // A small archive does not get minutes before it is given up.
        QVERIFY(slow.timeLimitFor(6 * 1024) <= 30 * 1000);
        slow.setTimeLimit(300);
        expectFailure([&] { slow.pack(m_source, "y.arj", {"KJCG.TXT"}); }, "没有完成");
    }

    // The caller's windows keep working while the archiver runs, and the
    // progress window's cancel button ends the run at once.
    void progressWindowCancelsTheRun()
    {
        Archiver slow(hangingArchiver(folder("取消")));
        QWidget caller;
        caller.show();
        ArchiverProgress progress(slow, &caller);
        QProgressDialog *shown = nullptr;
        QString cancelText;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shown = dialog;
            poll.stop();
            cancelText = dialog->findChild<QPushButton *>()->text();
            dialog->findChild<QPushButton *>()->click();
        });
        poll.start(50);
        bool cancelled = false;
        try {
            slow.unpack(archivePath(), folder("取消/目标"), ExchangeNames::allFiles());
        } catch (const ArchiverCancelled &) {
            cancelled = true;
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.message()));
        }
        QVERIFY(cancelled);
        QVERIFY(shown);
        QVERIFY(shown->labelText().contains("CGSBQY.ARJ", Qt::CaseInsensitive));
        QCOMPARE(cancelText, QString("取消"));
        QVERIFY(!shown->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void foundOnlyInAbsoluteFolders()
    {
        const QString fake = folder("路径");
        putFile(QDir(fake).filePath("arj"), "#!/bin/sh\n");
        QFile::setPermissions(QDir(fake).filePath("arj"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", ".:relative/bin::" + QFile::encodeName(fake));
        const QString found = Archiver::locate();
        qputenv("PATH", "relative/bin:.");
        const QString none = Archiver::locate();
        qputenv("PATH", path);
        QCOMPARE(found, QDir(fake).filePath("arj"));
        QCOMPARE(none, QString());
    }
#endif
};

QTEST_MAIN(TestArchiver)
#include "tst_archiver.moc"
