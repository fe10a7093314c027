// A temporary file for the tests and the benchmarks. It depends on nothing
// but the C++ and POSIX libraries, so that the benchmarks, built without the
// tests, compile it too.
#pragma once

#include <cstddef>
#include <string>

// A file holding the given bytes, removed when the object goes away. The
// suffix ends its name, for readers that go by the extension. Throws
// std::runtime_error when the file cannot be made or written whole.
class TempFile {
   public:
    explicit TempFile(const std::string& content, const std::string& suffix = ".mqo");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }
    size_t size() const { return size_; }

   private:
    std::string path_;
    size_t size_ = 0;
};
