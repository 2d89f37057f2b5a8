#pragma once
#include <QString>

// One running copy per data folder: an advisory lock on a file in the data
// folder itself, which every copy of the program finds held whoever runs it
// and whatever its runtime folder, and which the system releases when the
// holder ends, however it ends. A copy that finds it held must not touch
// the folder: its start-up pack would replace files the holder has open.
class DataFolderLock
{
public:
    enum class Outcome {
        Acquired,
        HeldElsewhere,   // another copy works on the folder
        ReadOnly,        // nothing can be written there (problem() says so)
    };

    explicit DataFolderLock(const QString &dataPath);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

    // A folder that does not exist is left to the data module to report.
    Outcome acquire();
    // Why the folder cannot be used, naming it.
    QString problem() const;
    // The file the lock is held on, in the data folder.
    QString lockPath() const;

private:
    bool folderTakesWrites();
    Outcome readOnly(const QString &what);

    QString m_folder;
    QString m_problem;
#ifdef _WIN32
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};
