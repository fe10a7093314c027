#include "dump_prediction.h"

#include <set>

using nlohmann::json;

namespace {

// -1 stands for the default material of faces without a standard one.
int StandardOrDefault(const json& materials, const json& index) {
    if (!index.is_number()) return -1;
    const int i = index.get<int>();
    return materials[i]["type"] == "StdMat2" ? i : -1;
}

}  // namespace

// A face's slot on a multi-material is its id modulo the number of
// sub-materials; any other node material covers every face.
ExportCounts PredictExport(const json& dump) {
    ExportCounts counts;
    std::set<int> used;
    const json& materials = dump["materials"];
    for (const json& node : dump["nodes"]) {
        ++counts.nodes;
        const json& mtl = node["mtl"];
        const json* subs = nullptr;
        if (mtl.is_number() && materials[mtl.get<int>()]["type"] == "MultiMtl") {
            subs = &materials[mtl.get<int>()]["sub"];
            if (subs->empty()) subs = nullptr;
        }
        std::set<int> slots;
        for (const json& face : node["mesh"]["faces"]) {
            slots.insert(subs != nullptr ? face["mat_id"].get<int>() % int(subs->size()) : 0);
            ++counts.faces;
        }
        counts.meshes += slots.size();
        if (slots.size() > 1) counts.shared += slots.size();
        for (int slot : slots) {
            used.insert(StandardOrDefault(materials, subs != nullptr ? (*subs)[slot] : mtl));
        }
    }
    counts.materials = used.size();
    return counts;
}
