#include "export/scene_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "export/assimp_file.h"
#include "export/beside_files.h"
#include "export/fbx_file.h"
#include "export/file_swap.h"
#include "export/gltf_file.h"
#include "export/obj_file.h"
#include "model/file_path.h"

namespace fs = std::filesystem;

namespace {

// Exports that end in a name taken under them before another is chosen:
// each follows a file that appeared since the names were chosen, or a side
// file's name held by a file the output does not name.
constexpr int kMaxTries = 100;
// "-2", "-3"... tried after the output's stem for its side files.
constexpr int kMaxStems = 1000;

// The staged main file's name on the n-th stem: the output's, then "-2",
// "-3"... after its stem. Assimp's writers name their side files after the
// file they write ("a-2.bin", "a-2.mtl"), and it is renamed to the output's
// name as it is moved into place.
std::string StagedName(const fs::path& target, int n) {
    if (n == 1) return TextOf(target.filename());
    return TextOf(target.stem()) + "-" + std::to_string(n) + TextOf(target.extension());
}

// The output that this export replaces. The side files it names were written
// with it, and are replaced with it; read only when a side file's name is
// taken.
class OldOutput {
   public:
    explicit OldOutput(const fs::path& target) : target_(target) {}

    // As a glTF names its buffer ("uri": percent-encoded, as the project's
    // writer has it, or as it is, as Assimp's wrote it for earlier versions)
    // and an OBJ its material library.
    bool Names(const std::string& file) {
        if (!read_) {
            read_ = true;
            std::error_code ec;
            if (fs::is_regular_file(fs::symlink_status(target_, ec))) {
                std::ifstream in(target_, std::ios::binary);
                bytes_.assign(std::istreambuf_iterator<char>(in), {});
            }
        }
        const std::string uri = UriReference(file);
        for (const std::string& reference :
             {"\"uri\": \"" + file + "\"", "\"uri\":\"" + file + "\"", "\"uri\":\"" + uri + "\"",
              "mtllib " + file + "\n", "mtllib " + file + "\r"}) {
            if (bytes_.find(reference) != std::string::npos) return true;
        }
        return false;
    }

   private:
    fs::path target_;
    bool read_ = false;
    std::string bytes_;
};

struct Staged {
    fs::path staging;
    fs::path target;
    std::string main_name;  // of the main file in staging
    std::vector<BesideFile> pictures;
};

bool IsPicture(const fs::path& file, const std::vector<BesideFile>& pictures) {
    for (const BesideFile& picture : pictures) {
        if (file.filename() == picture.name) return true;
    }
    return false;
}

// The names of the files the writer put beside its main file.
std::vector<std::string> SideFiles(const Staged& staged) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(staged.staging, ec)) {
        const fs::path& file = entry.path();
        if (file.filename() != staged.main_name && !IsPicture(file, staged.pictures)) {
            names.push_back(TextOf(file.filename()));
        }
    }
    return names;
}

Status Rename(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) {
        return Status::Failure("cannot move the written file to " + TextOf(to) + ": " +
                               ec.message());
    }
    return {};
}

enum class Placing { kDone, kPictureTaken, kSideFileTaken };

// A second name for the file at from, or where links cannot be made a copy
// of it, so that a file renamed over it can be taken back.
Status KeepAside(const fs::path& from, const fs::path& kept) {
    std::error_code ec;
    fs::create_directories(kept.parent_path(), ec);
    fs::create_hard_link(from, kept, ec);
    if (ec) fs::copy_file(from, kept, ec);
    if (ec) return Status::Failure("cannot keep " + TextOf(from) + ": " + ec.message());
    return {};
}

// The files an export has moved beside its output, each with a copy of the
// file it replaced (empty for a name that was free), so that a move that
// fails later can leave the folder as it was.
class Placement {
   public:
    Placement(const FileMoves& moves, fs::path kept_dir)
        : moves_(moves), kept_dir_(std::move(kept_dir)) {}

    // Moves from to a free name; kTaken leaves everything as it was.
    Result<Claim> Take(const fs::path& from, const fs::path& to) {
        const Result<Claim> claim = ClaimName(from, to);
        if (claim.ok() && claim.value() == Claim::kPlaced) done_.push_back({to, {}});
        return claim;
    }

    // Moves from over the file at to, which is kept until Undo or the end.
    Status Replace(const fs::path& from, const fs::path& to) {
        const fs::path kept = kept_dir_ / to.filename();
        if (Status aside = KeepAside(to, kept); !aside.ok()) return aside;
        if (Status moved = moves_.replace(from, to); !moved.ok()) return moved;
        done_.push_back({to, kept});
        return {};
    }

