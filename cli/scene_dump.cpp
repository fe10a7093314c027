#include "cli/scene_dump.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "host/host_scene.h"
#include "cli/json_text.h"

namespace {

using MaterialIndex = std::unordered_map<const MtlBase*, int>;

MaterialIndex IndexMaterials(const HostScene& scene) {
    MaterialIndex index;
    for (size_t i = 0; i < scene.Materials().size(); ++i) {
        index.emplace(scene.Materials()[i].get(), static_cast<int>(i));
    }
    return index;
}

void AppendIndex(std::string& out, const MaterialIndex& index, const MtlBase* material) {
    const auto found = index.find(material);
    out += found == index.end() ? "null" : std::to_string(found->second);
}

void AppendFloats(std::string& out, std::initializer_list<float> values) {
    out += '[';
    const char* separator = "";
    for (const float value : values) {
        out += separator;
        AppendJsonFloat(out, value);
        separator = ",";
    }
    out += ']';
}

void AppendInt(std::string& out, long long value) {
    char text[24];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void AppendInts(std::string& out, std::initializer_list<long long> values) {
    out += '[';
    const char* separator = "";
    for (const long long value : values) {
        out += separator;
        AppendInt(out, value);
        separator = ",";
    }
    out += ']';
}

void AppendKeyInt(std::string& out, const char* key, long long value) {
    out += key;
    AppendInt(out, value);
}

// With a file, text past this size is written out between array items.
constexpr size_t kSpillBytes = size_t(1) << 20;

void Spill(std::string& out, std::FILE* file) {
    if (file == nullptr || out.size() < kSpillBytes) return;
    std::fwrite(out.data(), 1, out.size(), file);
    out.clear();
}

template <typename T, typename Write>
void AppendArray(std::string& out, const std::vector<T>& items, Write write,
                 std::FILE* spill = nullptr) {
    out += '[';
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        write(items[i]);
        Spill(out, spill);
    }
    out += ']';
}

void AppendMesh(std::string& out, const Mesh& mesh, std::FILE* spill) {
    const auto point = [&](const Point3& p) { AppendFloats(out, {p.x, p.y, p.z}); };
    const auto corners = [&](const TVFace& f) { AppendInts(out, {f.t[0], f.t[1], f.t[2]}); };
    out += "{\"verts\":";
    AppendArray(out, mesh.verts, point, spill);
    out += ",\"faces\":";
    AppendArray(
        out, mesh.faces,
        [&](const Face& f) {
            out += "{\"v\":";
            AppendInts(out, {f.v[0], f.v[1], f.v[2]});
            AppendKeyInt(out, ",\"mat_id\":", f.getMatID());
            out += ",\"edge_vis\":";
            AppendInts(out, {f.getEdgeVis(0), f.getEdgeVis(1), f.getEdgeVis(2)});
            AppendKeyInt(out, ",\"sm_group\":", f.smGroup);
            out += '}';
        },
        spill);
    out += ",\"tverts\":";
    AppendArray(out, mesh.tVerts, point, spill);
    out += ",\"tvfaces\":";
    AppendArray(out, mesh.tvFace, corners, spill);
    out += ",\"vertcol\":";
    AppendArray(out, mesh.vertCol, point, spill);
    out += ",\"vcfaces\":";
    AppendArray(out, mesh.vcFace, corners, spill);
    out += ",\"autosmooth\":";
    if (mesh.autoSmoothCalled) {
        AppendJsonFloat(out, mesh.autoSmoothAngle);
    } else {
        out += "null";
    }
    out += '}';
}

void AppendStdMat(std::string& out, StdMat2& m, const MaterialIndex& index) {
    const auto color = [&](const Color& c) { AppendFloats(out, {c.r, c.g, c.b}); };
    const auto number = [&](const char* key, float value) {
        out += key;
        AppendJsonFloat(out, value);
    };
    out += "{\"type\":\"StdMat2\",\"name\":";
    AppendJsonText(out, m.GetName());
    AppendKeyInt(out, ",\"shading\":", m.GetShading());
    out += ",\"ambient\":";
    color(m.GetAmbient(0));
    out += ",\"diffuse\":";
    color(m.GetDiffuse(0));
    out += ",\"specular\":";
    color(m.GetSpecular(0));
    number(",\"shininess\":", m.GetShininess(0));
    number(",\"shin_str\":", m.GetShinStr(0));
    number(",\"self_illum\":", m.GetSelfIllum(0));
    number(",\"opacity\":", m.GetOpacity(0));
    out += ",\"maps\":{";
    const char* separator = "";
    for (int slot = 0; slot < m.NumSubTexmaps(); ++slot) {
        if (m.GetSubTexmap(slot) == nullptr) continue;
        out += separator;
        out += '"';
        out += std::to_string(slot);
        out += "\":";
        AppendIndex(out, index, m.GetSubTexmap(slot));
        separator = ",";
    }
    out += "}}";
}

void AppendMultiMtl(std::string& out, MultiMtl& m, const MaterialIndex& index) {
    out += "{\"type\":\"MultiMtl\",\"name\":";
    AppendJsonText(out, m.GetName());
    out += ",\"sub\":[";
    for (int i = 0; i < m.NumSubMtls(); ++i) {
        if (i > 0) out += ',';
        AppendIndex(out, index, m.GetSubMtl(i));
    }
    out += "]}";
}

void AppendBitmapTex(std::string& out, BitmapTex& t) {
    const StdUVGen& uv = *t.GetUVGen();
    const auto number = [&](const char* key, float value) {
        out += key;
        AppendJsonFloat(out, value);
    };
    out += "{\"type\":\"BitmapTex\",\"map_name\":";
    AppendJsonText(out, t.GetMapName());
    number(",\"u_offs\":", uv.GetUOffs(0));
    number(",\"v_offs\":", uv.GetVOffs(0));
    number(",\"u_scl\":", uv.GetUScl(0));
    number(",\"v_scl\":", uv.GetVScl(0));
    number(",\"ang\":", uv.GetAng(0));
    number(",\"blur\":", uv.GetBlur(0));
    AppendKeyInt(out, ",\"tiling\":", uv.GetTextureTiling());
    out += ",\"active\":";
    out += t.TestMtlFlag(MTL_TEX_DISPLAY_ENABLED) ? "true" : "false";
    out += '}';
}

}  // namespace

void AppendNodesJson(std::string& out, const HostScene& scene, std::FILE* spill) {
    const MaterialIndex index = IndexMaterials(scene);
    AppendArray(out, scene.SceneNodes(), [&](const INode* node) {
        out += "{\"name\":";
        AppendJsonText(out, node->GetName());
        out += ",\"mtl\":";
        AppendIndex(out, index, node->GetMtl());
        out += ",\"mesh\":";
        const auto* object = dynamic_cast<TriObject*>(node->GetObjectRef());
        if (object != nullptr) {
            AppendMesh(out, object->mesh, spill);
        } else {
            out += "null";
        }
        out += '}';
    });
}

void AppendMaterialsJson(std::string& out, const HostScene& scene) {
    const MaterialIndex index = IndexMaterials(scene);
    AppendArray(out, scene.Materials(), [&](const std::unique_ptr<MtlBase>& material) {
        if (auto* m = dynamic_cast<StdMat2*>(material.get())) {
            AppendStdMat(out, *m, index);
        } else if (auto* multi = dynamic_cast<MultiMtl*>(material.get())) {
            AppendMultiMtl(out, *multi, index);
        } else if (auto* tex = dynamic_cast<BitmapTex*>(material.get())) {
            AppendBitmapTex(out, *tex);
        } else {
            out += "null";
        }
    });
}
