#include "dump_prediction.h"

#include <algorithm>
#include <set>

#include "builder/host_text.h"
#include "export/material_from_host.h"
#include "host/code_pages.h"
#include "reader/mqo_loader.h"

using nlohmann::json;

namespace {

// -1 stands for the default material of faces without a standard one.
int StandardOrDefault(const json& materials, const json& index) {
    if (!index.is_number()) return -1;
    const int i = index.get<int>();
    return materials[i]["type"] == "StdMat2" ? i : -1;
}

}  // namespace

std::vector<bool> HiddenNodes(const json& dump, const std::string& document) {
    MQOLoader loader;
    const json& options = dump["dialog"]["options"];
    if (options[3] != 0) loader.SetFreezeMirror(1);
    if (options[4] != 0) loader.SetFreezeCatmull(1);
    std::vector<bool> hidden;
    if (loader.Load(document.c_str()) == 0) return hidden;
    const MQOModel& model = *loader.GetModel();
    // Nodes are named in the host's code page.
    const auto host_name = [&model](int j) {
        std::string converted;
        return HostTextUtf8(HostText(model.code_page, model.ObjectAt(j)->name, converted));
    };
    int j = 0;
    for (const json& node : dump["nodes"]) {
        while (j < model.ObjectCount() && host_name(j) != node["name"]) ++j;
        hidden.push_back(j < model.ObjectCount() && model.ObjectAt(j++)->visible == 0);
    }
    // A document that hides every object is exported whole.
    if (std::find(hidden.begin(), hidden.end(), false) == hidden.end())
        hidden.assign(hidden.size(), false);
    return hidden;
}

// A face's slot on a multi-material is its id modulo the number of
// sub-materials; any other node material covers every face.
ExportCounts PredictExport(const json& dump, const std::vector<bool>& hidden) {
    ExportCounts counts;
    std::set<int> used;
    const json& materials = dump["materials"];
    size_t n = 0;
    for (const json& node : dump["nodes"]) {
        if (n < hidden.size() && hidden[n++]) continue;
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
        for (int slot : slots) {
            used.insert(StandardOrDefault(materials, subs != nullptr ? (*subs)[slot] : mtl));
        }
    }
    counts.materials = used.size();
    return counts;
}
