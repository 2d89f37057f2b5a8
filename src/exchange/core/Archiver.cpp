#include "Archiver.h"

#include "ArchiveListing.h"
#include "ExchangeNames.h"
#include "SafeCopy.h"
#include "WorkFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>

namespace {

constexpr int KillGrace = 5 * 1000;
constexpr int WordsShown = 12;
// A run gets a base time plus time per mebibyte handled: a slow disk or a
// virus scanner may hold a small archive a few seconds, but no archive of
// ours takes minutes.
constexpr int BaseLimit = 20 * 1000;
constexpr int LimitPerMiB = 1000;
// The archive is copied into the work folder under a plain name, so that
// spaces, wildcards or characters of the user's folder never reach the
// archiver's command line.
const QString WorkArchive = QStringLiteral("INPUT.ARJ");

QString executableName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("arj.exe");
#else
    return QStringLiteral("arj");
#endif
}

QString executableIn(const QString &folder)
{
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        return QString();
    const QFileInfo info(QDir(folder).filePath(executableName()));
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Banner, headings and the rows of a listing: nothing a user can act on.
bool isNoise(const QString &line)
{
    static const QRegularExpression noise(QStringLiteral(
        "Copyright|^Processing archive|^Archive created|^Sequence/|^Rev/|^-----|^DT[AC] |^\\d+\\) |"
        "^\\d+ .*\\d+\\.\\d{3} \\d\\d-"));
    return line.isEmpty() || noise.match(line).hasMatch();
}

// What the archiver said, without its banner, listing rows and blank
// lines; the last lines, where its verdict stands.
QString archiverWords(const QByteArray &output)
{
    QStringList lines;
    const QStringList all = QString::fromLocal8Bit(output).split(QRegularExpression(QStringLiteral("[\r\n]+")));
    for (const QString &raw : all) {
        const QString line = raw.trimmed();
        if (isNoise(line))
            continue;
        lines.append(line);
    }
    if (lines.size() > WordsShown)
        lines = lines.mid(lines.size() - WordsShown);
    return lines.join(QLatin1Char('\n'));
}

QString withWords(const QString &message, const QByteArray &output)
{
    const QString words = archiverWords(output);
    return words.isEmpty() ? message : message + QStringLiteral("\n") + words;
}

void requireArchive(const QString &archivePath)
{
    if (!QFileInfo(archivePath).isFile())
        throw DbError(QStringLiteral("找不到压缩包“%1”。").arg(shown(archivePath)));
}

// A name with a folder, a drive or a parent in it, or a name that is one.
bool hasFolderPart(const QString &name)
{
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':'))
           || name == QLatin1String(".") || name == QLatin1String("..") || name.isEmpty();
}

bool containsNoCase(const QStringList &names, const QString &name)
{
    for (const QString &n : names) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

qint64 fileBytes(const QString &folder, const QStringList &names)
{
    qint64 total = 0;
    for (const QString &name : names)
        total += QFileInfo(ExchangeNames::findFile(folder, name)).size();
    return total;
}

// Lines of the archiver's output that tell one file handled.
int filesDone(const QByteArray &output)
{
    static const QRegularExpression done(QStringLiteral("^(Adding|Replacing|Extracting) "),
                                         QRegularExpression::MultilineOption);
    int count = 0;
    for (auto it = done.globalMatch(QString::fromLatin1(output)); it.hasNext(); it.next())
        ++count;
    return count;
}

} // namespace

ArchiverCancelled::ArchiverCancelled()
    : DbError(QStringLiteral("已取消。"))
{
}

