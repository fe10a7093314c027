// The result of an operation that can fail: success, or a failure with its
// reason in words a person reads ("cannot make the folder out: Permission
// denied"). Every operation of the command and of the exports that can fail
// returns one, and none may be dropped unread.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>

class [[nodiscard]] Status {
   public:
    Status() = default;  // success

    // A failure always says why.
    static Status Failure(std::string why) {
        assert(!why.empty() && "a failure says why");
        Status status;
        status.why_ = std::move(why);
        return status;
    }

    bool ok() const { return !why_.has_value(); }
    // The reason; only a failure has one.
    const std::string& why() const {
        assert(!ok() && "only a failure has a reason");
        return *why_;
    }

   private:
    std::optional<std::string> why_;
};

// What an operation that can fail gives when it succeeds: a value (which of
// several ways it went, say), or the failure with its reason.
template <typename T>
class [[nodiscard]] Result {
   public:
    Result(T value) : value_(std::move(value)) {}
    Result(Status failure) : failure_(std::move(failure)) {
        assert(!failure_.ok() && "a result without a value is a failure");
    }

    bool ok() const { return failure_.ok(); }
    const T& value() const& {
        assert(ok() && "only a success has a value");
        return *value_;
    }
    // The value moved out of a result that is done with, rather than copied.
    T&& value() && {
        assert(ok() && "only a success has a value");
        return std::move(*value_);
    }
    const Status& status() const { return failure_; }

   private:
    std::optional<T> value_;
    Status failure_;
};
