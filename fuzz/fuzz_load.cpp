// Reads the input as a document under one combination of the two freeze
// flags, chosen by the input's size. The fuzzer varies sizes all the time, so
// every combination is reached, at a quarter of the cost of reading each
// input four times. The reader must answer 0 or 1 and keep within its
// buffers. The input is read from memory, which spares a file write per
// input (the import target reads through a file). An input that starts as a
// zip archive goes through the command's archive reading first, which must
// refuse it with a reason or hand over the document.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/compressed_document.h"
#include "reader/mqo_loader.h"

namespace {

// Inputs that would freeze into gigabytes are refused by the reader's own
// check, as a user's import would be, rather than killed by the fuzzer's
// memory limit.
constexpr uint64_t kFuzzMemoryBudget = uint64_t{256} << 20;

// The document an archive input holds, as the archive reading takes it out
// of bytes in memory. False when there is none to read.
bool DocumentInArchive(const uint8_t* data, size_t size, std::string& bytes) {
    const std::string archive(reinterpret_cast<const char*>(data), size);
    return TakeDocumentOut("input.mqoz", archive, bytes).ok();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A plain input is read where it lies; only an archive's document is
    // copied out.
    std::string archived;
    const char* document = reinterpret_cast<const char*>(data);
    size_t length = size;
    if (StartsAsArchive(document, size)) {
        if (!DocumentInArchive(data, size, archived)) return 0;
        document = archived.data();
        length = archived.size();
    }
    const size_t flags = size % 4;
    MQOLoader loader;
    loader.memory_budget = kFuzzMemoryBudget;
    if (flags & 2) loader.SetFreezeCatmull(1);
    if (flags & 1) loader.SetFreezeMirror(1);
    int32_t result = loader.LoadBytes("input.mqo", document, length);
    if (result != 0 && result != 1) std::abort();
    if (result == 1) {
        // The totals must describe the model that was read.
        const MQOModel* model = loader.GetModel();
        int faces = 0;
        for (const auto& object : model->objects) faces += object->FaceCount();
        if (faces != model->face_total) std::abort();
    }
    return 0;
}
