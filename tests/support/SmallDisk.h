#pragma once
// A disk of its own for a test, a few hundred kilobytes large (tmpfs), that
// a test fills to see what a full disk does. Mounting takes the right to
// mount (root in most set-ups); mounted() says whether it worked.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes)
    {
#ifdef Q_OS_LINUX
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
#else
        Q_UNUSED(bytes);
#endif
    }
    ~SmallDisk()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }

    // Takes all the room there is but `left` bytes, in a file of its own.
    void fill(qint64 left = 0)
    {
        QFile filler(QDir(path()).filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        if (left > 0)
            filler.resize(qMax<qint64>(0, filler.size() - left));
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
