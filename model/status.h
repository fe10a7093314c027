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
