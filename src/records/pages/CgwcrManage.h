#pragma once
#include "records/forms/PageWindow.h"

class PersonListWindow;
class QLabel;
class QPushButton;
class QTableView;

// The person picker: the register of persons entered before, from which
// the user adds one or several persons to the current record at once.
class TFormWcr : public QuitOnlyDialog
{
    Q_OBJECT
public:
    explicit TFormWcr(QWidget *parent = nullptr);

    void wire(AppContext &context) override;
    // Shows the picker for a person list; the persons added go to the
    // current record and the list is numbered again.
    void pickFor(PersonListWindow &list);

    QTableView *DBGrid1 = nullptr;
    QLabel *Label1 = nullptr;          // the count
    QPushButton *BitBtn1 = nullptr;    // 添加到项目中
    QPushButton *Button1 = nullptr;    // 删除
    QPushButton *BitBtn5 = nullptr;    // 退出

public slots:
    void BitBtn1Click();
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QList<int> chosenRows();
    void addToRecord(const QList<int> &registerRows);
    void showCount();

    PersonListWindow *m_list = nullptr;
};
