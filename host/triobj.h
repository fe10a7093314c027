// A triangle-mesh object, what a mesh node references.
#pragma once

#include "host/mesh.h"
#include "host/node.h"

class TriObject : public Object {
   public:
    Mesh mesh;
    Mesh& GetMesh() { return mesh; }
};

TriObject* CreateNewTriObject();
