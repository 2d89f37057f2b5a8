#include "ArchiverProgress.h"

#include "records/widgets/AppInfo.h"
#include "exchange/core/Archiver.h"

#include <QApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QTimer>

namespace {

constexpr int ShowDelay = 400;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

ArchiverProgress::ArchiverProgress(Archiver &archiver, QWidget *parent)
    : QObject(parent)
    , m_dialog(new QProgressDialog(parent))
    , m_showDelay(new QTimer(this))
{
    m_dialog->setWindowTitle(AppInfo::productName());
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setCancelButtonText(QStringLiteral("取消"));
    m_dialog->setMinimumDuration(std::numeric_limits<int>::max());
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumWidth(360);
    m_dialog->reset();
    m_dialog->hide();
    m_showDelay->setSingleShot(true);
    m_showDelay->setInterval(ShowDelay);
    connect(m_showDelay, &QTimer::timeout, m_dialog, &QWidget::show);
    connect(m_dialog, &QProgressDialog::canceled, &archiver, &Archiver::cancel);
    connect(&archiver, &Archiver::started, this, &ArchiverProgress::begin);
    connect(&archiver, &Archiver::progress, this, &ArchiverProgress::advance);
    connect(&archiver, &Archiver::finished, this, &ArchiverProgress::end);
}

ArchiverProgress::~ArchiverProgress()
{
    end();
    delete m_dialog;
}

void ArchiverProgress::begin(const QString &what)
{
    m_dialog->setLabelText(what);
    m_dialog->setRange(0, 0);
    m_dialog->setValue(0);
    if (!m_filtering) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
    m_showDelay->start();
}

void ArchiverProgress::advance(int done, int total)
{
    if (total > 1) {
        m_dialog->setRange(0, total);
        m_dialog->setValue(done);
    }
}

void ArchiverProgress::end()
{
    m_showDelay->stop();
    if (m_filtering) {
        qApp->removeEventFilter(this);
        m_filtering = false;
    }
    if (m_dialog) {
        m_dialog->hide();
        m_dialog->reset();
    }
}

// Until the modal window shows, input meant for the caller's windows must
// not start a second command while the first one waits.
bool ArchiverProgress::eventFilter(QObject *watched, QEvent *event)
{
    if (!isUserInput(event->type()) || !watched->isWidgetType())
        return false;
    const QWidget *widget = static_cast<QWidget *>(watched);
    return !(m_dialog && (widget == m_dialog || m_dialog->isAncestorOf(widget)));
}
