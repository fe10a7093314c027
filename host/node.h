// Scene nodes: the host's INode and the import interface's ImpNode that
// wraps it while an importer builds it.
#pragma once

#include "host/max_types.h"

class Mtl;

// Base of everything a node can reference.
class Object {
   public:
    virtual ~Object() = default;
};

enum RefResult { REF_FAIL = 0, REF_SUCCEED = 1 };

class INode {
   public:
    void SetMtl(Mtl* mtl) { mtl_ = mtl; }
    Mtl* GetMtl() const { return mtl_; }
    const char* GetName() const { return name_.data(); }
    void SetName(const char* name) { name_ = CStr(name); }
    Object* GetObjectRef() const { return object_; }
    void SetObjectRef(Object* object) { object_ = object; }

   private:
    CStr name_;
    Object* object_ = nullptr;
    Mtl* mtl_ = nullptr;
};

class ImpNode {
   public:
    RefResult Reference(Object* object) {
        node_.SetObjectRef(object);
        return REF_SUCCEED;
    }
    void SetName(const char* name) { node_.SetName(name); }
    INode* GetINode() { return &node_; }

   private:
    INode node_;
};
