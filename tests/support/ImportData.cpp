// Exchange packages for the import tests (see ImportData.h).
#include "ImportData.h"

#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/ExchangeFile.h"
#include "exchange/core/ExchangeNames.h"

#include <QFile>
#include <QDir>
#include <QCoreApplication>
#include <QProcess>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

SourceFolder::SourceFolder(const QString &shipped)
{
    copyFolder(shipped, path());
    m_db = std::make_unique<Database>(path());
}

SourceFolder::~SourceFolder()
{
    m_db.reset();
}

QString SourceFolder::writeFiles()
{
    const QString out = m_dir.filePath(u"out"_s);
    QDir().mkpath(out);
    const QList<QPair<QString, ExchangeLine>> files = {
        {u"kjcg.DBF"_s, ExchangeLine::Kjcg},    {u"cgwcdw.DBF"_s, ExchangeLine::Child},
        {u"cgwcr.DBF"_s, ExchangeLine::Child},  {u"jdwyhmd.DBF"_s, ExchangeLine::Child},
        {u"zlqk.dbf"_s, ExchangeLine::Child},   {u"unit.dbf"_s, ExchangeLine::Unit},
        {u"unitexpert.dbf"_s, ExchangeLine::Expert}};
    const QStringList names = ExchangeNames::allFiles();
    for (int i = 0; i < files.size(); ++i) {
        Table table(m_db.get(), files[i].first);
        table.open();
        WriteExchangeFile(table, QDir(out).filePath(names[i]), files[i].second);
    }
    return out;
}

QString SourceFolder::package(const QStringList &leaveOut)
{
    const QString out = writeFiles();
    QStringList members = ExchangeNames::allFiles();
    for (const QString &file : leaveOut)
        members.removeAll(file);
    Archiver().pack(out, ExchangeNames::ExportArchive, members);
    return QDir(out).filePath(ExchangeNames::ExportArchive);
}

QString runImportStoreChild(QStringList args, int killAt, bool *crashed)
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return runImportStoreChildAs({unsigned(::geteuid()), unsigned(mask)}, std::move(args), killAt, crashed);
}

QString runImportStoreChildAs(const ChildUser &user, QStringList args, int killAt, bool *crashed)
{
    QProcess child;
    child.setChildProcessModifier([user] {
        ::umask(mode_t(user.umask));
        const gid_t besides = gid_t(user.memberOf);
        if (user.id != ::geteuid()
            && (::setgroups(user.memberOf ? 1 : 0, &besides) != 0 || ::setgid(gid_t(user.id)) != 0
                || ::setuid(uid_t(user.id)) != 0))
            ::_exit(100);
    });
    if (killAt > 0)
        args << QString::number(killAt);
    child.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("importstore_child")), args);
    if (!child.waitForFinished(60000))
        return QStringLiteral("<no end>");
    *crashed = child.exitStatus() == QProcess::CrashExit;
    return QString::fromUtf8(child.readAllStandardOutput() + child.readAllStandardError()).trimmed();
}

QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const DbError &error) {
        return error.message();
    }
    return QStringLiteral("no error");
}

QStringList recordFileNames()
{
    return ExchangeNames::recordFiles();
}

QString fileIn(const QString &folder, const QString &name)
{
    return ExchangeNames::findFile(folder, name);
}

void packFiles(const QString &folder, const QString &archive, const QStringList &members)
{
    Archiver().pack(folder, archive, members);
}

QStringList unpackFiles(const QString &archive, const QString &folder)
{
    return Archiver().unpack(archive, folder, {}, ExchangeNames::allFiles());
}

void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// Every live row of a table file, each as the texts of its columns.
QList<QStringList> tableRows(Database *db, const QString &tableFile, const QString &filter)
{
    Table table(db, tableFile);
    if (!filter.isEmpty()) {
        table.setFilter(filter);
        table.setFiltered(true);
    }
    table.open();
    QList<QStringList> rows;
    for (table.first(); !table.eof(); table.next()) {
        QStringList row;
        for (const QString &field : table.fieldNames())
            row << table.asString(field);
        rows << row;
    }
    return rows;
}

// An achievement in the source with one row in each child list; persons
// named as given.
void addSentRecord(Database *db, const QString &item4, const QString &category, const QString &title,
                          const QStringList &persons, const QString &region)
{
    appendRow(db, u"kjcg.DBF"_s,
              {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_CGLB"_s, category}, {u"ITEM_3"_s, title},
               {u"ITEM_9"_s, u"完成单位"_s}, {u"ITEM_121"_s, u"2019-5-6"_s},
               {u"ITEM_13"_s, u"第一行\r\n第二行\"引\""_s}, {u"ITEM_141"_s, u"12.5"_s}});
    int serial = 0;
    for (const QString &name : persons) {
        appendRow(db, u"cgwcr.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_187"_s, QString::number(++serial)},
                   {u"ITEM_180"_s, name}, {u"ITEM_185"_s, u"单位"_s}, {u"ITEM_188"_s, u"1"_s}});
    }
    appendRow(db, u"zlqk.dbf"_s,
              {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_NO"_s, u"1"_s}, {u"PATENT_NO"_s, u"ZL01"_s}});
    appendRow(db, u"jdwyhmd.DBF"_s,
              {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_190"_s, u"1"_s}, {u"ITEM_192"_s, u"评委"_s}});
    appendRow(db, u"cgwcdw.DBF"_s,
              {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_176"_s, u"1"_s}, {u"ITEM_170"_s, u"协作单位"_s}});
}
