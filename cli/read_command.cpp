// `varnel read`: the document loader alone, with a sink that shows every
// diagnostic on standard error.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/model_dump.h"
#include "cli/result_stream.h"
#include "host/cp932.h"
#include "reader/mqo_loader.h"

namespace {

void ShowAndKeep(void* user, const char* text) {
    static_cast<std::vector<std::string>*>(user)->emplace_back(text);
    std::string utf8;
    AppendCp932AsUtf8(utf8, text, std::strlen(text));
    std::fputs(utf8.c_str(), stderr);
}

}  // namespace

int RunRead(int argc, char** argv, ResultStream& out) {
    bool freeze_mirror = false;
    bool freeze_catmull = false;
    bool json = false;
    const char* file = nullptr;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) {
            PrintUsage(out);
            return kExitOk;
        } else if (std::strcmp(arg, "--freeze-mirror") == 0) {
            freeze_mirror = true;
        } else if (std::strcmp(arg, "--freeze-catmull") == 0) {
            freeze_catmull = true;
        } else if (std::strcmp(arg, "--json") == 0) {
            json = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "varnel read: unknown option %s\n", arg);
            return kExitUsage;
        } else if (file == nullptr) {
            file = arg;
        } else {
            std::fprintf(stderr, "varnel read: only one FILE is read\n");
            return kExitUsage;
        }
    }
    if (file == nullptr) {
        std::fprintf(stderr, "varnel read: FILE is missing\n");
        return kExitUsage;
    }

    std::vector<std::string> messages;
    MQOLoader loader;
    loader.sink = MQOMessageSink::ForUser(&messages, ShowAndKeep);
    // The import entry sets the flags in this order.
    if (freeze_catmull) loader.SetFreezeCatmull(1);
    if (freeze_mirror) loader.SetFreezeMirror(1);
    int result = loader.Load(file);
    if (json) {
        JsonWriter writer(out.file());
        WriteModelDump(writer, result, messages, *loader.GetModel());
        writer.EndLine();
        out.Fail(writer.error());
    }
    if (result == 0 && loader.path[0] == '\0') {
        std::fprintf(stderr, "varnel read: cannot open %s\n", file);
    }
    return result == 1 ? kExitOk : kExitFailed;
}