QString Archiver::locate()
{
    if (QCoreApplication::instance()) {
        const QString beside = executableIn(QCoreApplication::applicationDirPath());
        if (!beside.isEmpty())
            return beside;
    }
    const QStringList folders = qEnvironmentVariable("PATH").split(QDir::listSeparator());
    for (const QString &folder : folders) {
        const QString found = executableIn(folder);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

Archiver::Archiver(const QString &program, QObject *parent)
    : QObject(parent)
    , m_program(program)
{
}

QString Archiver::program() const
{
    return m_program;
}

void Archiver::setTimeLimit(int milliseconds)
{
    m_timeLimit = milliseconds;
}

int Archiver::timeLimit() const
{
    return m_timeLimit;
}

int Archiver::timeLimitFor(qint64 bytes) const
{
    if (m_timeLimit > 0)
        return m_timeLimit;
    const qint64 mebibytes = (qMax<qint64>(bytes, 0) >> 20) + 1;
    return int(qMin<qint64>(BaseLimit + mebibytes * LimitPerMiB, std::numeric_limits<int>::max()));
}

void Archiver::setSpaceLimit(qint64 bytes)
{
    m_spaceLimit = bytes;
}

void Archiver::cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    if (m_loop)
        m_loop->quit();
}

QByteArray Archiver::run(const QStringList &arguments, const QString &workFolder, qint64 bytes,
                         int files, const QString &what)
{
    if (m_program.isEmpty()) {
        throw DbError(QStringLiteral("找不到压缩程序 %1。请安装它，或把它放在本程序所在的文件夹中。")
                          .arg(executableName()));
    }
    if (m_running)
        throw DbError(QStringLiteral("压缩程序正在运行，请等它完成。"));
    QProcess process;
    process.setProgram(m_program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    // Switches preset in the environment must not change what a command does.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("ARJ_SW"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);

    m_running = true;
    m_cancelled = false;
    emit started(what);
    const auto ended = qScopeGuard([this] {
        m_running = false;
        emit finished();
    });

    QByteArray output;
    {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                loop.quit();
        });
        connect(&process, &QProcess::readyRead, &loop, [&] {
            output += process.readAll();
            emit progress(qMin(filesDone(output), files), files);
        });
        process.start();
        if (process.state() != QProcess::NotRunning) {
            emit progress(0, files);
            limit.start(timeLimitFor(bytes));
            m_loop = &loop;
            if (!m_cancelled)
                loop.exec();
            m_loop = nullptr;
        }
    }
    if (process.error() == QProcess::FailedToStart) {
        throw DbError(QStringLiteral("无法启动压缩程序“%1”：%2")
                          .arg(shown(m_program), process.errorString()));
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(KillGrace);
        output += process.readAll();
        if (m_cancelled)
            throw ArchiverCancelled();
        throw DbError(withWords(QStringLiteral("压缩程序在 %1 秒内没有完成，已被终止。")
                                    .arg(timeLimitFor(bytes) / 1000.0),
                                output));
    }
    output += process.readAll();
    if (process.exitStatus() != QProcess::NormalExit)
        throw DbError(withWords(QStringLiteral("压缩程序异常终止。"), output));
    if (process.exitCode() != 0) {
        throw ArchiverRefused(withWords(QStringLiteral("压缩程序报告错误（退出代码 %1）：").arg(process.exitCode()),
                                        output));
    }
    emit progress(files, files);
    return output;
}

void Archiver::pack(const QString &folder, const QString &archiveName, const QStringList &members)
{
    QTemporaryDir work(WorkFolders::nameTemplate());
    RequireTemporaryFolder(work);
    const QDir workDir(work.path());
    // A missing member is left for the archiver to report in its own words.
    for (const QString &member : members) {
        const QString source = ExchangeNames::findFile(folder, member);
        if (!source.isEmpty())
            PlaceInWorkFolder(source, workDir.filePath(member));
    }
    run(QStringList{QStringLiteral("a"), QStringLiteral("-y"), QStringLiteral("-i"), archiveName} + members,
        work.path(), fileBytes(folder, members), int(members.size()),
        QStringLiteral("正在压缩 %1…").arg(archiveName));
    const QString made = workDir.filePath(archiveName);
    if (!QFileInfo(made).isFile())
        throw DbError(QStringLiteral("压缩程序没有生成压缩包“%1”。").arg(archiveName));
    MoveFileReplacing(made, QDir(folder).filePath(archiveName));
}

QString Archiver::copyIntoWork(const QString &archivePath, const QString &workFolder) const
{
    requireArchive(archivePath);
    const QString copy = QDir(workFolder).filePath(WorkArchive);
    CopyFileReplacing(archivePath, copy);
    return copy;
}

QList<Archiver::Member> Archiver::list(const QString &archivePath)
{
    QTemporaryDir work(WorkFolders::nameTemplate());
    RequireTemporaryFolder(work);
    copyIntoWork(archivePath, work.path());
    // Comments are left out: a comment could otherwise pose as members.
    QByteArray output;
    try {
        output = run(
            {QStringLiteral("v"), QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("-ja1"), WorkArchive},
            work.path(), QFileInfo(archivePath).size(), 1,
            QStringLiteral("正在检查压缩包 %1…").arg(QFileInfo(archivePath).fileName()));
    } catch (const ArchiverRefused &refused) {
        // Said of the user's file, not of the work copy the archiver saw.
        QString words = refused.message();
        words.replace(WorkArchive, QFileInfo(archivePath).fileName(), Qt::CaseInsensitive);
        throw DbError(QStringLiteral("无法读出压缩包“%1”的文件目录，压缩包可能已损坏。\n").arg(shown(archivePath))
                      + words);
    }
    QList<Member> members;
    if (!ArchiveListing::parse(output, members)) {
        throw DbError(withWords(QStringLiteral("无法读出压缩包“%1”的文件目录，压缩包可能已损坏。")
                                    .arg(shown(archivePath)),
                                output));
    }
    return members;
}

