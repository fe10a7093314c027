#include "export/document_look.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>

#include "builder/host_text.h"
#include "export/document_outline.h"
#include "export/material_from_host.h"
#include "export/scene_edits.h"
#include "host/code_pages.h"

namespace {

// The nearest object above each one with a smaller depth, -1 for none.
std::vector<int> ObjectParents(const DocumentOutline& outline) {
    std::vector<int> parents;
    std::vector<int> open;  // the chain of objects a following one may hang on
    for (size_t j = 0; j < outline.objects.size(); ++j) {
        const int depth = outline.objects[j].depth;
        while (!open.empty() && outline.objects[size_t(open.back())].depth >= depth) {
            open.pop_back();
        }
        parents.push_back(open.empty() ? -1 : open.back());
        open.push_back(int(j));
    }
    return parents;
}

}  // namespace

// The builder makes one node per object left with vertices and faces after
// the clean-up, in order, named after it in the host's code page.
std::vector<int> NodesOfObjects(const DocumentOutline& outline, const HostScene& host) {
    const std::vector<INode*>& nodes = host.SceneNodes();
    std::vector<int> node_of;
    size_t next = 0;
    std::string converted;
    for (const OutlinedObject& object : outline.objects) {
        if (!object.has_node) {
            node_of.push_back(-1);
            continue;
        }
        const char* host_name = HostText(outline.code_page, object.name.c_str(), converted);
        if (next >= nodes.size() || std::strcmp(nodes[next]->GetName(), host_name) != 0) return {};
        node_of.push_back(int(next++));
    }
    if (next != nodes.size()) return {};
    return node_of;
}

namespace {

// The scene's nodes in the document's order, one per object: an object the
// builder made no node of (a group) stands as an empty node, so that its
// children keep their parent. Each object's parent precedes it.
void NestNodes(const DocumentOutline& outline, const std::vector<int>& node_of,
               ExportScene& scene) {
    const std::vector<int> parents = ObjectParents(outline);
    std::vector<ExportNode> nodes;
    nodes.reserve(outline.objects.size());
    for (size_t j = 0; j < outline.objects.size(); ++j) {
        const int from = node_of[j];
        ExportNode node;
        if (from >= 0 && size_t(from) < scene.nodes.size())
            node = std::move(scene.nodes[size_t(from)]);
        const OutlinedObject& object = outline.objects[j];
        node.parent = parents[j];
        node.hidden = !object.visible;
        // The host's name has '?' where its code page lacks a character.
        node.name = DocumentTextUtf8(object.name.c_str(), outline.code_page);
        nodes.push_back(std::move(node));
    }
    scene.nodes = std::move(nodes);
}

// The host's materials are named in its code page, with '?' for what it
// lacks; each takes the document's name again. Names that two document
// materials share in the host but not in the document stay as they are.
void NameMaterials(const DocumentOutline& outline, ExportScene& scene) {
    if (HostReadsAsIs(outline.code_page)) return;
    std::map<std::string, std::string> document_name;  // by the host's name, as UTF-8
    std::string converted;
    for (const OutlinedMaterial& m : outline.materials) {
        const std::string host =
            HostTextUtf8(HostText(outline.code_page, m.name.c_str(), converted));
        const std::string own = DocumentTextUtf8(m.name.c_str(), outline.code_page);
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
void DecodeMapPaths(const DocumentOutline& outline, ExportScene& scene) {
    if (HostReadsAsIs(outline.code_page)) return;
    std::string converted;
    for (const OutlinedMaterial& m : outline.materials) {
        for (const std::string* path : {&m.tex, &m.alpha, &m.bump}) {
            const char* name = path->c_str();
            if (name[0] == '\0' || ExactHostText(outline.code_page, name, converted)) continue;
            const std::string as_host = WithSlashes(HostTextUtf8(name));
            const std::string own = WithSlashes(DocumentTextUtf8(name, outline.code_page));
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
void MarkDoubleSided(const DocumentOutline& outline, ExportScene& scene) {
    for (const OutlinedMaterial& m : outline.materials) {
        if (!m.double_sided) continue;
        const std::string name = DocumentTextUtf8(m.name.c_str(), outline.code_page);
        for (ExportMaterial& material : scene.materials) {
            if (material.name == name) material.double_sided = true;
        }
    }
}

// Marks what the document says; the warnings tell what could not be matched.
void ReadLook(ExportScene& scene, const HostScene& host, const DocumentLookOptions& options,
              std::vector<std::string>& warnings) {
    const std::string as_held = "; exported as the host scene holds it";
    const DocumentOutline* outline = options.outline;
    if (outline == nullptr) {
        warnings.push_back("the import gave no outline of the document" + as_held);
        return;
    }
    const std::vector<int> node_of = NodesOfObjects(*outline, host);
    if (node_of.empty() && !host.SceneNodes().empty()) {
        warnings.push_back("the document's objects do not match the imported nodes" + as_held);
        return;
    }
    NestNodes(*outline, node_of, scene);
    NameMaterials(*outline, scene);
    DecodeMapPaths(*outline, scene);
    MarkDoubleSided(*outline, scene);
}

// Objects without faces hide nothing one could see.
bool HidesEveryMesh(const ExportScene& scene) {
    for (const ExportNode& node : scene.nodes) {
        if (!node.hidden && !node.meshes.empty()) return false;
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
    const bool keep_hidden = options.include_hidden || HidesEveryMesh(scene);
    if (!keep_hidden) DropHiddenMeshes(scene);
    DropEmptyBranches(scene);
    if (keep_hidden && HasHiddenMeshes(scene)) {
        warnings.push_back(
            "hidden objects were included as visible: the written formats cannot hide a node");
    }
    ScalePositions(scene, options.scale);
    return warnings;
}

float ScaleFactor(const char* text) {
    if (std::strcmp(text, "mm") == 0) return 0.001f;
    if (std::strcmp(text, "cm") == 0) return 0.01f;
    if (std::strcmp(text, "m") == 0) return 1.0f;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0') return 0.0f;
    if (!(value > 0.0 && value <= double(std::numeric_limits<float>::max()))) return 0.0f;
    return float(value);
}
