// Fills what the global operator delete frees before handing it back, as a
// debug heap does: an object used after it was freed then reads garbage and
// faults, instead of reading its old contents and passing unseen. Linked
// into the executables whose tests free objects inside boxes.
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
const int kFreedByte = 0xDD;

void FillAndFree(void* block) noexcept
{
    if (!block)
        return;
    std::memset(block, kFreedByte, _msize(block));
    std::free(block);
}
} // namespace

void operator delete(void* block) noexcept
{
    FillAndFree(block);
}

void operator delete[](void* block) noexcept
{
    FillAndFree(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    FillAndFree(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    FillAndFree(block);
}