    // The main file, after which nothing is undone.
    Status Finish(const fs::path& from, const fs::path& to) { return moves_.replace(from, to); }

    // Removes what was claimed and puts back what was replaced, last first;
    // placing as it was when everything went back, else why not.
    Result<Placing> Undo(Result<Placing> placing) {
        std::string failed;
        for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
            std::error_code ec;
            if (it->kept.empty()) {
                fs::remove(it->at, ec);
            } else if (Status back = moves_.replace(it->kept, it->at); !back.ok()) {
                failed += "; " + back.why();
            }
        }
        done_.clear();
        if (failed.empty()) return placing;
        const std::string why = placing.ok() ? "a name was taken" : placing.status().why();
        return Status::Failure(why + ", and the files it replaced could not all be put back" +
                               failed);
    }

   private:
    struct Done {
        fs::path at;
        fs::path kept;
    };

    const FileMoves& moves_;
    fs::path kept_dir_;
    std::vector<Done> done_;
};

// Moves the staged files beside the output, the main file last. A picture
// or side file takes its name only while no file is there, in one step with
// the move, except that a side file replaces the one the old output names;
// a name taken since it was chosen, or any failed move, the main file's
// too, ends the try with the folder as it was.
Result<Placing> PlaceStaged(const ExportScene& scene, const Staged& staged,
                            const std::vector<std::string>& side_files, OldOutput& old,
                            const FileMoves& moves) {
    const fs::path dir = FolderOf(staged.target);
    Placement placement(moves, staged.staging / PathOf("replaced"));
    for (const BesideFile& picture : staged.pictures) {
        const fs::path to = dir / PathOf(picture.name);
        if (picture.present) {
            // Kept as it is; gone or changed since, it is named again.
            if (WhatIsAt(to, scene.images[picture.image].bytes) != NameHolds::kSameBytes) {
                return placement.Undo(Placing::kPictureTaken);
            }
            continue;
        }
        const Result<Claim> claim = placement.Take(staged.staging / PathOf(picture.name), to);
        if (!claim.ok()) return placement.Undo(claim.status());
        if (claim.value() == Claim::kTaken) return placement.Undo(Placing::kPictureTaken);
    }
    for (const std::string& name : side_files) {
        const fs::path from = staged.staging / PathOf(name), to = dir / PathOf(name);
        std::error_code ec;
        if (fs::is_regular_file(fs::symlink_status(to, ec)) && old.Names(name)) {
            if (Status replaced = placement.Replace(from, to); !replaced.ok()) {
                return placement.Undo(replaced);
            }
            continue;
        }
        const Result<Claim> claim = placement.Take(from, to);
        if (!claim.ok()) return placement.Undo(claim.status());
        if (claim.value() == Claim::kTaken) return placement.Undo(Placing::kSideFileTaken);
    }
    if (Status moved = placement.Finish(staged.staging / staged.main_name, staged.target);
        !moved.ok()) {
        return placement.Undo(moved);
    }
    return Placing::kDone;
}

// After stem n's side files found a name taken, the next stem whose side
// files, named as stem n's were, are free or named by the old output; a side
// file not named after the stem leaves that to a try.
int NextStem(const Staged& staged, const std::vector<std::string>& side_files, int n,
             OldOutput& old) {
    const fs::path dir = FolderOf(staged.target);
    const std::string stem = TextOf(PathOf(staged.main_name).stem());
    for (int next = n + 1; next <= kMaxStems; ++next) {
        const std::string next_stem = TextOf(PathOf(StagedName(staged.target, next)).stem());
        bool free = true;
        for (const std::string& name : side_files) {
            if (name.rfind(stem, 0) != 0) return next;
            const std::string guess = next_stem + name.substr(stem.size());
            std::error_code ec;
            free = free &&
                   (!fs::exists(fs::symlink_status(dir / PathOf(guess), ec)) || old.Names(guess));
        }
        if (free) return next;
    }
    return kMaxStems + 1;
}

// The pictures that are not beside the output already, into the staging
// folder.
Status StagePictures(const ExportScene& scene, const std::vector<BesideFile>& pictures,
                     const fs::path& staging) {
    for (const BesideFile& picture : pictures) {
        if (picture.present) continue;
        Status written = WriteFileWhole(TextOf(staging / PathOf(picture.name)),
                                        scene.images[picture.image].bytes);
        if (!written.ok()) return written;
    }
    return {};
}

// Per scene image, the name of its file beside the output; empty for the
// ones the format does not carry there.
std::vector<std::string> BesideNames(const std::vector<BesideFile>& pictures, size_t images) {
    std::vector<std::string> names(images);
    for (const BesideFile& picture : pictures) names[picture.image] = picture.name;
    return names;
}

