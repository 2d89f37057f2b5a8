#pragma once
// Drives modal dialogs from a test: the test arms a ModalHelper with what to
// do, then runs the code that opens the dialog (exec() blocks); the helper
// polls for the new active modal widget and runs the action on it.
//
// A dialog that never appears, or that the action leaves open, does not hang
// the test: after the time limit the helper records a failure and closes the
// dialog, so that exec() returns. Tests then QVERIFY2(helper.ok(), ...).
// As a last resort QTEST_FUNCTION_TIMEOUT ends a test that hangs anyway.

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

class ModalHelper : public QObject
{
public:
    using Action = std::function<void(QWidget *modal)>;

    // Arms the helper: the next modal widget that is not the one active now
    // gets the action. timeoutMs bounds both the wait for the dialog and the
    // time it may stay open after the action.
    explicit ModalHelper(Action action, int timeoutMs = 5000)
        : m_action(std::move(action)), m_timeoutMs(timeoutMs),
          m_before(QApplication::activeModalWidget()), m_deadline(timeoutMs)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    bool ran() const { return m_ran; }
    bool ok() const { return m_ran && m_error.isEmpty(); }
    QString error() const { return m_error; }
    QString seenTitle() const { return m_title; }

    // Helpers for actions.
    static QAbstractButton *button(QWidget *modal, const QString &nameOrText)
    {
        for (QAbstractButton *b : modal->findChildren<QAbstractButton *>()) {
            if (b->objectName() == nameOrText || b->text() == nameOrText)
                return b;
        }
        return nullptr;
    }
    static bool click(QWidget *modal, const QString &nameOrText)
    {
        QAbstractButton *b = button(modal, nameOrText);
        if (!b)
            return false;
        b->click();
        return true;
    }
    static bool setText(QWidget *modal, const QString &editName, const QString &text)
    {
        auto *edit = modal->findChild<QLineEdit *>(editName);
        if (!edit)
            return false;
        edit->setText(text);
        return true;
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!m_ran) {
            if (modal && modal != m_before) {
                m_ran = true;
                m_modal = modal;
                m_title = modal->windowTitle();
                m_deadline.setRemainingTime(m_timeoutMs);
                m_action(modal);
            } else if (m_deadline.hasExpired()) {
                m_error = QStringLiteral("no modal dialog appeared");
                m_timer.stop();
            }
            return;
        }
        if (!m_modal || !m_modal->isVisible()) {
            m_timer.stop();
            return;
        }
        if (m_deadline.hasExpired()) {
            m_error = QStringLiteral("the dialog stayed open after the action");
            if (auto *dialog = qobject_cast<QDialog *>(m_modal.data()))
                dialog->reject();
            else
                m_modal->close();
            m_timer.stop();
        }
    }

    Action m_action;
    int m_timeoutMs;
    QPointer<QWidget> m_before;
    QPointer<QWidget> m_modal;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    bool m_ran = false;
    QString m_error;
    QString m_title;
};
