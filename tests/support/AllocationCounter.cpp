#include "AllocationCounter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

extern "C" void* __libc_malloc (size_t);
extern "C" void* __libc_calloc (size_t, size_t);
extern "C" void* __libc_realloc (void*, size_t);
extern "C" void* __libc_memalign (size_t, size_t);

namespace
{
    thread_local bool counting = false;
    thread_local int allocations = 0;

    void noteAllocation() noexcept
    {
        if (counting)
            ++allocations;
    }
}

CountAllocations::CountAllocations() noexcept
{
    allocations = 0;
    counting = true;
}

CountAllocations::~CountAllocations()
{
    counting = false;
}

int CountAllocations::count() const noexcept
{
    return allocations;
}

extern "C" void* malloc (size_t size)
{
    noteAllocation();
    return __libc_malloc (size);
}

extern "C" void* calloc (size_t count, size_t size)
{
    noteAllocation();
    return __libc_calloc (count, size);
}

extern "C" void* realloc (void* block, size_t size)
{
    noteAllocation();
    return __libc_realloc (block, size);
}

extern "C" int posix_memalign (void** result, size_t alignment, size_t size)
{
    noteAllocation();
    *result = __libc_memalign (alignment, size);
    return *result != nullptr ? 0 : ENOMEM;
}

extern "C" void* aligned_alloc (size_t alignment, size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}
