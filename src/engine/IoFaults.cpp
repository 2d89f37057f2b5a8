#include "IoFaults.h"

#include <atomic>

namespace {

// Exchange files are written on a thread of their own.
std::atomic<int> countdown{0};
std::atomic<int> asked{0};

} // namespace

namespace IoFaults {

void failNth(int n)
{
    asked = 0;
    countdown = n;
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
        if (countdown.compare_exchange_weak(left, left - 1))
            return left == 1;
    }
    return false;
}

} // namespace IoFaults
