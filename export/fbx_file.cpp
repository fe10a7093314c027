#include "export/fbx_file.h"

#include <cstdint>
#include <map>
#include <tuple>

#include "export/fbx_geometry.h"
#include "export/fbx_records.h"
#include "export/material_from_host.h"
#include "export/material_look.h"

namespace {

using Id = int64_t;

// A creation time and the file id that goes with it, as readers that check
// the pair expect; the file carries no real time, so that an export of the
// same scene gives the same bytes.
constexpr char kCreationTime[] = "1970-01-01 10:00:00:000";
constexpr unsigned char kFileId[16] = {0x28, 0xb3, 0x2a, 0xeb, 0xb6, 0x24, 0xcc, 0xc2,
                                       0xbf, 0xc8, 0xb0, 0x2a, 0xa9, 0x2b, 0xfc, 0xf1};

// Properties70 entries: name, type, label, flags, then the values.
void BeginP(FbxRecords& out, const char* name, const char* type, const char* label,
            const char* flags) {
    out.Begin("P");
    out.String(name);
    out.String(type);
    out.String(label);
    out.String(flags);
}

void PInt(FbxRecords& out, const char* name, int value) {
    BeginP(out, name, "int", "Integer", "");
    out.Int32(value);
    out.End();
}

void PEnum(FbxRecords& out, const char* name, int value) {
    BeginP(out, name, "enum", "", "");
    out.Int32(value);
    out.End();
}

void PNumber(FbxRecords& out, const char* name, double value) {
    BeginP(out, name, "double", "Number", "");
    out.Double(value);
    out.End();
}

void PColor(FbxRecords& out, const char* name, const Vec3& c) {
    BeginP(out, name, "Color", "", "A");
    for (float v : c) out.Double(v);
    out.End();
}

void PText(FbxRecords& out, const char* name, const std::string& value) {
    BeginP(out, name, "KString", "", "");
    out.String(value);
    out.End();
}

void Header(FbxRecords& out) {
    out.Begin("FBXHeaderExtension");
    out.Leaf("FBXHeaderVersion", 1003);
    out.Leaf("FBXVersion", 7400);
    out.Leaf("EncryptionType", 0);
    out.Leaf("Creator", "Varnel");
    out.End();
    out.Begin("FileId");
    out.Raw(std::string(reinterpret_cast<const char*>(kFileId), sizeof kFileId));
    out.End();
    out.Leaf("CreationTime", kCreationTime);
    out.Leaf("Creator", "Varnel");
}

// The host's axes, Z up with X to the right and -Y to the front, as 3ds Max
// declares them; readers turn the scene to their own axes from these, so
// the geometry is written as the host has it. The unit is the metre (100
// centimetres, FBX's base unit): positions are in the document's units
// times --scale, which glTF takes as metres.
void GlobalSettings(FbxRecords& out) {
    out.Begin("GlobalSettings");
    out.Leaf("Version", 1000);
    out.Begin("Properties70");
    PInt(out, "UpAxis", 2);
    PInt(out, "UpAxisSign", 1);
    PInt(out, "FrontAxis", 1);
    PInt(out, "FrontAxisSign", -1);
    PInt(out, "CoordAxis", 0);
    PInt(out, "CoordAxisSign", 1);
    PInt(out, "OriginalUpAxis", 2);
    PInt(out, "OriginalUpAxisSign", 1);
    PNumber(out, "UnitScaleFactor", 100.0);
    PNumber(out, "OriginalUnitScaleFactor", 100.0);
    out.End();
    out.End();
}

// Object ids, unique in the file; 0 is the scene's root.
struct Ids {
    Id next = 1000000;
    Id Take() { return next++; }
};

struct Connection {
    Id child, parent;
    std::string property;  // for a texture on a material's property
};

// The maps of the scene: a video per picture (the file) and a texture per
// picture and wrap pair (how it is laid on).
struct Maps {
    const std::vector<std::string>& files;
    std::map<int, Id> videos;
    std::map<std::tuple<int, MapWrap, MapWrap>, Id> textures;

