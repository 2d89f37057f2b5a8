#include "Archiver.h"

#include "ExchangeNames.h"
#include "engine/DbError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>

namespace {

constexpr int StartLimit = 30 * 1000;
constexpr int KillGrace = 5 * 1000;
constexpr int WordsShown = 12;
constexpr qint64 CopyBlock = qint64(1) << 20;

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

// What the archiver said, without its banner and blank lines; the last
// lines, where its verdict stands.
QString archiverWords(const QByteArray &output)
{
    QStringList lines;
    const QStringList all = QString::fromLocal8Bit(output).split(QRegularExpression(QStringLiteral("[\r\n]+")));
    for (const QString &raw : all) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.contains(QLatin1String("Copyright"), Qt::CaseInsensitive))
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

void requireWorkFolder(const QTemporaryDir &work)
{
    if (!work.isValid())
        throw DbError(QStringLiteral("无法建立临时文件夹：%1").arg(work.errorString()));
}

// Copies src over dest through a file that replaces dest only when
// complete; other spellings of dest's name in its folder are removed.
void copyReplacing(const QString &src, const QString &dest)
{
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(shown(src), in.errorString()));
    QSaveFile out(dest);
    if (!out.open(QIODevice::WriteOnly))
        throw DbError(QStringLiteral("无法创建文件“%1”：%2").arg(shown(dest), out.errorString()));
    while (!in.atEnd()) {
        const QByteArray block = in.read(CopyBlock);
        if (block.isEmpty() && in.error() != QFileDevice::NoError)
            throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(shown(src), in.errorString()));
        if (out.write(block) != block.size())
            throw DbError(QStringLiteral("写入文件“%1”出错：%2").arg(shown(dest), out.errorString()));
    }
    if (!out.commit())
        throw DbError(QStringLiteral("无法保存文件“%1”：%2").arg(shown(dest), out.errorString()));
    // On a disk that ignores case the other spelling is this very file.
    const QFileInfo target(dest);
    const QDir folder = target.absoluteDir();
    for (const QString &entry : folder.entryList(QDir::Files | QDir::Hidden)) {
        const QFileInfo other(folder.filePath(entry));
        if (entry.compare(target.fileName(), Qt::CaseInsensitive) == 0 && other != target)
            QFile::remove(other.filePath());
    }
}

bool containsNoCase(const QStringList &names, const QString &name)
{
    for (const QString &n : names) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

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

Archiver::Archiver(const QString &program)
    : m_program(program)
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

void Archiver::run(const QStringList &arguments, const QString &workFolder) const
{
    if (m_program.isEmpty()) {
        throw DbError(QStringLiteral("找不到压缩程序 %1。请安装它，或把它放在本程序所在的文件夹中。")
                          .arg(executableName()));
    }
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
    process.start();
    if (!process.waitForStarted(StartLimit)) {
        throw DbError(QStringLiteral("无法启动压缩程序“%1”：%2")
                          .arg(shown(m_program), process.errorString()));
    }
    if (!process.waitForFinished(m_timeLimit)) {
        process.kill();
        process.waitForFinished(KillGrace);
        throw DbError(withWords(QStringLiteral("压缩程序在 %1 秒内没有完成，已被终止。")
                                    .arg(m_timeLimit / 1000.0),
                                process.readAll()));
    }
    const QByteArray output = process.readAll();
    if (process.exitStatus() != QProcess::NormalExit)
        throw DbError(withWords(QStringLiteral("压缩程序异常终止。"), output));
    if (process.exitCode() != 0) {
        throw DbError(withWords(QStringLiteral("压缩程序报告错误（退出代码 %1）：").arg(process.exitCode()),
                                output));
    }
}

void Archiver::pack(const QString &folder, const QString &archiveName, const QStringList &members) const
{
    QTemporaryDir work;
    requireWorkFolder(work);
    const QDir workDir(work.path());
    // A missing member is left for the archiver to report in its own words.
    for (const QString &member : members) {
        const QString source = ExchangeNames::findFile(folder, member);
        if (!source.isEmpty())
            copyReplacing(source, workDir.filePath(member));
    }
    run(QStringList{QStringLiteral("a"), QStringLiteral("-y"), QStringLiteral("-i"), archiveName} + members,
        work.path());
    const QString made = workDir.filePath(archiveName);
    if (!QFileInfo(made).isFile())
        throw DbError(QStringLiteral("压缩程序没有生成压缩包“%1”。").arg(archiveName));
    copyReplacing(made, QDir(folder).filePath(archiveName));
}

QStringList Archiver::unpack(const QString &archivePath, const QString &destFolder,
                             const QStringList &required) const
{
    const QFileInfo archive(archivePath);
    if (!archive.isFile())
        throw DbError(QStringLiteral("找不到压缩包“%1”。").arg(shown(archivePath)));
    QTemporaryDir work;
    requireWorkFolder(work);
    run({QStringLiteral("e"), QStringLiteral("-y"), QStringLiteral("-i"), shown(archive.absoluteFilePath())},
        work.path());
    const QDir workDir(work.path());
    const QStringList names = workDir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : required) {
        if (!containsNoCase(names, name)) {
            throw DbError(QStringLiteral("压缩包“%1”中没有文件 %2，包内文件不正确，可能有缺失。")
                              .arg(shown(archivePath), name));
        }
    }
    for (const QString &name : names)
        copyReplacing(workDir.filePath(name), QDir(destFolder).filePath(name));
    return names;
}
