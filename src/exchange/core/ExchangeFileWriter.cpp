#include "ExchangeFile.h"
#include "ExchangeLines.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/Disk.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

using ExchangeText::LastValue;
using ExchangeLines::Block;
using ExchangeLines::InsertedRow;
using ExchangeLines::LineBlock;
using ExchangeLines::Plan;

namespace {

// Blocks that may wait for the file: a write held up for a moment does not
// hold up the lines.
constexpr size_t MaxWaiting = 4;
// Rows are put into lines by this many threads (the caller's among them),
// a slice of rows at a time, when there are at least twice as many as in a
// first slice.
constexpr int SliceThreads = 4;
constexpr int FirstSliceRows = 64;
constexpr int MaxSliceRows = 16384;
// Finished slices that may wait for one before them.
constexpr size_t MaxFinished = 2 * SliceThreads;

} // namespace

// Blocks go to the file in the order they come, on a thread of its own,
// so that the system's copying costs the lines no time. Written blocks
// come back to be filled again.
class ExchangeFileWriter::BlockQueue
{
public:
    explicit BlockQueue(Disk::NewFile &file)
        : m_file(file)
    {
    }

    // Blocks not yet written are dropped; one being written is finished.
    ~BlockQueue()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    // A block to fill: one written before, or a new one.
    Block spare()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_spares.empty())
            return Block();
        Block block = std::move(m_spares.back());
        m_spares.pop_back();
        return block;
    }

    // Waits while too many blocks wait; false when a write has failed.
    bool push(Block block)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        m_changed.wait(lock, [this] { return m_waiting.size() < MaxWaiting || m_failed; });
        if (m_failed)
            return false;
        m_waiting.push_back(std::move(block));
        m_changed.notify_all();
        return true;
    }

    // Waits until every block is written; false when a write failed.
    bool drain()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return (m_waiting.empty() && !m_writing) || m_failed; });
        return !m_failed;
    }

    // Why the failed write failed.
    DbError failure()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_failure;
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
            if (m_stop)
                return;
            Block block = std::move(m_waiting.front());
            m_waiting.pop_front();
            m_writing = true;
            lock.unlock();
            QString failure;
            try {
                m_file.write(block.bytes.constData(), block.used);
            } catch (const DbError &error) {
                failure = error.message();
            }
            lock.lock();
            m_writing = false;
            block.used = 0;
            m_spares.push_back(std::move(block));
            if (!failure.isEmpty()) {
                m_failure = DbError(failure);
                m_failed = true;
                m_waiting.clear();
            }
            m_changed.notify_all();
        }
    }

    Disk::NewFile &m_file;
    DbError m_failure{QString()};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_waiting;
    std::vector<Block> m_spares;
    bool m_writing = false;
    bool m_failed = false;
    bool m_stop = false;
    std::thread m_thread;   // last: started once the rest is there
};

// Many rows put into lines by several threads at once, a slice of rows at
// a time, each thread reading the records through a handle of its own on
// the table; the slices' blocks go to the file in the order of the rows.
// What is not taken from a record (lookups, text that is no GBK, a row
// being edited, a record the handle cannot read) comes from the dataset,
// one thread at a time. A failure ends the work at the first failing row,
// as writing the rows one by one would.
class ExchangeFileWriter::Slices
{
public:
    Slices(ExchangeFileWriter &writer, const DataSet &data, const Plan &plan, const QList<int> &rows)
        : m_writer(writer), m_data(data), m_plan(plan), m_rows(rows), m_linesBefore(writer.m_lines->lines()),
          m_linesAfter(m_linesBefore)
    {
    }

