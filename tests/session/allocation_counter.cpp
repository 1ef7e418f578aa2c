// Linker wraps of the allocation functions that count the calls made while counting is on.
#include "tests/session/allocation_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

void noteAllocation()
{
    if (counting.load()) {
        allocations.fetch_add(1);
    }
}
}  // namespace

void startCountingAllocations()
{
    allocations.store(0);
    counting.store(true);
}

void stopCountingAllocations()
{
    counting.store(false);
}

int countedAllocations()
{
    return allocations.load();
}

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
void* __real_aligned_alloc(size_t alignment, size_t size);
int __real_posix_memalign(void** block, size_t alignment, size_t size);
char* __real_strdup(const char* text);
void* __real__Znwm(size_t size);
void* __real__Znam(size_t size);
void* __real__ZnwmRKSt9nothrow_t(size_t size, const std::nothrow_t& tag);
void* __real__ZnamRKSt9nothrow_t(size_t size, const std::nothrow_t& tag);

void* __wrap_malloc(size_t size)
{
    noteAllocation();
    return __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size)
{
    noteAllocation();
    return __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size)
{
    noteAllocation();
    return __real_realloc(block, size);
}

void* __wrap_aligned_alloc(size_t alignment, size_t size)
{
    noteAllocation();
    return __real_aligned_alloc(alignment, size);
}

int __wrap_posix_memalign(void** block, size_t alignment, size_t size)
{
    noteAllocation();
    return __real_posix_memalign(block, alignment, size);
}

char* __wrap_strdup(const char* text)
{
    noteAllocation();
    return __real_strdup(text);
}

void* __wrap__Znwm(size_t size)
{
    noteAllocation();
    return __real__Znwm(size);
}

void* __wrap__Znam(size_t size)
{
    noteAllocation();
    return __real__Znam(size);
}

void* __wrap__ZnwmRKSt9nothrow_t(size_t size, const std::nothrow_t& tag)
{
    noteAllocation();
    return __real__ZnwmRKSt9nothrow_t(size, tag);
}

void* __wrap__ZnamRKSt9nothrow_t(size_t size, const std::nothrow_t& tag)
{
    noteAllocation();
    return __real__ZnamRKSt9nothrow_t(size, tag);
}
}
