#include "allocation_counter.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

// Every block starts with a header that keeps its size, as large as the
// alignment of any block. Over-aligned allocations keep the library's own
// operators, which pair with each other; nothing of the import makes any.
constexpr size_t kHeader = alignof(std::max_align_t);

size_t live_bytes = 0;
AllocationCounter* counter = nullptr;

void* Allocate(size_t bytes) {
    if (counter != nullptr && counter->Failing(bytes)) throw std::bad_alloc();
    void* block = std::malloc(kHeader + bytes);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<size_t*>(block) = bytes;
    live_bytes += bytes;
    if (counter != nullptr) counter->Live(live_bytes);
    return static_cast<char*>(block) + kHeader;
}

void* AllocateOrNull(size_t bytes) noexcept {
    try {
        return Allocate(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void Release(void* p) noexcept {
    if (p == nullptr) return;
    void* block = static_cast<char*>(p) - kHeader;
    live_bytes -= *static_cast<size_t*>(block);
    std::free(block);
}

}  // namespace

AllocationCounter::AllocationCounter(size_t fail_from)
    : fail_from_(fail_from), live_at_start_(live_bytes) {
    counter = this;
}

AllocationCounter::~AllocationCounter() {
    counter = nullptr;
}

bool AllocationCounter::Failing(size_t bytes) {
    ++count_.allocations;
    if (fail_from_ != 0 && count_.allocations >= fail_from_) return true;
    count_.largest = std::max(count_.largest, bytes);
    return false;
}

void AllocationCounter::Live(size_t live) {
    if (live > live_at_start_) count_.peak = std::max(count_.peak, live - live_at_start_);
}

// Every form of the operators that the sanitizers replace as well, so that
// each block is released by the operators that made it.
void* operator new(size_t bytes) {
    return Allocate(bytes);
}
void* operator new[](size_t bytes) {
    return Allocate(bytes);
}
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    return AllocateOrNull(bytes);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
    return AllocateOrNull(bytes);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
