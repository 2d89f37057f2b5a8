#include "QueryBuilderPanel.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/DictionaryService.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "app/Unit1.h"
#include "records/data/UnitDM.h"
#include "records/forms/Unittree.h"
#include "records/widgets/DropDownCombo.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolButton>

using QueryBuilder::Input;

namespace {

const QString InfoCaption = QStringLiteral("信息");
const QString ErrorCaption = QStringLiteral("请注意！");

} // namespace

QueryBuilderPanel::QueryBuilderPanel(TMainForm *main)
    : QObject(main), m_main(main)
{
    connectControls();
}

TDM &QueryBuilderPanel::dm() const
{
    return m_main->context().dm();
}

void QueryBuilderPanel::connectControls()
{
    TMainForm *m = m_main;
    connect(m->ComboBox2, &QComboBox::activated, this, &QueryBuilderPanel::ComboBox2Change);
    connect(m->SpeedButton24, &QToolButton::clicked, this, &QueryBuilderPanel::SpeedButton24Click);
    for (QToolButton *joiner : {m->SpeedButton15, m->SpeedButton17, m->SpeedButton18}) {
        connect(joiner, &QToolButton::clicked, this,
                [this, joiner] { insertJoiner(joiner->text() + QLatin1Char(' ')); });
    }
    for (QToolButton *parenthesis : {m->SpeedButton20, m->SpeedButton21}) {
        connect(parenthesis, &QToolButton::clicked, this,
                [this, parenthesis] { insertJoiner(parenthesis->text()); });
    }
    connect(m->SpeedButton23, &QToolButton::clicked, this, &QueryBuilderPanel::SpeedButton23Click);
    connect(m->SpeedButton16, &QToolButton::clicked, this, &QueryBuilderPanel::SpeedButton16Click);
    connect(m->SpeedButton26, &QToolButton::clicked, this, &QueryBuilderPanel::SpeedButton26Click);
    connect(m->ComboBox5, &DropDownCombo::dropDown, this, &QueryBuilderPanel::ComboBox5DropDown);
    connect(m->ComboBox6, &DropDownCombo::dropDown, this, &QueryBuilderPanel::ComboBox6DropDown);
}

// ---- items and their inputs -----------------------------------------------

void QueryBuilderPanel::fillItems()
{
    Table &table = *dm().tblzdxx1;
    const QStringList fields = table.fieldNames();
    m_items.clear();
    m_main->ComboBox2->clear();
    for (table.first(); !table.eof(); table.next()) {
        const Item item{table.asString(fields.value(0)), table.asString(fields.value(1)).trimmed()};
        if (item.name.isEmpty())
            continue;
        m_items << item;
        m_main->ComboBox2->addItem(item.name);
    }
    m_main->ComboBox2->setCurrentIndex(m_items.isEmpty() ? -1 : 0);
    ComboBox2Change();
}

void QueryBuilderPanel::ComboBox2Change()
{
    runGuarded(m_main, [&] {
        m_main->Edit2->clear();
        const int index = m_main->ComboBox2->currentIndex();
        if (index < 0 || index >= m_items.size())
            return;
        const Item &item = m_items.at(index);
        fillValueList(item);
        showInput(QueryBuilder::inputFor(item.name, m_main->Combobox3->count(), dm().ZtflhPresent,
                                         dm().XkflPresent));
    });
}

// Earlier versions' codes ("**") stay in the list: records keep them.
void QueryBuilderPanel::fillValueList(const Item &item)
{
    QComboBox *values = m_main->Combobox3;
    const DictionaryService &dictionary = m_main->context().dictionary();
    values->clear();
    if (QueryBuilder::isMinistryItem(item.name))
        values->addItems(dictionary.affiliationItems(false));
    else
        values->addItems(dictionary.items(item.field, false, true));
    if (values->count() < 2 && QueryBuilder::isProvinceItem(item.name)) {
        values->clear();
        values->addItems(dictionary.provinceItems(true));
    }
}

void QueryBuilderPanel::showInput(Input input)
{
    m_input = input;
    const bool typed = input != Input::CodeList;
    m_main->Combobox3->setVisible(!typed);
    m_main->Edit2->setVisible(typed);
    m_main->Edit2->setReadOnly(!typed);
    m_main->ComboBox5->setVisible(input == Input::LibraryTree);
    m_main->ComboBox6->setVisible(input == Input::SubjectTree);
}

