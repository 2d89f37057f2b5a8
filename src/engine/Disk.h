#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <memory>

// The one way to the disk for table, memo, journal, staging, exchange and
// archive files: every write, sync, rename and removal of them passes
// here, and here IoFaults notes it in its ledger and makes it fail (or
// kills the program) when a test asks. A write path built on these steps
// cannot escape the durability tests. What must reach the disk before what
// is the caller's order, kept as docs/ARCHITECTURE.md ("Durability") says.
namespace Disk {

// Writes at the file's position, or at an offset; false when it fails
// (the file's error tells why).
bool write(QFileDevice &file, const char *bytes, qint64 length);
bool writeAt(QFileDevice &file, qint64 offset, const char *bytes, qint64 length);
// A write at the file's position that no later step waits for (noted so).
bool writeAhead(QFileDevice &file, const char *bytes, qint64 length);
// Cuts or extends the file; false when it fails.
bool resize(QFileDevice &file, qint64 size);

// Writes a file's data and size through to the disk (what a rename may
// rely on); false when the system reports a failure.
bool syncFile(QFileDevice &file);
// The same for a file open here, without its times where the system can.
bool syncData(QFileDevice &file);
// Starts writing bytes just written to the disk without waiting for it,
// where the system allows, so that a sync later has little left to do.
void startWriteBack(const QFileDevice &file, qint64 offset, qint64 length);

// Renames and removals in the folder reach the disk. Throws DbError
// naming the folder when they cannot be made durable.
void syncFolder(const QString &folder);
void syncFolderOfFile(const QString &path);

// `from` takes the place of `to`, replacing a file of that name (also
// where the system's plain rename would refuse). False, with the reason
// in *why, when it cannot; rename() throws DbError with it instead.
bool tryRename(const QString &from, const QString &to, QString *why);
void rename(const QString &from, const QString &to);
// Removes the file; a file that is not there is no failure. Throws
// DbError naming the file.
void remove(const QString &path);
// Removes a file of ours that is of no use any more, where it can: one
// left behind is cleared the next time (a pack's, a work folder's).
void discard(const QString &path) noexcept;

// Whether what replaces a file must be on the disk before it takes the
// name: yes for the data folder and what the user keeps; a file of our
// own work folder (an exchange file before it is packed) only needs to
// stand whole under its name.
enum class Durable { Yes, No };

// The one "replace a file": `from`, written completely, takes the place
// of `to`: its data reaches the disk first, then the rename, then the
// folder. False, with `to` as it was, when the system will not rename
// `from` onto it (another disk); any other failure throws DbError.
[[nodiscard]] bool replace(const QString &from, const QString &to, Durable durable = Durable::Yes);
// The rename and the folder only, for a file already synced.
void putInPlace(const QString &from, const QString &to, Durable durable = Durable::Yes);

// A file written anew, in pieces gathered in a large buffer: a pack copies
// whole tables, an export writes megabytes. Unless it was finished or put
// in place, the destructor removes it. Every failure throws DbError naming
// the file with the reason.
class NewFile
{
public:
    // At `path` (a file there is emptied). It gets the permissions and
    // group of `permissionsOf` when that file exists (takeAccessOf): a data
    // folder shared by users who may all write its tables stays so after
    // any of them wrote a file anew.
    explicit NewFile(const QString &path, const QString &permissionsOf = {});
    // Beside `target`, under a name no other file has, with the
    // permissions of the target when it exists; for replace(target).
    static std::unique_ptr<NewFile> beside(const QString &target);
    ~NewFile();
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    QString path() const { return m_file.fileName(); }
    void write(const char *bytes, qint64 length);
    void write(QByteArrayView bytes) { write(bytes.data(), bytes.size()); }
    // Over bytes written before; the next write goes on at the end.
    void writeAt(qint64 offset, const QByteArray &bytes);
    // Everything written reaches the disk (Durable::Yes), and the file is
    // closed; it stays.
    void finish(Durable durable = Durable::Yes);
    // Finishes the file and puts it in the place of `target`.
    void replace(const QString &target, Durable durable = Durable::Yes);

private:
    struct Unique {};
    NewFile(Unique, const QString &target);
    void open(const QString &permissionsOf);
    void flush();
    void writeThrough(const char *bytes, qint64 length);
    [[noreturn]] void fail() const;

    QFile m_file;
    QString m_name;   // the name it is shown and noted by: the target's, for one beside it
    QByteArray m_buffer;
    bool m_kept = false;
};

// Gives a file just made, open here, the permissions of `like`, and its
// group where the writer may give it (a member of that group may): not
// what the writing user's umask and main group leave. A folder shared
// through a group stays writable by each member after any of them made a
// file anew. False when the permissions cannot be set.
bool takeAccessOf(QFileDevice &file, const QString &like);

// A Chinese reason for a failed file operation, for the user.
QString reason(const QFileDevice &file);

} // namespace Disk
