#include "StoredFile.h"

#include "Disk.h"

#include <QFileInfo>

#include <chrono>
#include <map>
#include <mutex>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

// How old a size check may be before a read in the same stretch asks again.
constexpr qint64 FreshTicks = 2;

#ifdef Q_OS_UNIX
// The open views of each file in the process, by device and inode: a file
// renamed over by a pack is another file.
std::mutex viewsLock;
std::map<std::pair<dev_t, ino_t>, std::weak_ptr<std::atomic<int>>> viewsByFile;

std::shared_ptr<std::atomic<int>> viewCounter(int handle)
{
    struct stat status;
    if (::fstat(handle, &status) != 0)
        return nullptr;
    const std::lock_guard<std::mutex> lock(viewsLock);
    std::erase_if(viewsByFile, [](const auto &entry) { return entry.second.expired(); });
    std::weak_ptr<std::atomic<int>> &known = viewsByFile[{status.st_dev, status.st_ino}];
    std::shared_ptr<std::atomic<int>> counter = known.lock();
    if (!counter) {
        counter = std::make_shared<std::atomic<int>>(0);
        known = counter;
    }
    return counter;
}
#endif

} // namespace

StoredFile::~StoredFile()
{
    close();
}

bool StoredFile::open(const QString &path, bool readOnly)
{
    close();
    m_file.setFileName(path);
    const QIODevice::OpenMode mode =
        (readOnly ? QIODevice::ReadOnly : QIODevice::ReadWrite) | QIODevice::Unbuffered
        | QIODevice::ExistingOnly;
    if (!m_file.open(mode))
        return false;
    m_size = m_file.size();
    countView();
    return true;
}

void StoredFile::countView()
{
#ifdef Q_OS_UNIX
    m_viewsOfFile = viewCounter(m_file.handle());
    if (m_viewsOfFile)
        m_viewsOfFile->fetch_add(1, std::memory_order_relaxed);
#endif
}

void StoredFile::unmap()
{
    MapGuard::forget(std::exchange(m_watch, -1));
    if (m_map)
        m_file.unmap(m_map);
    m_map = nullptr;
    m_mapSize = 0;
}

// Looks once per cut anywhere in the process whether it was this view's.
bool StoredFile::wasCut()
{
    if (m_cut)
        return true;
    const quint32 now = MapGuard::cuts.load(std::memory_order_acquire);
    if (now != m_cutsSeen) {
        m_cutsSeen = now;
        m_cut = MapGuard::wasCut(m_watch);
    }
    return m_cut;
}

void StoredFile::close()
{
    unmap();
    m_cut = false;
    m_checkedEnd = 0;
    m_checkedStretch = -1;
    m_stretchesEntered = 0;
    if (m_viewsOfFile)
        std::exchange(m_viewsOfFile, nullptr)->fetch_sub(1, std::memory_order_relaxed);
    m_size = 0;
    m_mapFailed = false;
    m_buffer.clear();
    if (m_file.isOpen())
        m_file.close();
}

QString StoredFile::errorText() const
{
    if (m_cut)
        return QStringLiteral("文件被其他程序截短了");
    return Disk::reason(m_file);
}

// Asked once for each stretch of a file read: the system's call directly,
// without the layers QFile adds.
qint64 StoredFile::currentSize()
{
#ifndef Q_OS_WIN
    struct stat status;
    if (m_file.handle() >= 0 && ::fstat(m_file.handle(), &status) == 0) {
        m_size = status.st_size;
        return m_size;
    }
#endif
    m_size = m_file.size();
    return m_size;
}

// The view is renewed only when a read reaches past it: after appends made
// here or by another program.
bool StoredFile::remap(qint64 neededEnd)
{
    const qint64 size = currentSize();
    if (neededEnd > size)
        return false;
    if (m_mapFailed)
        return true;
    unmap();
    m_cutsSeen = MapGuard::cuts.load(std::memory_order_acquire);
    m_map = m_file.map(0, size);
    if (m_map) {
        m_watch = MapGuard::watch(m_map, size);
        if (m_watch < 0) {
            // Unwatched, a cut would end the program: read without a view.
            m_file.unmap(m_map);
            m_map = nullptr;
        }
    }
    m_mapSize = m_map ? size : 0;
    m_mapFailed = m_map == nullptr;
    return true;
}

