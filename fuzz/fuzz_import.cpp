// A whole import of the input: read with both freezes, then build the host
// scene under one combination of "Load Use Material Only" and "Same UV
// Collect", chosen by the input's size. The fuzzer varies sizes all the time,
// so every combination is reached, and each input is read and frozen once
// rather than once per combination: the freezes are what makes an input slow.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "builder/scene_builder.h"
#include "host/host_scene.h"
#include "reader/mqo_loader.h"

namespace {

// Inputs that would freeze or build into gigabytes are refused by the
// importer's own checks, as a user's import would be, rather than killed by
// the fuzzer's memory limit.
constexpr uint64_t kFuzzMemoryBudget = uint64_t{256} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/varnel-fuzz-import-" + std::to_string(getpid()) + ".mqo";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    bool written = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) return 0;

    MQOLoader loader;
    loader.memory_budget = kFuzzMemoryBudget;
    loader.SetFreezeCatmull(1);
    loader.SetFreezeMirror(1);
    if (loader.Load(path.c_str()) != 1) return 0;
    const int combination = static_cast<int>(size % 4);
    HostScene host;
    BuildSettings settings{
        {combination & 1, (combination >> 1) & 1, 1, 1, 1}, "", kFuzzMemoryBudget};
    if (SetMQOModel(settings, *loader.GetModel(), host.GetImpInterface(), host.GetInterface()) !=
        1) {
        // Refused for the budget: told, and nothing was added to the scene.
        if (!host.SceneNodes().empty()) std::abort();
        return 0;
    }
    // Every object with vertices and faces left becomes one node.
    size_t expected = 0;
    for (const auto& object : loader.GetModel()->objects) {
        if (object->VertexCount() > 0 && object->FaceCount() > 0) ++expected;
    }
    if (host.SceneNodes().size() != expected) std::abort();
    return 0;
}
