// How the process's heap is kept. A run builds a model of tens of megabytes, frees and
// rebuilds large texts many times, and ends: memory given back to the system mid-run is
// only asked for again a moment later, each page faulted in afresh.
#pragma once

#include <cstddef>

// Keeps freed memory, large blocks included, in the heap for reuse instead of returning
// it to the system while the process runs. Called once, first thing in main.
void VxpKeepHeapForTheRun();

// The whole pages inside [begin, begin + bytes) of a block the caller owns hold nothing it
// will read again: the system may take them back now instead of when the block is freed.
// The block stays the caller's; what those pages hold afterwards is undefined.
void VxpDiscardPages(void* begin, size_t bytes);

// Hands the heap's free memory back to the system now, once large short-lived structures
// are gone and before the process grows again: what it allocates later takes pages anew
// where it needs them, instead of the process holding those and the freed ones both.
void VxpReturnFreeMemory();
