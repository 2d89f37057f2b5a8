#pragma once
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// A help window "帮助信息": the fixed guide text in a read-only memo of
// 286 pixels at the top, with both scroll bars, and "返回" below it.
class HelpWindow : public QDialog
{
    Q_OBJECT
public:
    // resourcePath: the guide text compiled into the program.
    HelpWindow(const QString &resourcePath, QWidget *parent = nullptr);

    QPlainTextEdit *Memo1;
    QPushButton *Button1;  // "返回"

public slots:
    void Button1Click();
};

class AppContext;

// The help of the category chosen in the main window's category list:
// index 0 ("应用技术") shows THelpForm, any other index THelpForm_rj, the
// windows the start-up made; without them (no context) one is made for
// the showing.
void ShowHelpFor(const AppContext *context, int categoryIndex);
