#include "PersonList.h"

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "engine/Filter.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/widgets/Messages.h"
#include "records/data/AchievementList.h"
#include "records/forms/HelpWindow.h"
#include "records/data/UnitDM.h"
#include "records/pages/CgwcrManage.h"
#include "records/pages/Finto8Unit.h"
#include "records/pages/PersonRules.h"

#include <QComboBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTableView>

namespace {

class CodeTextDelegate : public QStyledItemDelegate
{
public:
    CodeTextDelegate(const QString &field, QObject *parent)
        : QStyledItemDelegate(parent), m_field(field) {}

    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        const QString text = PersonCodes::textOf(m_field, value.toString());
        return text.isEmpty() ? QStyledItemDelegate::displayText(value, locale)
                              : QStringLiteral("  ") + text;
    }

    // In place, a code is chosen from "code text" items and stored as its code.
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &) const override
    {
        auto *choices = new QComboBox(parent);
        choices->addItems(PersonCodes::choicesOf(m_field));
        return choices;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *choices = static_cast<QComboBox *>(editor);
        const QString stored = index.data(Qt::EditRole).toString().trimmed();
        int found = -1;
        for (int i = 0; i < choices->count() && !stored.isEmpty(); ++i) {
            if (choices->itemText(i).section(QLatin1Char(' '), 0, 0) == stored)
                found = i;
        }
        choices->setCurrentIndex(found);
    }

    // A stored code the list lacks stays unless another item is chosen.
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        const auto *choices = static_cast<QComboBox *>(editor);
        if (choices->currentIndex() >= 0)
            model->setData(index, choices->currentText().section(QLatin1Char(' '), 0, 0));
    }

private:
    QString m_field;
};

} // namespace

namespace PersonGrid {

void showPersonColumns(DataSet &persons, DataSetModel &model)
{
    const QList<std::pair<const char *, const char *>> columns = {
        {"item_187", "序号"},     {"item_180", "姓名"},     {"item_181", "性别"},
        {"item_182", "出生年月"}, {"item_183", "技术职称"}, {"item_184", "文化程度"},
        {"item_188", "是否留学归国"}, {"item_185", "工作单位"}, {"item_186", "对成果创造性贡献"}};
    QStringList names;
    for (const auto &[field, title] : columns) {
        persons.setFieldTitle(QString::fromLatin1(field), QString::fromUtf8(title));
        names << QString::fromLatin1(field);
    }
    model.setColumns(names);
}

void drawCodeTexts(QTableView *grid, const QStringList &columns)
{
    auto *model = qobject_cast<DataSetModel *>(grid->model());
    if (!model)
        return;
    const QStringList shown = model->columns();
    for (const QString &field : columns) {
        const int column = shown.indexOf(field);
        if (column >= 0)
            grid->setItemDelegateForColumn(column, new CodeTextDelegate(field, grid));
    }
}

int otherRowsWithSerial(const DataSet &rows, const QString &serialField, int row)
{
    const int field = rows.fieldIndex(serialField);
    if (field < 0 || row < 0 || row >= rows.recordCount())
        return 0;
    const QString serial = rows.textAt(row, field).trimmed();
    int found = 0;
    for (int other = 0; other < rows.recordCount(); ++other) {
        if (other != row && rows.textAt(other, field).trimmed() == serial)
            ++found;
    }
    return found;
}

} // namespace PersonGrid

namespace PersonRegister {

void keep(Table &personRegister, const DataSet &person)
{
    const QString name = person.asString(QStringLiteral("item_180")).trimmed();
    personRegister.close();
    personRegister.setFilter(Filter::exact({{QStringLiteral("item_180"), name}}));
    personRegister.setFiltered(true);
    personRegister.open();
    const auto unfilter = qScopeGuard([&] {
        if (personRegister.state() != DataSet::Browse)
            personRegister.cancel();
        personRegister.close();
        personRegister.setFiltered(false);
        personRegister.open();
    });
    switch (PersonRegister::actionFor(personRegister.recordCount())) {
    case Action::Add:
        personRegister.append();
        break;
    case Action::Overwrite:
        personRegister.first();
        personRegister.edit();
        break;
    case Action::Leave:
        return;
    }
    // Column by column: the register has the person table's columns.
    for (const QString &field : personRegister.fieldNames()) {
        if (person.hasField(field))
            personRegister.setValue(field, person.value(field));
    }
    personRegister.post();
}

} // namespace PersonRegister

PersonListWindow::PersonListWindow(const QString &gridName, QWidget *parent)
    : ChildListWindow({listTitle(), listTitle(), gridName, QStringLiteral("Button3"),
                       {QStringLiteral("姓名")}},
                      parent)
{
    // "修改" on an empty list adds; "删除" then has nothing to ask about.
    offerRowCommandsAlways();
    quickAddButton = addCommand(QStringLiteral("Button5"), QStringLiteral("快速添加"));
    helpButton = addCommand(QStringLiteral("Button4"), QStringLiteral("帮助"));
    connect(quickAddButton, &QPushButton::clicked, this, [this] {
        runGuarded(this, [this] { context().need<TFormWcr>().pickFor(*this); });
    });
    connect(helpButton, &QPushButton::clicked, this, [this] {
        runGuarded(this, [this] { ShowHelpFor(&context(), context().recordHost().categoryIndex()); });
    });
}

QString PersonListWindow::listTitle()
{
    return QStringLiteral("成果完成人员名单");
}

// Both lists add through the one person dialog.
void PersonListWindow::showEvent(QShowEvent *event)
{
    if (isWired()) {
        if (auto *dialog = context().window<TFinto8>())
            setDialog(dialog);
    }
    ChildListWindow::showEvent(event);
}

void PersonListWindow::afterStore(ChildList::Mode mode)
{
    if (mode == ChildList::Mode::Modify)
        placeRowAtItsSerial();
    else if (mode == ChildList::Mode::Add && rows())
        PersonRegister::keep(*context().dm().TblwcrNew, *rows());
}

void PersonListWindow::afterQuickAdd()
{
    TDM &dm = context().dm();
    const DataSet &record = context().recordHost().currentRecord();
    Table &persons = *dm.TblCgwcr;
    persons.close();
    persons.setFilter(AchievementList::recordKeyFilter(record.asString(QStringLiteral("item_4")),
                                                       record.asString(QStringLiteral("item_dqdm"))));
    persons.setFiltered(true);
    persons.open();
    ChildList::renumberSerials(persons, QStringLiteral("item_187"));
    renumber();
    setRowCommandsEnabled(rows() && !rows()->isEmpty());
}

void PersonListWindow::quitClick()
{
    runGuarded(this, [this] {
        if (!rows() || !rows()->isOpen() || rows()->isEmpty()) {
            Messages::ShowWarning(this, QStringLiteral("成果完成人员名单不能为空！"));
            return;
        }
        context().recordHost().markSectionDone(AchievementList::personsButton());
        accept();
    });
}
