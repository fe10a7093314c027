// Reads each input three ways and aborts on any difference: from memory
// through the window, as the command reads; through a table that hides the
// bytes, so that they come as a file's do, in blocks (here of 1 to 64 bytes,
// so that block edges fall everywhere in the small inputs); and a byte at a
// time through the table, as a pipe is read and as everything was read
// before the window. The result, every message and the whole model dump
// (every field, floats to the bit) must agree.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/json_writer.h"
#include "cli/kept_messages.h"
#include "cli/model_dump.h"
#include "reader/mqo_loader.h"

namespace {

enum class Way { kMemory, kBlocks, kOneByte };

struct Reading {
    int32_t result = 0;
    std::vector<std::string> messages;
    std::string dump;

    bool operator==(const Reading&) const = default;
};

void KeepMessage(void* user, const char* text) {
    static_cast<Reading*>(user)->messages.emplace_back(text);
}

std::string ModelDump(int32_t result, const std::vector<std::string>& messages,
                      const MQOModel& model) {
    KeptMessages kept;
    for (const std::string& text : messages) kept.Keep(text);
    std::string out;
    {
        JsonWriter json(out);
        WriteModelDump(json, result, kept, model);
    }
    return out;
}

Reading Read(const char* data, size_t size, Way way) {
    Reading reading;
    MQOLoader loader;
    loader.sink = MQOMessageSink::ForUser(&reading, KeepMessage);
    if (way == Way::kMemory) {
        reading.result = loader.LoadBytes("input.mqo", data, size);
    } else {
        MQOStream stream;
        MQOStreamHandle handle;
        if (stream.OpenBytes(&handle, data, size, "input.mqo") == 0) std::abort();
        // A table of its own address: the loader does not know its bytes.
        const MQOStreamOps hidden = *handle.ops;
        if (way == Way::kBlocks) {
            handle.ops = &hidden;
            loader.window_block_size = 1 + size % 64;
        } else {
            loader.one_byte_reads = true;
        }
        reading.result = loader.LoadFrom("input.mqo", handle);
    }
    reading.dump = ModelDump(reading.result, reading.messages, *loader.GetModel());
    return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const Reading one_byte = Read(bytes, size, Way::kOneByte);
    if (!(Read(bytes, size, Way::kMemory) == one_byte)) {
        std::fputs("the window over memory read otherwise than byte by byte\n", stderr);
        std::abort();
    }
    if (!(Read(bytes, size, Way::kBlocks) == one_byte)) {
        std::fputs("the window in blocks read otherwise than byte by byte\n", stderr);
        std::abort();
    }
    return 0;
}
