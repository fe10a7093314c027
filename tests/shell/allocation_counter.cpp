#include "allocation_counter.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

// Every block starts with a header that keeps its size, as large as the
// alignment the block needs.
constexpr size_t kHeader = alignof(std::max_align_t);

size_t live_bytes = 0;
AllocationCounter* counter = nullptr;

size_t HeaderFor(std::align_val_t align) {
    return std::max(kHeader, static_cast<size_t>(align));
}

void* Allocate(size_t bytes, size_t header) {
    if (counter != nullptr && counter->Failing(bytes)) throw std::bad_alloc();
    void* block = header == kHeader
                      ? std::malloc(header + bytes)
                      : std::aligned_alloc(header, (header + bytes + header - 1) / header * header);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<size_t*>(block) = bytes;
    live_bytes += bytes;
    if (counter != nullptr) counter->Live(live_bytes);
    return static_cast<char*>(block) + header;
}

void Release(void* p, size_t header) noexcept {
    if (p == nullptr) return;
    void* block = static_cast<char*>(p) - header;
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

void* operator new(size_t bytes) {
    return Allocate(bytes, kHeader);
}
void* operator new[](size_t bytes) {
    return Allocate(bytes, kHeader);
}
void* operator new(size_t bytes, std::align_val_t align) {
    return Allocate(bytes, HeaderFor(align));
}
void* operator new[](size_t bytes, std::align_val_t align) {
    return Allocate(bytes, HeaderFor(align));
}
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    try {
        return Allocate(bytes, kHeader);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
    try {
        return Allocate(bytes, kHeader);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void operator delete(void* p) noexcept {
    Release(p, kHeader);
}
void operator delete[](void* p) noexcept {
    Release(p, kHeader);
}
void operator delete(void* p, size_t) noexcept {
    Release(p, kHeader);
}
void operator delete[](void* p, size_t) noexcept {
    Release(p, kHeader);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p, kHeader);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p, kHeader);
}
void operator delete(void* p, std::align_val_t align) noexcept {
    Release(p, HeaderFor(align));
}
void operator delete[](void* p, std::align_val_t align) noexcept {
    Release(p, HeaderFor(align));
}
void operator delete(void* p, size_t, std::align_val_t align) noexcept {
    Release(p, HeaderFor(align));
}
void operator delete[](void* p, size_t, std::align_val_t align) noexcept {
    Release(p, HeaderFor(align));
}
