#include "ChildList.h"

#include "records/widgets/AppInfo.h"
#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "engine/DbfFile.h"
#include "engine/Filter.h"
#include "records/widgets/Abort.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/FormOrder.h"
#include "records/widgets/GridSelection.h"
#include "records/widgets/ListGrid.h"
#include "records/widgets/NamedControls.h"
#include "records/widgets/Abort.h"
#include "engine/DbError.h"
#include "records/widgets/Messages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLayout>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace ChildList {

QString addCaption(const QString &listName)
{
    return QStringLiteral("新增－－【") + listName + QStringLiteral("】");
}

QString modifyCaption(const QString &listName)
{
    return QStringLiteral("修改－－【") + listName + QStringLiteral("】");
}

Mode modeOf(const QString &caption, const QString &listName)
{
    if (caption == addCaption(listName))
        return Mode::Add;
    if (caption == modifyCaption(listName))
        return Mode::Modify;
    return Mode::Other;
}

void renumberSerials(DataSet &rows, const QString &serialField,
                     const std::function<void()> &afterPost)
{
    const int count = rows.recordCount();
    DbfSyncBatch oneSync;
    for (int i = 1; i <= count; ++i) {
        rows.moveTo(i - 1);
        // A row already in its place is left as it is: adding a person to a
        // long list writes one row, not the whole list.
        if (rows.asString(serialField) == QString::number(i))
            continue;
        rows.edit();
        rows.setString(serialField, QString::number(i));
        rows.post();
        if (afterPost)
            afterPost();
    }
    oneSync.finish();
}

QList<int> orderAfterMove(int count, int from, int to)
{
    QList<int> order;
    for (int i = 0; i < count; ++i) {
        if (i != from)
            order << i;
    }
    if (from < 0 || from >= count)
        return order;
    order.insert(qBound(0, to - 1, int(order.size())), from);
    return order;
}

QString deleteQuestion()
{
    return Messages::Texts::deleteItemQuestion();
}

void ShowPlainMessage(QWidget *parent, const QString &text)
{
    Messages::show(parent, AppInfo::applicationTitle(), text, QMessageBox::NoIcon);
}

Binding serialBinding(QWidget *dialog, const QString &field, QLineEdit *edit, const QString &emptyMessage)
{
    Binding b;
    b.field = field;
    b.widgets = {edit};
    b.load = [edit, field](const DataSet &row) { edit->setText(row.asString(field)); };
    b.value = [edit] { return QVariant(edit->text().trimmed()); };
    b.check = [dialog, edit, emptyMessage]() -> QString {
        const QString typed = edit->text().trimmed();
        if (typed.isEmpty()) {
            if (emptyMessage.isEmpty())
                throw Abort{};
            return emptyMessage;
        }
        bool whole = false;
        typed.toInt(&whole);
        if (!whole) {
            ShowPlainMessage(dialog, QStringLiteral("输入序号必须为数字！"));
            throw Abort{};
        }
        return {};
    };
    return b;
}

// A blank key field reads as NULL in SQL: it matches the empty value.
QString keySelect(const Key &key)
{
    QString table = key.table;
    const int dot = table.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        table.truncate(dot);
    QStringList conditions;
    for (int i = 0; i < key.fields.size(); ++i)
        conditions << QStringLiteral("coalesce(%1,'') = :k%2").arg(key.fields.at(i)).arg(i);
    QString sql = QStringLiteral("select * from ") + table;
    if (!conditions.isEmpty())
        sql += QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));
    if (!key.orderBy.isEmpty())
        sql += QStringLiteral(" order by ") + key.orderBy;
    return sql;
}

} // namespace ChildList

namespace {

// A row left in edit mode by a failed post, and changes a query holds back,
// are dropped: nothing half-written waits for the next post.
void discardPending(DataSet &rows)
{
    if (rows.state() == DataSet::Edit || rows.state() == DataSet::Insert)
        rows.cancel();
    if (auto *query = qobject_cast<Query *>(&rows); query && query->updatesPending())
        query->cancelUpdates();
}

// A cell of a text field is edited within the field's width, so that what
// is typed is stored whole rather than cut when posted.
class FieldWidthDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        auto *edit = new ByteLimitedEdit(parent);
        const auto *model = qobject_cast<const DataSetModel *>(index.model());
        const DataSet *rows = model ? model->dataSet() : nullptr;
        const QString field = model ? model->columns().value(index.column()) : QString();
        if (rows && rows->hasField(field))
            edit->setMaxBytes(rows->fieldWidth(field));
        return edit;
    }
};

} // namespace

