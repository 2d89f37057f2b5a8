#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <atomic>
#include <memory>

#include "MapGuard.h"

// An open table or memo file: reads through a read-only view of the whole
// file (mapped when the system allows, else read into a buffer), writes go
// straight to the file with no buffer of our own.
class StoredFile
{
public:
    StoredFile() = default;
    ~StoredFile();
    StoredFile(const StoredFile &) = delete;
    StoredFile &operator=(const StoredFile &) = delete;

    // Returns false and leaves errorText() set when the file cannot be opened.
    bool open(const QString &path, bool readOnly);
    void close();
    QString path() const { return m_file.fileName(); }
    QString errorText() const;

    // Size as the system reports it now (another program may have grown
    // the file), and as last seen here (no system call).
    qint64 currentSize();
    qint64 knownSize() const { return m_size; }
    // The bytes [offset, offset + length), or nullptr when the file is
    // shorter. The pointer stays valid until the next call on this object.
    //
    // The view is a map of the file, and another program may shorten the
    // file under it. The file's size is asked again whenever a read starts
    // in another stretch of 64 KiB than the last one checked, or that check
    // is a few milliseconds old; a read past the end then gives nullptr (the
    // caller reports damage). A whole table read through costs one check
    // per stretch. A file cut between two checks is caught by MapGuard: the
    // read under way finds zeros, and from then on every read gives nullptr
    // until the file is opened again (wasCut()).
    //
    // A page that several views of one file have read counts as the
    // program's memory once for each of them (threads of an export or a
    // pack read a table through handles of their own beside the table's):
    // while other views of the file are open in the process, a view hands
    // its pages back after every so many stretches read. They stay in the
    // system's cache, the bytes at each address stay the same, and a later
    // read maps them again. A file's only view keeps what it read.
    const char *data(qint64 offset, qint64 length)
    {
        // Inline where the view already holds the bytes and the check is
        // fresh: every read of a field passes here.
        if (m_map && offset >= 0 && length >= 0 && offset + length <= m_checkedEnd
            && (offset >> CheckedStretchBits) == m_checkedStretch
            && MapGuard::cuts.load(std::memory_order_relaxed) == m_cutsSeen && checkIsFresh())
            return reinterpret_cast<const char *>(m_map) + offset;
        return dataBeyondView(offset, length);
    }
    // Every byte from offset to the end of the file as last seen, without a
    // copy; nullptr where the file cannot be mapped (use data() then).
    const char *mappedFrom(qint64 offset, qint64 *available);
    // Whether another program cut the file under a read of its view.
    bool wasCut();
    // Writes at once; returns false (errorText() set) when it fails.
    bool writeAt(qint64 offset, const char *bytes, qint64 length);
    bool writeAt(qint64 offset, const QByteArray &bytes)
    {
        return writeAt(offset, bytes.constData(), bytes.size());
    }
    // Waits until what was written here since the last sync is on the disk
    // (nothing to do when nothing was); false (errorText() set) when the
    // system reports a failure.
    bool sync();
    // Cuts the file to that size, giving its space back to the disk; false
    // (errorText() set) when it fails.
    bool truncate(qint64 size);

private:
    static constexpr int CheckedStretchBits = 16;   // 64 KiB
    static constexpr int StretchesHeld = 256;       // 16 MiB read, then handed back
    void countView();
    static qint64 clockTicks();   // a cheap clock: a few milliseconds a tick
    bool checkIsFresh() const;
    // Asks the system for the size; false when the file now ends before end.
    bool checkSize(qint64 offset, qint64 end);
    void enterStretch(qint64 stretch);
    void handBackPages();
    bool remap(qint64 neededEnd);
    const char *dataBeyondView(qint64 offset, qint64 length);
    void unmap();

    int m_watch = -1;          // MapGuard's ticket of the view
    quint32 m_cutsSeen = 0;    // MapGuard::cuts when last looked at
    bool m_cut = false;
    bool m_unsynced = false;

    QFile m_file;
    uchar *m_map = nullptr;
    qint64 m_mapSize = 0;
    qint64 m_size = 0;
    bool m_mapFailed = false;
    QByteArray m_buffer;
    qint64 m_checkedEnd = 0;        // the map's bytes the last check allows
    qint64 m_checkedStretch = -1;   // offset >> CheckedStretchBits of that read
    qint64 m_checkedAt = 0;         // clockTicks() then
    int m_stretchesEntered = 0;     // since the pages were last handed back
    // The views of this file open in the process, shared by all of them.
    std::shared_ptr<std::atomic<int>> m_viewsOfFile;
    mutable quint32 m_freshReads = 0;   // the clock is read every so many
};
