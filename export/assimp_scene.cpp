#include "export/assimp_scene.h"

#include <assimp/material.h>

#include "export/material_from_host.h"

namespace {

template <typename T>
T* NewArray(size_t count) {
    return count > 0 ? new T[count] : nullptr;
}

aiColor3D Ai(const Vec3& c) {
    return aiColor3D(c[0], c[1], c[2]);
}

void AddTexture(aiMaterial& out, aiTextureType type, const std::string& path) {
    if (path.empty()) return;
    const aiString name(path);
    out.AddProperty(&name, AI_MATKEY_TEXTURE(type, 0));
}

// The host's glossiness (0..1) is written as the exponent scale Assimp's
// readers use for it (0..100); the specular level becomes the strength.
aiMaterial* AssimpMaterial(const ExportMaterial& m) {
    auto* out = new aiMaterial();
    const aiString name(m.name);
    out->AddProperty(&name, AI_MATKEY_NAME);
    const aiColor3D ambient = Ai(m.ambient), diffuse = Ai(m.diffuse), specular = Ai(m.specular);
    const aiColor3D emissive =
        Ai({m.diffuse[0] * m.self_illum, m.diffuse[1] * m.self_illum, m.diffuse[2] * m.self_illum});
    out->AddProperty(&ambient, 1, AI_MATKEY_COLOR_AMBIENT);
    out->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    out->AddProperty(&specular, 1, AI_MATKEY_COLOR_SPECULAR);
    out->AddProperty(&emissive, 1, AI_MATKEY_COLOR_EMISSIVE);
    const float shininess = m.shininess * 100.0f;
    out->AddProperty(&shininess, 1, AI_MATKEY_SHININESS);
    out->AddProperty(&m.shin_str, 1, AI_MATKEY_SHININESS_STRENGTH);
    out->AddProperty(&m.opacity, 1, AI_MATKEY_OPACITY);
    AddTexture(*out, aiTextureType_DIFFUSE, m.diffuse_map);
    AddTexture(*out, aiTextureType_HEIGHT, m.bump_map);
    AddTexture(*out, aiTextureType_OPACITY, m.opacity_map);
    return out;
}

aiMesh* AssimpMesh(const ExportMesh& m, const std::string& name, UpAxis up) {
    auto* out = new aiMesh();
    out->mName = aiString(name);
    out->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    out->mMaterialIndex = unsigned(m.material);
    out->mNumVertices = unsigned(m.positions.size());
    out->mVertices = NewArray<aiVector3D>(m.positions.size());
    out->mNormals = NewArray<aiVector3D>(m.normals.size());
    for (size_t i = 0; i < m.positions.size(); ++i) {
        const Vec3 p = ToAxes(m.positions[i], up), n = ToAxes(m.normals[i], up);
        out->mVertices[i] = aiVector3D(p[0], p[1], p[2]);
        out->mNormals[i] = aiVector3D(n[0], n[1], n[2]);
    }
    if (!m.uvs.empty()) {
        out->mNumUVComponents[0] = 2;
        out->mTextureCoords[0] = NewArray<aiVector3D>(m.uvs.size());
        for (size_t i = 0; i < m.uvs.size(); ++i) {
            out->mTextureCoords[0][i] = aiVector3D(m.uvs[i][0], m.uvs[i][1], 0.0f);
        }
    }
    if (!m.colors.empty()) {
        out->mColors[0] = NewArray<aiColor4D>(m.colors.size());
        for (size_t i = 0; i < m.colors.size(); ++i) {
            const Vec4& c = m.colors[i];
            out->mColors[0][i] = aiColor4D(c[0], c[1], c[2], c[3]);
        }
    }
    out->mNumFaces = unsigned(m.TriangleCount());
    out->mFaces = NewArray<aiFace>(m.TriangleCount());
    for (size_t f = 0; f < m.TriangleCount(); ++f) {
        aiFace& face = out->mFaces[f];
        face.mNumIndices = 3;
        face.mIndices = new unsigned[3];
        for (int s = 0; s < 3; ++s) face.mIndices[s] = m.indices[f * 3 + s];
    }
    return out;
}

size_t MeshCount(const ExportScene& scene) {
    size_t count = 0;
    for (const ExportNode& node : scene.nodes) count += node.meshes.size();
    return count;
}

}  // namespace

std::unique_ptr<aiScene> AssimpScene(const ExportScene& scene, UpAxis up) {
    auto out = std::make_unique<aiScene>();
    std::vector<ExportMaterial> materials = scene.materials;
    if (materials.empty()) materials.push_back(DefaultMaterial());
    out->mNumMaterials = unsigned(materials.size());
    out->mMaterials = NewArray<aiMaterial*>(materials.size());
    for (size_t i = 0; i < materials.size(); ++i) out->mMaterials[i] = AssimpMaterial(materials[i]);

    out->mNumMeshes = unsigned(MeshCount(scene));
    out->mMeshes = NewArray<aiMesh*>(out->mNumMeshes);
    out->mRootNode = new aiNode("Scene");
    aiNode* root = out->mRootNode;
    root->mNumChildren = unsigned(scene.nodes.size());
    root->mChildren = NewArray<aiNode*>(scene.nodes.size());
    unsigned next_mesh = 0;
    for (size_t n = 0; n < scene.nodes.size(); ++n) {
        const ExportNode& node = scene.nodes[n];
        auto* child = new aiNode(node.name);
        child->mParent = root;
        root->mChildren[n] = child;
        child->mNumMeshes = unsigned(node.meshes.size());
        child->mMeshes = NewArray<unsigned>(node.meshes.size());
        for (size_t m = 0; m < node.meshes.size(); ++m) {
            out->mMeshes[next_mesh] = AssimpMesh(node.meshes[m], node.name, up);
            child->mMeshes[m] = next_mesh++;
        }
    }
    return out;
}
