// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes away, and the reading and writing of whole files
// in it.
#pragma once

#include <string>

class TempDir {
   public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

   private:
    std::string path_;
};

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes the bytes as the whole file, making the folders above it.
void WriteFile(const std::string& path, const std::string& bytes);
