#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class QComboBox;
class QFileSystemModel;
class QTreeView;

// The file-system roots to offer in a drive list: the drives on Windows; on
// other systems the root and the mounted volumes (a stick, a share), each
// once.
QStringList FileSystemRoots();
// The folder as the exchange windows show it: native separators, no
// trailing separator but for a bare root ("C:", "/").
QString ShownFolder(const QString &path);

// A drive list tied to a folder tree, as the exchange windows have them:
// choosing a drive shows its folders, choosing a folder makes it the
// chosen folder. The two controls belong to the window; this wires them.
class ExchangeFolders : public QObject
{
    Q_OBJECT
public:
    ExchangeFolders(QComboBox *drives, QTreeView *folders, QObject *parent = nullptr);

    // Shows the folder: its drive in the list, the folder current in the tree.
    void showFolder(const QString &path);
    // Makes the drive (one of FileSystemRoots) the list's choice.
    void chooseDrive(const QString &root);
    // Makes the folder the tree's current one.
    void chooseFolder(const QString &path);

signals:
    // The drive's root, as ShownFolder gives it.
    void driveChosen(const QString &shown);
    void folderChosen(const QString &shown);

private:
    void showDrive(const QString &root);
    void showPending();
    QString rootOf(const QString &path) const;

    QComboBox *m_drives;
    QTreeView *m_folders;
    QFileSystemModel *m_model;
    QString m_pending;   // the folder to show once its parents are read
};
