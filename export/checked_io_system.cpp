#include "export/checked_io_system.h"

#include <assimp/IOStream.hpp>
#include <cerrno>
#include <cstdio>

namespace {

class CheckedStream : public Assimp::IOStream {
   public:
    CheckedStream(std::FILE* file, int* error) : file_(file), error_(error) {}
    CheckedStream(const CheckedStream&) = delete;
    CheckedStream& operator=(const CheckedStream&) = delete;
    ~CheckedStream() override {
        errno = 0;
        if (std::fclose(file_) != 0) Failed();
    }

    size_t Read(void* buffer, size_t size, size_t count) override {
        return std::fread(buffer, size, count, file_);
    }
    size_t Write(const void* buffer, size_t size, size_t count) override {
        errno = 0;
        const size_t written = std::fwrite(buffer, size, count, file_);
        if (written != count && size != 0) Failed();
        return written;
    }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        const int whence = origin == aiOrigin_CUR   ? SEEK_CUR
                           : origin == aiOrigin_END ? SEEK_END
                                                    : SEEK_SET;
        return std::fseek(file_, static_cast<long>(offset), whence) == 0 ? aiReturn_SUCCESS
                                                                         : aiReturn_FAILURE;
    }
    size_t Tell() const override { return static_cast<size_t>(std::ftell(file_)); }
    size_t FileSize() const override {
        const long at = std::ftell(file_);
        std::fseek(file_, 0, SEEK_END);
        const long size = std::ftell(file_);
        std::fseek(file_, at, SEEK_SET);
        return size < 0 ? 0 : static_cast<size_t>(size);
    }
    void Flush() override {
        errno = 0;
        if (std::fflush(file_) != 0) Failed();
    }

   private:
    void Failed() {
        if (*error_ == 0) *error_ = errno != 0 ? errno : EIO;
    }

    std::FILE* file_;
    int* error_;
};

}  // namespace

Assimp::IOStream* CheckedIOSystem::Open(const char* path, const char* mode) {
    std::FILE* file = std::fopen(path, mode);
    return file != nullptr ? new CheckedStream(file, error_) : nullptr;
}
