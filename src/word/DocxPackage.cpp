#include "DocxPackage.h"

#include "errors/DiskSpace.h"
#include "WordError.h"

#include <QFile>
#include <zip.h>

namespace {

QString zipErrorText(zip_error_t *error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

// Releases a libzip source or archive on every way out.
struct SourceGuard
{
    zip_source_t *source;
    ~SourceGuard() { if (source) zip_source_free(source); }
};

QByteArray readEntry(zip_t *archive, zip_uint64_t index, zip_uint64_t size, const QString &file)
{
    zip_file_t *entry = zip_fopen_index(archive, index, 0);
    if (!entry)
        throw WordError(QStringLiteral("文件“%1”已损坏，无法读出其内容").arg(file));
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(entry, data.data(), size);
    zip_fclose(entry);
    if (got < 0 || zip_uint64_t(got) != size)
        throw WordError(QStringLiteral("文件“%1”已损坏，无法读出其内容").arg(file));
    return data;
}

QList<DocxPart> readParts(zip_t *archive, const QString &file)
{
    QList<DocxPart> parts;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0)
            throw WordError(QStringLiteral("文件“%1”已损坏，无法读出其内容").arg(file));
        const QString name = QString::fromUtf8(stat.name);
        if (name.endsWith(QLatin1Char('/')))
            continue;  // folder entries carry nothing
        parts.append({name, readEntry(archive, zip_uint64_t(i), stat.size, file)});
    }
    return parts;
}

QByteArray drain(zip_source_t *source)
{
    if (zip_source_open(source) < 0)
        throw WordError(QStringLiteral("无法生成文档：%1").arg(zipErrorText(zip_source_error(source))));
    zip_source_seek(source, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(source);
    zip_source_seek(source, 0, SEEK_SET);
    QByteArray bytes(qsizetype(qMax<zip_int64_t>(size, 0)), Qt::Uninitialized);
    const zip_int64_t got = size > 0 ? zip_source_read(source, bytes.data(), zip_uint64_t(size)) : 0;
    zip_source_close(source);
    if (got != size)
        throw WordError(QStringLiteral("无法生成文档：%1").arg(zipErrorText(zip_source_error(source))));
    return bytes;
}

} // namespace

DocxPackage DocxPackage::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WordError(QStringLiteral("无法打开文件“%1”：%2").arg(path, file.errorString()));
    return fromBytes(file.readAll(), path);
}

DocxPackage DocxPackage::fromBytes(const QByteArray &zipBytes, const QString &nameForErrors)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(zipBytes.constData(), zip_uint64_t(zipBytes.size()), 0, &error);
    if (!source)
        throw WordError(QStringLiteral("无法打开文件“%1”：%2").arg(nameForErrors, zipErrorText(&error)));
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(source);
        const QString reason = zipErrorText(&error);
        zip_error_fini(&error);
        throw WordError(QStringLiteral("文件“%1”不是有效的文档模板：%2").arg(nameForErrors, reason));
    }
    DocxPackage package;
    try {
        package.m_parts = readParts(archive, nameForErrors);
    } catch (...) {
        zip_discard(archive);
        throw;
    }
    zip_discard(archive);  // frees the source too
    return package;
}

QByteArray DocxPackage::part(const QString &name) const
{
    for (const DocxPart &p : m_parts)
        if (p.name == name)
            return p.data;
    return {};
}

void DocxPackage::setPart(const QString &name, const QByteArray &data)
{
    for (DocxPart &p : m_parts)
        if (p.name == name) {
            p.data = data;
            return;
        }
    m_parts.append({name, data});
}

QByteArray DocxPackage::toBytes() const
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        throw WordError(QStringLiteral("无法生成文档：%1").arg(zipErrorText(&error)));
    SourceGuard guard{buffer};
    zip_source_keep(buffer);  // the bytes are read back after the archive is closed
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive)
        throw WordError(QStringLiteral("无法生成文档：%1").arg(zipErrorText(&error)));
    for (const DocxPart &p : m_parts) {
        zip_source_t *data = zip_source_buffer(archive, p.data.constData(), zip_uint64_t(p.data.size()), 0);
        if (!data || zip_file_add(archive, p.name.toUtf8().constData(), data, ZIP_FL_ENC_UTF_8) < 0) {
            if (data)
                zip_source_free(data);
            const QString reason = QString::fromLocal8Bit(zip_strerror(archive));
            zip_discard(archive);
            throw WordError(QStringLiteral("无法生成文档：%1").arg(reason));
        }
    }
    if (zip_close(archive) < 0) {
        const QString reason = QString::fromLocal8Bit(zip_strerror(archive));
        zip_discard(archive);
        throw WordError(QStringLiteral("无法生成文档：%1").arg(reason));
    }
    return drain(buffer);
}

void DocxPackage::writeNew(const QString &path) const
{
    const QByteArray bytes = toBytes();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw WordError(QStringLiteral("无法建立文件“%1”：%2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = DiskSpace::writeFailure(file);
        file.close();
        file.remove();  // a half-written document is worse than none
        throw WordError(QStringLiteral("无法写入文件“%1”：%2").arg(path, reason));
    }
}
