#pragma once
// Makes writes fail the way a full disk does: while a FileSizeLimit lives,
// every write of this process at or beyond `bytes` into any file fails
// (EFBIG), whoever runs the process. Writes below the limit still succeed,
// so a test can let one table be written and another not by where their
// rows lie.

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = rlim_t(bytes);
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }
    static bool supported() { return true; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};
#else
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64) {}
    bool active() const { return false; }
    static bool supported() { return false; }
};
#endif
