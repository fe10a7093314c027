#include "host/mtl.h"

#include <memory>

#include "host/host_scene.h"

void StdMat2::SetSubTexmap(int i, Texmap* m) {
    if (i < 0 || i >= STD2_NMAX_TEXMAPS) return;
    maps_[i] = m;
}

Texmap* StdMat2::GetSubTexmap(int i) const {
    if (i < 0 || i >= STD2_NMAX_TEXMAPS) return nullptr;
    return maps_[i];
}

void MultiMtl::SetNumSubMtls(int n) {
    subs_.resize(n > 0 ? static_cast<size_t>(n) : 0, nullptr);
}

Mtl* MultiMtl::GetSubMtl(int i) {
    if (i < 0 || i >= NumSubMtls()) return nullptr;
    return subs_[static_cast<size_t>(i)];
}

void MultiMtl::SetSubMtl(int i, Mtl* m) {
    if (i < 0 || i >= NumSubMtls()) return;
    subs_[static_cast<size_t>(i)] = m;
}

void BitmapTex::SetMapName(const char* name, bool) {
    map_name_ = CStr(name);
}

StdMat2* NewDefaultStdMat() {
    return HostScene::Current().Adopt(std::make_unique<StdMat2>());
}

MultiMtl* NewDefaultMultiMtl() {
    return HostScene::Current().Adopt(std::make_unique<MultiMtl>());
}

BitmapTex* NewDefaultBitmapTex() {
    return HostScene::Current().Adopt(std::make_unique<BitmapTex>());
}
