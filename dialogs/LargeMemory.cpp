// SPDX-License-Identifier: MIT
#include "LargeMemory.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <utility>

namespace zan {
namespace {
constexpr std::size_t hugePage = std::size_t(2) << 20;

std::size_t allocationLimit = 0;

std::size_t mappedSize(std::size_t size)
{
    return (size + hugePage - 1) & ~(hugePage - 1);
}
} // namespace

void setLargeAllocationLimit(std::size_t bytes)
{
    allocationLimit = bytes;
}

void *allocateLarge(std::size_t size)
{
    if (allocationLimit && size >= allocationLimit)
        return nullptr;
    if (size < hugePage)
        return std::calloc(1, size ? size : 1);
    const std::size_t length = mappedSize(size);
    void *memory =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    // Where the kernel grants huge pages, one fault maps 2 MiB; elsewhere the
    // advice is ignored and pages fault in one by one. Nothing is populated
    // up front, so memory never touched is never resident.
    ::madvise(memory, length, MADV_HUGEPAGE);
    return memory;
}

void releaseLarge(void *memory, std::size_t size)
{
    if (!memory)
        return;
    if (size < hugePage)
        std::free(memory);
    else
        ::munmap(memory, mappedSize(size));
}

LargeBuffer::LargeBuffer(LargeBuffer &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{}

LargeBuffer &LargeBuffer::operator=(LargeBuffer &&other) noexcept
{
    if (this != &other) {
        releaseLarge(m_data, m_capacity);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

LargeBuffer::~LargeBuffer()
{
    releaseLarge(m_data, m_capacity);
}

bool LargeBuffer::grow(size_t n)
{
    char *bigger = static_cast<char *>(allocateLarge(n));
    if (!bigger)
        return false;
    if (m_capacity)
        std::memcpy(bigger, m_data, m_capacity);
    releaseLarge(m_data, m_capacity);
    m_data = bigger;
    m_capacity = n;
    return true;
}

} // namespace zan
