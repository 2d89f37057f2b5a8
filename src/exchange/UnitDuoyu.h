#pragma once
#include "records/forms/AppContext.h"

#include <QDialog>

class QTableView;
class QPushButton;

// A list of records of one name from which the surplus ones are deleted.
// Kept for the data module's duplicate list; no command opens it.
class TFormDuoyu : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit TFormDuoyu(QWidget *parent = nullptr);

    QTableView *DBGrid1 = nullptr;
    QPushButton *Button1 = nullptr;  // 删除
    QPushButton *Button2 = nullptr;  // 退出

    // The grid shows the duplicate-name list of the data module.
    void wire(AppContext &context) override;

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};
