#include "ExchangeFolders.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>

QStringList FileSystemRoots()
{
    QStringList roots;
    for (const QFileInfo &drive : QDir::drives())
        roots << QDir::cleanPath(drive.absoluteFilePath());
#ifndef Q_OS_WIN
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::cleanPath(volume.rootPath());
        // A container's single bind-mounted files are no place for a package.
        if (volume.isValid() && volume.isReady() && QFileInfo(root).isDir() && !roots.contains(root))
            roots << root;
    }
    std::sort(roots.begin() + 1, roots.end());
#endif
    return roots;
}

QString ShownFolder(const QString &path)
{
    QString shown = QDir::toNativeSeparators(QDir::cleanPath(path));
#ifdef Q_OS_WIN
    if (shown.size() == 3 && shown.endsWith(QLatin1Char('\\')))
        shown.chop(1);
    if (shown.size() == 2 && shown.at(1) == QLatin1Char(':'))
        shown = shown.toUpper();
#endif
    return shown;
}

ExchangeFolders::ExchangeFolders(QComboBox *drives, QTreeView *folders, QObject *parent)
    : QObject(parent), m_drives(drives), m_folders(folders), m_model(new QFileSystemModel(this))
{
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_folders->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_folders->hideColumn(column);
    m_folders->header()->hide();
    for (const QString &root : FileSystemRoots())
        m_drives->addItem(ShownFolder(root), root);

    // The model reads folders in the background: the folder to show is
    // made current once the folders above it are read.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &ExchangeFolders::showPending);
    // Folders read later, and the model's sorting of them, push the shown
    // folder out of sight: it is brought back into view until the user
    // picks another.
    const auto keepInView = [this] {
        if (!m_pending.isEmpty())
            m_folders->scrollTo(m_folders->currentIndex(), QAbstractItemView::PositionAtCenter);
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, keepInView);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, keepInView);
    connect(m_drives, &QComboBox::activated, this, [this](int index) {
        const QString root = m_drives->itemData(index).toString();
        showDrive(root);
        emit driveChosen(ShownFolder(root));
    });
    connect(m_folders->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                m_pending.clear();
                if (current.isValid())
                    emit folderChosen(ShownFolder(m_model->filePath(current)));
            });
}

QString ExchangeFolders::rootOf(const QString &path) const
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString best;
    for (int i = 0; i < m_drives->count(); ++i) {
        const QString root = m_drives->itemData(i).toString();
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        const bool holds = clean.compare(root, Qt::CaseInsensitive) == 0
                           || clean.startsWith(prefix, Qt::CaseInsensitive);
        if (holds && root.size() > best.size())
            best = root;
    }
    return best;
}

void ExchangeFolders::showDrive(const QString &root)
{
    m_pending.clear();
    const QSignalBlocker blocker(m_folders->selectionModel());
    m_folders->setRootIndex(m_model->setRootPath(root));
    m_folders->setCurrentIndex(QModelIndex());
}

void ExchangeFolders::showFolder(const QString &path)
{
    const QString root = rootOf(path);
    {
        const QSignalBlocker blocker(m_drives);
        m_drives->setCurrentIndex(m_drives->findData(root));
    }
    showDrive(root);
    m_pending = QDir::cleanPath(path);
    showPending();
}

void ExchangeFolders::showPending()
{
    if (m_pending.isEmpty())
        return;
    const QSignalBlocker blocker(m_folders->selectionModel());
    const QModelIndex index = m_model->index(m_pending);
    m_folders->setCurrentIndex(index);
    m_folders->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void ExchangeFolders::chooseDrive(const QString &root)
{
    const int index = m_drives->findData(QDir::cleanPath(root));
    if (index < 0)
        return;
    m_drives->setCurrentIndex(index);
    emit m_drives->activated(index);
}

void ExchangeFolders::chooseFolder(const QString &path)
{
    m_folders->setCurrentIndex(m_model->index(path));
}
