#include "export/scene_edits.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Keeps the materials some mesh uses, in order, and renumbers the meshes'.
void DropUnusedMaterials(ExportScene& scene) {
    std::vector<int> renumbered(scene.materials.size(), -1);
    for (const ExportNode& node : scene.nodes) {
        for (const ExportMesh& mesh : node.meshes) {
            if (mesh.material >= 0 && size_t(mesh.material) < renumbered.size())
                renumbered[size_t(mesh.material)] = 0;
        }
    }
    std::vector<ExportMaterial> kept;
    for (size_t i = 0; i < scene.materials.size(); ++i) {
        if (renumbered[i] < 0) continue;
        renumbered[i] = int(kept.size());
        kept.push_back(std::move(scene.materials[i]));
    }
    scene.materials = std::move(kept);
    for (ExportNode& node : scene.nodes) {
        for (ExportMesh& mesh : node.meshes) {
            if (mesh.material >= 0 && size_t(mesh.material) < renumbered.size())
                mesh.material = renumbered[size_t(mesh.material)];
        }
    }
}

bool HidesMeshes(const ExportNode& node) {
    return node.hidden && !node.meshes.empty();
}

// Keeps the nodes marked in keep: the children of one left out hang on its
// nearest ancestor kept.
void KeepNodes(ExportScene& scene, const std::vector<bool>& keep) {
    // Per node, its new index if kept, else that of its nearest kept ancestor.
    std::vector<int> anchor(scene.nodes.size(), -1);
    std::vector<ExportNode> kept;
    for (size_t i = 0; i < scene.nodes.size(); ++i) {
        ExportNode& node = scene.nodes[i];
        const bool known = node.parent >= 0 && size_t(node.parent) < i;
        const int up = known ? anchor[size_t(node.parent)] : -1;
        if (!keep[i]) {
            anchor[i] = up;
            continue;
        }
        anchor[i] = int(kept.size());
        node.parent = up;
        kept.push_back(std::move(node));
    }
    scene.nodes = std::move(kept);
}

template <size_t N>
bool AllFinite(const std::vector<std::array<float, N>>& values) {
    for (const std::array<float, N>& value : values) {
        for (float c : value) {
            if (!std::isfinite(c)) return false;
        }
    }
    return true;
}

bool MeshIsFinite(const ExportMesh& mesh) {
    return AllFinite(mesh.positions) && AllFinite(mesh.normals) && AllFinite(mesh.uvs) &&
           AllFinite(mesh.colors);
}

}  // namespace

std::vector<std::string> DropNonFiniteMeshes(ExportScene& scene) {
    std::vector<std::string> names;
    for (ExportNode& node : scene.nodes) {
        if (std::all_of(node.meshes.begin(), node.meshes.end(), MeshIsFinite)) continue;
        node.meshes.clear();
        names.push_back(node.name);
    }
    if (names.empty()) return names;
    DropEmptyBranches(scene);
    DropUnusedMaterials(scene);
    return names;
}

void DropHiddenMeshes(ExportScene& scene) {
    if (!HasHiddenMeshes(scene)) return;
    std::vector<bool> keep;
    for (const ExportNode& node : scene.nodes) keep.push_back(!HidesMeshes(node));
    KeepNodes(scene, keep);
    DropUnusedMaterials(scene);
}

void DropEmptyBranches(ExportScene& scene) {
    // A parent comes before its children, so a walk back reaches every
    // node's descendants before the node.
    std::vector<bool> filled(scene.nodes.size(), false);
    for (size_t i = scene.nodes.size(); i-- > 0;) {
        const ExportNode& node = scene.nodes[i];
        if (!node.meshes.empty()) filled[i] = true;
        if (filled[i] && node.parent >= 0 && size_t(node.parent) < i)
            filled[size_t(node.parent)] = true;
    }
    if (std::find(filled.begin(), filled.end(), false) != filled.end()) KeepNodes(scene, filled);
}

bool HasHiddenMeshes(const ExportScene& scene) {
    return std::any_of(scene.nodes.begin(), scene.nodes.end(), HidesMeshes);
}

void ScalePositions(ExportScene& scene, float factor) {
    if (factor == 1.0f) return;
    for (ExportNode& node : scene.nodes) {
        for (ExportMesh& mesh : node.meshes) {
            for (Vec3& p : mesh.positions) {
                for (float& c : p) c *= factor;
            }
        }
    }
}
