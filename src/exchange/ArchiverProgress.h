#pragma once
#include <QObject>
#include <QPointer>

class Archiver;
class QProgressDialog;
class QTimer;
class QWidget;

// Shows the runs of an archiver to the user: while it works, a modal
// progress window with a cancel button appears (after a short moment, so
// that quick runs do not flash it), and no other window takes clicks or
// keys. The caller's window keeps painting because the archiver waits in an
// event loop. Lives as long as the caller keeps it, typically on the stack
// beside the Archiver:
//
//     Archiver archiver;
//     ArchiverProgress progress(archiver, this);
//     archiver.unpack(...);
class ArchiverProgress : public QObject
{
    Q_OBJECT

public:
    ArchiverProgress(Archiver &archiver, QWidget *parent);
    ~ArchiverProgress() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void begin(const QString &what);
    void advance(int done, int total);
    void end();

    QPointer<QProgressDialog> m_dialog;
    QTimer *m_showDelay;
    bool m_filtering = false;
};
