#include "export/material_from_host.h"

#include <cstring>

#include "host/code_pages.h"

namespace {

Vec3 Rgb(const Color& c) {
    return {c.r, c.g, c.b};
}

MapWrap WrapOf(int tiling, int mirror_flag, int wrap_flag) {
    if ((tiling & mirror_flag) != 0) return MapWrap::kMirror;
    return (tiling & wrap_flag) != 0 ? MapWrap::kRepeat : MapWrap::kClamp;
}

// The bitmap's path with '/' separators, which every target format and
// every system reads; a backslash inside a double-byte character is gone
// after decoding, so each one left is a separator.
ExportMap MapOf(const StdMat2& material, int slot) {
    auto* map = dynamic_cast<BitmapTex*>(material.GetSubTexmap(slot));
    if (map == nullptr) return {};
    ExportMap out;
    out.path = HostTextUtf8(map->GetMapName());
    for (char& c : out.path) {
        if (c == '\\') c = '/';
    }
    const int tiling = map->GetUVGen()->GetTextureTiling();
    out.wrap_u = WrapOf(tiling, U_MIRROR, U_WRAP);
    out.wrap_v = WrapOf(tiling, V_MIRROR, V_WRAP);
    return out;
}

}  // namespace

ExportMaterial MaterialFromHost(const StdMat2& material) {
    ExportMaterial out;
    out.name = HostTextUtf8(material.GetName());
    out.ambient = Rgb(material.GetAmbient(0));
    out.diffuse = Rgb(material.GetDiffuse(0));
    out.specular = Rgb(material.GetSpecular(0));
    out.shininess = material.GetShininess(0);
    out.shin_str = material.GetShinStr(0);
    out.self_illum = material.GetSelfIllum(0);
    out.opacity = material.GetOpacity(0);
    out.diffuse_map = MapOf(material, ID_DI);
    out.bump_map = MapOf(material, ID_BU);
    out.opacity_map = MapOf(material, ID_OP);
    return out;
}

ExportMaterial DefaultMaterial() {
    StdMat2 host_default;
    ExportMaterial out = MaterialFromHost(host_default);
    out.name = "default";
    return out;
}
