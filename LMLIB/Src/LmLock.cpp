#include "LmLock.h"

namespace LmLib
{
    LONG CLmLock::s_Depth = 0;

    LONG CLmLock::GetDepth()
    {
        CLmLock lock;
        return s_Depth - 1;
    }
}
