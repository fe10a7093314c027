// The host's side of an import: its scene and everything created through its
// interfaces and factories. The program that plays the host makes one; while
// it lives it is the current host, which the SDK's free functions
// (NewDefaultStdMat, CreateNewTriObject, ...) register what they make with.
// It owns all of that and frees it when it goes; the importer frees nothing.
#pragma once

#include <memory>
#include <vector>

#include "host/interfaces.h"
#include "host/mtl.h"
#include "host/node.h"
#include "host/triobj.h"

class HostScene {
   public:
    HostScene();
    ~HostScene();
    HostScene(const HostScene&) = delete;
    HostScene& operator=(const HostScene&) = delete;

    // The most recently made host still alive; a process-wide one when the
    // program made none.
    static HostScene& Current();

    ImpInterface* GetImpInterface() { return &imp_; }
    Interface* GetInterface() { return &interface_; }

    // Null while refusals asked for by RefuseNodes are pending.
    ImpNode* NewNode();
    // Null while refusals asked for by RefuseTriObjects are pending.
    TriObject* NewTriObject();
    template <typename M>
    M* Adopt(std::unique_ptr<M> material) {
        M* made = material.get();
        materials_.push_back(std::move(material));
        return made;
    }
    void AddToScene(INode* node);

    // The host turns down the next count requests, as a host short of memory.
    void RefuseNodes(int count) { refused_nodes_ = count; }
    void RefuseTriObjects(int count) { refused_objects_ = count; }

    // Nodes added to the scene, in order.
    const std::vector<INode*>& SceneNodes() const { return scene_nodes_; }
    // Every material and map made, in creation order.
    const std::vector<std::unique_ptr<MtlBase>>& Materials() const { return materials_; }
    // Position in Materials(), or -1.
    int MaterialIndex(const MtlBase* material) const;
    size_t CreatedNodeCount() const { return nodes_.size(); }
    size_t CreatedObjectCount() const { return objects_.size(); }

   private:
    HostScene* previous_;
    ImpInterface imp_;
    Interface interface_;
    std::vector<std::unique_ptr<ImpNode>> nodes_;
    std::vector<std::unique_ptr<TriObject>> objects_;
    std::vector<std::unique_ptr<MtlBase>> materials_;
    std::vector<INode*> scene_nodes_;
    int refused_nodes_ = 0;
    int refused_objects_ = 0;
};
