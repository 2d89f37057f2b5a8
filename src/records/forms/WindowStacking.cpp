#include "WindowStacking.h"

#include <QApplication>
#include <QEvent>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace WindowStacking {

namespace {

// Windows of their own kind: menus, drop-down lists and tips follow their
// control, the main window stands alone.
bool isStackedWindow(const QWidget *widget)
{
    if (!widget->isWindow() || !widget->parentWidget())
        return false;
    switch (widget->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Tool:
        return true;
    default:
        return false;
    }
}

class Stacker : public QObject
{
public:
    using QObject::QObject;

protected:
    // The show event comes before the window is mapped: the window manager
    // learns the opener with the window itself.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->spontaneous() || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show) {
            placeOverOpener(window);
            putBack(window);
        } else if (event->type() == QEvent::Hide) {
            notePlace(window);
        }
        return false;
    }

private:
    // A window shown again is placed by the program against its frame, the
    // first time against its inside (the frame is not known before the
    // window manager has drawn it): left alone it would stand lower by the
    // height of the title bar from its second opening on. It goes back where
    // its frame stood when it was last closed.
    static constexpr const char *PlaceProperty = "dravikWindowPlace";

    static void notePlace(QWidget *window)
    {
        if (isStackedWindow(window) && window->testAttribute(Qt::WA_WState_Created))
            window->setProperty(PlaceProperty, window->frameGeometry().topLeft());
    }

    static void putBack(QWidget *window)
    {
        const QVariant place = window->property(PlaceProperty);
        if (isStackedWindow(window) && place.isValid())
            window->move(place.toPoint());
    }

    static void placeOverOpener(QWidget *window)
    {
        QWidget *opener = openerOf(window);
        if (!opener)
            return;
        window->winId();
        opener->winId();
        QWindow *shown = window->windowHandle();
        QWindow *over = opener->windowHandle();
        if (!shown || !over)
            return;
        // An opener that stands in front of the window itself keeps the
        // window where it is: a circle of transient windows hangs the
        // modal checks.
        for (QWindow *w = over; w; w = w->transientParent()) {
            if (w == shown)
                return;
        }
        shown->setTransientParent(over);
    }
};

} // namespace

QWidget *openerOf(const QWidget *window)
{
    if (!window || !isStackedWindow(window))
        return nullptr;
    QWidget *opener = QApplication::activeModalWidget();
    if (!opener || opener == window)
        opener = QApplication::activeWindow();
    if (!opener || opener == window || !opener->isVisible())
        return nullptr;
    return opener->window();
}

void stackOverOpeners(QApplication &app)
{
    const QString name = QStringLiteral("WindowStacking");
    if (app.findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *stacker = new Stacker(&app);
    stacker->setObjectName(name);
    app.installEventFilter(stacker);
}

} // namespace WindowStacking
