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

        volatile LONG g_LockDepth = 0;
    }

    CLmLock::CLmLock()
    {
        InterlockedIncrement(&g_LockDepth);
        EnterCriticalSection(&LockSection());
    }

    CLmLock::~CLmLock()
    {
        InterlockedDecrement(&g_LockDepth);
        LeaveCriticalSection(&LockSection());
    }

    LONG CLmLock::GetDepth()
    {
        return g_LockDepth;
    }
}
