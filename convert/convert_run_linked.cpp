#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "convert/child_runs.h"
#include "convert/convert_run.h"
#include "convert/project_walks.h"

namespace fs = std::filesystem;

namespace {

size_t Cores() {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? size_t(n) : 1;
}

// The arguments of the child's `varnel import`. A document whose path
// starts with '-' would be read as an option.
std::vector<std::string> ImportRun(const ConvertSettings& settings, const PlannedDocument& planned,
                                   const std::string& walks) {
    std::vector<std::string> run = {"import", "--yes"};
    run.insert(run.end(), settings.import_options.begin(), settings.import_options.end());
    if (!walks.empty()) run.insert(run.end(), {"--map-index", walks});
    run.push_back("--export");
    run.push_back(planned.output);
    run.push_back(planned.document[0] == '-' ? "./" + planned.document : planned.document);
    return run;
}

// Makes the output's folder; empty, or why it could not.
std::string MakeOutputFolder(const std::string& output) {
    const fs::path dir = fs::path(output).parent_path();
    if (dir.empty()) return "";
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return "cannot make the folder " + dir.string() + ": " + ec.message();
    return "";
}

// A child stopped by a signal may leave the folder it was writing into
// beside its output (export/scene_file.cpp: "." + the output's name + "." +
// six characters); it is removed, so that a failed document leaves nothing.
void RemoveLeftovers(const std::string& output) {
    const fs::path target(output);
    const std::string prefix = "." + target.filename().string() + ".";
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
            leftovers.push_back(it->path());
        }
    }
    for (const fs::path& leftover : leftovers) fs::remove_all(leftover, ec);
}

ConvertOutcome OutcomeOfRun(const PlannedDocument& planned, const ChildEnd& end,
                            double timeout_seconds) {
    ConvertOutcome outcome{planned.document, planned.output, ConvertState::kConverted,
                           ToldLines(end.err)};
    std::string why = DescribeEnd(end);
    if (why.empty()) return outcome;
    if (end.timed_out) why = "stopped after " + std::to_string(long(timeout_seconds)) + " s";
    if (end.signal != 0) RemoveLeftovers(planned.output);
    outcome.state = ConvertState::kFailed;
    // The child's own last words say why when it could tell; an exit
    // status alone adds nothing to them.
    if (end.exit_status != 1 || outcome.lines.empty()) outcome.lines.push_back(why);
    return outcome;
}

}  // namespace

std::vector<ConvertOutcome> RunConversions(const ConvertSettings& settings,
                                           const std::vector<PlannedDocument>& plan) {
    std::vector<ConvertOutcome> outcomes(plan.size());
    const ProjectWalks walks(plan);
    ConvertProgress progress(stderr, isatty(STDERR_FILENO) != 0, plan.size());
    std::vector<std::vector<std::string>> runs;
    std::vector<size_t> run_document;
    for (size_t d = 0; d < plan.size(); ++d) {
        const PlannedDocument& planned = plan[d];
        std::string why = planned.why;
        if (planned.state == PlanState::kConvert && why.empty()) {
            why = MakeOutputFolder(planned.output);
            if (why.empty()) {
                runs.push_back(ImportRun(settings, planned, walks.Path()));
                run_document.push_back(d);
                continue;
            }
        }
        outcomes[d] = {
            planned.document,
            planned.output,
            planned.state == PlanState::kUpToDate ? ConvertState::kSkipped : ConvertState::kFailed,
            {}};
        if (!why.empty()) outcomes[d].lines.push_back(why);
        progress.Ended(outcomes[d]);
    }
    const ChildRunSettings children{settings.jobs > 0 ? settings.jobs : Cores(),
                                    settings.timeout_seconds};
    RunChildren(
        runs, children, [&](size_t run) { progress.Started(plan[run_document[run]].document); },
        [&](size_t run, const ChildEnd& end) {
            const size_t d = run_document[run];
            outcomes[d] = OutcomeOfRun(plan[d], end, settings.timeout_seconds);
            progress.Ended(outcomes[d]);
        },
        [&] { progress.Tick(); });
    progress.Finish();
    return outcomes;
}