// ---- list window ------------------------------------------------------------

ChildListWindow::ChildListWindow(const ChildListLayout &layout, QWidget *parent)
    : PageWindow(parent), m_layout(layout)
{
    setWindowTitle(layout.title);
    TitlePanel = MakeTitlePanel(layout.title, this);

    grid = new QTableView(this);
    grid->setObjectName(layout.gridName);
    StyleListGrid(grid, layout.maroonTitles);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setStretchLastSection(true);

    addButton = MakeButton(this, QStringLiteral("Button2"), QStringLiteral("新增"), 80);
    modifyButton = MakeButton(this, layout.modifyButtonName, QStringLiteral("修改"), 80);
    deleteButton = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("删除"), 80);
    quitButton = MakeButton(this, QStringLiteral("quit01"), QStringLiteral("退出"), 80);
    connect(addButton, &QPushButton::clicked, this, &ChildListWindow::addClick);
    connect(modifyButton, &QPushButton::clicked, this, &ChildListWindow::modifyClick);
    connect(deleteButton, &QPushButton::clicked, this, &ChildListWindow::deleteClick);
    connect(quitButton, &QPushButton::clicked, this, &ChildListWindow::quitClick);

    m_commands = new QHBoxLayout;
    m_commands->addStretch(1);
    for (QPushButton *b : {addButton, modifyButton, deleteButton, quitButton})
        m_commands->addWidget(b);
    m_commands->addStretch(1);

    auto *page = new QVBoxLayout(this);
    page->addWidget(TitlePanel);
    page->addWidget(grid, 1);
    page->addLayout(m_commands);
}

void ChildListWindow::setRows(DataSet *rows, DataSetModel *model, const QString &serialField)
{
    m_rows = rows;
    m_model = model;
    m_serialField = serialField;
    grid->setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnWidths();
        followCurrentRow();
    });
    connect(rows, &DataSet::currentChanged, this, &ChildListWindow::followCurrentRow);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_followingCurrent && current.isValid())
                    moveToGridRow(current.row());
            });
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                if (previous.isValid() && current.isValid() && current.column() != previous.column())
                    runGuarded(this, [&] { columnLeft(previous.row(), previous.column()); });
            });
}

void ChildListWindow::columnLeft(int, int) {}

void ChildListWindow::editInPlace()
{
    if (!m_model)
        return;
    m_model->setEditable(true);
    grid->setItemDelegate(new FieldWidthDelegate(grid));
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                          | QAbstractItemView::AnyKeyPressed);
    connect(m_model, &DataSetModel::rowEdited, this, [this] {
        runGuarded(this, [this] { applyEditedRow(); });
    });
    connect(m_model, &DataSetModel::editRefused, this, [this](const QString &reason) {
        Messages::ShowError(this, reason);
    });
}

// A change the table refuses is dropped from the query with a message; the
// grid then shows the row as stored.
void ChildListWindow::applyEditedRow()
{
    try {
        applyRowChanges();
    } catch (...) {
        discardPending(*m_rows);
        reloadRows();
        throw;
    }
}

void ChildListWindow::setAppendTarget(DataSet *target)
{
    m_appendTarget = target;
}

DataSet *ChildListWindow::appendTarget() const
{
    return m_appendTarget ? m_appendTarget.data() : m_rows.data();
}

void ChildListWindow::setKey(const ChildList::Key &key)
{
    m_key = key;
}

void ChildListWindow::showRowsOf(const QStringList &values)
{
    if (auto *table = qobject_cast<Table *>(m_rows.data())) {
        table->close();
        table->setFiltered(false);
        QList<std::pair<QString, QString>> key;
        for (int i = 0; i < m_key.fields.size(); ++i)
            key.append({m_key.fields.at(i), values.value(i)});
        table->setFilter(Filter::exact(key));
        table->setFiltered(true);
        table->open();
    } else if (auto *query = qobject_cast<Query *>(m_rows.data())) {
        query->close();
        query->setSql(ChildList::keySelect(m_key));
        query->clearParams();
        for (int i = 0; i < m_key.fields.size(); ++i)
            query->setParam(QStringLiteral("k%1").arg(i), values.value(i));
        query->open();
    }
}