void QueryBuilderPanel::ComboBox5DropDown()
{
    runGuarded(m_main, [this] {
        m_main->context().need<TFormTree>().pick(m_main->Edit2, QStringLiteral("ztflh.dbf"));
    });
}

void QueryBuilderPanel::ComboBox6DropDown()
{
    runGuarded(m_main, [this] {
        m_main->context().need<TFormTree>().pick(m_main->Edit2, QStringLiteral("xkfl.dbf"));
    });
}

// ---- building the condition -----------------------------------------------

void QueryBuilderPanel::SpeedButton24Click()
{
    const int index = m_main->ComboBox2->currentIndex();
    if (index < 0 || index >= m_items.size())
        return;
    const Item &item = m_items.at(index);
    const QString value =
        QueryBuilder::conditionValue(item.name, m_input != Input::CodeList, m_main->Edit2->text(),
                                     m_main->Combobox3->currentText());
    m_main->MMUserV->setPlainText(m_main->MMUserV->toPlainText() + QLatin1Char(' ') + item.name);
    m_main->MMSysV->setPlainText(
        m_main->MMSysV->toPlainText()
        + QueryBuilder::conditionPiece(item.field, m_main->ComboBox4->currentText(), value));
    moveCaretToEnd();
}

void QueryBuilderPanel::insertJoiner(const QString &text)
{
    m_main->MMSysV->textCursor().insertText(text);
    moveCaretToEnd();
}

// The memo takes no typing: only the cut may change it by hand.
void QueryBuilderPanel::SpeedButton23Click()
{
    m_main->MMSysV->setReadOnly(false);
    m_main->MMSysV->cut();
    m_main->MMSysV->setReadOnly(true);
}

void QueryBuilderPanel::moveCaretToEnd()
{
    m_main->MMSysV->moveCursor(QTextCursor::End);
}

// ---- search and reset -----------------------------------------------------

void QueryBuilderPanel::SpeedButton16Click()
{
    runGuarded(m_main, [&] { runSearch(); });
}

void QueryBuilderPanel::runSearch()
{
    Query &list = *dm().Qrykjcg;
    m_main->CurrentListSql = list.sql();
    const QString condition = m_main->MMSysV->toPlainText();
    if (!QueryBuilder::parenthesesInOrder(condition)) {
        Messages::ShowWarning(m_main,
                              QStringLiteral("您的查询语句含有不正确的的“（”“）”,请修改！"));
        return;
    }
    if (condition.trimmed().isEmpty()) {
        searchFailed(InfoCaption, QStringLiteral("没有条件无法查询!"), QMessageBox::Information);
        return;
    }
    const QString wrongCondition = QStringLiteral("条件输入有误，请检查");
    if (!QueryBuilder::isBuiltFromPieces(condition)) {
        searchFailed(ErrorCaption, wrongCondition, QMessageBox::Question);
        return;
    }
    try {
        list.setSql(QueryBuilder::searchSql(condition, m_main->ComboBox1->currentIndex(),
                                            m_main->cbYear->currentText()));
        list.open();
    } catch (const DbError &) {
        searchFailed(ErrorCaption, wrongCondition, QMessageBox::Question);
        return;
    } catch (const std::exception &) {
        searchFailed(ErrorCaption, QStringLiteral("请检查查询输入框,重新选择条件"),
                     QMessageBox::Question);
        return;
    }
    if (list.isEmpty()) {
        searchFailed(InfoCaption, QStringLiteral("没找到符合条件的条目,请再输入合适语句!"),
                     QMessageBox::Information);
        return;
    }
    m_main->evaluateCurrentRecord();
    m_main->RenumberList();
}

void QueryBuilderPanel::searchFailed(const QString &caption, const QString &text,
                                     QMessageBox::Icon icon)
{
    Messages::show(m_main, caption, text, icon);
    restorePreviousList();
}

// The list comes back on its first row, which the marks and the lock then
// speak for.
void QueryBuilderPanel::restorePreviousList()
{
    ReopenQuery(*dm().Qrykjcg, m_main->CurrentListSql);
    m_main->evaluateCurrentRecord();
}

// The condition is emptied; the items' texts stay for the user.
void QueryBuilderPanel::SpeedButton26Click()
{
    runGuarded(m_main, [&] {
        m_main->reloadList();
        m_main->MMSysV->clear();
    });
}
