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

// Runs the call and returns the text of the DbError it must throw.
template<typename Call>
QString failure(Call call)
{
    try {
        call();
    } catch (const DbError &error) {
        return error.message();
    }
    return QString();
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
        QStringList names = archiver.unpack(archive, target, ExchangeNames::allFiles());
        QStringList all = ExchangeNames::allFiles();
        names.sort();
        all.sort();
        QCOMPARE(names, all);
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
        QString text = failure([&] { archiver.unpack(QDir(work).filePath("CUT.ARJ"), work); });
        QVERIFY2(text.contains("压缩程序报告错误"), qPrintable(text));
        QVERIFY(QDir(work).entryList({"*.TXT"}).isEmpty());   // nothing of a damaged archive

        putFile(QDir(work).filePath("NOT.ARJ"), "这不是压缩包");
        text = failure([&] { archiver.unpack(QDir(work).filePath("NOT.ARJ"), work); });
        QVERIFY2(text.contains("not an ARJ archive"), qPrintable(text));

        text = failure([&] { archiver.unpack(archive, work, {"DFJHXX.TXT"}); });
        QVERIFY2(text.contains("DFJHXX.TXT"), qPrintable(text));

        text = failure([&] { archiver.pack(m_source, "x.arj", {"KJCG.TXT", "MISSING.TXT"}); });
        QVERIFY2(text.contains("MISSING.TXT"), qPrintable(text));
        QVERIFY(!QFile::exists(QDir(m_source).filePath("x.arj")));

        text = failure([&] { archiver.unpack(QDir(work).filePath("NONE.ARJ"), work); });
        QVERIFY2(text.contains("NONE.ARJ"), qPrintable(text));

        text = failure([&] { Archiver(QString()).unpack(archive, work); });
        QVERIFY2(text.contains("找不到压缩程序"), qPrintable(text));
    }

#ifndef Q_OS_WIN
    void hangingArchiverIsStopped()
    {
        const QString script = QDir(folder("慢")).filePath("arj");
        putFile(script, "#!/bin/sh\nexec sleep 60\n");
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        Archiver slow(script);
        slow.setTimeLimit(300);
        const QString text = failure([&] { slow.pack(m_source, "y.arj", {"KJCG.TXT"}); });
        QVERIFY2(text.contains("没有完成"), qPrintable(text));
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
