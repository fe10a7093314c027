#include "dump_prediction.h"

#include <algorithm>
#include <memory>
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

namespace {

// The document read as the import of the dump read it.
std::unique_ptr<MQOLoader> LoadAsDumped(const json& dump, const std::string& document) {
    auto loader = std::make_unique<MQOLoader>();
    const json& options = dump["dialog"]["options"];
    if (options[3] != 0) loader->SetFreezeMirror(1);
    if (options[4] != 0) loader->SetFreezeCatmull(1);
    if (loader->Load(document.c_str()) == 0) return nullptr;
    return loader;
}

// Per node of the dump, its object: the nodes are the objects that kept
// faces, in order, named in the host's code page.
std::vector<int> ObjectsOfNodes(const json& dump, const MQOModel& model) {
    const auto host_name = [&model](int j) {
        std::string converted;
        return HostTextUtf8(HostText(model.code_page, model.ObjectAt(j)->name, converted));
    };
    std::vector<int> objects;
    int j = 0;
    for (const json& node : dump["nodes"]) {
        while (j < model.ObjectCount() && host_name(j) != node["name"]) ++j;
        objects.push_back(j < model.ObjectCount() ? j++ : -1);
    }
    return objects;
}

bool HidesEvery(const std::vector<bool>& hidden) {
    return std::find(hidden.begin(), hidden.end(), false) == hidden.end();
}

}  // namespace

std::vector<bool> HiddenNodes(const json& dump, const std::string& document) {
    const std::unique_ptr<MQOLoader> loader = LoadAsDumped(dump, document);
    std::vector<bool> hidden;
    if (loader == nullptr) return hidden;
    const MQOModel& model = *loader->GetModel();
    for (int j : ObjectsOfNodes(dump, model))
        hidden.push_back(j >= 0 && model.ObjectAt(j)->visible == 0);
    // A document that hides every object is exported whole.
    if (HidesEvery(hidden)) hidden.assign(hidden.size(), false);
    return hidden;
}

std::vector<KeptObject> KeptObjects(const json& dump, const std::string& document,
                                    bool include_hidden) {
    const std::unique_ptr<MQOLoader> loader = LoadAsDumped(dump, document);
    if (loader == nullptr) return {};
    const MQOModel& model = *loader->GetModel();
    const auto count = size_t(model.ObjectCount());
    std::vector<bool> node(count, false), hidden(count, false), hidden_nodes;
    for (int j : ObjectsOfNodes(dump, model)) {
        if (j >= 0) node[size_t(j)] = true;
    }
    std::vector<int> parent(count, -1);
    for (size_t j = 0; j < count; ++j) {
        const MQOObject& object = *model.ObjectAt(int(j));
        hidden[j] = object.visible == 0;
        if (node[j]) hidden_nodes.push_back(hidden[j]);
        for (int p = int(j) - 1; p >= 0; --p) {
            if (model.ObjectAt(p)->depth < object.depth) {
                parent[j] = p;
                break;
            }
        }
    }
    const bool keep_hidden = include_hidden || HidesEvery(hidden_nodes);
    // Children follow their parents: walked backwards, an object has seen
    // every object below it. A group is kept, hidden or not, while it holds
    // an object kept.
    std::vector<bool> kept(count, false), holds_kept(count, false);
    for (size_t j = count; j-- > 0;) {
        kept[j] = node[j] ? keep_hidden || !hidden[j] : holds_kept[j];
        if ((kept[j] || holds_kept[j]) && parent[j] >= 0) holds_kept[size_t(parent[j])] = true;
    }
    const auto name = [&model](int j) {
        return DocumentTextUtf8(model.ObjectAt(j)->name, model.code_page);
    };
    std::vector<KeptObject> out;
    for (size_t j = 0; j < count; ++j) {
        if (!kept[j]) continue;
        int p = parent[j];
        while (p >= 0 && !kept[size_t(p)]) p = parent[size_t(p)];
        out.push_back({name(int(j)), p >= 0 ? name(p) : "", node[j]});
    }
    return out;
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
