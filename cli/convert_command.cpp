// `varnel convert`: many documents to files of another program. The command
// reads its arguments here; the convert library (convert/) plans the
// conversions, runs them in child processes and words the summary.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/import_args.h"
#include "cli/plugin_module.h"
#include "cli/result_stream.h"
#include "cli/scene_outputs.h"
#include "convert/convert_plan.h"
#include "convert/convert_report.h"
#include "convert/convert_run.h"
#include "export/scene_format.h"
#include "model/memory_budget.h"

namespace {

constexpr char kWho[] = "varnel convert";
// Long enough for the largest documents in a debug build; a document still
// running then is taken to hang.
constexpr double kDefaultTimeoutSeconds = 600;

struct ConvertArgs {
    PlanRequest plan;
    ConvertSettings run{{}, 0, kDefaultTimeoutSeconds};
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
        args.run.import_options.push_back(arg);
        return true;
    }
    if (std::strcmp(arg, "--scale") != 0 && std::strcmp(arg, "--include-hidden") != 0) {
        return false;
    }
    SceneOutputs outputs;
    const int at = i;
    ParseSceneOutput(kWho, argc, argv, i, outputs, usage_error);
    for (int k = at; k <= i; ++k) args.run.import_options.push_back(argv[k]);
    return true;
}

// The exit status to end with at once (help or a usage error), or none to
// go on with the conversion.
[[nodiscard]] std::optional<int> ParseArgs(int argc, char** argv, ConvertArgs& args,
                                           ResultStream& out) {
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
            args.run.jobs = size_t(number);
        } else if (std::strcmp(arg, "--timeout") == 0) {
            if ((value = OptionValue(argc, argv, i)) == nullptr) return kExitUsage;
            if (!ParseCount(value, 0, 1e9, number)) {
                std::fprintf(stderr, "%s: --timeout takes seconds (0 for none), not %s\n", kWho,
                             value);
                return kExitUsage;
            }
            args.run.timeout_seconds = number;
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
    return std::nullopt;
}

// Unless the user chose a budget for every import, the children running at
// once share the one a single import would have, so that N of them never
// plan on N halves of the machine.
uint64_t SharedMemoryBudget() {
    const char* chosen = std::getenv("VARNEL_MEMORY_BUDGET");
    return chosen == nullptr || *chosen == '\0' ? DefaultMemoryBudget() : 0;
}

}  // namespace

int RunConvert(int argc, char** argv, ResultStream& out) {
    ConvertArgs args;
    if (const std::optional<int> status = ParseArgs(argc, argv, args, out)) return *status;
    args.run.memory_budget = SharedMemoryBudget();
    // The progress and the summary are the same bytes on both systems.
    UseBinaryOutput();
    const auto [outcomes, signal] = RunConversions(args.run, PlanConversions(args.plan));
    // Nothing failed, so the status stays 0; but a mistyped folder should
    // not pass unnoticed.
    if (outcomes.empty()) std::fprintf(stderr, "%s: no .mqo or .mqoz documents found\n", kWho);
    out.Put(ConvertSummary(outcomes));
    // As a shell reports a command that a signal ended.
    if (signal != 0) return 128 + signal;
    for (const ConvertOutcome& outcome : outcomes) {
        if (outcome.state == ConvertState::kFailed) return kExitFailed;
    }
    return kExitOk;
}
