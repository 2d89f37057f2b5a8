#include "MapGuard.h"

#ifndef Q_OS_WIN
#include <mutex>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace MapGuard {

std::atomic<quint32> cuts{0};

#ifdef Q_OS_WIN

int watch(const void *, qint64)
{
    return 0;
}

void forget(int)
{
}

bool wasCut(int)
{
    return false;
}

#else

namespace {

// Tables, memo files and the handles that threads of their own open on them:
// a few hundred at most.
constexpr int Views = 4096;

struct View
{
    std::atomic<bool> taken{false};
    std::atomic<quintptr> start{0};   // 0 while not watched
    std::atomic<quintptr> end{0};
    std::atomic<bool> cut{false};
};

View views[Views];
struct sigaction previous;
std::once_flag installed;
quintptr pageSize = 4096;

// Runs in the signal handler: nothing but atomics and system calls.
bool replaceCutPages(quintptr address)
{
    for (View &view : views) {
        const quintptr start = view.start.load(std::memory_order_acquire);
        if (start == 0 || address < start)
            continue;
        const quintptr end = view.end.load(std::memory_order_acquire);
        if (address >= end)
            continue;
        const quintptr page = address & ~(pageSize - 1);
        void *zeros = ::mmap(reinterpret_cast<void *>(page), size_t(end - page), PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED)
            return false;
        view.cut.store(true, std::memory_order_release);
        cuts.fetch_add(1, std::memory_order_release);
        return true;
    }
    return false;
}

void onBusError(int signal, siginfo_t *info, void *context)
{
    if (info && replaceCutPages(reinterpret_cast<quintptr>(info->si_addr)))
        return;   // the read is done again and finds zeros
    if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN && previous.sa_handler) {
        previous.sa_handler(signal);
        return;
    }
    // Not a view of ours: the fault happens again and ends the program as
    // it would have without us.
    ::signal(SIGBUS, SIG_DFL);
}

void install()
{
    pageSize = quintptr(::sysconf(_SC_PAGESIZE));
    struct sigaction action = {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previous);
}

} // namespace

int watch(const void *start, qint64 length)
{
    std::call_once(installed, install);
    if (!start || length <= 0)
        return -1;
    for (int ticket = 0; ticket < Views; ++ticket) {
        bool free = false;
        if (!views[ticket].taken.compare_exchange_strong(free, true))
            continue;
        View &view = views[ticket];
        view.cut.store(false, std::memory_order_relaxed);
        view.end.store(reinterpret_cast<quintptr>(start) + quintptr(length), std::memory_order_release);
        view.start.store(reinterpret_cast<quintptr>(start), std::memory_order_release);
        return ticket;
    }
    return -1;
}

void forget(int ticket)
{
    if (ticket < 0 || ticket >= Views)
        return;
    View &view = views[ticket];
    view.start.store(0, std::memory_order_release);
    view.end.store(0, std::memory_order_release);
    view.taken.store(false, std::memory_order_release);
}

bool wasCut(int ticket)
{
    return ticket >= 0 && ticket < Views && views[ticket].cut.load(std::memory_order_acquire);
}

#endif

} // namespace MapGuard
