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

void ExchangeReadAhead::finish(std::exception_ptr error)
{
    {
        std::lock_guard lock(m_mutex);
        m_error = std::move(error);
        m_done = true;
    }
    m_changed.notify_all();
}
