#include "tests/selector/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
// Each block starts with its size, kept in a header that keeps the
// alignment of what malloc gives.
constexpr std::size_t kHeader = 16;
std::atomic<long> g_Live[kCountedSizes];

void Count(std::size_t size, long change)
{
    if (size < kCountedSizes)
        g_Live[size] += change;
}
} // namespace

long LiveAllocationsOfSize(std::size_t size)
{
    return size < kCountedSizes ? g_Live[size].load() : 0;
}

void* operator new(std::size_t size)
{
    auto* block = static_cast<char*>(std::malloc(size + kHeader));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    Count(size, 1);
    return block + kHeader;
}

void operator delete(void* pointer) noexcept
{
    if (!pointer)
        return;
    char* block = static_cast<char*>(pointer) - kHeader;
    Count(*reinterpret_cast<std::size_t*>(block), -1);
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept
{
    operator delete(pointer);
}
