#include "ExchangeReadAhead.h"

#include <utility>

namespace {

// Blocks of about a megabyte each: enough to keep the caller busy while
// the next one is read, little memory.
constexpr size_t BatchesAhead = 4;

} // namespace

ExchangeReadAhead::ExchangeReadAhead(ExchangeFileReader &reader)
    : m_reader(reader), m_thread([this] { run(); })
{
}

ExchangeReadAhead::~ExchangeReadAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool ExchangeReadAhead::next(ExchangeBatch &batch)
{
    std::unique_lock lock(m_mutex);
    if (!batch.records.isEmpty())
        m_used.push_back(std::move(batch));
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
    if (m_ready.empty()) {
        if (m_error)
            std::rethrow_exception(std::exchange(m_error, nullptr));
        return false;
    }
    batch = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return true;
}

void ExchangeReadAhead::run()
{
    try {
        for (ExchangeBatch batch = m_reader.readBatch(); !batch.records.isEmpty(); batch = m_reader.readBatch()) {
            if (!put(std::move(batch)))
                break;
            recycleUsed();
        }
        finish(nullptr);
    } catch (...) {
        finish(std::current_exception());
    }
}

// Waits while enough batches are ready; false when the caller stopped.
bool ExchangeReadAhead::put(ExchangeBatch &&batch)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stop || m_ready.size() < BatchesAhead; });
    if (m_stop)
        return false;
    m_ready.push_back(std::move(batch));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

// Taking a batch apart costs as much as a tenth of storing its rows; it
// is done here, out of the caller's way.
void ExchangeReadAhead::recycleUsed()
{
    std::deque<ExchangeBatch> used;
    {
        std::lock_guard lock(m_mutex);
        used.swap(m_used);
    }
    for (ExchangeBatch &batch : used)
        m_reader.recycle(std::move(batch));
}

void ExchangeReadAhead::finish(std::exception_ptr error)
{
    {
        std::lock_guard lock(m_mutex);
        m_error = std::move(error);
        m_done = true;
    }
    m_changed.notify_all();
}