    // False, with nothing written, when the table cannot be opened again.
    // The caller's thread reads through the dataset's own file.
    bool run()
    {
        std::vector<std::shared_ptr<DbfFile>> handles;
        try {
            for (int i = 1; i < SliceThreads; ++i)
                handles.push_back(DbfFile::open(m_plan.file->path(), true));
        } catch (const DbError &) {
            return false;
        }
        m_writer.handOver(m_writer.m_lines->take(m_writer.m_queue->spare()));
        for (const int row : m_rows)
            m_recnos.append(m_data.storedRecord(row));
        std::vector<std::thread> helpers;
        try {
            for (const std::shared_ptr<DbfFile> &handle : handles)
                helpers.emplace_back([this, &handle] { work(handle.get()); });
        } catch (const std::system_error &) {
            // No more threads to be had: those there do all the rows.
        }
        work(nullptr);
        for (std::thread &helper : helpers)
            helper.join();
        m_writer.m_lines->setLines(m_linesAfter);
        m_writer.m_lines->addBlankedControls(m_blankedControls);
        if (m_failure)
            std::rethrow_exception(m_failure);
        return true;
    }

private:
    // Each thread takes the next rows, as many as gave about a block the
    // last time (rows differ by a hundred times between the tables).
    void work(const DbfFile *handle)
    {
        int count = FirstSliceRows;
        for (;;) {
            awaitRoom();
            const int first = m_nextRow.fetch_add(count);
            if (first >= m_rows.size() || first > m_failedRow)
                return;
            const int end = int(qMin(m_rows.size(), qsizetype(first) + count));
            LineBlock lines(m_writer.m_path, m_linesBefore + first, m_writer.m_queue->spare());
            lines.setDataSetLock(&m_dataSetLock);
            std::exception_ptr failure;
            try {
                for (int index = first; index < end; ++index)
                    writeRow(lines, handle, index);
            } catch (...) {
                failure = std::current_exception();
            }
            const qsizetype bytes = qMax<qsizetype>(lines.size(), 1);
            m_blankedControls += lines.blankedControls();
            handOver(first, end, lines, failure);
            count = int(std::clamp<qsizetype>(ExchangeLines::BlockSize * (end - first) / bytes, FirstSliceRows, MaxSliceRows));
        }
    }

    // Through a handle of the thread's own; what it cannot read, and every
    // row without one, the dataset's own file reads (and reports).
    void writeRow(LineBlock &lines, const DbfFile *handle, int index)
    {
        if (handle) {
            const int before = lines.lines();
            try {
                lines.writeRow(m_data, m_plan, m_rows.at(index), handle, m_recnos.at(index));
                return;
            } catch (const DbError &) {
                lines.setLines(before);
            }
        }
        const std::lock_guard<std::recursive_mutex> guard(m_dataSetLock);
        lines.writeRow(m_data, m_plan, m_rows.at(index), m_plan.file, m_recnos.at(index));
    }

    // Lines put together but not yet handed over stay a few blocks.
    void awaitRoom()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_handedOver.wait(lock, [this] { return m_finished.size() < MaxFinished || m_failedRow < INT_MAX; });
    }

    // A finished slice waits until those before it have gone; whoever
    // finds the next ones ready hands them over in order, while the others
    // go on with their rows. Nothing goes after a failed slice.
    void handOver(int first, int end, LineBlock &lines, std::exception_ptr failure)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (first > m_failedRow)
            return;
        m_finished.emplace(first, Finished{end, lines.take(Block()), lines.lines(), failure});
        if (m_handingOver)
            return;
        m_handingOver = true;
        for (auto next = m_finished.find(m_turn); next != m_finished.end(); next = m_finished.find(m_turn)) {
            Finished slice = std::move(next->second);
            const int sliceFirst = next->first;
            m_finished.erase(next);
            m_turn = slice.end;
            lock.unlock();
            if (slice.block.used > 0 && !m_writer.m_queue->push(std::move(slice.block)))
                slice.failure = std::make_exception_ptr(m_writer.m_queue->failure());
            lock.lock();
            m_handedOver.notify_all();
            m_linesAfter = slice.linesAfter;
            if (slice.failure) {
                m_failedRow = sliceFirst;
                m_failure = slice.failure;
                m_finished.clear();
                break;
            }
        }
        m_handingOver = false;
        m_handedOver.notify_all();
    }

    ExchangeFileWriter &m_writer;
    const DataSet &m_data;
    const Plan &m_plan;
    const QList<int> &m_rows;
    const int m_linesBefore;
    QList<int> m_recnos;   // each row's record, -1 for the dataset's way
    std::atomic<int> m_nextRow{0};
    std::atomic<int> m_blankedControls{0};
    std::recursive_mutex m_dataSetLock;
    struct Finished
    {
        int end = 0;
        Block block;
        int linesAfter = 0;
        std::exception_ptr failure;
    };
    std::mutex m_mutex;
    std::condition_variable m_handedOver;
    std::map<int, Finished> m_finished;   // by their first row
    bool m_handingOver = false;
    int m_turn = 0;   // the first row of the slice whose lines go next
    std::atomic<int> m_failedRow{INT_MAX};   // the first row of a failed slice
    std::exception_ptr m_failure;
    int m_linesAfter = 0;
};

