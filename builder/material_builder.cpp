#include "builder/material_builder.h"

#include "builder/face_rules.h"
#include "builder/host_text.h"
#include "builder/join_path.h"
#include "builder/trace.h"
#include "model/mqo_model.h"
#include "model/report.h"

namespace {

constexpr float kAmbientFactor = 0.25f;
constexpr float kPowerDivisor = 100.0f;
constexpr TimeValue kTime = 0;
constexpr int kTilingWrapUV = U_WRAP | V_WRAP;
constexpr size_t kMapPathSize = 1024;

void TraceMaterial(int index, const MQOMaterial& m) {
    Trace("mtl[%3d]=%16s:col(%1.2f,%1.2f,%1.2f,%1.2f)", index, m.name, m.col.r, m.col.g, m.col.b,
          m.col.a);
    if (m.tex[0] != '\0') Trace(",tex(%s)", m.tex);
    if (m.bump[0] != '\0') Trace(",bump(%s)", m.bump);
    if (m.alpha[0] != '\0') Trace(",alpha(%s)", m.alpha);
    Trace("\n");
}

// Fills the slot of one non-empty object, making the materials it is the first
// to use.
void BuildUsedMaterials(const BuildSettings& settings, const MQOModel& model,
                        const MQOObject& object, std::vector<StdMat2*>& made,
                        ObjectMaterialSlot& slot, Interface* ip) {
    slot.id_map.assign(made.size(), -1);
    std::vector<int> used;
    for (const auto& face : object.faces) {
        const int m = FaceMaterial(model, *face);
        if (m < 0 || !IsBuildableFace(object, *face)) continue;
        if (made[m] == nullptr) made[m] = MakeMaterial(settings, model, m, ip);
        if (slot.id_map[m] == -1) {
            slot.id_map[m] = static_cast<int32_t>(used.size());
            used.push_back(m);
        }
    }
    if (used.size() == 1) {
        slot.mtl = made[used[0]];
    } else if (used.size() > 1) {
        MultiMtl* multi = NewDefaultMultiMtl();
        multi->SetNumSubMtls(static_cast<int>(used.size()));
        for (size_t l = 0; l < used.size(); ++l)
            multi->SetSubMtl(static_cast<int>(l), made[used[l]]);
        slot.mtl = multi;
    }
}

void BuildUseOnly(const BuildSettings& settings, const MQOModel& model,
                  std::vector<ObjectMaterialSlot>& slots, Interface* ip) {
    std::vector<StdMat2*> made(static_cast<size_t>(model.MaterialCount()), nullptr);
    for (int j = 0; j < model.ObjectCount() && j < static_cast<int>(slots.size()); ++j) {
        const MQOObject& object = *model.ObjectAt(j);
        if (object.VertexCount() == 0 || object.FaceCount() == 0) continue;
        BuildUsedMaterials(settings, model, object, made, slots[j], ip);
    }
}

void BuildAll(const BuildSettings& settings, const MQOModel& model,
              std::vector<ObjectMaterialSlot>& slots, Interface* ip) {
    const int count = model.MaterialCount();
    for (ObjectMaterialSlot& slot : slots) {
        slot.id_map.resize(static_cast<size_t>(count));
        for (int m = 0; m < count; ++m) slot.id_map[m] = m;
    }
    MultiMtl* multi = NewDefaultMultiMtl();
    multi->SetNumSubMtls(count);
    for (int m = 0; m < count; ++m) multi->SetSubMtl(m, MakeMaterial(settings, model, m, ip));
    for (ObjectMaterialSlot& slot : slots) slot.mtl = multi;
}

// The map name as the host gets it: converted into the host's code page when
// that is exact, else the document's own bytes, which the user is told of,
// since a path changed by a single character would name another file.
const char* HostMapName(const MQOModel& model, const char* name, std::string& storage) {
    if (ExactHostText(model.code_page, name, storage)) return storage.c_str();
    std::string shown;
    ReportTo(model.message_sink, MessageCode::kMapPathKeptAsBytes, 0,
             HostText(model.code_page, name, shown));
    return name;
}

}  // namespace

int HostShading(int shader) {
    if (shader == 1) return SHADE_CONST;
    if (shader == 4) return SHADE_BLINN;
    return SHADE_PHONG;
}

void BuildObjectMaterials(const BuildSettings& settings, const MQOModel& model,
                          std::vector<ObjectMaterialSlot>& slots, Interface* ip) {
    if (settings.options.load_use_material_only != 0) {
        BuildUseOnly(settings, model, slots, ip);
    } else {
        BuildAll(settings, model, slots, ip);
    }
}

StdMat2* MakeMaterial(const BuildSettings& settings, const MQOModel& model, int index,
                      Interface* ip) {
    const MQOMaterial& m = *model.MaterialAt(index);
    TraceMaterial(index, m);
    StdMat2* mtl = NewDefaultStdMat();
    std::string converted;
    mtl->SetName(CStr(HostText(model.code_page, m.name, converted)));
    mtl->SetShading(HostShading(m.shader));
    const float ambient = m.amb * kAmbientFactor;
    mtl->SetAmbient(Color(ambient, ambient, ambient), kTime);
    mtl->SetDiffuse(Color(m.col.r, m.col.g, m.col.b), kTime);
    mtl->SetSpecular(Color(1.0f, 1.0f, 1.0f), kTime);
    mtl->SetShininess(m.spc, kTime);
    mtl->SetShinStr(m.power / kPowerDivisor, kTime);
    mtl->SetSelfIllum(m.emi, kTime);
    mtl->SetOpacity(m.col.a, kTime);
    if (m.tex[0] != '\0') {
        BitmapTex* map = MakeBitmapTex(settings.directory, HostMapName(model, m.tex, converted));
        mtl->SetSubTexmap(ID_DI, map);
        if (ip != nullptr) ip->ActivateTexture(map, mtl, -1);
    }
    if (m.bump[0] != '\0') {
        BitmapTex* map = MakeBitmapTex(settings.directory, HostMapName(model, m.bump, converted));
        mtl->SetSubTexmap(ID_BU, map);
    }
    if (m.alpha[0] != '\0') {
        BitmapTex* map = MakeBitmapTex(settings.directory, HostMapName(model, m.alpha, converted));
        mtl->SetSubTexmap(ID_OP, map);
    }
    return mtl;
}

BitmapTex* MakeBitmapTex(const char* directory, const char* name) {
    char path[kMapPathSize];
    JoinPath(path, sizeof path, directory, name);
    BitmapTex* map = NewDefaultBitmapTex();
    map->SetMapName(CStr(path), false);
    StdUVGen* uv = map->GetUVGen();
    uv->SetUOffs(0.0f, kTime);
    uv->SetVOffs(0.0f, kTime);
    uv->SetUScl(1.0f, kTime);
    uv->SetVScl(1.0f, kTime);
    uv->SetAng(0.0f, kTime);
    uv->SetBlur(1.0f, kTime);
    uv->SetTextureTiling(kTilingWrapUV);
    return map;
}
