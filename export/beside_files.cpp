#include "export/beside_files.h"

#include <cstring>
#include <fstream>
#include <set>
#include <system_error>

#include "model/file_path.h"
#include "model/text.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxTries = 1000;

// Names that every file system and every format's reference syntax (URIs,
// MTL's space-separated statements) take as they are.
std::string SafeName(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (keep) {
            out += c;
        } else if (out.empty() || out.back() != '_') {
            out += '_';
        }
    }
    return out;
}

}  // namespace

Status NameBesideFiles(const ExportScene& scene, const std::vector<bool>& carried,
                       const fs::path& target, std::vector<BesideFile>& out) {
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string prefix = SafeName(TextOf(target.stem())) + "_";
    std::set<std::string> taken;  // in lower case, for folders that ignore case
    for (size_t i = 0; i < carried.size() && i < scene.images.size(); ++i) {
        if (!carried[i]) continue;
        const ExportImage& image = scene.images[i];
        const std::string stem = prefix + SafeName(TextOf(PathOf(image.file).stem()));
        const std::string extension = image.jpeg ? ".jpg" : ".png";
        BesideFile file{i, "", false};
        for (int n = 1; n <= kMaxTries && file.name.empty(); ++n) {
            std::string name = stem;
            if (n > 1) name += "-" + std::to_string(n);
            name += extension;
            if (taken.count(LowerAscii(name)) != 0) continue;
            const NameHolds holds = WhatIsAt(dir / PathOf(name), image.bytes);
            if (holds == NameHolds::kOther) continue;
            file.name = name;
            file.present = holds == NameHolds::kSameBytes;
        }
        if (file.name.empty()) {
            return Status::Failure("no free name for " + image.file + " beside " + TextOf(target));
        }
        taken.insert(LowerAscii(file.name));
        out.push_back(file);
    }
    return {};
}

NameHolds WhatIsAt(const fs::path& path, const std::string& bytes) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found) return NameHolds::kNothing;
    if (ec || !fs::is_regular_file(status) || fs::file_size(path, ec) != bytes.size() || ec) {
        return NameHolds::kOther;
    }
    std::ifstream in(path, std::ios::binary);
    std::string there(bytes.size(), '\0');
    const bool same = in.read(there.data(), std::streamsize(there.size())) && there == bytes;
    return same ? NameHolds::kSameBytes : NameHolds::kOther;
}
