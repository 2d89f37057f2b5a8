#include "IoFaults.h"

#include <QFileInfo>
#include <QtGlobal>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <utility>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace {

// Exchange files are written on a thread of their own.
std::atomic<int> countdown{0};
std::atomic<int> killCountdown{0};
std::atomic<int> asked{0};
std::atomic<void (*)()> raiser{nullptr};

// One step of a countdown; true when it reaches its end here.
bool countedDown(std::atomic<int> &counter)
{
    int left = counter.load(std::memory_order_relaxed);
    while (left > 0) {
        if (counter.compare_exchange_weak(left, left - 1))
            return left == 1;
    }
    return false;
}

std::atomic<bool> ledgerOn{false};
std::mutex ledgerLock;
QList<IoFaults::Entry> entries;

[[noreturn]] void killNow()
{
#ifdef Q_OS_UNIX
    ::kill(::getpid(), SIGKILL);
#endif
    std::_Exit(137);
}

} // namespace

namespace IoFaults {

void failNth(int n)
{
    raiser = nullptr;
    asked = 0;
    killCountdown = 0;
    countdown = n;
}

void killNth(int n)
{
    failNth(0);
    killCountdown = n;
}

void raiseNth(int n, void (*raise)())
{
    failNth(n);
    raiser = raise;
}

void clear()
{
    failNth(0);
}

int seen()
{
    return asked;
}

bool failHere()
{
    ++asked;
    if (countedDown(killCountdown))
        killNow();
    if (!countedDown(countdown))
        return false;
    if (void (*raise)() = raiser.exchange(nullptr))
        raise();
    return true;
}

void startLedger()
{
    const std::lock_guard<std::mutex> lock(ledgerLock);
    entries.clear();
    ledgerOn = true;
}

QList<Entry> ledger()
{
    const std::lock_guard<std::mutex> lock(ledgerLock);
    ledgerOn = false;
    return std::exchange(entries, {});
}

void note(Step step, const QString &path)
{
    if (!ledgerOn.load(std::memory_order_relaxed))
        return;
    const std::lock_guard<std::mutex> lock(ledgerLock);
    entries.append({step, QFileInfo(path).fileName()});
}

} // namespace IoFaults
