#include "export/file_swap.h"

#include "export/temporary_file.h"
#include "model/file_path.h"

namespace fs = std::filesystem;

namespace {

// The name is there for people looking into the folder; 64 bytes of it tell
// enough, and leave the marker, the id and the suffix room under 255 bytes.
constexpr size_t kKeptNameBytes = 64;

// Small pieces are gathered into writes of this size.
constexpr size_t kPendingBytes = size_t{1} << 20;

std::string CutName(const std::string& name) {
    if (name.size() <= kKeptNameBytes) return name;
    size_t end = kKeptNameBytes;
    // Never inside a character of a UTF-8 name.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

}  // namespace

fs::path FolderOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

std::string TemporaryPattern(const fs::path& target) {
    const fs::path dir = FolderOf(target);
    const std::string name = kTemporaryMarker + std::to_string(ProcessId()) + "-" +
                             CutName(TextOf(target.filename())) + ".XXXXXX";
    return TextOf(dir / PathOf(name));
}

WholeFile::WholeFile(const std::string& path)
    : path_(path), file_(std::make_unique<TemporaryFile>(path)) {
    why_ = file_->why();
    if (why_.empty()) pending_.reserve(kPendingBytes);
}

WholeFile::~WholeFile() = default;

bool WholeFile::Put(const void* data, size_t size) {
    if (!why_.empty()) return false;
    const char* bytes = static_cast<const char*>(data);
    if (pending_.size() + size > kPendingBytes && !Flush()) return false;
    // A piece larger than the buffer goes straight to the file.
    if (size >= kPendingBytes) return Keep(file_->Write(bytes, size));
    pending_.insert(pending_.end(), bytes, bytes + size);
    return true;
}

bool WholeFile::Flush() {
    if (!Keep(file_->Write(pending_.data(), pending_.size()))) return false;
    pending_.clear();
    return true;
}

bool WholeFile::Keep(const Status& status) {
    if (!status.ok() && why_.empty()) why_ = status.why();
    return status.ok();
}

Status WholeFile::Finish() {
    if (why_.empty() && Flush()) Keep(file_->MoveOver(path_));
    file_.reset();
    if (why_.empty()) return {};
    return Status::Failure(why_);
}

Status WriteFileWhole(const std::string& path, const std::string& bytes) {
    return WriteFileWhole(path, std::vector<std::string_view>{bytes});
}

Status WriteFileWhole(const std::string& path, const std::vector<std::string_view>& pieces) {
    WholeFile file(path);
    for (const std::string_view piece : pieces) file.Put(piece.data(), piece.size());
    return file.Finish();
}
