// `varnel convert`: many documents to files of another program, each one a
// run of `varnel import --yes --export` in a child process. The importer
// keeps process-wide state, so documents are never imported side by side in
// one process; and a document that crashes or exhausts its child takes no
// other one with it.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/child_runs.h"
#include "cli/commands.h"
#include "cli/convert_plan.h"
#include "cli/convert_report.h"
#include "cli/import_args.h"
#include "cli/result_stream.h"
#include "cli/scene_outputs.h"
#include "export/scene_format.h"

namespace fs = std::filesystem;

namespace {

constexpr char kWho[] = "varnel convert";
// Long enough for the largest documents in a debug build; a document still
// running then is taken to hang.
constexpr double kDefaultTimeoutSeconds = 600;

struct ConvertArgs {
    std::vector<std::string> import_options;  // passed on to each import
    PlanRequest plan;
    size_t jobs = 0;  // 0: one per core
    double timeout_seconds = kDefaultTimeoutSeconds;
};

// The value of an option that takes one; null, told, when it is missing.
const char* OptionValue(int argc, char** argv, int& i) {
    if (i + 1 < argc) return argv[++i];
    std::fprintf(stderr, "%s: %s needs a value\n", kWho, argv[i]);
    return nullptr;
}

bool ParseCount(const char* text, double low, double high, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= low && value <= high;
}

bool ParseFormat(const char* text, std::string& extension) {
    const SceneFormat* format = SceneFormatFor(std::string("out.") + text);
    if (format != nullptr) {
        extension = format->extension;
        return true;
    }
    std::fprintf(stderr, "%s: unknown format %s (known: %s)\n", kWho, text,
                 KnownSceneExtensions().c_str());
    return false;
}

// The options of the import itself: the boxes, --scale and --include-hidden,
// checked here so that a mistake is told once, not once per document.
bool ParseImportOption(int argc, char** argv, int& i, ConvertArgs& args, bool& usage_error) {
    int boxes[kBoxCount] = {-1, -1, -1, -1};
    const char* arg = argv[i];
    if (SetBox(arg, boxes)) {
        args.import_options.push_back(arg);
        return true;
    }
    if (std::strcmp(arg, "--scale") != 0 && std::strcmp(arg, "--include-hidden") != 0) {
        return false;
    }
    SceneOutputs outputs;
    const int at = i;
    ParseSceneOutput(kWho, argc, argv, i, outputs, usage_error);
    for (int k = at; k <= i; ++k) args.import_options.push_back(argv[k]);
    return true;
}

// -1 to go on, else the exit status (help or a usage error).
int ParseArgs(int argc, char** argv, ConvertArgs& args, ResultStream& out) {
    args.plan.extension = ".glb";
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        bool usage_error = false;
        if (ParseImportOption(argc, argv, i, args, usage_error)) {
            if (usage_error) return kExitUsage;
            continue;
        }
        const char* value = nullptr;
        double number = 0;
        if (std::strcmp(arg, "--help") == 0) {
            PrintUsage(out);
            return kExitOk;
        } else if (std::strcmp(arg, "--force") == 0) {
            args.plan.force = true;
        } else if (std::strcmp(arg, "-o") == 0 || std::strcmp(arg, "--output") == 0) {
            if ((value = OptionValue(argc, argv, i)) == nullptr) return kExitUsage;
            args.plan.out_dir = value;
        } else if (std::strcmp(arg, "--format") == 0) {
            if ((value = OptionValue(argc, argv, i)) == nullptr) return kExitUsage;
            if (!ParseFormat(value, args.plan.extension)) return kExitUsage;
        } else if (std::strcmp(arg, "-j") == 0 || std::strcmp(arg, "--jobs") == 0) {
            if ((value = OptionValue(argc, argv, i)) == nullptr) return kExitUsage;
            if (!ParseCount(value, 1, 1024, number) || number != double(size_t(number))) {
                std::fprintf(stderr, "%s: -j takes a whole number from 1 to 1024, not %s\n", kWho,
                             value);
                return kExitUsage;
            }
            args.jobs = size_t(number);
        } else if (std::strcmp(arg, "--timeout") == 0) {
            if ((value = OptionValue(argc, argv, i)) == nullptr) return kExitUsage;
            if (!ParseCount(value, 0, 1e9, number)) {
                std::fprintf(stderr, "%s: --timeout takes seconds (0 for none), not %s\n", kWho,
                             value);
                return kExitUsage;
            }
            args.timeout_seconds = number;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "%s: unknown option %s\n", kWho, arg);
            return kExitUsage;
        } else {
            args.plan.inputs.push_back(arg);
        }
    }
    if (args.plan.inputs.empty()) {
        std::fprintf(stderr, "%s: FILE or DIR is missing\n", kWho);
        return kExitUsage;
    }
    return -1;
}

size_t Cores() {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? size_t(n) : 1;
}

// The arguments of the child's `varnel import`. A document whose path
// starts with '-' would be read as an option.
std::vector<std::string> ImportRun(const ConvertArgs& args, const PlannedDocument& planned) {
    std::vector<std::string> run = {"import", "--yes"};
    run.insert(run.end(), args.import_options.begin(), args.import_options.end());
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

// Runs the conversions that are due, at most args.jobs at once; the
// outcomes of the others are known already.
std::vector<ConvertOutcome> Convert(const ConvertArgs& args,
                                    const std::vector<PlannedDocument>& plan) {
    std::vector<ConvertOutcome> outcomes(plan.size());
    ConvertProgress progress(stderr, isatty(STDERR_FILENO) != 0, plan.size());
    std::vector<std::vector<std::string>> runs;
    std::vector<size_t> run_document;
    for (size_t d = 0; d < plan.size(); ++d) {
        const PlannedDocument& planned = plan[d];
        std::string why = planned.why;
        if (planned.state == PlanState::kConvert && why.empty()) {
            why = MakeOutputFolder(planned.output);
            if (why.empty()) {
                runs.push_back(ImportRun(args, planned));
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
    const ChildRunSettings settings{args.jobs > 0 ? args.jobs : Cores(), args.timeout_seconds};
    RunChildren(
        runs, settings, [&](size_t run) { progress.Started(plan[run_document[run]].document); },
        [&](size_t run, const ChildEnd& end) {
            const size_t d = run_document[run];
            outcomes[d] = OutcomeOfRun(plan[d], end, args.timeout_seconds);
            progress.Ended(outcomes[d]);
        },
        [&] { progress.Tick(); });
    progress.Finish();
    return outcomes;
}

}  // namespace

int RunConvert(int argc, char** argv, ResultStream& out) {
    ConvertArgs args;
    if (const int status = ParseArgs(argc, argv, args, out); status >= 0) return status;
    const std::vector<ConvertOutcome> outcomes = Convert(args, PlanConversions(args.plan));
    // Nothing failed, so the status stays 0; but a mistyped folder should
    // not pass unnoticed.
    if (outcomes.empty()) std::fprintf(stderr, "%s: no .mqo or .mqoz documents found\n", kWho);
    PutConvertSummary(out, outcomes);
    for (const ConvertOutcome& outcome : outcomes) {
        if (outcome.state == ConvertState::kFailed) return kExitFailed;
    }
    return kExitOk;
}
