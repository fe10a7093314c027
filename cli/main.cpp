// varnel: plays the host on a machine without it. Reads documents, runs whole
// imports against the project's host layer and prints what they made.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "cli/commands.h"
#include "cli/result_stream.h"
#include "export/scene_format.h"
#include "model/shown_text.h"
#include "varnel_version.h"

namespace {

// The formats this build writes as --format takes them: "glb|gltf|...".
std::string FormatChoices() {
    std::string choices;
    for (char c : KnownSceneExtensions()) {
        if (c == '.') continue;
        choices += c == ' ' ? '|' : c;
    }
    return choices;
}

}  // namespace

void PrintUsage(ResultStream& out) {
    out.Put(
        "usage:\n"
        "  varnel read   [--freeze-mirror] [--freeze-catmull] [--json] FILE\n"
        "  varnel import [OPTION...] [--yes | --cancel] [--json] [--export OUT]...\n"
        "                [--preview OUT.png] [--scale FACTOR] [--include-hidden] FILE\n"
        "  varnel convert [OPTION...] [-o DIR] [--format " +
        FormatChoices() +
        "]\n"
        "                [-j N] [--force] [--timeout SECONDS] [--scale FACTOR]\n"
        "                [--include-hidden] FILE|DIR...\n"
        "  varnel --help | --version\n"
        "\n"
        "import options (each ticks or unticks one box of the options dialog):\n"
        "  --use-material-only / --no-use-material-only   Load Use Material Only\n"
        "  --same-uv-collect   / --no-same-uv-collect     Same UV Collect\n"
        "  --freeze-mirror     / --no-freeze-mirror       Freeze Mirror\n"
        "  --freeze-catmull    / --no-freeze-catmull      Freeze Catmull\n"
        "\n"
        "outputs of import, written only when the import succeeds:\n"
        "  --export OUT        the scene as a file of the type OUT ends in:\n"
        "                      " +
        KnownSceneExtensions() +
        " (repeatable)\n"
        "  --preview OUT.png   a three-quarter view of the scene\n"
        "  --scale FACTOR      every position times FACTOR (a positive number, 1 by\n"
        "                      default), or the document's unit turned into metres:\n"
        "                      mm (x0.001), cm (x0.01), m (x1)\n"
        "  --include-hidden    keep the objects the document hides, shown as visible\n"
        "                      (left out by default)\n"
        "\n"
        "convert: each document imported as with import --yes (the four options above\n"
        "also apply) and written as NAME.EXT, glb by default; folders are walked for\n"
        "*.mqo and *.mqoz:\n"
        "  -o DIR              write into DIR: a FILE as DIR/NAME.EXT, the documents of\n"
        "                      a folder as DIR/SUB/NAME.EXT with its sub-folders\n"
        "                      mirrored; without -o each output goes beside its document\n"
        "  -j N                N documents at once (default: one per core)\n"
        "  --force             convert again outputs newer than their document\n"
        "  --timeout SECONDS   stop a document taking longer (default 600, 0: none)\n"
        "  exit status 0 only when every document was converted or up to date; 128+N\n"
        "  when signal N (Ctrl-C, kill, hang-up) stopped it, unfinished outputs removed\n");
}

namespace {

int RunCommand(int argc, char** argv, ResultStream& out) {
    if (argc < 2) {
        PrintUsage(out);
        return kExitUsage;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0) {
        PrintUsage(out);
        return kExitOk;
    }
    if (std::strcmp(command, "--version") == 0) {
        out.Put(VARNEL_VERSION_TEXT "\n");
        return kExitOk;
    }
    if (std::strcmp(command, "read") == 0) return RunRead(argc - 2, argv + 2, out);
    if (std::strcmp(command, "import") == 0) return RunImport(argc - 2, argv + 2, out);
    if (std::strcmp(command, "convert") == 0) return RunConvert(argc - 2, argv + 2, out);
    std::fprintf(stderr, "varnel: unknown command %s\n", command);
    return kExitUsage;
}

// An exception that nothing below caught ends the command in one line and a
// failure, never in an abort. Out of memory, the line is made without
// allocating.
int RunCommandCatching(int argc, char** argv, ResultStream& out) {
    try {
        return RunCommand(argc, argv, out);
    } catch (const std::bad_alloc&) {
        std::fputs("varnel: out of memory\n", stderr);
    } catch (const std::exception& error) {
        // A file system error names paths of a folder walk.
        std::fprintf(stderr, "varnel: %s\n", ShownText(error.what()).c_str());
    } catch (...) {
        std::fputs("varnel: stopped by an unexpected failure\n", stderr);
    }
    return kExitFailed;
}

}  // namespace

// Whatever the command ended with, results that did not all reach standard
// output make it a failure.
int VarnelMain(int argc, char** argv) {
    HoldClosedStandardStreams();
    ResultStream out(stdout);
    const int status = RunCommandCatching(argc, argv, out);
    std::string who = "varnel";
    if (argc >= 2 && (std::strcmp(argv[1], "read") == 0 || std::strcmp(argv[1], "import") == 0 ||
                      std::strcmp(argv[1], "convert") == 0)) {
        who = who + " " + argv[1];
    }
    return out.Close(who.c_str()) ? status : kExitFailed;
}
