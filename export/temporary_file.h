// The system's part of writing files that are complete or absent: a new
// file under a name of its own beside its target, moved over the target in
// one step, a fresh folder beside a target, and a rename that never
// replaces a file. posix/ and win32/ hold the two systems' forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "model/status.h"

// This process's id, which the names of its temporaries carry.
uint64_t ProcessId();

// A file made beside a target under a name no other file has, open for
// writing. Unless moved over the target, it is removed when destroyed.
class TemporaryFile {
   public:
    // Made with the mode any new file gets; why() says why when it is not.
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool made() const { return why_.empty(); }
    const std::string& why() const { return why_; }

    // Writes every byte; the system's reason when it cannot.
    Status Write(const char* bytes, size_t size);
    // Closes the file and renames it over target; a failure removes it.
    Status MoveOver(const std::string& target);

   private:
    std::string name_;
    std::intptr_t handle_ = -1;
    std::string why_;
};

// A new, empty folder beside target, on its file system, named after it
// with the temporaries' marker.
Status MakeTemporaryFolder(const std::filesystem::path& target, std::filesystem::path& made);

enum class Claim { kPlaced, kTaken };

// Renames from to to unless something is at to: the test and the rename are
// one step, so of two processes claiming one name one gets it and the other
// hears kTaken. Any other error fails.
Result<Claim> ClaimName(const std::filesystem::path& from, const std::filesystem::path& to);
