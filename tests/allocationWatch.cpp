#include "allocationWatch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> largest{0};

void* allocate(size_t n) {
    size_t seen = largest.load(std::memory_order_relaxed);
    while (n > seen && !largest.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
    }
    return std::malloc(n ? n : 1);
}

// As the library's own: the new handler in place is asked before the allocation fails.
void* allocateOrFail(size_t n) {
    for (;;) {
        if (void* p = allocate(n)) return p;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) throw std::bad_alloc();
        handler();
    }
}
} // namespace

LargestAllocation::LargestAllocation() {
    largest.store(0);
}
size_t LargestAllocation::bytes() const {
    return largest.load();
}

// The replacements are a malloc/free pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t n) {
    return allocateOrFail(n);
}
void* operator new[](size_t n) {
    return allocateOrFail(n);
}
// The handler is asked here too, as by the library's own (it notes that memory ran out).
void* operator new(size_t n, std::nothrow_t const&) noexcept {
    try {
        return allocateOrFail(n);
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
}
void* operator new[](size_t n, std::nothrow_t const& nothrow) noexcept {
    return operator new(n, nothrow);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::nothrow_t const&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::nothrow_t const&) noexcept {
    std::free(p);
}
