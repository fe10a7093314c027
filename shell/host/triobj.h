// A triangle-mesh object, what a mesh node references.
#pragma once

#include "shell/host/mesh.h"
#include "shell/host/node.h"

class TriObject : public Object {
   public:
    Mesh mesh;
    Mesh& GetMesh() { return mesh; }
};

TriObject* CreateNewTriObject();
