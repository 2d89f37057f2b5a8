// mktables: turns the readable table sources of data/tables into the
// shipped .dbf files, and shows a .dbf file as text.
//
//   mktables build SRC_DIR OUT_DIR
//   mktables dump FILE.dbf
#include "engine/TableSource.h"

#include "engine/DbError.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void writeUtf8(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int usage()
{
    writeUtf8(stderr, QStringLiteral("用法：mktables build SRC_DIR OUT_DIR\n"
                                     "      mktables dump FILE.dbf\n"));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() == 3 && args[0] == QLatin1String("build")) {
            TableSource::buildAll(args[1], args[2]);
            return 0;
        }
        if (args.size() == 2 && args[0] == QLatin1String("dump")) {
            writeUtf8(stdout, TableSource::dump(args[1]));
            return 0;
        }
    } catch (const DbError &error) {
        writeUtf8(stderr, QStringLiteral("mktables: %1\n").arg(error.message()));
        return 1;
    }
    return usage();
}
