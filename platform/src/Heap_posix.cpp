#include "vxplat/Heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

void VxpKeepHeapForTheRun()
{
    // glibc maps blocks from 128 KiB up on their own and unmaps them when freed, and trims
    // the heap's top once 128 KiB are free. Setting the trim threshold stops the mapping
    // threshold from adapting, so both are set: blocks up to the largest allowed come from
    // the heap, and its top stays until exit.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
}

void VxpDiscardPages(void* begin, size_t bytes)
{
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t from = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(begin) + bytes) & ~(page - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
}

void VxpReturnFreeMemory()
{
    malloc_trim(0); // free pages inside the heap too, not only its top
}
