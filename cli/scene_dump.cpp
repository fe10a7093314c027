#include "cli/scene_dump.h"

#include <charconv>
#include <initializer_list>
#include <unordered_map>

#include "cli/json_writer.h"
#include "host/host_scene.h"

namespace {

using MaterialIndex = std::unordered_map<const MtlBase*, int>;

MaterialIndex IndexMaterials(const HostScene& scene) {
    MaterialIndex index;
    for (size_t i = 0; i < scene.Materials().size(); ++i) {
        index.emplace(scene.Materials()[i].get(), static_cast<int>(i));
    }
    return index;
}

void WriteIndex(JsonWriter& json, const MaterialIndex& index, const MtlBase* material) {
    const auto found = index.find(material);
    if (found == index.end()) {
        json.Null();
    } else {
        json.Int(found->second);
    }
}

// The host's words are unsigned 32-bit: written as 64-bit integers they keep
// their values.
void WriteInts(JsonWriter& json, std::initializer_list<int64_t> values) {
    json.BeginArray();
    for (const int64_t value : values) json.Int(value);
    json.EndArray();
}

void WritePoint(JsonWriter& json, const Point3& p) {
    const float values[] = {p.x, p.y, p.z};
    json.Floats(values, 3);
}

void WriteColor(JsonWriter& json, const Color& c) {
    const float values[] = {c.r, c.g, c.b};
    json.Floats(values, 3);
}

template <typename T, typename Write>
void WriteArray(JsonWriter& json, const std::vector<T>& items, Write write) {
    json.BeginArray();
    for (const T& item : items) write(item);
    json.EndArray();
}

void WriteFace(JsonWriter& json, const Face& f) {
    json.BeginObject();
    json.Key("v");
    WriteInts(json, {f.v[0], f.v[1], f.v[2]});
    json.IntField("mat_id", f.getMatID());
    json.Key("edge_vis");
    WriteInts(json, {f.getEdgeVis(0), f.getEdgeVis(1), f.getEdgeVis(2)});
    json.IntField("sm_group", f.smGroup);
    json.EndObject();
}

void WriteMesh(JsonWriter& json, const Mesh& mesh) {
    const auto point = [&](const Point3& p) { WritePoint(json, p); };
    const auto corners = [&](const TVFace& f) { WriteInts(json, {f.t[0], f.t[1], f.t[2]}); };
    json.BeginObject();
    json.Key("verts");
    WriteArray(json, mesh.verts, point);
    json.Key("faces");
    WriteArray(json, mesh.faces, [&](const Face& f) { WriteFace(json, f); });
    json.Key("tverts");
    WriteArray(json, mesh.tVerts, point);
    json.Key("tvfaces");
    WriteArray(json, mesh.tvFace, corners);
    json.Key("vertcol");
    WriteArray(json, mesh.vertCol, point);
    json.Key("vcfaces");
    WriteArray(json, mesh.vcFace, corners);
    json.Key("autosmooth");
    if (mesh.autoSmoothCalled) {
        json.Float(mesh.autoSmoothAngle);
    } else {
        json.Null();
    }
    json.EndObject();
}

// The map slots that hold a map, keyed by slot number.
void WriteMaps(JsonWriter& json, StdMat2& m, const MaterialIndex& index) {
    json.BeginObject();
    for (int slot = 0; slot < m.NumSubTexmaps(); ++slot) {
        if (m.GetSubTexmap(slot) == nullptr) continue;
        char key[16];
        *std::to_chars(key, key + sizeof key - 1, slot).ptr = '\0';
        json.Key(key);
        WriteIndex(json, index, m.GetSubTexmap(slot));
    }
    json.EndObject();
}

void WriteStdMat(JsonWriter& json, StdMat2& m, const MaterialIndex& index) {
    json.BeginObject();
    json.TextField("type", "StdMat2");
    json.TextField("name", m.GetName());
    json.IntField("shading", m.GetShading());
    json.Key("ambient");
    WriteColor(json, m.GetAmbient(0));
    json.Key("diffuse");
    WriteColor(json, m.GetDiffuse(0));
    json.Key("specular");
    WriteColor(json, m.GetSpecular(0));
    json.FloatField("shininess", m.GetShininess(0));
    json.FloatField("shin_str", m.GetShinStr(0));
    json.FloatField("self_illum", m.GetSelfIllum(0));
    json.FloatField("opacity", m.GetOpacity(0));
    json.Key("maps");
    WriteMaps(json, m, index);
    json.EndObject();
}

void WriteMultiMtl(JsonWriter& json, MultiMtl& m, const MaterialIndex& index) {
    json.BeginObject();
    json.TextField("type", "MultiMtl");
    json.TextField("name", m.GetName());
    json.Key("sub");
    json.BeginArray();
    for (int i = 0; i < m.NumSubMtls(); ++i) WriteIndex(json, index, m.GetSubMtl(i));
    json.EndArray();
    json.EndObject();
}

void WriteBitmapTex(JsonWriter& json, BitmapTex& t) {
    const StdUVGen& uv = *t.GetUVGen();
    json.BeginObject();
    json.TextField("type", "BitmapTex");
    json.TextField("map_name", t.GetMapName());
    json.FloatField("u_offs", uv.GetUOffs(0));
    json.FloatField("v_offs", uv.GetVOffs(0));
    json.FloatField("u_scl", uv.GetUScl(0));
    json.FloatField("v_scl", uv.GetVScl(0));
    json.FloatField("ang", uv.GetAng(0));
    json.FloatField("blur", uv.GetBlur(0));
    json.IntField("tiling", uv.GetTextureTiling());
    json.Key("active");
    json.Bool(t.TestMtlFlag(MTL_TEX_DISPLAY_ENABLED));
    json.EndObject();
}

void WriteNode(JsonWriter& json, const INode& node, const MaterialIndex& index) {
    json.BeginObject();
    json.TextField("name", node.GetName());
    json.Key("mtl");
    WriteIndex(json, index, node.GetMtl());
    json.Key("mesh");
    const auto* object = dynamic_cast<TriObject*>(node.GetObjectRef());
    if (object != nullptr) {
        WriteMesh(json, object->mesh);
    } else {
        json.Null();
    }
    json.EndObject();
}

void WriteMaterial(JsonWriter& json, MtlBase* material, const MaterialIndex& index) {
    if (auto* m = dynamic_cast<StdMat2*>(material)) {
        WriteStdMat(json, *m, index);
    } else if (auto* multi = dynamic_cast<MultiMtl*>(material)) {
        WriteMultiMtl(json, *multi, index);
    } else if (auto* tex = dynamic_cast<BitmapTex*>(material)) {
        WriteBitmapTex(json, *tex);
    } else {
        json.Null();
    }
}

}  // namespace

void WriteNodesJson(JsonWriter& json, const HostScene& scene) {
    const MaterialIndex index = IndexMaterials(scene);
    WriteArray(json, scene.SceneNodes(), [&](const INode* node) { WriteNode(json, *node, index); });
}

void WriteMaterialsJson(JsonWriter& json, const HostScene& scene) {
    const MaterialIndex index = IndexMaterials(scene);
    WriteArray(json, scene.Materials(), [&](const std::unique_ptr<MtlBase>& material) {
        WriteMaterial(json, material.get(), index);
    });
}

void AppendNodesJson(std::string& out, const HostScene& scene, std::FILE* spill) {
    JsonWriter json(out, spill);
    WriteNodesJson(json, scene);
}

void AppendMaterialsJson(std::string& out, const HostScene& scene) {
    JsonWriter json(out);
    WriteMaterialsJson(json, scene);
}
