#include "DataSetModel.h"

#include "DataSet.h"
#include "DbError.h"

DataSetModel::DataSetModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void DataSetModel::setDataSet(DataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (dataSet) {
        connect(dataSet, &DataSet::rowsReset, this, &DataSetModel::reset);
        connect(dataSet, &DataSet::rowChanged, this, [this](int row) {
            if (row >= 0 && row < rowCount() && columnCount() > 0)
                emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        });
        connect(dataSet, &QObject::destroyed, this, [this] {
            m_dataSet = nullptr;
            reset();
        });
    }
    reset();
}

DataSet *DataSetModel::dataSet() const
{
    return m_dataSet;
}

void DataSetModel::setColumns(const QStringList &fields)
{
    m_columns = fields;
    reset();
}

QStringList DataSetModel::columns() const
{
    return m_columns;
}

// Columns are found again after every reset: a reopened dataset may have
// other fields.
void DataSetModel::reset()
{
    beginResetModel();
    m_lastError.clear();
    m_fieldIndexes.clear();
    if (m_dataSet && m_dataSet->isOpen()) {
        if (m_columns.isEmpty()) {
            for (int i = 0; i < m_dataSet->fieldNames().size(); ++i)
                m_fieldIndexes.append(i);
        } else {
            for (const QString &name : std::as_const(m_columns))
                m_fieldIndexes.append(m_dataSet->fieldIndex(name));
        }
    } else {
        for (qsizetype i = 0; i < m_columns.size(); ++i)
            m_fieldIndexes.append(-1);
    }
    endResetModel();
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_dataSet || !m_dataSet->isOpen())
        return 0;
    try {
        return m_dataSet->recordCount();
    } catch (const DbError &e) {
        remember(e);
        return 0;
    }
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fieldIndexes.size());
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_dataSet || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int field = m_fieldIndexes.value(index.column(), -1);
    if (field < 0)
        return {};
    try {
        return m_dataSet->textAt(index.row(), field);
    } catch (const DbError &e) {
        remember(e);
        return QString();
    }
}

QString DataSetModel::lastError() const
{
    return m_lastError;
}

// The grid asks while it paints, where no handler could catch: a row that
// cannot be read shows empty, and the first failure is kept to be told.
void DataSetModel::remember(const DbError &error) const
{
    if (m_lastError.isEmpty())
        m_lastError = error.message();
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= m_fieldIndexes.size())
        return {};
    const QString name = m_columns.isEmpty() && m_dataSet
                             ? m_dataSet->fieldNames().value(section)
                             : m_columns.value(section);
    return m_dataSet ? m_dataSet->fieldTitle(name) : name;
}

void DataSetModel::setEditable(bool editable)
{
    m_editable = editable;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid() && m_fieldIndexes.value(index.column(), -1) >= 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}

// The user typed into a column under its caption; a refusal that names the
// field by its stored name names it by that caption instead.
static QString namedByCaption(QString message, const QString &field, const QString &caption)
{
    if (caption.isEmpty() || caption.compare(field, Qt::CaseInsensitive) == 0)
        return message;
    const QString quoted = QStringLiteral("“%1”");
    return message.replace(quoted.arg(field), quoted.arg(caption), Qt::CaseInsensitive);
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_editable || role != Qt::EditRole || !index.isValid() || !m_dataSet)
        return false;
    const int field = m_fieldIndexes.value(index.column(), -1);
    if (field < 0)
        return false;
    const QString name = m_dataSet->fieldNames().value(field);
    try {
        if (m_dataSet->textAt(index.row(), field) == value.toString())
            return true;
        m_dataSet->moveTo(index.row());
        m_dataSet->edit();
        m_dataSet->setValue(name, value);
        m_dataSet->post();
    } catch (const DbError &e) {
        if (m_dataSet->state() != DataSet::Browse)
            m_dataSet->cancel();
        emit editRefused(namedByCaption(e.message(), name, headerData(index.column(), Qt::Horizontal).toString()));
        return false;
    }
    emit rowEdited(index.row());
    return true;
}
