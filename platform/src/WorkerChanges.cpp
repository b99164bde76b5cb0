#include "WorkerChanges.h"

#include "vxplat/Durability.h"

#include <atomic>

namespace {

// Writes in progress on worker threads, or -1 once a request to stop is handled.
std::atomic<int> g_workerChanges{0};

}  // namespace

void vxp::StopWorkerChanges()
{
    int expected = 0;
    while (!g_workerChanges.compare_exchange_weak(expected, -1) && expected >= 0)
        expected = 0;
}

bool VxpBeginWorkerChange()
{
    int n = g_workerChanges.load();
    do {
        if (n < 0)
            return false;
    } while (!g_workerChanges.compare_exchange_weak(n, n + 1));
    return true;
}

void VxpEndWorkerChange() { g_workerChanges.fetch_sub(1); }