// Reading the coarse clock costs a few nanoseconds where the system keeps
// it in user space; a tick of about 4 ms is fine enough.
qint64 StoredFile::clockTicks()
{
#if defined(Q_OS_LINUX)
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return qint64(now.tv_sec) * 250 + now.tv_nsec / 4000000;
#else
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() / 4;
#endif
}

// The fields of a row come in bursts of a hundred reads or so: the clock
// is asked at the first and then at every 64th.
bool StoredFile::checkIsFresh() const
{
    if ((m_freshReads++ & 63) != 0)
        return true;
    return clockTicks() - m_checkedAt <= FreshTicks;
}

bool StoredFile::checkSize(qint64 offset, qint64 end)
{
    const qint64 size = currentSize();
    m_checkedAt = clockTicks();
    m_freshReads = 1;
    enterStretch(offset >> CheckedStretchBits);
    m_checkedEnd = qMin(size, m_mapSize);
    return end <= size;
}

void StoredFile::enterStretch(qint64 stretch)
{
    if (stretch == m_checkedStretch)
        return;
    m_checkedStretch = stretch;
    if (++m_stretchesEntered < StretchesHeld)
        return;
    m_stretchesEntered = 0;
    if (m_viewsOfFile && m_viewsOfFile->load(std::memory_order_relaxed) > 1)
        handBackPages();
}

// Only the view's page entries go: pointers handed out before read the
// same bytes afterwards (pages a cut replaced read as zeros again).
void StoredFile::handBackPages()
{
#ifdef Q_OS_UNIX
    if (m_map)
        ::madvise(m_map, size_t(m_mapSize), MADV_DONTNEED);
#endif
}

const char *StoredFile::dataBeyondView(qint64 offset, qint64 length)
{
    if (offset < 0 || length < 0 || wasCut())
        return nullptr;
    const qint64 end = offset + length;
    if (m_map && end <= m_mapSize) {
        if (!checkSize(offset, end))
            return nullptr;
        return reinterpret_cast<const char *>(m_map) + offset;
    }
    if (end > (m_map ? m_mapSize : m_size) || (!m_map && !m_mapFailed)) {
        if (!remap(end))
            return nullptr;
        if (m_map)
            checkSize(offset, end);
    }
    if (m_map)
        return reinterpret_cast<const char *>(m_map) + offset;
    if (m_buffer.size() < length)
        m_buffer.resize(length);
    if (!m_file.seek(offset) || m_file.read(m_buffer.data(), length) != length)
        return nullptr;
    return m_buffer.constData();
}

// The whole rest of the file as the last fresh check saw it.
const char *StoredFile::mappedFrom(qint64 offset, qint64 *available)
{
    if (wasCut())
        return nullptr;
    if (offset >= m_mapSize && !remap(offset + 1))
        return nullptr;
    if (!m_map)
        return nullptr;
    if ((offset >> CheckedStretchBits) != m_checkedStretch || !checkIsFresh() || offset >= m_checkedEnd)
        checkSize(offset, offset + 1);
    if (offset >= m_checkedEnd)
        return nullptr;
    *available = m_checkedEnd - offset;
    return reinterpret_cast<const char *>(m_map) + offset;
}

bool StoredFile::writeAt(qint64 offset, const char *bytes, qint64 length)
{
    if (m_cut)
        return false;
    m_unsynced = true;
    if (!Disk::writeAt(m_file, offset, bytes, length))
        return false;
    m_size = qMax(m_size, offset + length);
    return true;
}

bool StoredFile::sync()
{
    if (!m_unsynced)
        return true;
    if (!Disk::syncData(m_file))
        return false;
    m_unsynced = false;
    return true;
}

bool StoredFile::truncate(qint64 size)
{
    if (m_cut)
        return false;
    m_unsynced = true;
    // No view may reach past the new end.
    unmap();
    m_checkedEnd = 0;
    m_checkedStretch = -1;
    if (!Disk::resize(m_file, size))
        return false;
    m_size = size;
    return true;
}
