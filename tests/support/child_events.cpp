#include "support/child_events.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

bool PollUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + kLongestWait;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

HeldPipe::HeldPipe(const std::string& path) : path_(path) {
    if (mkfifo(path.c_str(), 0600) != 0) {
        ADD_FAILURE() << "cannot make the pipe " << path << ": " << std::strerror(errno);
    }
}

HeldPipe::~HeldPipe() {
    if (writer_ >= 0) close(writer_);
}

// Opening a pipe's writing end without waiting fails with ENXIO until a
// reader has it open.
bool HeldPipe::WaitForReader(const std::function<bool()>& gone) {
    PollUntil([&] {
        if (writer_ < 0) writer_ = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        return writer_ >= 0 || (gone && gone());
    });
    return writer_ >= 0;
}
