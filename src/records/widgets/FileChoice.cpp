#include "FileChoice.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHash>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeView>

namespace {

// Qt's Chinese catalogue lacks the kinds of entry that are not files, and
// the file list writes sizes and dates in the desktop's locale.
class ChineseFileColumns : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        switch (index.column()) {
        case 1:
            if (files->isDir(source))
                break;
            return chinese.formattedDataSize(files->size(source), 1,
                                             QLocale::DataSizeTraditionalFormat);
        case 2:
            return kindText(QIdentityProxyModel::data(index, role).toString());
        case 3:
            return chinese.toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }

    // Qt's catalogue calls the size "体积".
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (section == 1 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return QStringLiteral("大小");
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

private:
    static QString kindText(const QString &shown)
    {
        static const QHash<QString, QString> kinds = {
            {QStringLiteral("Folder"), QStringLiteral("文件夹")},
            {QStringLiteral("File Folder"), QStringLiteral("文件夹")},
            {QStringLiteral("Drive"), QStringLiteral("驱动器")},
            {QStringLiteral("Shortcut"), QStringLiteral("快捷方式")},
            {QStringLiteral("Alias"), QStringLiteral("快捷方式")},
            {QStringLiteral("Unknown"), QStringLiteral("未知")},
        };
        return kinds.value(shown, shown);
    }
};

} // namespace

QString ChooseFileToOpen(QWidget *parent, const QString &title, const QString &filter)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
    dialog.resize(720, 460);
    // The places beside the list show a folder's name whole.
    if (auto *places = dialog.findChild<QSplitter *>())
        places->setSizes({150, 570});
    // The kind of file ("ARJ 归档文件") shows whole beside a long name.
    if (auto *details = dialog.findChild<QTreeView *>()) {
        details->header()->resizeSection(0, 220);
        details->header()->resizeSection(2, 130);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