    Id TextureFor(const ExportMap& map, Ids& ids) {
        if (map.image < 0 || size_t(map.image) >= files.size() || files[size_t(map.image)].empty())
            return 0;
        auto [video, new_video] = videos.try_emplace(map.image, 0);
        if (new_video) video->second = ids.Take();
        auto [texture, new_texture] = textures.try_emplace({map.image, map.wrap_u, map.wrap_v}, 0);
        if (new_texture) texture->second = ids.Take();
        return texture->second;
    }
};

void Video(FbxRecords& out, Id id, const std::string& file) {
    out.Begin("Video");
    out.Int64(id);
    out.String(FbxName(file, "Video"));
    out.String("Clip");
    out.Leaf("Type", "Clip");
    out.Begin("Properties70");
    BeginP(out, "Path", "KString", "XRefUrl", "");
    out.String(file);
    out.End();
    out.End();
    out.Leaf("UseMipMap", 0);
    out.Leaf("Filename", file);
    out.Leaf("RelativeFilename", file);
    out.End();
}

// FBX has no mirrored wrap: it repeats.
void Texture(FbxRecords& out, Id id, const std::string& file, MapWrap u, MapWrap v) {
    out.Begin("Texture");
    out.Int64(id);
    out.String(FbxName(file, "Texture"));
    out.String("");
    out.Leaf("Type", "TextureVideoClip");
    out.Leaf("Version", 202);
    out.Leaf("TextureName", FbxName(file, "Texture"));
    out.Begin("Properties70");
    PEnum(out, "WrapModeU", u == MapWrap::kClamp ? 1 : 0);
    PEnum(out, "WrapModeV", v == MapWrap::kClamp ? 1 : 0);
    out.End();
    out.Leaf("Media", FbxName(file, "Video"));
    out.Leaf("FileName", file);
    out.Leaf("RelativeFilename", file);
    out.End();
}

// The host's look in FBX's Phong terms, as the Assimp-written formats have
// it: glossiness (0..1) as the exponent scale 0..100, the specular level as
// the specular factor, a self-illuminated surface glowing in its colour.
// Opacity is told both ways readers look for it.
void Material(FbxRecords& out, Id id, const ExportMaterial& m) {
    out.Begin("Material");
    out.Int64(id);
    out.String(FbxName(m.name, "Material"));
    out.String("");
    out.Leaf("Version", 102);
    out.Leaf("ShadingModel", "phong");
    out.Leaf("MultiLayer", 0);
    out.Begin("Properties70");
    PText(out, "ShadingModel", "Phong");
    const Vec3 surface = SurfaceColour(m);
    PColor(out, "AmbientColor", m.ambient);
    PNumber(out, "AmbientFactor", 1.0);
    PColor(out, "DiffuseColor", surface);
    PNumber(out, "DiffuseFactor", 1.0);
    PColor(out, "SpecularColor", m.specular);
    PNumber(out, "SpecularFactor", m.shin_str);
    PNumber(out, "Shininess", m.shininess * 100.0);
    PNumber(out, "ShininessExponent", m.shininess * 100.0);
    PColor(out, "EmissiveColor",
           {surface[0] * m.self_illum, surface[1] * m.self_illum, surface[2] * m.self_illum});
    PNumber(out, "EmissiveFactor", 1.0);
    PColor(out, "TransparentColor", {1.0f, 1.0f, 1.0f});
    PNumber(out, "TransparencyFactor", 1.0 - m.opacity);
    PNumber(out, "Opacity", m.opacity);
    out.End();
    out.End();
}

// Where each material's maps go: the diffuse picture also glows where the
// surface does, as the host draws it.
void MaterialMaps(const ExportMaterial& m, Id material, Maps& maps, Ids& ids,
                  std::vector<Connection>& links) {
    const auto link = [&](const ExportMap& map, const char* property) {
        const Id texture = maps.TextureFor(map, ids);
        if (texture != 0) links.push_back({texture, material, property});
    };
    link(m.diffuse_map, "DiffuseColor");
    if (m.self_illum > 0.0f) link(m.diffuse_map, "EmissiveColor");
    link(m.opacity_map, "TransparentColor");
    link(m.bump_map, "Bump");
}

// A model keeps the identity transform: positions are in world space. It
// draws both faces, as the exports through Assimp did, since FBX has no
// per-material flag for it.
void Model(FbxRecords& out, Id id, const ExportNode& node) {
    out.Begin("Model");
    out.Int64(id);
    out.String(FbxName(node.name, "Model"));
    out.String(node.meshes.empty() ? "Null" : "Mesh");
    out.Leaf("Version", 232);
    out.Begin("Properties70");
    out.End();
    out.Begin("Shading");
    out.Bool(true);
    out.End();
    out.Leaf("Culling", "CullingOff");
    out.End();
}

void ObjectType(FbxRecords& out, const char* type, size_t count) {
    out.Begin("ObjectType");
    out.String(type);
    out.Leaf("Count", int32_t(count));
    out.End();
}

struct Counts {
    size_t models = 0, geometries = 0, materials = 0, textures = 0, videos = 0;
};

void Definitions(FbxRecords& out, const Counts& c) {
    out.Begin("Definitions");
    out.Leaf("Version", 100);
    out.Leaf("Count", int32_t(1 + c.models + c.geometries + c.materials + c.textures + c.videos));
    ObjectType(out, "GlobalSettings", 1);
    ObjectType(out, "Model", c.models);
    ObjectType(out, "Geometry", c.geometries);
    ObjectType(out, "Material", c.materials);
    ObjectType(out, "Texture", c.textures);
    ObjectType(out, "Video", c.videos);
    out.End();
}

void Connections(FbxRecords& out, const std::vector<Connection>& links) {
    out.Begin("Connections");
    for (const Connection& link : links) {
        out.Begin("C");
        out.String(link.property.empty() ? "OO" : "OP");
        out.Int64(link.child);
        out.Int64(link.parent);
        if (!link.property.empty()) out.String(link.property);
        out.End();
    }
    out.End();
}

// The ids of everything the file holds and how it hangs together, settled
// before the objects are written so that Definitions can count them.
struct Plan {
    std::vector<ExportMaterial> materials;
    std::vector<Id> material_ids, model_ids, geometry_ids;  // 0 for a node without meshes
    std::vector<Connection> links;
};

Plan PlanScene(const ExportScene& scene, Maps& maps, Ids& ids) {
    Plan plan;
    plan.materials = scene.materials;
    if (plan.materials.empty()) plan.materials.push_back(DefaultMaterial());
    for (const ExportMaterial& m : plan.materials) {
        plan.material_ids.push_back(ids.Take());
        MaterialMaps(m, plan.material_ids.back(), maps, ids, plan.links);
    }
    for (size_t n = 0; n < scene.nodes.size(); ++n) {
        const ExportNode& node = scene.nodes[n];
        plan.model_ids.push_back(ids.Take());
        const Id model = plan.model_ids.back();
        const int p = node.parent;
        plan.links.push_back({model, p >= 0 && size_t(p) < n ? plan.model_ids[size_t(p)] : 0, ""});
        plan.geometry_ids.push_back(node.meshes.empty() ? 0 : ids.Take());
        if (node.meshes.empty()) continue;
        plan.links.push_back({plan.geometry_ids.back(), model, ""});
        // The geometry's material indices count the meshes in order.
        for (const ExportMesh& mesh : node.meshes) {
            const size_t material =
                size_t(mesh.material) < plan.materials.size() ? size_t(mesh.material) : 0;
            plan.links.push_back({plan.material_ids[material], model, ""});
        }
    }
    for (const auto& [key, texture] : maps.textures) {
        plan.links.push_back({maps.videos.at(std::get<0>(key)), texture, ""});
    }
    return plan;
}

}  // namespace

