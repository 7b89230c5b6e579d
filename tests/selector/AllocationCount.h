// Live allocations by size, for tests that check that a window frees what it
// made: this executable's operator new and delete count every block of
// fewer than kCountedSizes bytes.
#pragma once

#include <cstddef>

constexpr std::size_t kCountedSizes = 512;

// Blocks of exactly this size allocated and not yet freed.
long LiveAllocationsOfSize(std::size_t size);
