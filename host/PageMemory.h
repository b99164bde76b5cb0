// Memory of the reader's large, short-lived arrays, taken from the system in whole pages
// and handed back to it when freed. A model file's tree lives only while the diagram
// reader walks it; from the heap, its pages would stay with the process for the whole
// run, under everything the run allocates later.
#pragma once

#include <cstddef>
#include <utility>

namespace RoseHost {

// At least this many bytes come from pages, fewer from the heap.
constexpr size_t kPageMemoryThreshold = 64 * 1024;

// Throws std::bad_alloc. FreeLarge takes the size given to AllocateLarge.
void* AllocateLarge(size_t bytes);
void FreeLarge(void* p, size_t bytes) noexcept;

// Bytes taken from pages and not yet freed.
size_t PageMemoryInUse() noexcept;

// An allocator for std::vector over AllocateLarge.
template <class T> struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U> LargeAllocator(const LargeAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { FreeLarge(p, n * sizeof(T)); }
    template <class U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
};

// One block of `bytes`, owned.
class LargeBlock {
public:
    explicit LargeBlock(size_t bytes) : m_data(static_cast<char*>(AllocateLarge(bytes))), m_size(bytes) {}
    LargeBlock(LargeBlock&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}
    LargeBlock& operator=(LargeBlock&& other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        return *this;
    }
    ~LargeBlock()
    {
        if (m_data)
            FreeLarge(m_data, m_size);
    }
    char* get() const noexcept { return m_data; }

private:
    char* m_data;
    size_t m_size;
};

} // namespace RoseHost
