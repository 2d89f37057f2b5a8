#include "IoFaults.h"

#include <atomic>

namespace {

// Exchange files are written on a thread of their own.
std::atomic<int> countdown{0};
std::atomic<int> asked{0};
std::atomic<void (*)()> raiser{nullptr};

} // namespace

namespace IoFaults {

void failNth(int n)
{
    raiser = nullptr;
    asked = 0;
    countdown = n;
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
    int left = countdown.load(std::memory_order_relaxed);
    while (left > 0) {
        if (!countdown.compare_exchange_weak(left, left - 1))
            continue;
        if (left == 1) {
            if (void (*raise)() = raiser.exchange(nullptr))
                raise();
        }
        return left == 1;
    }
    return false;
}

} // namespace IoFaults
