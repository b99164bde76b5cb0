#include "vxplat/Heap.h"

#include <windows.h>

#include <malloc.h>

#include <cstdint>

// The process heap keeps freed blocks for reuse (the low-fragmentation heap is the
// default since Windows Vista); there is nothing to set.
void VxpKeepHeapForTheRun() {}

void VxpDiscardPages(void* begin, size_t bytes)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const uintptr_t page = info.dwPageSize;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(begin) + bytes) & ~(page - 1);
    // MEM_RESET rounds the range outward: it is given whole pages of the block only. It
    // leaves them in the working set; unlocking pages that are not locked takes them out.
    if (to > from) {
        VirtualAlloc(reinterpret_cast<void*>(from), to - from, MEM_RESET, PAGE_NOACCESS);
        VirtualUnlock(reinterpret_cast<void*>(from), to - from);
    }
}

void VxpReturnFreeMemory()
{
    _heapmin(); // the C runtime's heap, which new and malloc use
}
