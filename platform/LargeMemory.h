// SPDX-License-Identifier: MIT
// Memory for large, short-lived bulk data (a file read whole, a parsed tree, a
// vector of a million records). On this kind of load the cost is page faults,
// not copying: blocks from 2 MiB up ask for transparent huge pages, which cuts
// the faults by a factor of up to 512.
#pragma once

#include <cstddef>
#include <new>

namespace zan {

// Returns zero-filled memory of at least size bytes, or null.
void *allocateLarge(std::size_t size);
// Releases memory from allocateLarge; size must be the size asked for.
void releaseLarge(void *memory, std::size_t size);

// For tests: from now on a request of at least this many bytes fails, as the
// largest requests do first when the address space runs out (ulimit -v). Zero
// lifts the limit.
void setLargeAllocationLimit(std::size_t bytes);

// A std::allocator stand-in that takes large arrays from allocateLarge.
template <class T> struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U> LargeAllocator(const LargeAllocator<U> &) {}
    T *allocate(std::size_t n)
    {
        if (void *memory = allocateLarge(n * sizeof(T)))
            return static_cast<T *>(memory);
        throw std::bad_alloc();
    }
    void deallocate(T *p, std::size_t n) { releaseLarge(p, n * sizeof(T)); }
    template <class U> bool operator==(const LargeAllocator<U> &) const { return true; }
    template <class U> bool operator!=(const LargeAllocator<U> &) const { return false; }
};

} // namespace zan
