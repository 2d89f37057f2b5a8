#pragma once
#include <QString>
#include <QStringList>

// The engine's side of the benchmark. Each operation runs in a child process
// of the benchmark (`dravik-bench --engine-only DIR OPERATION`), so that the
// peak memory it reports is the engine's alone: not the generator's, not the
// native SQLite reference's.
namespace EngineBench {

// The search both sides run, as the query builder would write it.
inline const char *const kLikeSql = "select * from kjcg where item_3 like '%研究%'";
// Every fiftieth row of each packed file is marked deleted before the pack.
inline constexpr int kDeleteEvery = 50;

struct Figure
{
    QString operation;
    double seconds = -1;  // median of the repetitions; -1 when not measured
    qint64 count = 0;     // rows found, read, removed, written or loaded
    qint64 peakBytes = -1;
    QString detail;       // how the time divides, for a note under the table
};

// Operation names the child accepts.
inline const QStringList kOperations = { QStringLiteral("like"), QStringLiteral("scan"), QStringLiteral("pack"),
                                         QStringLiteral("export"), QStringLiteral("import"),
                                         QStringLiteral("store"), QStringLiteral("overwrite") };

// Counts the rows of kLikeSql through a Query.
Figure likeSearch(const QString &folder);
// Reads every field of every kjcg row as text through a Table.
Figure fullScan(const QString &folder);
// Waits until what the preparation of a timed run wrote is on the disk:
// an operation that makes its own files durable must not wait for those.
void settleWrites();
// Packs the program's 18 files, each with 2% of its rows marked deleted, in
// fresh copies of the folder's files made under scratchRoot.
Figure packTables(const QString &folder, const QString &scratchRoot);

// The child's main: runs the operations named in args on the folder and
// prints "OPERATION seconds count peakBytes [detail]" lines. Returns the
// exit code.
int runChild(const QString &folder, const QStringList &operations);
// The parent's side: runs one operation in a child and reads its figure.
Figure runInChild(const QString &folder, const QString &operation);

} // namespace EngineBench
