#include "vxplat/Heap.h"

// The process heap keeps freed blocks for reuse (the low-fragmentation heap is the
// default since Windows Vista); there is nothing to set.
void VxpKeepHeapForTheRun() {}