Result<FbxFile> FbxFileOf(const ExportScene& scene, const std::vector<std::string>& picture_files) {
    for (const ExportNode& node : scene.nodes) {
        if (!FitsFbxGeometry(node)) {
            return Status::Failure("the object " + node.name +
                                   " has more vertices or triangles than an FBX array holds");
        }
    }
    Ids ids;
    Maps maps{picture_files, {}, {}};
    const Plan plan = PlanScene(scene, maps, ids);

    FbxRecords out;
    Header(out);
    GlobalSettings(out);
    Counts counts;
    counts.models = scene.nodes.size();
    for (Id geometry : plan.geometry_ids) counts.geometries += geometry != 0 ? 1 : 0;
    counts.materials = plan.materials.size();
    counts.textures = maps.textures.size();
    counts.videos = maps.videos.size();
    Definitions(out, counts);

    out.Begin("Objects");
    for (size_t n = 0; n < scene.nodes.size(); ++n) {
        Model(out, plan.model_ids[n], scene.nodes[n]);
        if (plan.geometry_ids[n] != 0) WriteFbxGeometry(out, plan.geometry_ids[n], scene.nodes[n]);
    }
    for (size_t m = 0; m < plan.materials.size(); ++m) {
        Material(out, plan.material_ids[m], plan.materials[m]);
    }
    for (const auto& [key, texture] : maps.textures) {
        const auto& [image, u, v] = key;
        Texture(out, texture, picture_files[size_t(image)], u, v);
    }
    for (const auto& [image, video] : maps.videos) Video(out, video, picture_files[size_t(image)]);
    out.End();
    Connections(out, plan.links);
    return out.Finish();
}
