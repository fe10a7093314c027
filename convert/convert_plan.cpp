#include "convert/convert_plan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return text;
}

// A folder's documents with their paths relative to it, sorted so that the
// order, and so which of two colliding documents wins, is the same on every
// run. Unreadable sub-folders are passed over rather than ending the walk.
std::vector<fs::path> DocumentsUnder(const fs::path& dir) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code type_ec;
        if (it->is_regular_file(type_ec) && IsDocumentName(it->path().filename().string())) {
            found.push_back(it->path().lexically_relative(dir));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The key two paths share when they name the same file, without asking
// whether it exists.
std::string Identity(const fs::path& path) {
    std::error_code ec;
    const fs::path full = fs::weakly_canonical(path, ec);
    return (ec ? fs::absolute(path, ec) : full).lexically_normal().string();
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
        fs::path output = request_.out_dir.empty() ? document : fs::path(request_.out_dir) / rel;
        output.replace_extension(request_.extension);
        PlannedDocument planned{document.string(), output.string(), PlanState::kConvert, ""};
        const auto [first, added] = outputs_.try_emplace(Identity(output), document.string());
        if (!added) {
            planned.state = PlanState::kRefused;
            planned.why = "its output " + output.string() + " is the output of " + first->second;
        } else if (!request_.force && NewerThan(output, document)) {
            planned.state = PlanState::kUpToDate;
        }
        plan_.push_back(std::move(planned));
    }

    void Refuse(const std::string& input, const std::string& why) {
        plan_.push_back({input, "", PlanState::kRefused, why});
    }

    std::vector<PlannedDocument> Take() { return std::move(plan_); }

   private:
    const PlanRequest& request_;
    std::set<std::string> seen_documents_;
    std::map<std::string, std::string> outputs_;  // output identity -> its document
    std::vector<PlannedDocument> plan_;
};

}  // namespace

bool IsDocumentName(const std::string& name) {
    const std::string lower = Lower(name);
    for (const std::string extension : {".mqo", ".mqoz"}) {
        if (lower.size() > extension.size() &&
            lower.compare(lower.size() - extension.size(), extension.size(), extension) == 0) {
            return true;
        }
    }
    return false;
}

std::vector<PlannedDocument> PlanConversions(const PlanRequest& request) {
    Planner planner(request);
    for (const std::string& input : request.inputs) {
        const fs::path path(input);
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status)) {
            for (const fs::path& rel : DocumentsUnder(path)) planner.Add(path / rel, rel);
        } else if (fs::exists(status)) {
            planner.Add(path, path.filename());
        } else {
            planner.Refuse(input, ec ? ec.message() : "no such file or folder");
        }
    }
    return planner.Take();
}