void ChildListWindow::openForCurrentRecord()
{
    RecordHost &host = context().recordHost();
    if (!host.ensureCurrentRecord())
        return;
    const DataSet &record = host.currentRecord();
    showRowsOf({record.asString(QStringLiteral("item_4")), record.asString(QStringLiteral("item_dqdm"))});
    setWindowTitle(QStringLiteral("成果名称：") + record.asString(QStringLiteral("item_3")));
    if (layout())
        layout()->activate();
    resize(PageWidth, PageHeight);
    exec();
}

void ChildListWindow::afterStore(ChildList::Mode) {}

void ChildListWindow::placeRowAtItsSerial()
{
    DataSet *rows = m_rows.data();
    if (!rows || !rows->isOpen() || rows->isEmpty())
        return;
    const int from = rows->recNo();
    const int to = int(rows->asNumber(m_serialField));
    const QList<int> order = ChildList::orderAfterMove(rows->recordCount(), from, to);
    DbfSyncBatch oneSync;
    for (int place = 0; place < order.size(); ++place) {
        rows->moveTo(order.at(place));
        rows->edit();
        rows->setString(m_serialField, QString::number(place + 1));
        rows->post();
        applyRowChanges();
    }
    oneSync.finish();
}

void ChildListWindow::whenLeft() {}

void ChildListWindow::done(int result)
{
    PageWindow::done(result);
    runGuarded(this, [this] { whenLeft(); });
}

void ChildListWindow::setColumnWidths(const QList<int> &widths)
{
    m_columnWidths = widths;
    applyColumnWidths();
}

// A column the list gives no width takes its field's.
void ChildListWindow::applyColumnWidths()
{
    if (!m_model)
        return;
    const int columns = m_model->columnCount();
    const QStringList fields = m_model->columns().isEmpty() && m_model->dataSet()
                                   ? m_model->dataSet()->fieldNames()
                                   : m_model->columns();
    // The last column takes the room the others leave, so that the list
    // fits the page without scrolling sideways.
    const bool lastFills = grid->horizontalHeader()->stretchLastSection();
    for (int i = 0; i < columns; ++i) {
        if (lastFills && i == columns - 1)
            break;
        if (i < m_columnWidths.size()) {
            grid->setColumnWidth(i, m_columnWidths.at(i));
            continue;
        }
        const DataSet *rows = m_model->dataSet();
        const QString field = fields.value(i);
        const int bytes = rows && rows->hasField(field) ? rows->fieldWidth(field) : 0;
        grid->setColumnWidth(i, ColumnWidthFor(grid, bytes,
                                               m_model->headerData(i, Qt::Horizontal).toString()));
    }
}

void ChildListWindow::setDialog(ChildListDialog *dialog)
{
    m_dialog = dialog;
    dialog->setList(this);
}

QPushButton *ChildListWindow::addCommand(const QString &name, const QString &caption)
{
    QPushButton *button = MakeButton(this, name, caption, 80);
    m_commands->insertWidget(m_commands->indexOf(quitButton), button);
    return button;
}

void ChildListWindow::reloadRows()
{
    if (auto *table = qobject_cast<Table *>(m_rows.data())) {
        table->refresh();
    } else if (m_rows) {
        m_rows->close();
        m_rows->open();
    }
}

void ChildListWindow::applyRowChanges()
{
    if (auto *query = qobject_cast<Query *>(m_rows.data()); query && query->updatesPending())
        query->applyUpdates();
}

void ChildListWindow::renumber()
{
    DataSet &rows = *m_rows;
    if (m_model)
        m_model->setDataSet(nullptr);
    const auto reattach = qScopeGuard([&] {
        discardPending(rows);
        if (m_model)
            m_model->setDataSet(&rows);
    });
    reloadRows();
    ChildList::renumberSerials(rows, m_serialField, [this] { applyRowChanges(); });
}

