#include "PageMemory.h"

#include "vxplat/Memory.h"

#include <atomic>
#include <new>

namespace RoseHost {

namespace {

std::atomic<size_t> g_inUse{0};

} // namespace

void* AllocateLarge(size_t bytes)
{
    if (bytes < kPageMemoryThreshold)
        return ::operator new(bytes);
    void* p = VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!p)
        throw std::bad_alloc();
    g_inUse += bytes;
    return p;
}

void FreeLarge(void* p, size_t bytes) noexcept
{
    if (bytes < kPageMemoryThreshold) {
        ::operator delete(p);
        return;
    }
    VirtualFree(p, 0, MEM_RELEASE);
    g_inUse -= bytes;
}

size_t PageMemoryInUse() noexcept { return g_inUse.load(); }

} // namespace RoseHost
