#pragma once
#include "ExchangeFile.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

// Reads the batches of an exchange file on a thread of its own, a few
// blocks ahead of the caller, so that reading, splitting and checking the
// text go on while the caller stores the rows. The reader belongs to that
// thread until this object is gone.
class ExchangeReadAhead
{
public:
    explicit ExchangeReadAhead(ExchangeFileReader &reader);
    ~ExchangeReadAhead();
    ExchangeReadAhead(const ExchangeReadAhead &) = delete;
    ExchangeReadAhead &operator=(const ExchangeReadAhead &) = delete;

    // The next batch in file order; false after the last one. What the
    // reader threw (DbError) is thrown here once the batches read before
    // it have been taken. The batch given back is done with: the thread
    // takes it apart and reads into its bytes again.
    bool next(ExchangeBatch &batch);

private:
    void run();
    bool put(ExchangeBatch &&batch);
    void recycleUsed();
    void finish(std::exception_ptr error);

    ExchangeFileReader &m_reader;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<ExchangeBatch> m_ready;
    std::deque<ExchangeBatch> m_used;   // given back by the caller
    bool m_done = false;   // the reader reached the end or failed
    bool m_stop = false;   // the caller wants no more
    std::exception_ptr m_error;
    std::thread m_thread;   // last: started when the rest is ready
};
