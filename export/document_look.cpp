#include "export/document_look.h"

#include <cstring>
#include <map>
#include <memory>

#include "builder/host_text.h"
#include "export/material_from_host.h"
#include "export/material_sides.h"
#include "export/scene_edits.h"
#include "host/code_pages.h"
#include "process/cleanup_faces.h"
#include "reader/mqo_loader.h"

namespace {

// The nearest object above each one with a smaller depth, -1 for none.
std::vector<int> ObjectParents(const MQOModel& model) {
    std::vector<int> parents;
    std::vector<int> open;  // the chain of objects a following one may hang on
    for (int j = 0; j < model.ObjectCount(); ++j) {
        const int depth = model.ObjectAt(j)->depth;
        while (!open.empty() && model.ObjectAt(open.back())->depth >= depth) open.pop_back();
        parents.push_back(open.empty() ? -1 : open.back());
        open.push_back(j);
    }
    return parents;
}

// The builder makes one node per object left with vertices and faces after
// the clean-up, in order, named after it in the host's code page. Per object
// its node, -1 for none; empty when the host's nodes are not these.
std::vector<int> NodesOfObjects(const MQOModel& model, const HostScene& host) {
    const std::vector<INode*>& nodes = host.SceneNodes();
    std::vector<int> node_of;
    size_t next = 0;
    std::string converted;
    for (int j = 0; j < model.ObjectCount(); ++j) {
        const MQOObject& object = *model.ObjectAt(j);
        if (object.VertexCount() == 0 || object.FaceCount() == 0) {
            node_of.push_back(-1);
            continue;
        }
        const char* host_name = HostText(model.code_page, object.name, converted);
        if (next >= nodes.size() || std::strcmp(nodes[next]->GetName(), host_name) != 0) return {};
        node_of.push_back(int(next++));
    }
    if (next != nodes.size()) return {};
    return node_of;
}

// Each node's parent: the node of the nearest ancestor object that has one.
void MarkNodes(const MQOModel& model, const std::vector<int>& node_of, ExportScene& scene) {
    const std::vector<int> parents = ObjectParents(model);
    std::vector<int> anchor(node_of.size(), -1);  // the object's node, else its parent's
    for (size_t j = 0; j < node_of.size(); ++j) {
        const int up = parents[j] >= 0 ? anchor[size_t(parents[j])] : -1;
        anchor[j] = node_of[j] >= 0 ? node_of[j] : up;
        if (node_of[j] < 0 || size_t(node_of[j]) >= scene.nodes.size()) continue;
        ExportNode& node = scene.nodes[size_t(node_of[j])];
        const MQOObject& object = *model.ObjectAt(int(j));
        node.parent = up;
        node.hidden = object.visible == 0;
        // The host's name has '?' where its code page lacks a character.
        node.name = DocumentTextUtf8(object.name, model.code_page);
    }
}

// The host's materials are named in its code page, with '?' for what it
// lacks; each takes the document's name again. Names that two document
// materials share in the host but not in the document stay as they are.
void NameMaterials(const MQOModel& model, ExportScene& scene) {
    if (HostReadsAsIs(model.code_page)) return;
    std::map<std::string, std::string> document_name;  // by the host's name, as UTF-8
    std::string converted;
    for (const auto& m : model.materials) {
        const std::string host = HostTextUtf8(HostText(model.code_page, m->name, converted));
        const std::string own = DocumentTextUtf8(m->name, model.code_page);
        const auto [at, added] = document_name.emplace(host, own);
        if (!added && at->second != own) at->second = host;
    }
    for (ExportMaterial& material : scene.materials) {
        const auto at = document_name.find(material.name);
        if (at != document_name.end()) material.name = at->second;
    }
}

std::string WithSlashes(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A map path the host could not take in its code page holds the document's
// bytes, which read as the host's text name no file; the part the document
// gave is decoded again by the document's code page.
void DecodeMapPaths(const MQOModel& model, ExportScene& scene) {
    if (HostReadsAsIs(model.code_page)) return;
    std::string converted;
    for (const auto& m : model.materials) {
        for (const char* name : {m->tex, m->alpha, m->bump}) {
            if (name[0] == '\0' || ExactHostText(model.code_page, name, converted)) continue;
            const std::string as_host = WithSlashes(HostTextUtf8(name));
            const std::string own = WithSlashes(DocumentTextUtf8(name, model.code_page));
            for (ExportMaterial& material : scene.materials) {
                for (ExportMap* map :
                     {&material.diffuse_map, &material.bump_map, &material.opacity_map}) {
                    if (!EndsWith(map->path, as_host)) continue;
                    map->path.replace(map->path.size() - as_host.size(), as_host.size(), own);
                }
            }
        }
    }
}

// Export materials are told apart by name only: one is double-sided when
// any document material of its name is (NameMaterials has given them the
// document's names).
void MarkDoubleSided(const MQOModel& model, const std::vector<bool>& sides, ExportScene& scene) {
    for (size_t i = 0; i < sides.size() && i < size_t(model.MaterialCount()); ++i) {
        if (!sides[i]) continue;
        const std::string name = DocumentTextUtf8(model.MaterialAt(int(i))->name, model.code_page);
        for (ExportMaterial& material : scene.materials) {
            if (material.name == name) material.double_sided = true;
        }
    }
}

// Marks what the document says; the warnings tell what could not be matched.
void ReadLook(ExportScene& scene, const HostScene& host, const DocumentLookOptions& options,
              std::vector<std::string>& warnings) {
    const std::string as_held = "; exported as the host scene holds it";
    MQOLoader loader;
    if (options.freeze_mirror) loader.SetFreezeMirror(1);
    if (options.freeze_catmull) loader.SetFreezeCatmull(1);
    const std::string* bytes = options.document_bytes;
    const int32_t read =
        bytes != nullptr ? loader.LoadBytes(options.document.c_str(), bytes->data(), bytes->size())
                         : loader.Load(options.document.c_str());
    if (read == 0 || loader.GetModel() == nullptr) {
        warnings.push_back("the document could not be read again" + as_held);
        return;
    }
    MQOModel& model = *loader.GetModel();
    CleanupFaces(model);
    const std::vector<int> node_of = NodesOfObjects(model, host);
    if (node_of.empty() && !host.SceneNodes().empty()) {
        warnings.push_back("the document's objects do not match the imported nodes" + as_held);
        return;
    }
    MarkNodes(model, node_of, scene);
    NameMaterials(model, scene);
    DecodeMapPaths(model, scene);
    const std::vector<bool> sides = DoubleSidedMaterials(options.document, bytes);
    if (sides.size() != size_t(model.MaterialCount())) {
        warnings.push_back(
            "the document's material lines do not match its materials; none is double-sided");
        return;
    }
    MarkDoubleSided(model, sides, scene);
}

bool HidesEveryNode(const ExportScene& scene) {
    for (const ExportNode& node : scene.nodes) {
        if (!node.hidden) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> ApplyDocumentLook(ExportScene& scene, const HostScene& host,
                                           const DocumentLookOptions& options) {
    std::vector<std::string> warnings;
    ReadLook(scene, host, options, warnings);
    // A document that hides all it holds would export nothing at all; it is
    // kept whole, as with include_hidden.
    if (!options.include_hidden && !HidesEveryNode(scene)) {
        DropHiddenNodes(scene);
    } else if (HasHiddenNode(scene)) {
        warnings.push_back(
            "hidden objects were included as visible: the written formats cannot hide a node");
    }
    ScalePositions(scene, options.scale);
    return warnings;
}
