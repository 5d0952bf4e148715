// Counts every heap allocation of the benchmark program, so a benchmark can prove its
// timed loop allocates nothing. Include in exactly one file of a benchmark program: it
// replaces the global new and delete.
#pragma once

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

static std::atomic<long> allocationCount{0};

// The replacement new and delete are a malloc/free pair; the compiler cannot see that once
// it inlines them into the including file's code, hence the pragma for the rest of it.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
    allocationCount++;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

// Fails the benchmark with message when the guarded scope allocated; the count goes to
// the "allocs" counter.
class NoAllocations {
  public:
    explicit NoAllocations(benchmark::State& s, char const* message = "the timed loop allocated")
        : state(s), failure(message), before(allocationCount.load()) {}
    ~NoAllocations() {
        long made = allocationCount.load() - before;
        state.counters["allocs"] = static_cast<double>(made);
        if (made) state.SkipWithError(failure);
    }

  private:
    benchmark::State& state;
    char const* failure;
    long before;
};
