// The host's materials and maps: standard materials, multi-materials and
// bitmap textures with their coordinate generators. The host owns every one
// made; the factories register them with the current host scene.
#pragma once

#include <utility>
#include <vector>

#include "host/max_types.h"

// MtlBase flag: the map is shown in the viewports.
constexpr DWORD MTL_TEX_DISPLAY_ENABLED = 1u << 17;

// Map slots of a standard material.
constexpr int ID_AM = 0, ID_DI = 1, ID_SP = 2, ID_SH = 3, ID_SS = 4, ID_SI = 5, ID_OP = 6,
              ID_FI = 7, ID_BU = 8, ID_RL = 9, ID_RR = 10, ID_DP = 11;
constexpr int STD2_NMAX_TEXMAPS = 12;

// Shading models of a standard material.
constexpr int SHADE_CONST = 0, SHADE_PHONG = 1, SHADE_METAL = 2, SHADE_BLINN = 3;

class Texmap;

class MtlBase {
   public:
    virtual ~MtlBase() = default;
    void SetName(CStr name) { name_ = std::move(name); }
    const char* GetName() const { return name_.data(); }
    void SetMtlFlag(DWORD mask, BOOL on = TRUE) {
        flags_ = on ? (flags_ | mask) : (flags_ & ~mask);
    }
    BOOL TestMtlFlag(DWORD mask) const { return (flags_ & mask) != 0; }

   private:
    CStr name_;
    DWORD flags_ = 0;
};

class Mtl : public MtlBase {
   public:
    virtual int NumSubMtls() { return 0; }
    virtual Mtl* GetSubMtl(int) { return nullptr; }
    virtual void SetSubMtl(int, Mtl*) {}
};

class Texmap : public MtlBase {};

// A standard material; new ones carry the defaults below.
class StdMat2 : public Mtl {
   public:
    void SetShading(int s) { shading_ = s; }
    void SetAmbient(Color c, TimeValue) { ambient_ = c; }
    void SetDiffuse(Color c, TimeValue) { diffuse_ = c; }
    void SetSpecular(Color c, TimeValue) { specular_ = c; }
    void SetShininess(float v, TimeValue) { shininess_ = v; }
    void SetShinStr(float v, TimeValue) { shin_str_ = v; }
    void SetSelfIllum(float v, TimeValue) { self_illum_ = v; }
    void SetOpacity(float v, TimeValue) { opacity_ = v; }
    void SetSubTexmap(int i, Texmap* m);

    int GetShading() const { return shading_; }
    Color GetAmbient(TimeValue) const { return ambient_; }
    Color GetDiffuse(TimeValue) const { return diffuse_; }
    Color GetSpecular(TimeValue) const { return specular_; }
    float GetShininess(TimeValue) const { return shininess_; }
    float GetShinStr(TimeValue) const { return shin_str_; }
    float GetSelfIllum(TimeValue) const { return self_illum_; }
    float GetOpacity(TimeValue) const { return opacity_; }
    Texmap* GetSubTexmap(int i) const;
    int NumSubTexmaps() const { return STD2_NMAX_TEXMAPS; }

   private:
    int shading_ = SHADE_BLINN;
    Color ambient_{0.588f, 0.588f, 0.588f};
    Color diffuse_{0.588f, 0.588f, 0.588f};
    Color specular_{0.9f, 0.9f, 0.9f};
    float shininess_ = 0.1f;
    float shin_str_ = 0.0f;
    float self_illum_ = 0.0f;
    float opacity_ = 1.0f;
    Texmap* maps_[STD2_NMAX_TEXMAPS] = {};
};

class MultiMtl : public Mtl {
   public:
    // n empty slots; slots kept from before stay, a negative n means none.
    void SetNumSubMtls(int n);
    int NumSubMtls() override { return static_cast<int>(subs_.size()); }
    Mtl* GetSubMtl(int i) override;
    // An index outside the slots changes nothing.
    void SetSubMtl(int i, Mtl* m) override;

   private:
    std::vector<Mtl*> subs_;
};

// Placement of a map on the surface.
class StdUVGen {
   public:
    void SetUOffs(float v, TimeValue) { u_offs_ = v; }
    void SetVOffs(float v, TimeValue) { v_offs_ = v; }
    void SetUScl(float v, TimeValue) { u_scl_ = v; }
    void SetVScl(float v, TimeValue) { v_scl_ = v; }
    void SetAng(float v, TimeValue) { ang_ = v; }
    void SetBlur(float v, TimeValue) { blur_ = v; }
    void SetTextureTiling(int tiling) { tiling_ = tiling; }

    float GetUOffs(TimeValue) const { return u_offs_; }
    float GetVOffs(TimeValue) const { return v_offs_; }
    float GetUScl(TimeValue) const { return u_scl_; }
    float GetVScl(TimeValue) const { return v_scl_; }
    float GetAng(TimeValue) const { return ang_; }
    float GetBlur(TimeValue) const { return blur_; }
    int GetTextureTiling() const { return tiling_; }

   private:
    float u_offs_ = 0.0f;
    float v_offs_ = 0.0f;
    float u_scl_ = 1.0f;
    float v_scl_ = 1.0f;
    float ang_ = 0.0f;
    float blur_ = 1.0f;
    int tiling_ = 0;
};

// Texture tiling bits of StdUVGen.
constexpr int U_WRAP = 1 << 0, V_WRAP = 1 << 1, U_MIRROR = 1 << 2, V_MIRROR = 1 << 3;

class BitmapTex : public Texmap {
   public:
    void SetMapName(const char* name, bool isUIAction = false);
    const char* GetMapName() const { return map_name_.data(); }
    StdUVGen* GetUVGen() { return &uv_gen_; }

   private:
    CStr map_name_;
    StdUVGen uv_gen_;
};

StdMat2* NewDefaultStdMat();
MultiMtl* NewDefaultMultiMtl();
BitmapTex* NewDefaultBitmapTex();
