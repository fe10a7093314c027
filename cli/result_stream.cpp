#include "cli/result_stream.h"

#include <cerrno>
#include <cstring>

void ResultStream::Put(std::string_view text) {
    if (failed() || text.empty()) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) Fail(errno ? errno : EIO);
}

void ResultStream::Fail(int error) {
    if (error_ == 0) error_ = error;
}

bool ResultStream::Close(const char* who) {
    errno = 0;
    if (std::fflush(file_) != 0) Fail(errno ? errno : EIO);
    // A write through the stream that bypassed Put and Fail.
    if (std::ferror(file_)) Fail(EIO);
    errno = 0;
    if (std::fclose(file_) != 0) Fail(errno ? errno : EIO);
    if (error_ != 0 && error_ != EPIPE) {
        std::fprintf(stderr, "%s: cannot write to standard output: %s\n", who,
                     std::strerror(error_));
    }
    return error_ == 0;
}
