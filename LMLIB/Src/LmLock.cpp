#include "LmLock.h"

namespace LmLib
{
    namespace
    {
        struct CLmLockSection
        {
            CRITICAL_SECTION m_Section;
            CLmLockSection() { InitializeCriticalSection(&m_Section); }
            ~CLmLockSection() { DeleteCriticalSection(&m_Section); }
        };

        CRITICAL_SECTION& LockSection()
        {
            static CLmLockSection section;
            return section.m_Section;
        }

        // Changed only by the thread inside the section, so the section itself orders
        // every access: no interlocked instruction on top of the mutex.
        LONG g_LockDepth = 0;
    }

    CLmLock::CLmLock()
    {
        EnterCriticalSection(&LockSection());
        ++g_LockDepth;
    }

    CLmLock::~CLmLock()
    {
        --g_LockDepth;
        LeaveCriticalSection(&LockSection());
    }

    LONG CLmLock::GetDepth()
    {
        CLmLock lock;
        return g_LockDepth - 1;
    }
}
