// Replaces the global allocation functions of this test program to count allocations.
#include "EngineFixtures.h"

#include <cstdlib>
#include <new>

namespace enginetest {
std::atomic<bool> AllocationCounter::armed{false};
std::atomic<long> AllocationCounter::count{0};
}  // namespace enginetest

extern "C" __attribute__((noinline)) void enginetest_alloc_hit() { asm volatile(""); }
void* operator new(std::size_t size) {
    if (enginetest::AllocationCounter::armed.load(std::memory_order_relaxed)) {
        ++enginetest::AllocationCounter::count;
        enginetest_alloc_hit();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return ::operator new(size, std::nothrow); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
