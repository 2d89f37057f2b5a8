#pragma once
#include "records/forms/AppContext.h"

#include <QDialog>

class QLabel;

// A dialog that is left only through its own buttons: Escape and the
// window manager's close do nothing, so that the leave rules of its "退出"
// (checks, the save question) always run. Code may still close it. It
// reaches the data through the context that start-up hands it.
class QuitOnlyDialog : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit QuitOnlyDialog(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Labels become their controls' buddies; the tab order follows the
    // visual order.
    void showEvent(QShowEvent *event) override;
};

// A page window: 800 x 600 however it is resized, minimise and maximise
// icons but no close box.
class PageWindow : public QuitOnlyDialog
{
    Q_OBJECT
public:
    explicit PageWindow(QWidget *parent = nullptr);

    static constexpr int PageWidth = 800;
    static constexpr int PageHeight = 600;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void keepPageSize();
};

// The title strip at the top of a page ("单位情况", "学科带头人情况").
QLabel *MakeTitlePanel(const QString &title, QWidget *parent);
