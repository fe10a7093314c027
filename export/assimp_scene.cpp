#include "export/assimp_scene.h"

#include <assimp/GltfMaterial.h>
#include <assimp/material.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "export/material_from_host.h"
#include "export/material_look.h"
#include "model/file_path.h"

namespace {

template <typename T>
T* NewArray(size_t count) {
    return count > 0 ? new T[count] : nullptr;
}

aiColor3D Ai(const Vec3& c) {
    return aiColor3D(c[0], c[1], c[2]);
}

aiTextureMapMode AiWrap(MapWrap wrap) {
    if (wrap == MapWrap::kMirror) return aiTextureMapMode_Mirror;
    return wrap == MapWrap::kClamp ? aiTextureMapMode_Clamp : aiTextureMapMode_Wrap;
}

// How the written file names each picture: "*N" or a file beside it; empty
// where it carries none.
using PictureRefs = std::vector<std::string>;

void AddMap(aiMaterial& out, aiTextureType type, const ExportMap& map, const PictureRefs& refs) {
    if (map.image < 0 || size_t(map.image) >= refs.size() || refs[size_t(map.image)].empty())
        return;
    const aiString name(refs[size_t(map.image)]);
    out.AddProperty(&name, AI_MATKEY_TEXTURE(type, 0));
    const int u = AiWrap(map.wrap_u), v = AiWrap(map.wrap_v);
    out.AddProperty(&u, 1, AI_MATKEY_MAPPINGMODE_U(type, 0));
    out.AddProperty(&v, 1, AI_MATKEY_MAPPINGMODE_V(type, 0));
}

// A self-illuminated surface glows in its diffuse map, as the host draws
// it, rather than in a flat colour that would hide the map.
void AddMaps(aiMaterial& out, const ExportMaterial& m, unsigned slots, const PictureRefs& refs) {
    if ((slots & kDiffuseSlot) != 0) {
        AddMap(out, aiTextureType_DIFFUSE, m.diffuse_map, refs);
        if (m.self_illum > 0.0f) AddMap(out, aiTextureType_EMISSIVE, m.diffuse_map, refs);
    }
    if ((slots & kOpacitySlot) != 0) AddMap(out, aiTextureType_OPACITY, m.opacity_map, refs);
    if ((slots & kBumpSlot) != 0) AddMap(out, aiTextureType_HEIGHT, m.bump_map, refs);
}

// glTF's alpha mode; the other writers pass it by.
void AddAlphaMode(aiMaterial& out, AlphaMode mode) {
    if (mode == AlphaMode::kOpaque) return;
    const aiString name(mode == AlphaMode::kMask ? "MASK" : "BLEND");
    out.AddProperty(&name, AI_MATKEY_GLTF_ALPHAMODE);
}

// The specular level becomes the strength of the Phong exponent.
aiMaterial* AssimpMaterial(const ExportMaterial& m, const ExportScene& scene, unsigned slots,
                           const PictureRefs& refs) {
    auto* out = new aiMaterial();
    const aiString name(m.name);
    out->AddProperty(&name, AI_MATKEY_NAME);
    const Vec3 surface = SurfaceColour(m);
    const aiColor3D ambient = Ai(m.ambient), diffuse = Ai(surface), specular = Ai(m.specular);
    const aiColor3D emissive = Ai(EmissiveColour(m));
    out->AddProperty(&ambient, 1, AI_MATKEY_COLOR_AMBIENT);
    out->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    out->AddProperty(&specular, 1, AI_MATKEY_COLOR_SPECULAR);
    out->AddProperty(&emissive, 1, AI_MATKEY_COLOR_EMISSIVE);
    const float shininess = PhongExponent(m);
    out->AddProperty(&shininess, 1, AI_MATKEY_SHININESS);
    out->AddProperty(&m.shin_str, 1, AI_MATKEY_SHININESS_STRENGTH);
    out->AddProperty(&m.opacity, 1, AI_MATKEY_OPACITY);
    const int two_sided = m.double_sided ? 1 : 0;
    out->AddProperty(&two_sided, 1, AI_MATKEY_TWOSIDED);
    // No refraction, said outright: without it COLLADA's writer leaves
    // index_of_refraction out, and Blender's reader takes that for a negative
    // index and warns once per material.
    const float no_refraction = 1.0f;
    out->AddProperty(&no_refraction, 1, AI_MATKEY_REFRACTI);
    AddMaps(*out, m, slots, refs);
    AddAlphaMode(*out, MaterialAlphaMode(m, scene.images));
    return out;
}

// The picture's bytes as they are (PNG or JPEG), which Assimp's writers
// take when the height is 0.
aiTexture* EmbeddedTexture(const ExportImage& image) {
    auto* out = new aiTexture();
    out->mWidth = unsigned(image.bytes.size());
    out->mHeight = 0;
    std::memcpy(out->achFormatHint, image.jpeg ? "jpg" : "png", 4);
    out->pcData = new aiTexel[(image.bytes.size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
    std::memcpy(static_cast<void*>(out->pcData), image.bytes.data(), image.bytes.size());
    out->mFilename = aiString(TextOf(PathOf(image.file).filename()));
    return out;
}

// Embeds every carried picture once and names it "*N".
PictureRefs EmbedPictures(aiScene& out, const ExportScene& scene, unsigned slots) {
    const std::vector<bool> carried = CarriedImages(scene, slots);
    PictureRefs refs(scene.images.size());
    std::vector<aiTexture*> textures;
    for (size_t i = 0; i < carried.size(); ++i) {
        if (!carried[i]) continue;
        refs[i] = "*" + std::to_string(textures.size());
        textures.push_back(EmbeddedTexture(scene.images[i]));
    }
    out.mNumTextures = unsigned(textures.size());
    out.mTextures = NewArray<aiTexture*>(textures.size());
    std::copy(textures.begin(), textures.end(), out.mTextures);
    return refs;
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

// One node per export node, its meshes added to the scene in node order.
std::vector<aiNode*> AssimpNodes(const ExportScene& scene, aiScene& out, UpAxis up) {
    std::vector<aiNode*> nodes;
    unsigned next_mesh = 0;
    for (const ExportNode& node : scene.nodes) {
        auto* made = new aiNode(node.name);
        made->mNumMeshes = unsigned(node.meshes.size());
        made->mMeshes = NewArray<unsigned>(node.meshes.size());
        for (size_t m = 0; m < node.meshes.size(); ++m) {
            out.mMeshes[next_mesh] = AssimpMesh(node.meshes[m], node.name, up);
            made->mMeshes[m] = next_mesh++;
        }
        nodes.push_back(made);
    }
    return nodes;
}

// Every node under its parent, one without an earlier parent under root.
// The nodes keep the identity transform: positions are in world space.
void HangNodes(const ExportScene& scene, const std::vector<aiNode*>& nodes, aiNode& root) {
    std::vector<aiNode*> parents(nodes.size(), &root);
    std::vector<unsigned> counts(nodes.size() + 1, 0);  // the root's last
    for (size_t n = 0; n < nodes.size(); ++n) {
        const int p = scene.nodes[n].parent;
        const size_t slot = p >= 0 && size_t(p) < n ? size_t(p) : nodes.size();
        if (slot < nodes.size()) parents[n] = nodes[slot];
        ++counts[slot];
    }
    root.mChildren = NewArray<aiNode*>(counts.back());
    for (size_t n = 0; n < nodes.size(); ++n) nodes[n]->mChildren = NewArray<aiNode*>(counts[n]);
    for (size_t n = 0; n < nodes.size(); ++n) {
        aiNode& parent = *parents[n];
        nodes[n]->mParent = &parent;
        parent.mChildren[parent.mNumChildren++] = nodes[n];
    }
}

}  // namespace

std::unique_ptr<aiScene> AssimpScene(const ExportScene& scene, const SceneFormat& format,
                                     const std::vector<std::string>& beside_names) {
    auto out = std::make_unique<aiScene>();
    const PictureRefs refs = format.maps == MapPlace::kEmbedded
                                 ? EmbedPictures(*out, scene, format.slots)
                                 : beside_names;
    std::vector<ExportMaterial> materials = scene.materials;
    if (materials.empty()) materials.push_back(DefaultMaterial());
    out->mNumMaterials = unsigned(materials.size());
    out->mMaterials = NewArray<aiMaterial*>(materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        out->mMaterials[i] = AssimpMaterial(materials[i], scene, format.slots, refs);
    }
    const UpAxis up = format.up;

    out->mNumMeshes = unsigned(MeshCount(scene));
    out->mMeshes = NewArray<aiMesh*>(out->mNumMeshes);
    out->mRootNode = new aiNode("Scene");
    const std::vector<aiNode*> nodes = AssimpNodes(scene, *out, up);
    HangNodes(scene, nodes, *out->mRootNode);
    return out;
}
