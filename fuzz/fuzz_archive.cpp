// Takes the document out of the input as the command takes it out of a
// compressed document: the archive's records, member table, names, methods
// and claimed sizes all come from the input. The reading must refuse it in
// one line or hand over a document within the bound it promises, which is
// then read as the command would read it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/compressed_document.h"
#include "reader/mqo_loader.h"

namespace {

constexpr uint64_t kFuzzMemoryBudget = uint64_t{256} << 20;
constexpr uint64_t kLargestRatio = 64;

// The archive's own name decides which member is its document, so the
// input's last byte picks one of a few: a member may match it or not.
const char* ArchiveName(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"box.mqoz", "\xe3\x83\xa2.mqoz", "a.mqoz", "x.mqoz"};
    return kNames[size > 0 ? data[size - 1] % 4 : 0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* name = ArchiveName(data, size);
    const std::string archive(reinterpret_cast<const char*>(data), size);
    std::string document;
    const Status taken = TakeDocumentOut(name, archive, document);
    if (!taken.ok()) {
        if (taken.why().find('\n') != std::string::npos) std::abort();
        return 0;
    }
    if (document.size() > uint64_t(size) * kLargestRatio) std::abort();
    MQOLoader loader;
    loader.memory_budget = kFuzzMemoryBudget;
    const int32_t result = loader.LoadBytes(name, document.data(), document.size());
    if (result != 0 && result != 1) std::abort();
    return 0;
}
