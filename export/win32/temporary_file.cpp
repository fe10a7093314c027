// Temporaries made by CreateFileW under a name of their own (CREATE_NEW
// fails on a name taken, and the next is tried), moved over the target by
// MoveFileExW, which replaces a file in one step. Paths are UTF-8, as the
// command hands them on (model/file_path.h).
#include "export/temporary_file.h"

#include <windows.h>

#include <algorithm>

#include "export/file_swap.h"
#include "export/win32/unique_names.h"
#include "export/win32/wide_text.h"
#include "model/file_path.h"

namespace fs = std::filesystem;

namespace {

// WriteFile takes at most a DWORD at a time; a gigabyte keeps it well below.
constexpr size_t kMostPerWrite = size_t{1} << 30;

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

uint64_t ProcessId() {
    return GetCurrentProcessId();
}

TemporaryFile::TemporaryFile(const std::string& target) {
    const std::string pattern = TemporaryPattern(PathOf(target));
    DWORD error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < kUniqueNameTries && error == ERROR_FILE_EXISTS;
         ++attempt) {
        name_ = UniqueName(pattern, attempt);
        const HANDLE file = CreateFileW(WidePath(name_).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(file);
            return;
        }
        error = GetLastError();
    }
    why_ = "cannot make a temporary file in " + TextOf(FolderOf(PathOf(target))) + ": " +
           SystemMessage(error);
}

TemporaryFile::~TemporaryFile() {
    if (handle_ == -1) return;
    CloseHandle(Handle(handle_));
    DeleteFileW(WidePath(name_).c_str());
}

Status TemporaryFile::Write(const char* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        const DWORD piece = DWORD(std::min(size - done, kMostPerWrite));
        DWORD written = 0;
        if (!WriteFile(Handle(handle_), bytes + done, piece, &written, nullptr)) {
            return Status::Failure("cannot write " + name_ + ": " + SystemMessage(GetLastError()));
        }
        done += written;
    }
    return {};
}

Status TemporaryFile::MoveOver(const std::string& target) {
    const HANDLE file = Handle(handle_);
    handle_ = -1;
    const std::wstring temp = WidePath(name_);
    std::string why;
    if (!CloseHandle(file)) {
        why = "cannot write " + name_ + ": " + SystemMessage(GetLastError());
    } else if (!MoveFileExW(temp.c_str(), WidePath(target).c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        why = "cannot move the written file to " + target + ": " + SystemMessage(GetLastError());
    }
    if (why.empty()) return {};
    DeleteFileW(temp.c_str());
    return Status::Failure(why);
}
