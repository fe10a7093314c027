// The class descriptor through which the host finds and makes the importer.
#pragma once

#include "host/plugin.h"

// The importer's class id.
const Class_ID kVarnelClassID(0x0786A33C, 0x492BE6F7);

class VarnelClassDesc : public ClassDesc2 {
   public:
    int IsPublic() override { return 1; }
    // A new Varnel, which the host releases through its SceneImport.
    void* Create(BOOL loading = FALSE) override;
    int BeginCreate(Interface*) override { return 0; }
    int EndCreate(Interface*) override { return 0; }
    const TCHAR* ClassName() override;
    SClass_ID SuperClassID() override { return SCENE_IMPORT_CLASS_ID; }
    Class_ID ClassID() override { return kVarnelClassID; }
    const TCHAR* Category() override;
    const TCHAR* InternalName() override { return "Varnel"; }
    HINSTANCE HInstance() override;
};

// The module's one descriptor, alive while the module is loaded.
VarnelClassDesc& VarnelClassDescInstance();
