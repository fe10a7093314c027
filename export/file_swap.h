// Files that are complete or absent.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/status.h"

class TemporaryFile;

// What every temporary's name starts with, and nothing else's.
constexpr char kTemporaryMarker[] = ".varnel-tmp-";

// The folder a target is written in: its parent, or "." for a bare name.
std::filesystem::path FolderOf(const std::filesystem::path& target);

// The mkstemp/mkdtemp pattern of a temporary beside target:
// ".varnel-tmp-PID-NAME.XXXXXX", NAME being target's file name, cut to a
// length that keeps the whole within a file name's limit. The marker and
// this process's id let `varnel convert` (convert/temporaries.h) remove the
// leftovers of a process killed while it wrote, and nothing else.
std::string TemporaryPattern(const std::filesystem::path& target);

// A file written in pieces, so that a large output never has to be held
// whole in memory: the pieces go to a temporary file beside path, which
// Finish renames over path. A file not finished, or whose writing failed,
// is removed, so path holds a complete file or what it held before.
class WholeFile {
   public:
    explicit WholeFile(const std::string& path);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Appends the bytes; false once anything failed.
    bool Put(const void* data, size_t size);
    // Writes what is left and moves the file into place.
    Status Finish();

   private:
    bool Flush();
    // Keeps the first failure's reason; whether status is a success.
    bool Keep(const Status& status);

    std::string path_;
    std::unique_ptr<TemporaryFile> file_;
    std::vector<char> pending_;
    std::string why_;
};

// Writes the bytes to a temporary file beside path and renames it over
// path; nothing is left behind on a failure.
Status WriteFileWhole(const std::string& path, const std::string& bytes);
// The same for a file of several pieces, written one after the other.
Status WriteFileWhole(const std::string& path, const std::vector<std::string_view>& pieces);
