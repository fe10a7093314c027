// `varnel read`: the document loader alone, with a sink that shows every
// diagnostic on standard error.
#include <cstdio>
#include <cstring>
#include <string>

#include "archive/compressed_document.h"
#include "builder/host_text.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/kept_messages.h"
#include "cli/model_dump.h"
#include "cli/plugin_module.h"
#include "cli/result_stream.h"
#include "export/message_view.h"
#include "model/memory_budget.h"
#include "model/mqo_model.h"
#include "model/shown_text.h"
#include "reader/mqo_loader.h"

namespace {

// Every message is shown as it comes; the first ones are kept for the dump
// as they came, the rest counted.
struct ShownMessages {
    KeptMessages kept;
    MessageView view;

    static void Take(void* user, const MQOMessage& message) {
        auto* shown = static_cast<ShownMessages*>(user);
        shown->kept.Keep(message.text);
        shown->view.Show(message);
    }
};

// Tells why the document was not read; with --json the dump of an empty
// model with result 0 still follows, as programs that parse it expect.
int FailRead(const std::string& why, bool json, ResultStream& out) {
    std::fprintf(stderr, "varnel read: %s\n", ShownText(why).c_str());
    if (json) {
        const MQOModel empty;
        JsonWriter writer(out.file());
        WriteModelDump(writer, 0, KeptMessages(), empty);
        writer.EndLine();
        out.Fail(writer.error());
    }
    return kExitFailed;
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

    const CompressedDocument document = ReadCompressedDocument(file);
    if (!document.error.empty()) return FailRead(document.error, json, out);
    // The reader is given the name the host would give the importer.
    const Result<std::string> host_file = HostFileName(file);
    if (!host_file.ok()) return FailRead(host_file.status().why(), json, out);
    const std::string& given = host_file.value();
    ShownMessages messages{{}, MessageView(stderr, {given, file})};
    MQOLoader loader;
    loader.sink = MQOMessageSink::ForMessages(&messages, ShownMessages::Take);
    loader.GetModel()->message_names = HostText;  // as the import puts them
    loader.memory_budget = ImportMemoryBudget(loader.sink);
    // The import entry sets the flags in this order.
    if (freeze_catmull) loader.SetFreezeCatmull(1);
    if (freeze_mirror) loader.SetFreezeMirror(1);
    const int result =
        loader.LoadBytes(given.c_str(), document.bytes.data(), document.bytes.size());
    messages.view.Finish();
    if (json) {
        JsonWriter writer(out.file());
        WriteModelDump(writer, result, messages.kept, *loader.GetModel());
        writer.EndLine();
        out.Fail(writer.error());
    }
    // The bytes were read; only a name longer than the reader keeps is left.
    if (result == 0 && loader.path[0] == '\0') {
        std::fprintf(stderr,
                     "varnel read: %s: the path is longer than the 1023 bytes the reader keeps\n",
                     ShownText(file).c_str());
    }
    return result == 1 ? kExitOk : kExitFailed;
}
