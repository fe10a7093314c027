#include "convert/convert_run.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "convert/child_runs.h"
#include "convert/processes.h"
#include "convert/project_walks.h"
#include "convert/stop_signals.h"
#include "convert/temporaries.h"
#include "model/file_path.h"
#include "model/status.h"

namespace fs = std::filesystem;

namespace {

// The arguments of the child's `varnel import`. A document whose path
// starts with '-' would be read as an option.
std::vector<std::string> ImportRun(const ConvertSettings& settings, const PlannedDocument& planned,
                                   const std::string& walks) {
    std::vector<std::string> run = {"import", "--yes", "--told-records"};
    run.insert(run.end(), settings.import_options.begin(), settings.import_options.end());
    if (!walks.empty()) run.insert(run.end(), {"--map-index", walks});
    run.push_back("--export");
    run.push_back(planned.output);
    run.push_back(planned.document[0] == '-' ? "./" + planned.document : planned.document);
    return run;
}

// Makes the output's folder.
Status MakeOutputFolder(const std::string& output) {
    const fs::path dir = PathOf(output).parent_path();
    if (dir.empty()) return {};
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return Status::Failure("cannot make the folder " + TextOf(dir) + ": " + ec.message());
    return {};
}

std::string FolderOf(const std::string& output) {
    return TextOf(PathOf(output).parent_path());
}

// The leftovers of runs killed outright, before this run writes beside them.
void RemoveAbandonedLeftovers(const std::vector<PlannedDocument>& plan) {
    std::set<std::string> folders;
    for (const PlannedDocument& planned : plan) {
        if (!planned.output.empty()) folders.insert(FolderOf(planned.output));
    }
    for (const std::string& folder : folders) RemoveAbandonedTemporaries(folder);
}

// Each child's share of the budget: the whole divided among the children
// that can run at once.
std::vector<std::string> BudgetEnvironment(uint64_t budget, size_t at_once) {
    if (budget == 0) return {};
    const uint64_t share = std::max<uint64_t>(budget / std::max<size_t>(at_once, 1), 1);
    return {"VARNEL_MEMORY_BUDGET=" + std::to_string(share)};
}

ConvertOutcome OutcomeOfRun(const PlannedDocument& planned, const ChildEnd& end,
                            double timeout_seconds) {
    // A child killed or crashed could not remove what it was writing.
    if (end.cut_short) RemoveTemporariesOf(FolderOf(planned.output), end.pid);
    if (end.interrupted) return {planned.document, planned.output, ConvertState::kInterrupted, {}};
    ChildTold told = ReadChildTold(end.err);
    ConvertOutcome outcome{planned.document, planned.output, ConvertState::kConverted,
                           std::move(told.lines)};
    std::string why = DescribeEnd(end);
    if (why.empty()) return outcome;
    if (end.timed_out) why = "stopped after " + std::to_string(long(timeout_seconds)) + " s";
    outcome.state = ConvertState::kFailed;
    // A child that exited after saying why has said all; an exit status
    // adds nothing to its words. One that crashed or was stopped has not.
    if (!told.gave_reason || end.exit_status <= 0) outcome.lines.push_back(why);
    return outcome;
}

}  // namespace

Conversions RunConversions(const ConvertSettings& settings,
                           const std::vector<PlannedDocument>& plan) {
    const StopSignals stop_signals;
    RemoveAbandonedLeftovers(plan);
    std::vector<ConvertOutcome> outcomes(plan.size());
    const ProjectWalks walks(plan);
    ConvertProgress progress(stderr, ErrorIsTerminal(), plan.size());
    std::vector<std::vector<std::string>> runs;
    std::vector<size_t> run_document;
    for (size_t d = 0; d < plan.size(); ++d) {
        const PlannedDocument& planned = plan[d];
        std::string why = planned.why;
        if (planned.state == PlanState::kConvert && why.empty()) {
            const Status made = MakeOutputFolder(planned.output);
            if (made.ok()) {
                runs.push_back(ImportRun(settings, planned, walks.Path()));
                run_document.push_back(d);
                continue;
            }
            why = made.why();
        }
        outcomes[d] = {
            planned.document,
            planned.output,
            planned.state == PlanState::kUpToDate ? ConvertState::kSkipped : ConvertState::kFailed,
            {}};
        if (!why.empty()) outcomes[d].lines.push_back(why);
        progress.Ended(outcomes[d]);
    }
    const size_t parallel = settings.jobs > 0 ? settings.jobs : ProcessorCount();
    const ChildRunSettings children{
        parallel, settings.timeout_seconds,
        BudgetEnvironment(settings.memory_budget, std::min(parallel, runs.size())),
        [] { return StopSignals::Caught() != 0; }};
    RunChildren(
        runs, children, [&](size_t run) { progress.Started(plan[run_document[run]].document); },
        [&](size_t run, const ChildEnd& end) {
            const size_t d = run_document[run];
            outcomes[d] = OutcomeOfRun(plan[d], end, settings.timeout_seconds);
            // A line for each document that never started would bury the
            // ones that did.
            if (end.pid > 0 || !end.interrupted) progress.Ended(outcomes[d]);
        },
        [&] { progress.Tick(); });
    progress.Finish();
    return {std::move(outcomes), StopSignals::Caught()};
}
