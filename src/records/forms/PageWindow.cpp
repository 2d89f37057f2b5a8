#include "PageWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>

#include "records/widgets/FormOrder.h"

QuitOnlyDialog::QuitOnlyDialog(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
}

void QuitOnlyDialog::leave()
{
    reject();
}

void QuitOnlyDialog::closedFromOutside()
{
    leave();
}

void QuitOnlyDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (escapeLeaves())
            leave();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The window closes (or stays, after a refused check or question) the way
// its own handler decides; the event itself never closes it.
void QuitOnlyDialog::closeEvent(QCloseEvent *event)
{
    if (!event->spontaneous()) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (isVisible())
        closedFromOutside();
}

void QuitOnlyDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    BuddyLabels(this);
    TabInVisualOrder(this);
}

PageWindow::PageWindow(QWidget *parent)
    : QuitOnlyDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                 | Qt::WindowMinMaxButtonsHint)
{
    resize(PageWidth, PageHeight);
}

void PageWindow::showEvent(QShowEvent *event)
{
    QuitOnlyDialog::showEvent(event);
    keepPageSize();
}

void PageWindow::resizeEvent(QResizeEvent *event)
{
    QuitOnlyDialog::resizeEvent(event);
    keepPageSize();
}

void PageWindow::keepPageSize()
{
    if (size() != QSize(PageWidth, PageHeight))
        resize(PageWidth, PageHeight);
}

QLabel *MakeTitlePanel(const QString &title, QWidget *parent)
{
    auto *panel = new QLabel(title, parent);
    panel->setObjectName(QStringLiteral("TitlePanel"));
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setMinimumHeight(30);
    QFont font = panel->font();
    font.setPixelSize(18);
    font.setBold(true);
    panel->setFont(font);
    panel->setStyleSheet(QStringLiteral("color: #800000;"));
    return panel;
}
