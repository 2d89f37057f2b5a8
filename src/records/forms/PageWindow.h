#pragma once
#include "records/forms/AppContext.h"

#include <QDialog>

class QLabel;

// A dialog that is left only the way its own "退出" leaves it, so that the
// leave rules (checks, the save question) always run: Escape and the window
// manager's close (close box, Alt+F4) press it. Code may still close it. It
// reaches the data through the context that start-up hands it.
class QuitOnlyDialog : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit QuitOnlyDialog(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // The window's own way out, as its "退出" button; closing when it has none.
    virtual void leave();

protected:
    // The window manager asked to close the window: it leaves as through
    // "退出" unless a window closes otherwise from its title bar.
    virtual void closedFromOutside();
    // Escape leaves a dialog; a page is left through its buttons only.
    virtual bool escapeLeaves() const { return true; }
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
    bool escapeLeaves() const override { return false; }
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void keepPageSize();
};

// The title strip at the top of a page ("单位情况", "学科带头人情况").
QLabel *MakeTitlePanel(const QString &title, QWidget *parent);
