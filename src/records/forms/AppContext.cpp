#include "AppContext.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/forms/DictionaryService.h"
#include "records/data/UnitDM.h"

namespace {

// Pages built without a main window (tests, or a page shown on its own):
// the record is the main list's current row, and there is nothing to mark.
class ListHost : public RecordHost
{
public:
    explicit ListHost(TDM &dm) : m_dm(dm) {}
    DataSet &currentRecord() override { return *m_dm.Qrykjcg; }
    bool ensureCurrentRecord() override
    {
        return m_dm.Qrykjcg->isOpen() && !m_dm.Qrykjcg->isEmpty();
    }
    void markSectionDone(const QString &) override {}
    void pageLeft() override {}
    int categoryIndex() const override { return 0; }

private:
    TDM &m_dm;
};

} // namespace

AppContext::AppContext(TDM &dm)
    : m_dm(&dm),
      m_dictionary(std::make_unique<DictionaryService>(dm)),
      m_listHost(std::make_unique<ListHost>(dm))
{
}

AppContext::~AppContext() = default;

void AppContext::setMainWindow(QWidget *window, RecordHost *host)
{
    m_mainHost = host;
    m_mainWidget = window;
    addWindow(window);
}

RecordHost &AppContext::recordHost() const
{
    if (m_host)
        return *m_host;
    if (m_mainWidget && m_mainHost)
        return *m_mainHost;
    return *m_listHost;
}

void AppContext::setRecordHost(RecordHost *host)
{
    m_host = host;
}

void AppContext::addWindow(QWidget *window)
{
    if (window && !m_windows.contains(window))
        m_windows.append(window);
}

void AppContext::throwMissing(const char *className)
{
    throw DbError(QStringLiteral("窗口%1还没有建立！").arg(QString::fromLatin1(className)));
}

QWidget *AppContext::windowOfClass(const char *className) const
{
    for (const QPointer<QWidget> &w : m_windows) {
        if (w && qstrcmp(w->metaObject()->className(), className) == 0)
            return w.data();
    }
    return nullptr;
}

QList<QWidget *> AppContext::windows() const
{
    QList<QWidget *> list;
    for (const QPointer<QWidget> &w : m_windows) {
        if (w)
            list << w.data();
    }
    return list;
}

AppContext &ContextWindow::context() const
{
    if (!m_context)
        throw DbError(QStringLiteral("窗口还没有连接到数据！"));
    return *m_context;
}

AppContext *FindContext(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (const auto *owner = dynamic_cast<const ContextWindow *>(w); owner && owner->isWired())
            return &owner->context();
    }
    return nullptr;
}

AppContext &ContextOf(const QWidget *widget)
{
    if (AppContext *context = FindContext(widget))
        return *context;
    throw DbError(QStringLiteral("窗口还没有连接到数据！"));
}
