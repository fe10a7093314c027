#include "export/scene_to_export.h"

#include <algorithm>

#include "export/document_outline.h"
#include "export/map_images.h"
#include "export/scene_edits.h"
#include "export/scene_from_host.h"

namespace {

// The document's shading of each node's object; none when the outline is
// missing or does not match, the warnings of ApplyDocumentLook then telling.
NodeSmoothing SmoothingOfNodes(const HostScene& host, const DocumentOutline* outline) {
    if (outline == nullptr) return {};
    const std::vector<int> node_of = NodesOfObjects(*outline, host);
    NodeSmoothing smoothing(host.SceneNodes().size());
    for (size_t j = 0; j < node_of.size(); ++j) {
        if (node_of[j] < 0) continue;
        const OutlinedObject& object = outline->objects[j];
        smoothing[size_t(node_of[j])] = SmoothingAngle{object.smooth, object.facet};
    }
    return smoothing;
}

bool HasMeshes(const ExportScene& scene) {
    return std::any_of(scene.nodes.begin(), scene.nodes.end(),
                       [](const ExportNode& node) { return !node.meshes.empty(); });
}

// Values past the float range, from the document or from the scale, would
// make files no reader takes.
void LeaveOutNonFinite(SceneToExport& out) {
    const std::vector<std::string> names = DropNonFiniteMeshes(out.scene);
    for (const std::string& name : names) {
        out.warnings.push_back("object \"" + name +
                               "\" left out: it holds numbers too large to write");
    }
    if (!names.empty() && !HasMeshes(out.scene)) {
        out.writable = Status::Failure("nothing to write: every object was left out");
    }
}

}  // namespace

SceneToExport MakeSceneToExport(const HostScene& host, const DocumentLookOptions& look,
                                const std::string& document, MapFinder& finder) {
    SceneToExport out{SceneFromHost(host, SmoothingOfNodes(host, look.outline)), {}, {}};
    out.warnings = ApplyDocumentLook(out.scene, host, look);
    LeaveOutNonFinite(out);
    for (std::string& warning : FindMapImages(out.scene, document, finder)) {
        out.warnings.push_back(std::move(warning));
    }
    return out;
}
