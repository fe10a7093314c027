// The shell tests' program replaces the global operator new and delete
// (allocation_counter.cpp) with ones that count what they hand out and can
// be made to fail, as a host short of memory would. The tests run on one
// thread; one counter at a time.
#pragma once

#include <cstddef>

struct AllocationCount {
    size_t allocations = 0;
    size_t largest = 0;  // bytes of the largest allocation
    size_t peak = 0;     // most bytes live at once, beyond those live at the start
};

// Counts the allocations made while it lives. Given n > 0, the n-th of them
// and every one after it throw std::bad_alloc instead.
class AllocationCounter {
   public:
    explicit AllocationCounter(size_t fail_from = 0);
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    const AllocationCount& Count() const { return count_; }

    // Called by the replaced operator new: whether to fail, counting it.
    bool Failing(size_t bytes);
    void Live(size_t live_bytes);

   private:
    AllocationCount count_;
    size_t fail_from_;
    size_t live_at_start_;
};
