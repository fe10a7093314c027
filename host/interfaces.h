// The two interfaces the host hands an importer: ImpInterface to make and
// add nodes, Interface for everything else it needs of the host.
#pragma once

#include "host/max_types.h"

class HostScene;
class ImpNode;
class MtlBase;
class Mtl;

class ImpInterface {
   public:
    explicit ImpInterface(HostScene& scene) : scene_(scene) {}
    // A new node, or null when the host refuses one.
    ImpNode* CreateNode();
    void AddNodeToScene(ImpNode* node);

   private:
    HostScene& scene_;
};

class Interface {
   public:
    // Shows the map in the viewports on objects that carry the material.
    void ActivateTexture(MtlBase* map, Mtl* mtl, int subNum = -1);
};
