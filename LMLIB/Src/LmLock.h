// The library's one process-wide recursive lock.
#pragma once

#include <vxplat/Kernel.h>

namespace LmLib
{
    // Scoped guard: serialises reference counts, pointer assignments and the cycle
    // collector. The critical section is created on first use and deleted when the
    // module's statics are torn down; it is recursive, so a holder may re-enter.
    class CLmLock
    {
    public:
        CLmLock();
        ~CLmLock();
        CLmLock(const CLmLock&) = delete;
        CLmLock& operator=(const CLmLock&) = delete;

        // Number of guards the calling thread holds (diagnostics only; waits while
        // another thread is inside).
        static LONG GetDepth();
    };
}