void ChildListWindow::setRowCommandsEnabled(bool enabled)
{
    if (m_rowCommandsAlwaysOffered)
        enabled = true;
    deleteButton->setEnabled(enabled);
    modifyButton->setEnabled(enabled);
}

void ChildListWindow::showEvent(QShowEvent *event)
{
    PageWindow::showEvent(event);
    if (m_rows)
        setRowCommandsEnabled(m_rows->isOpen() && !m_rows->isEmpty());
    followCurrentRow();
}

void ChildListWindow::addClick()
{
    openDialog(ChildList::Mode::Add);
}

void ChildListWindow::modifyClick()
{
    const bool hasRows = m_rows && m_rows->isOpen() && !m_rows->isEmpty();
    openDialog(hasRows ? ChildList::Mode::Modify : ChildList::Mode::Add);
}

void ChildListWindow::openDialog(ChildList::Mode mode)
{
    if (!m_dialog)
        return;
    m_dialog->setWindowTitle(mode == ChildList::Mode::Add ? ChildList::addCaption(listName())
                                                         : ChildList::modifyCaption(listName()));
    m_dialog->exec();
}

void ChildListWindow::deleteClick()
{
    runGuarded(this, [this] { deleteCurrentRow(); });
}

// The row that followed the deleted one takes its place and becomes current;
// after the last row the list stays on its new last row.
void ChildListWindow::deleteCurrentRow()
{
    if (!m_rows || !m_rows->isOpen() || m_rows->isEmpty())
        return;
    const int position = m_rows->recNo();
    if (Messages::show(this, QStringLiteral("提示信息"), ChildList::deleteQuestion(),
                       QMessageBox::Information, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    try {
        m_rows->remove();
        applyRowChanges();
    } catch (...) {
        discardPending(*m_rows);
        throw;
    }
    renumber();
    const int count = m_rows->recordCount();
    if (count > 0)
        m_rows->moveTo(qMin(position, count - 1));
    else
        setRowCommandsEnabled(false);
}

void ChildListWindow::quitClick()
{
    accept();
}

void ChildListWindow::followCurrentRow()
{
    if (!m_rows || !m_model || m_model->dataSet() != m_rows || !m_rows->isOpen())
        return;
    m_followingCurrent = true;
    SelectGridRow(grid, m_rows->recNo());
    m_followingCurrent = false;
}

void ChildListWindow::moveToGridRow(int row)
{
    runGuarded(this, [&] {
        if (m_rows && m_rows->isOpen() && m_rows->recNo() != row && row < m_rows->recordCount())
            m_rows->moveTo(row);
    });
}

// ---- dialog -------------------------------------------------------------------

ChildListDialog::ChildListDialog(QWidget *parent)
    : QuitOnlyDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      BoundForm(this)
{
    Button1 = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("存储"), 80);
    Button2 = MakeButton(this, QStringLiteral("Button2"), QStringLiteral("退出"), 80);
    connect(Button1, &QPushButton::clicked, this, &ChildListDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &ChildListDialog::Button2Click);
}

// The dialog's edits take the widths of the list's fields.
void ChildListDialog::setList(ChildListWindow *list)
{
    m_list = list;
    if (list && list->rows())
        applyFieldModel(*list->rows());
}

ChildList::Mode ChildListDialog::mode() const
{
    return m_list ? ChildList::modeOf(windowTitle(), m_list->listName()) : ChildList::Mode::Other;
}

DataSet &ChildListDialog::boundRow() const
{
    if (!m_list || !m_list->rows())
        throw DbError(QStringLiteral("列表还没有连接到数据！"));
    return *m_list->rows();
}

DataSet &ChildListDialog::rowToWrite() const
{
    if (mode() == ChildList::Mode::Add && m_list && m_list->appendTarget())
        return *m_list->appendTarget();
    return boundRow();
}

bool ChildListDialog::appendsRow(const DataSet &) const
{
    return mode() == ChildList::Mode::Add;
}

void ChildListDialog::layOutWithButtons(QLayout *fields, const QMargins &margins)
{
    QHBoxLayout *buttons = ButtonRow({Button1, Button2}, 30);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(margins);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

QString ChildListDialog::leaveQuestion() const
{
    return QStringLiteral("记录已更改，是否保存后退出？");
}

void ChildListDialog::loadControls(ChildList::Mode mode)
{
    if (mode == ChildList::Mode::Add) {
        clearAfterAdd();
        presetForAdd();
    } else if (m_list && m_list->rows()) {
        loadFromRow();
    }
}

bool ChildListDialog::entryIsBlank(Binding::EntryPart part, bool trimmed) const
{
    bool named = false;
    for (const Binding &b : bindings()) {
        auto *edit = b.entryParts & part ? qobject_cast<QLineEdit *>(b.widgets.value(0)) : nullptr;
        if (!edit)
            continue;
        named = true;
        if (!(trimmed ? edit->text().trimmed() : edit->text()).isEmpty())
            return false;
    }
    return named;
}

bool ChildListDialog::isBlankForStore() const
{
    return entryIsBlank(Binding::BlankStoresNothing, true);
}

bool ChildListDialog::isBlankForLeave() const
{
    return entryIsBlank(Binding::EmptyLeavesAtOnce, false);
}

void ChildListDialog::clearAfterAdd()
{
    for (const Binding &b : bindings()) {
        if (b.entryParts & Binding::ClearedAfterAdd) {
            if (auto *edit = qobject_cast<QLineEdit *>(b.widgets.value(0)))
                edit->clear();
        }
    }
}

void ChildListDialog::showEvent(QShowEvent *event)
{
    QuitOnlyDialog::showEvent(event);
    runGuarded(this, [this] { loadControls(mode()); });
    putCaretInFirstField();
}

QWidget *ChildListDialog::firstField() const
{
    return FirstFieldToType(this);
}

// Also when the dialog is not active yet: the field takes the focus as soon
// as the window does, so that typing starts at once.
void ChildListDialog::putCaretInFirstField()
{
    if (QWidget *field = firstField())
        field->setFocus();
}

bool ChildListDialog::Button1Click()
{
    return runGuarded(this, [this] { store(); });
}

void ChildListDialog::store()
{
    requireSettledDates();
    if (isBlankForStore()) {
        accept();
        return;
    }
    checkInput();
    const ChildList::Mode current = mode();
    if (current == ChildList::Mode::Other || !m_list || !m_list->rows())
        return;
    DataSet &rows = *m_list->rows();
    const int position = rows.isOpen() ? rows.recNo() : -1;
    storeRow(current);
    // The row is stored: a hook or a renumbering that fails is shown, but
    // the entry is done, so that "存储" pressed again cannot add the row twice.
    runGuarded(this, [&] {
        m_list->afterStore(current);
        m_list->renumber();
        keepStoredRowCurrent(rows, current, position);
    });
    if (current == ChildList::Mode::Add)
        m_list->setRowCommandsEnabled(true);
    Messages::ShowWarning(this, Messages::Texts::stored());
    if (current == ChildList::Mode::Modify) {
        accept();
        return;
    }
    clearAfterAdd();
    if (!staysOpenAfterAdd())
        accept();
    else
        putCaretInFirstField();
}

// A new row is the last one; a modified row keeps its place.
void ChildListDialog::keepStoredRowCurrent(DataSet &rows, ChildList::Mode mode, int position)
{
    if (!rows.isOpen())
        return;
    if (mode == ChildList::Mode::Add)
        rows.last();
    else if (position >= 0 && position < rows.recordCount())
        rows.moveTo(position);
}

void ChildListDialog::storeRow(ChildList::Mode mode)
{
    DataSet &target = rowToWrite();
    DataSet &rows = *m_list->rows();
    if (!rows.isOpen())
        rows.open();
    m_rowsBeforeAdd = rows.recordCount();
    try {
        writeRow();
        if (mode == ChildList::Mode::Add && &target != &rows)
            return;  // the table took it; the list reads it when renumbered
        m_list->applyRowChanges();
    } catch (...) {
        discardPending(target);
        throw;
    }
}

void ChildListDialog::Button2Click()
{
    if (!isBlankForLeave()) {
        bool mayLeave = true;
        if (!runGuarded(this, [&] { mayLeave = confirmLeave(leaveQuestion()); }))
            mayLeave = true;  // the comparison failed: nothing to ask about
        if (!mayLeave)
            return;  // the entry was refused: it stays for the user to mend
    }
    if (isVisible())
        reject();
}
