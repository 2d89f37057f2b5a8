#include "BusyRun.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <exception>
#include <memory>

namespace {

// Short runs end before the indicator would only flicker.
constexpr int ShowAfterMs = 400;

} // namespace

void RunWithBusyIndicator(QWidget *parent, const QString &text, const std::function<void()> &work)
{
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QProgressDialog busy(text, QString(), 0, 0, parent);
    busy.setWindowTitle(QApplication::applicationName());
    busy.setWindowModality(Qt::WindowModal);
    busy.setMinimumDuration(ShowAfterMs);
    busy.setValue(0);
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    thread->start();
    // Input to other windows waits; painting and the indicator go on.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    QApplication::restoreOverrideCursor();
    busy.reset();
    if (failure)
        std::rethrow_exception(failure);
}
