// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes away.
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
