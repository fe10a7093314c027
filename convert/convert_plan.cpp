#include "convert/convert_plan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "archive/compressed_document.h"
#include "convert/folder_identity.h"
#include "model/file_path.h"

namespace fs = std::filesystem;

namespace {

// What the walk of a folder found: a document, or an entry that could not
// be walked, with why. rel is below the folder walked.
struct Found {
    fs::path rel;
    std::string why;  // empty for a document
};

// A symbolic link met in the walk, followed once the real folders are done,
// with the folders above it.
struct PendingLink {
    fs::path rel;
    std::vector<FolderId> above;
};

// Walks a folder: documents (*.mqo, *.mqoz, whatever kind of file), sub-
// folders and symbolic links to either, each folder in name order so that
// the plan, and which of two colliding documents wins, is the same on every
// run. The real tree goes first, then the links, so that a document reached
// both ways is planned under its own path. A link to a folder is walked
// unless that folder was walked already; one that leads back to a folder
// above it is a loop. What cannot be read, a link to nothing and a loop are
// found too, with why, never passed over.
class FolderWalk {
   public:
    explicit FolderWalk(const fs::path& root) : root_(root) {}

    std::vector<Found> Run() {
        if (const Result<FolderId> id = FolderIdOf(root_); id.ok()) {
            walked_.insert(id.value());
            Walk("", {id.value()});
        } else {
            Walk("", {});
        }
        // Links may lead to folders holding more links.
        for (size_t i = 0; i < links_.size(); ++i) Follow(links_[i]);
        return std::move(found_);
    }

   private:
    void Walk(const fs::path& rel, const std::vector<FolderId>& above) {
        const fs::path dir = root_ / rel;
        std::error_code ec;
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            entries.push_back(*it);
        }
        if (ec) {
            found_.push_back({rel, "cannot read the folder: " + ec.message()});
            return;
        }
        std::sort(entries.begin(), entries.end());
        for (const fs::directory_entry& entry : entries) {
            const fs::path entry_rel = rel / entry.path().filename();
            std::error_code type_ec;
            const fs::file_status status = entry.symlink_status(type_ec);
            if (type_ec) {
                found_.push_back({entry_rel, "cannot tell what it is: " + type_ec.message()});
            } else if (fs::is_symlink(status)) {
                links_.push_back({entry_rel, above});
            } else if (fs::is_directory(status)) {
                const Result<FolderId> id = FolderIdOf(entry.path());
                std::vector<FolderId> below = above;
                if (id.ok()) below.push_back(id.value());
                if (!id.ok() || walked_.insert(id.value()).second) Walk(entry_rel, below);
            } else {
                AddDocument(entry_rel, status);
            }
        }
    }

    // A FIFO or a device would keep its child waiting until the timeout.
    void AddDocument(const fs::path& rel, const fs::file_status& status) {
        const std::string name = TextOf(rel.filename());
        if (!IsDocumentName(name) && !IsCompressedDocumentName(name)) return;
        found_.push_back({rel, fs::is_regular_file(status) ? "" : "not a regular file"});
    }

    void Follow(const PendingLink& link) {
        const fs::path path = root_ / link.rel;
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (status.type() == fs::file_type::not_found) {
            const fs::path to = fs::read_symlink(path, ec);
            found_.push_back(
                {link.rel, "a symbolic link to " + TextOf(to) + ", which is not there"});
        } else if (ec) {
            found_.push_back(
                {link.rel, "a symbolic link that cannot be followed: " + ec.message()});
        } else if (!fs::is_directory(status)) {
            AddDocument(link.rel, status);
        } else if (const Result<FolderId> id = FolderIdOf(path); !id.ok()) {
            found_.push_back({link.rel, "cannot read the folder: " + id.status().why()});
        } else if (std::find(link.above.begin(), link.above.end(), id.value()) !=
                   link.above.end()) {
            found_.push_back({link.rel, "a symbolic link loop: it leads to " +
                                            TextOf(fs::canonical(path, ec)) +
                                            ", a folder above it, not followed"});
        } else if (walked_.insert(id.value()).second) {
            std::vector<FolderId> below = link.above;
            below.push_back(id.value());
            Walk(link.rel, below);
        }
    }

