#include "vxplat/Heap.h"

#include <malloc.h>

void VxpKeepHeapForTheRun()
{
    // glibc maps blocks from 128 KiB up on their own and unmaps them when freed, and trims
    // the heap's top once 128 KiB are free. Setting the trim threshold stops the mapping
    // threshold from adapting, so both are set: blocks up to the largest allowed come from
    // the heap, and its top stays until exit.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
}
