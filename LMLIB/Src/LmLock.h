// The library's one process-wide recursive lock.
#pragma once

#include <vxplat/Kernel.h>

namespace LmLib
{
    // Scoped guard: serialises reference counts, pointer assignments and the cycle
    // collector. The critical section is created on first use and deleted when the
    // module's statics are torn down; it is recursive, so a holder may re-enter.
    // Every pointer copy takes it several times, so the guard is inline.
    class CLmLock
    {
    public:
        CLmLock()
        {
            EnterCriticalSection(&Section());
            ++s_Depth;
        }
        ~CLmLock()
        {
            --s_Depth;
            LeaveCriticalSection(&Section());
        }
        CLmLock(const CLmLock&) = delete;
        CLmLock& operator=(const CLmLock&) = delete;

        // Number of guards the calling thread holds (diagnostics only; waits while
        // another thread is inside).
        static LONG GetDepth();

    private:
        struct CLmLockSection
        {
            CRITICAL_SECTION m_Section;
            CLmLockSection() { InitializeCriticalSection(&m_Section); }
            ~CLmLockSection() { DeleteCriticalSection(&m_Section); }
        };

        static CRITICAL_SECTION& Section()
        {
            static CLmLockSection section;
            return section.m_Section;
        }

        // Changed only by the thread inside the section, so the section itself orders
        // every access: no interlocked instruction on top of it.
        static LONG s_Depth;
    };
}
