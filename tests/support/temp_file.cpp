#include "temp_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

TempFile::TempFile(const std::string& content, const std::string& suffix) {
    const std::string pattern = "/tmp/varnel-XXXXXX" + suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) throw std::runtime_error("cannot make a temporary file for " + pattern);
    path_ = name.data();
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        std::remove(path_.c_str());
        throw std::runtime_error("cannot open " + path_);
    }
    size_ = std::fwrite(content.data(), 1, content.size(), file);
    // A short write would leave a test reading a truncated document.
    if (std::fclose(file) != 0 || size_ != content.size()) {
        std::remove(path_.c_str());
        throw std::runtime_error("cannot write " + path_);
    }
}

TempFile::~TempFile() {
    std::remove(path_.c_str());
}