void Archiver::requireSpace(const QString &archivePath, const QList<Member> &members,
                            const QString &workFolder, const QString &destFolder) const
{
    qint64 total = 0;
    const Member *largest = nullptr;
    for (const Member &member : members) {
        total += member.size;
        if (!largest || member.size > largest->size)
            largest = &member;
    }
    if (!largest)
        return;
    // The files stand in the work folder and in the destination at once.
    const QStorageInfo work(workFolder);
    const QStorageInfo dest(destFolder);
    qint64 room = work == dest ? work.bytesAvailable() / 2 : qMin(work.bytesAvailable(), dest.bytesAvailable());
    if (m_spaceLimit > 0)
        room = qMin(room, m_spaceLimit);
    if (total > room) {
        throw DbError(QStringLiteral("压缩包“%1”解压后有 %2 字节（其中文件 %3 有 %4 字节），"
                                     "超出了可用的磁盘空间 %5 字节，没有解压。")
                          .arg(shown(archivePath))
                          .arg(total)
                          .arg(largest->name)
                          .arg(largest->size)
                          .arg(room));
    }
}

// Text packs to a fifth of its size, a file of one line repeated to a few
// hundredths; a member that claims to grow thousands of times is made to
// fill the disk and the memory of whoever unpacks it.
void Archiver::refuseOutOfProportion(const QString &archivePath, const QList<Member> &members) const
{
    for (const Member &member : members) {
        if (member.size <= SmallMember || member.size / qMax<qint64>(member.packedSize, 1) <= LargestGrowth)
            continue;
        throw DbError(QStringLiteral("压缩包“%1”中的文件 %2 解压后有 %3 字节，在压缩包中却只占 %4 字节，"
                                     "大小不合常理，没有解压。")
                          .arg(shown(archivePath), member.name)
                          .arg(member.size)
                          .arg(member.packedSize));
    }
}

QStringList Archiver::unpack(const QString &archivePath, const QString &destFolder,
                             const QStringList &required, const QStringList &optional, QStringList *skipped)
{
    const QStringList expected = required + optional;
    const QList<Member> allMembers = list(archivePath);
    QList<Member> members;
    QStringList names;
    if (skipped)
        skipped->clear();
    for (const Member &member : allMembers) {
        // A stored folder part ("..\x", "a/x", "/x", "c:x") is refused
        // whatever the rest of its name: nothing reaches beyond the folder.
        if (hasFolderPart(member.name)) {
            throw DbError(QStringLiteral("压缩包“%1”中有不应有的文件“%2”，没有解压。")
                              .arg(shown(archivePath), member.name));
        }
        if (!containsNoCase(expected, member.name)) {
            if (skipped)
                skipped->append(member.name);
            continue;
        }
        if (containsNoCase(names, member.name)) {
            throw DbError(QStringLiteral("压缩包“%1”中的文件 %2 出现了不止一次，没有解压。")
                              .arg(shown(archivePath), member.name));
        }
        names.append(member.name);
        members.append(member);
    }
    for (const QString &name : required) {
        if (!containsNoCase(names, name)) {
            throw DbError(QStringLiteral("压缩包“%1”中没有文件 %2，包内文件不正确，可能有缺失。")
                              .arg(shown(archivePath), name));
        }
    }
    if (names.isEmpty())
        return names;
    QTemporaryDir work(WorkFolders::nameTemplate());
    RequireTemporaryFolder(work);
    requireSpace(archivePath, members, work.path(), destFolder);
    refuseOutOfProportion(archivePath, members);
    copyIntoWork(archivePath, work.path());
    qint64 total = 0;
    for (const Member &member : members)
        total += member.size;
    run(QStringList{QStringLiteral("e"), QStringLiteral("-y"), QStringLiteral("-i"), WorkArchive} + names,
        work.path(), total, int(names.size()),
        QStringLiteral("正在解压 %1…").arg(QFileInfo(archivePath).fileName()));
    const QDir workDir(work.path());
    for (const Member &member : members) {
        const QFileInfo made(workDir.filePath(member.name));
        if (!made.isFile() || made.size() != member.size) {
            throw DbError(QStringLiteral("压缩包“%1”中的文件 %2 没有完整解压出来，压缩包可能已损坏。")
                              .arg(shown(archivePath), member.name));
        }
    }
    for (const QString &name : names)
        CopyFileReplacing(workDir.filePath(name), QDir(destFolder).filePath(name));
    return names;
}
