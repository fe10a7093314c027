#include "convert/kept_output.h"

#include <algorithm>

namespace {

constexpr size_t kKeptHead = 48 * 1024;
constexpr size_t kKeptTail = 16 * 1024;

}  // namespace

void KeptOutput::Add(const char* bytes, size_t count) {
    const size_t to_head = std::min(count, kKeptHead - head_.size());
    head_.append(bytes, to_head);
    if (to_head == count) return;
    tail_.append(bytes + to_head, count - to_head);
    if (tail_.size() > kKeptTail) {
        tail_.erase(0, tail_.size() - kKeptTail);
        cut_ = true;
    }
}

std::string KeptOutput::Text() const {
    return head_ + (cut_ ? "[...]\n" : "") + tail_;
}
