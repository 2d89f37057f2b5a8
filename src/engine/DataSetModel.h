#pragma once
#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class DataSet;
class DbError;

// A grid's view of a dataset. Detach it (setDataSet(nullptr)) while a long
// loop moves through the rows, so the grid does not repaint per row.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DataSetModel(QObject *parent = nullptr);

    void setDataSet(DataSet *dataSet);
    DataSet *dataSet() const;
    // The fields shown, in order; headers from the dataset's field titles.
    void setColumns(const QStringList &fields);
    QStringList columns() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A grid that edits in place: a changed cell is posted at once to the
    // row it belongs to (rowEdited follows), or refused with the reason
    // (editRefused), the row left as it was. Read-only unless asked.
    void setEditable(bool editable);
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // A row or memo that cannot be read shows as empty (no rows when the
    // count fails); the text of the first such failure since the rows were
    // last reset, empty when there was none.
    QString lastError() const;

signals:
    void rowEdited(int row);
    void editRefused(const QString &reason);

private:
    void reset();
    void remember(const DbError &error) const;

    QPointer<DataSet> m_dataSet;
    QStringList m_columns;
    QList<int> m_fieldIndexes;
    mutable QString m_lastError;
    bool m_editable = false;
};
