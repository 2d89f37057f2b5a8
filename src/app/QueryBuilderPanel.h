#pragma once
#include "app/QueryBuilder.h"

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>

class TDM;
class TMainForm;

// What the main window's query panel "查询条件输入区" does: the item list,
// the value input that fits the chosen item, "加入" and the joiners that
// build the condition, "剪切", and "查询" / "恢复", which replace the list
// of the chosen category and year by the records that meet the condition
// and bring it back. The controls belong to the main window.
class QueryBuilderPanel : public QObject
{
    Q_OBJECT
public:
    explicit QueryBuilderPanel(TMainForm *main);

    // An item of the list: its display text and the achievement field,
    // which also names the dictionary group of its codes.
    struct Item
    {
        QString name;
        QString field;
    };
    const QList<Item> &items() const { return m_items; }
    QueryBuilder::Input input() const { return m_input; }

    // At start-up: the items in table order, item 0 and its input chosen.
    void fillItems();

public slots:
    void ComboBox2Change();   // an item chosen
    void SpeedButton24Click();  // 加入
    void insertJoiner(const QString &text);  // and, not, or, (, )
    void SpeedButton23Click();  // 剪切
    void SpeedButton16Click();  // 查询
    void SpeedButton26Click();  // 恢复
    void ComboBox5DropDown();   // library classification
    void ComboBox6DropDown();   // subject classification

private:
    TDM &dm() const;
    void connectControls();
    void fillValueList(const Item &item);
    void showInput(QueryBuilder::Input input);
    void runSearch();
    // Tells why the search listed nothing and puts the previous list back.
    void searchFailed(const QString &caption, const QString &text, QMessageBox::Icon icon);
    void restorePreviousList();
    void moveCaretToEnd();

    TMainForm *m_main;
    QList<Item> m_items;
    QueryBuilder::Input m_input = QueryBuilder::Input::CodeList;
};
