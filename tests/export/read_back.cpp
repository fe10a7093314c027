#include "read_back.h"

#include <assimp/Importer.hpp>

namespace {

size_t NodesBelow(const aiNode* node) {
    size_t count = 0;
    for (unsigned i = 0; i < node->mNumChildren; ++i) count += 1 + NodesBelow(node->mChildren[i]);
    return count;
}

void MeshesBelow(const aiScene& scene, const aiNode& node, std::vector<ReadBackMesh>& out) {
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        const aiMesh* mesh = scene.mMeshes[node.mMeshes[i]];
        out.push_back({scene.mMaterials[mesh->mMaterialIndex]->GetName().C_Str(), mesh->mNumFaces,
                       mesh->HasTextureCoords(0)});
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) MeshesBelow(scene, *node.mChildren[i], out);
}

}  // namespace

ExportCounts ReadBackCounts(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    ExportCounts counts;
    if (scene == nullptr || scene->mRootNode == nullptr) return counts;
    counts.nodes = NodesBelow(scene->mRootNode);
    counts.meshes = scene->mNumMeshes;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) counts.faces += scene->mMeshes[m]->mNumFaces;
    counts.materials = scene->mNumMaterials;
    return counts;
}

std::vector<aiVector3D> ReadBackPositions(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    std::vector<aiVector3D> out;
    if (scene == nullptr) return out;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        out.insert(out.end(), mesh->mVertices, mesh->mVertices + mesh->mNumVertices);
    }
    return out;
}

std::vector<ReadBackMesh> ReadBackMeshes(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    std::vector<ReadBackMesh> out;
    if (scene != nullptr && scene->mRootNode != nullptr)
        MeshesBelow(*scene, *scene->mRootNode, out);
    return out;
}
