// A whole import of the input: read with both freezes, then build the host
// scene with each combination of "Load Use Material Only" and "Same UV
// Collect". Each build gets a fresh model, since building rewrites faces.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "builder/scene_builder.h"
#include "reader/mqo_loader.h"
#include "host/host_scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/varnel-fuzz-import-" + std::to_string(getpid()) + ".mqo";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    bool written = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) return 0;

    for (int combination = 0; combination < 4; ++combination) {
        MQOLoader loader;
        loader.SetFreezeCatmull(1);
        loader.SetFreezeMirror(1);
        if (loader.Load(path.c_str()) != 1) return 0;
        HostScene host;
        BuildSettings settings{{combination & 1, (combination >> 1) & 1, 1, 1, 1}, ""};
        if (SetMQOModel(settings, *loader.GetModel(), host.GetImpInterface(),
                        host.GetInterface()) != 1) {
            std::abort();
        }
        // Every object with vertices and faces left becomes one node.
        size_t expected = 0;
        for (const auto& object : loader.GetModel()->objects) {
            if (object->VertexCount() > 0 && object->FaceCount() > 0) ++expected;
        }
        if (host.SceneNodes().size() != expected) std::abort();
    }
    return 0;
}