ExchangeFileWriter::ExchangeFileWriter(const QString &path)
    : m_path(path), m_file(Disk::NewFile::beside(path))
{
    m_queue = std::make_unique<BlockQueue>(*m_file);
    m_lines = std::make_unique<LineBlock>(path, 0, Block());
}

// The queue ends its write before the file goes; the temporary file of an
// uncommitted writer is removed with it.
ExchangeFileWriter::~ExchangeFileWriter() = default;

QString ExchangeFileWriter::path() const
{
    return m_path;
}

int ExchangeFileWriter::blankedControls() const
{
    return m_lines->blankedControls();
}

void ExchangeFileWriter::writeValues(const QStringList &values, LastValue last)
{
    m_lines->writeValues(values, last);
    handOverIfFull();
}

void ExchangeFileWriter::writeOne(const DataSet &row, const Plan &plan, int current)
{
    const int recno = plan.file && current != InsertedRow ? row.storedRecord(current) : -1;
    m_lines->writeRow(row, plan, current, plan.file, recno);
    handOverIfFull();
}

void ExchangeFileWriter::writeRow(const DataSet &row, ExchangeLine kind)
{
    writeOne(row, Plan(row, kind), row.state() == DataSet::Insert ? InsertedRow : row.recNo());
}

void ExchangeFileWriter::writeRows(DataSet &data, ExchangeLine kind)
{
    const Plan plan(data, kind);
    for (data.first(); !data.eof(); data.next())
        writeOne(data, plan, data.state() == DataSet::Insert ? InsertedRow : data.recNo());
}

void ExchangeFileWriter::writeRows(const DataSet &data, ExchangeLine kind, const QList<int> &rows)
{
    const Plan plan(data, kind);
    if (plan.file && rows.size() >= 2 * FirstSliceRows && Slices(*this, data, plan, rows).run())
        return;
    for (const int row : rows)
        writeOne(data, plan, row);
}

void ExchangeFileWriter::handOverIfFull()
{
    if (m_lines->size() >= ExchangeLines::BlockSize)
        handOver(m_lines->take(m_queue->spare()));
}

void ExchangeFileWriter::handOver(Block block)
{
    if (block.used > 0 && !m_queue->push(std::move(block)))
        throw m_queue->failure();
}

// The file is one of the export's work folder, packed next: it needs to
// stand whole under its name, not to reach the disk (the archive made of
// it does, when it is put in place).
void ExchangeFileWriter::commit()
{
    handOver(m_lines->take(Block()));
    if (!m_queue->drain())
        throw m_queue->failure();
    m_file->replace(m_path, Disk::Durable::No);
}

int WriteExchangeFile(DataSet &data, const QString &fileName, ExchangeLine kind)
{
    ExchangeFileWriter writer(fileName);
    writer.writeRows(data, kind);
    writer.commit();
    return writer.blankedControls();
}
