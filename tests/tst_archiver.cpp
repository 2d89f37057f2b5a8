// The archiver layer against the real arj program: what it packs comes back
// byte for byte, and every kind of failure is reported as one.
#include "engine/DbError.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/ExchangeNames.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

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

private slots:
    void initTestCase()
    {
        if (Archiver::locate().isEmpty())
            QSKIP("arj is not installed");
        m_source = folder("源 文件");
        QRandomGenerator random(7);
        for (const QString &name : ExchangeNames::allFiles()) {
            QByteArray bytes = ("中文\t\"" + name + "\"\r\n").toUtf8();
            for (int i = random.bounded(5000); i > 0; --i)
                bytes += char(random.bounded(256));
            putFile(QDir(m_source).filePath(name), bytes);
        }
    }

    void packedFilesComeBackByteIdentical()
    {
        const QString cwd = QDir::currentPath();
        Archiver archiver;
        archiver.pack(m_source, ExchangeNames::ExportArchive, ExchangeNames::allFiles());
        const QString archive = QDir(m_source).filePath(ExchangeNames::ExportArchive);
        QVERIFY(QFile::exists(archive));

        const QString target = folder("导入 目录/子 文件夹");
        putFile(QDir(target).filePath("kjcg.txt"), "old");   // replaced, whatever its case
        const QStringList all = ExchangeNames::allFiles();
        const QStringList names = archiver.unpack(archive, target, all);
        QCOMPARE(QSet<QString>(names.begin(), names.end()), QSet<QString>(all.begin(), all.end()));
        for (const QString &name : ExchangeNames::allFiles())
            QCOMPARE(fileBytes(QDir(target).filePath(name)), fileBytes(QDir(m_source).filePath(name)));
        QVERIFY(!QFile::exists(QDir(target).filePath("kjcg.txt")));
        QCOMPARE(QDir::currentPath(), cwd);

        // Packing again replaces the archive instead of adding to it.
        archiver.pack(m_source, ExchangeNames::ExportArchive, ExchangeNames::recordFiles());
        const QString again = folder("再次");
        QCOMPARE(archiver.unpack(archive, again).size(), 5);
    }

    void failuresAreReported()
    {
        Archiver archiver;
        const QString work = folder("失败");
        const QString archive = QDir(m_source).filePath(ExchangeNames::ExportArchive);
        archiver.pack(m_source, ExchangeNames::ExportArchive, ExchangeNames::allFiles());
        const QByteArray whole = fileBytes(archive);

        putFile(QDir(work).filePath("CUT.ARJ"), whole.left(whole.size() / 2));
        expectFailure([&] { archiver.unpack(QDir(work).filePath("CUT.ARJ"), work); }, "压缩程序报告错误");
        QVERIFY(QDir(work).entryList({"*.TXT"}).isEmpty());   // nothing of a damaged archive
        putFile(QDir(work).filePath("NOT.ARJ"), "这不是压缩包");
        expectFailure([&] { archiver.unpack(QDir(work).filePath("NOT.ARJ"), work); }, "not an ARJ archive");
        expectFailure([&] { archiver.unpack(archive, work, {"DFJHXX.TXT"}); }, "DFJHXX.TXT");
        expectFailure([&] { archiver.pack(m_source, "x.arj", {"KJCG.TXT", "MISSING.TXT"}); }, "MISSING.TXT");
        QVERIFY(!QFile::exists(QDir(m_source).filePath("x.arj")));
        expectFailure([&] { archiver.unpack(QDir(work).filePath("NONE.ARJ"), work); }, "NONE.ARJ");
        expectFailure([&] { Archiver(QString()).unpack(archive, work); }, "找不到压缩程序");
    }

#ifndef Q_OS_WIN
    void hangingArchiverIsStopped()
    {
        const QString script = QDir(folder("慢")).filePath("arj");
        putFile(script, "#!/bin/sh\nexec sleep 60\n");
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        Archiver slow(script);
        slow.setTimeLimit(300);
        expectFailure([&] { slow.pack(m_source, "y.arj", {"KJCG.TXT"}); }, "没有完成");
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

QTEST_GUILESS_MAIN(TestArchiver)
#include "tst_archiver.moc"