    fs::path root_;
    std::set<FolderId> walked_;
    std::vector<PendingLink> links_;
    std::vector<Found> found_;
};

// The key two paths share when they name the same file, without asking
// whether it exists.
std::string Identity(const fs::path& path) {
    std::error_code ec;
    const fs::path full = fs::weakly_canonical(path, ec);
    return TextOf((ec ? fs::absolute(path, ec) : full).lexically_normal());
}

bool NewerThan(const fs::path& output, const fs::path& document) {
    std::error_code ec_out, ec_doc;
    const auto out_time = fs::last_write_time(output, ec_out);
    const auto doc_time = fs::last_write_time(document, ec_doc);
    return !ec_out && !ec_doc && out_time > doc_time;
}

class Planner {
   public:
    explicit Planner(const PlanRequest& request) : request_(request) {}

    // rel: the document's path below the folder given, or its file name.
    void Add(const fs::path& document, const fs::path& rel) {
        if (!seen_documents_.insert(Identity(document)).second) return;
        if (const Result<FolderId> id = FolderIdOf(document); id.ok()) {
            documents_.try_emplace(id.value(), TextOf(document));
        }
        fs::path output = request_.out_dir.empty() ? document : PathOf(request_.out_dir) / rel;
        output.replace_extension(PathOf(request_.extension));
        PlannedDocument planned{TextOf(document), TextOf(output), PlanState::kConvert, ""};
        const auto [first, added] = outputs_.try_emplace(Identity(output), TextOf(document));
        std::error_code ec;
        const fs::file_status there = fs::status(output, ec);
        if (!added) {
            planned.state = PlanState::kRefused;
            planned.why = "its output " + TextOf(output) + " is the output of " + first->second;
        } else if (fs::exists(there) && !fs::is_regular_file(there)) {
            planned.state = PlanState::kRefused;
            planned.why = "its output " + TextOf(output) + " is taken by " +
                          (fs::is_directory(there) ? "a folder" : "something that is no file");
        } else if (!request_.force && NewerThan(output, document)) {
            planned.state = PlanState::kUpToDate;
        }
        plan_.push_back(std::move(planned));
    }

    void Refuse(const std::string& input, const std::string& why) {
        plan_.push_back({input, "", PlanState::kRefused, why});
    }

    // Once every document is known: an output that is a document of the run,
    // its own or one planned after it, would replace that document.
    std::vector<PlannedDocument> Take() {
        for (PlannedDocument& planned : plan_) {
            if (planned.state == PlanState::kRefused) continue;
            const Result<FolderId> id = FolderIdOf(PathOf(planned.output));
            const auto document = id.ok() ? documents_.find(id.value()) : documents_.end();
            if (document == documents_.end()) continue;
            planned.state = PlanState::kRefused;
            planned.why = "its output " + planned.output + " is the document " + document->second +
                          ", not replaced";
        }
        return std::move(plan_);
    }

   private:
    const PlanRequest& request_;
    std::set<std::string> seen_documents_;
    std::map<std::string, std::string> outputs_;  // output identity -> its document
    std::map<FolderId, std::string> documents_;   // a document's file -> its path
    std::vector<PlannedDocument> plan_;
};

}  // namespace

std::vector<PlannedDocument> PlanConversions(const PlanRequest& request) {
    Planner planner(request);
    for (const std::string& input : request.inputs) {
        const fs::path path = PathOf(input);
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status)) {
            for (const Found& found : FolderWalk(path).Run()) {
                const fs::path where = found.rel.empty() ? path : path / found.rel;
                if (found.why.empty()) {
                    planner.Add(where, found.rel);
                } else {
                    planner.Refuse(TextOf(where), found.why);
                }
            }
        } else if (fs::exists(status)) {
            planner.Add(path, path.filename());
        } else {
            planner.Refuse(input, ec ? ec.message() : "no such file or folder");
        }
    }
    return planner.Take();
}
