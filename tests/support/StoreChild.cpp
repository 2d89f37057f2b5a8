// The import's store as the import window runs it, in a process of its own
// that the store test kills at a chosen write:
//
//   importstore_child FOLDER save|overwrite [KILL_AT]
//   importstore_child FOLDER delete ITEM_4 ITEM_DQDM [KILL_AT]
//
// The second form deletes the record of that key with its child rows as
// the main window's "删除" does.
//
//   importstore_child FOLDER startup PERSON
//
// The third starts the data module on the folder as the program's start-up
// does, prints each problem it reports ("problem: ..."), then adds a person
// of that name to record 2018000001 and prints "stored" or "refused: ...".
// KILL_AT: the process is killed (SIGKILL) just before that write. Without
// it the store runs to its end and prints the writes it made, the records
// stored and those that failed.
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/IoFaults.h"
#include "exchange/ImportStore.h"
#include "engine/DataSet.h"
#include "records/data/ChildRows.h"
#include "records/data/UnitDM.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

static int startUpAndAddPerson(const QString &folder, const QString &person)
{
    try {
        TDM dm(folder, [](const QString &message) { std::printf("problem: %s\n", qPrintable(message)); });
        Table persons(dm.database(), QStringLiteral("cgwcr.dbf"));
        persons.open();
        persons.append();
        try {
            persons.setString(QStringLiteral("ITEM_4"), QStringLiteral("2018000001"));
            persons.setString(QStringLiteral("ITEM_DQDM"), QStringLiteral("."));
            persons.setString(QStringLiteral("ITEM_180"), person);
            persons.post();
            std::printf("stored\n");
        } catch (const DbError &error) {
            persons.cancel();
            std::printf("refused: %s\n", qPrintable(error.message()));
        }
    } catch (const DbError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    if (args[2] == QLatin1String("startup") && args.size() > 3)
        return startUpAndAddPerson(args[1], args[3]);
    if (args[2] == QLatin1String("delete")) {
        if (args.size() < 5)
            return 2;
        try {
            Database db(args[1]);
            if (args.size() > 5)
                IoFaults::killNth(args[5].toInt());
            const int deleted = ChildRows::deleteRecord(&db, {args[3], args[4]});
            std::printf("%d %d\n", IoFaults::seen(), deleted);
        } catch (const DbError &error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
            return 1;
        }
        return 0;
    }
    const ImportStore::Mode mode =
        args[2] == QLatin1String("overwrite") ? ImportStore::Mode::Overwrite : ImportStore::Mode::Save;
    try {
        Database db(args[1]);
        if (args.size() > 3)
            IoFaults::killNth(args[3].toInt());
        const ImportStore::Result result = ImportStore(&db).storeAll(mode);
        std::printf("%d %d %d\n", IoFaults::seen(), result.stored, result.failed);
        if (!result.firstError().isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(result.firstError()));
    } catch (const DbError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
