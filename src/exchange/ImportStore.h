#pragma once
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

class Database;

// Moves the staged records of the import into the main tables. No windows.
//
// Each staged achievement is stored with its staged patents, completing
// persons, committee members and cooperating units as one unit: the main
// row first, then its children, every row copied column by column by
// position with the new registration number and the region code ".". A
// stored record's completing persons are registered in the person list.
//
// A record stands whole or not at all, also when the program is killed at
// any instant (a journal in the data folder, which start-up completes or
// takes back): its rows written, its staged rows removed and, when it
// replaces a main record of the same title, that record's rows in every
// table (by its number and region) removed, together. When any row of a
// record cannot be written, what it wrote is taken back, the record stays
// staged with its children and the others go on.
//
// Numbers: a record is numbered after the largest number of its year in the
// main table and its child tables (a number that child rows still carry is
// never handed out); a year none of them holds yet keeps the imported
// number. Only a staged number of ten digits is used as it is. A record that
// replaces another is numbered as if that one were gone already: when it was
// the only one of its year, the imported number is kept.
//
// Overwrite: a staged record without a title has nothing to be compared by;
// it is stored as a new record and counted apart. (Skipping it would leave
// it to be emptied out of the staging tables with the rest, lost without a
// word, while "保存" stores the very same record.)
//
// Records are stored several to one change of the journal, which reaches
// the disk before the store returns.
class ImportStore
{
public:
    enum class Mode {
        Save,       // every staged record as a new record
        Overwrite,  // a main record of the same title is replaced
    };

    struct Result
    {
        int stored = 0;
        int added = 0;        // stored as new records
        int overwritten = 0;  // stored in place of a record of the same title
        int failed = 0;       // left staged
        int untitled = 0;     // overwrite: stored as new, having no title
        QMap<QString, int> refusedYears;   // year -> records its year refused
        // Every record refused, named with its reason, and whatever else went
        // wrong, in the order it happened.
        QStringList problems;
        QString firstError() const { return problems.value(0); }
    };

    explicit ImportStore(Database *db);

    // Stores every staged record; eachRecord(done, total) runs after each.
    // Throws DbError only when the tables cannot be read at all, or a store
    // that an earlier run was killed in cannot be completed or taken back
    // (nothing stored then).
    Result storeAll(Mode mode, const std::function<void(int done, int total)> &eachRecord = {});

    // What the user is told afterwards: the message, and with more than one
    // problem the whole list of them as its details (empty otherwise).
    static QString resultMessage(Mode mode, const Result &result);
    static QString resultDetails(const Result &result);

private:
    Database *m_db;
};