Status WriteObj(const ExportScene& scene, const Staged& staged) {
    return WriteObjFiles(scene, staged.staging, staged.main_name,
                         BesideNames(staged.pictures, scene.images.size()));
}

Status WriteGltf(const ExportScene& scene, const Staged& staged) {
    return WriteGltfFiles(scene, staged.staging, staged.main_name,
                          BesideNames(staged.pictures, scene.images.size()));
}

// FBX from our own writer, which may refuse a scene too large for the
// format's 32-bit offsets.
Status WriteFbx(const ExportScene& scene, const Staged& staged) {
    const Result<FbxFile> file =
        FbxFileOf(scene, BesideNames(staged.pictures, scene.images.size()));
    if (!file.ok()) return file.status();
    return WriteFileWhole(TextOf(staged.staging / PathOf(staged.main_name)), file.value().Pieces());
}

bool Is(const SceneFormat& format, const char* extension) {
    return std::strcmp(format.extension, extension) == 0;
}

// The scene into staging, by the project's own writers (.gltf, .obj, .fbx)
// or Assimp's, with its pictures.
Status WriteStaged(const ExportScene& scene, const SceneFormat& format, const Staged& staged) {
    Status written =
        Is(format, ".gltf")  ? WriteGltf(scene, staged)
        : Is(format, ".obj") ? WriteObj(scene, staged)
        : Is(format, ".fbx")
            ? WriteFbx(scene, staged)
            : WriteAssimpFile(scene, format, TextOf(staged.staging / PathOf(staged.main_name)),
                              BesideNames(staged.pictures, scene.images.size()));
    if (!written.ok()) return written;
    return StagePictures(scene, staged.pictures, staged.staging);
}

void EmptyFolder(const fs::path& dir) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir, ec)) files.push_back(entry.path());
    for (const fs::path& file : files) fs::remove_all(file, ec);
}

// Writes through staging and moves the files into place; when a name was
// taken under it, by another process writing into the folder or, for a side
// file, by a file the old output does not name, names again and writes
// again.
Status WriteThroughStaging(const ExportScene& scene, const SceneFormat& format,
                           const fs::path& target, const fs::path& staging,
                           const FileMoves& moves) {
    const std::vector<bool> carried =
        format.maps == MapPlace::kBeside ? CarriedImages(scene, format.slots) : std::vector<bool>();
    OldOutput old(target);
    int stem = 1;
    for (int attempt = 0; attempt < kMaxTries; ++attempt) {
        Staged staged{staging, target, StagedName(target, stem), {}};
        if (Status named = NameBesideFiles(scene, carried, target, staged.pictures); !named.ok()) {
            return named;
        }
        if (Status written = WriteStaged(scene, format, staged); !written.ok()) return written;
        const std::vector<std::string> side_files = SideFiles(staged);
        const Result<Placing> placed = PlaceStaged(scene, staged, side_files, old, moves);
        if (!placed.ok()) return placed.status();
        switch (placed.value()) {
            case Placing::kDone:
                return {};
            case Placing::kSideFileTaken:
                stem = NextStem(staged, side_files, stem, old);
                if (stem > kMaxStems)
                    return Status::Failure("no free name beside " + TextOf(target));
                break;
            case Placing::kPictureTaken:
                break;
        }
        EmptyFolder(staging);
    }
    return Status::Failure("the names beside " + TextOf(target) + " were taken " +
                           std::to_string(kMaxTries) + " times while it was written");
}

}  // namespace

FileMoves SystemMoves() {
    return {Rename};
}

Status WriteSceneFile(const ExportScene& scene, const std::string& path, const FileMoves& moves) {
    const SceneFormat* format = SceneFormatFor(path);
    if (format == nullptr) {
        return Status::Failure("unknown file type " + path + " (known: " + KnownSceneExtensions() +
                               ")");
    }
    if (!WrittenHere(*format)) {
        return Status::Failure(std::string(format->extension) +
                               " files are written by the Linux "
                               "command only (this one writes " +
                               KnownSceneExtensions() + ")");
    }
    if (std::strcmp(format->extension, ".glb") == 0) return WriteGlbFile(scene, path);
    const fs::path target = PathOf(path);
    fs::path staging;
    if (Status made = MakeTemporaryFolder(target, staging); !made.ok()) return made;
    Status written = WriteThroughStaging(scene, *format, target, staging, moves);
    std::error_code ec;
    fs::remove_all(staging, ec);
    return written;
}
