#include "host/host_scene.h"

static HostScene* current_host = nullptr;

HostScene::HostScene() : previous_(current_host), imp_(*this) {
    current_host = this;
}

HostScene::~HostScene() {
    if (current_host == this) current_host = previous_;
}

HostScene& HostScene::Current() {
    if (current_host != nullptr) return *current_host;
    static HostScene fallback;
    return fallback;
}

ImpNode* HostScene::NewNode() {
    if (refused_nodes_ > 0) {
        --refused_nodes_;
        return nullptr;
    }
    nodes_.push_back(std::make_unique<ImpNode>());
    return nodes_.back().get();
}

TriObject* HostScene::NewTriObject() {
    if (refused_objects_ > 0) {
        --refused_objects_;
        return nullptr;
    }
    objects_.push_back(std::make_unique<TriObject>());
    return objects_.back().get();
}

void HostScene::AddToScene(INode* node) {
    if (node != nullptr) scene_nodes_.push_back(node);
}

int HostScene::MaterialIndex(const MtlBase* material) const {
    for (size_t i = 0; i < materials_.size(); ++i) {
        if (materials_[i].get() == material) return static_cast<int>(i);
    }
    return -1;
}

ImpNode* ImpInterface::CreateNode() {
    return scene_.NewNode();
}

void ImpInterface::AddNodeToScene(ImpNode* node) {
    if (node != nullptr) scene_.AddToScene(node->GetINode());
}

void Interface::ActivateTexture(MtlBase* map, Mtl*, int) {
    if (map != nullptr) map->SetMtlFlag(MTL_TEX_DISPLAY_ENABLED);
}

TriObject* CreateNewTriObject() {
    return HostScene::Current().NewTriObject();
}
