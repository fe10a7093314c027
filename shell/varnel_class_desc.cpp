#include "shell/varnel_class_desc.h"

#include "shell/plugin_main.h"
#include "shell/resource.h"
#include "shell/varnel.h"

static VarnelClassDesc varnel_class_desc;

VarnelClassDesc& VarnelClassDescInstance() {
    return varnel_class_desc;
}

void* VarnelClassDesc::Create(BOOL) {
    return static_cast<SceneImport*>(new Varnel);
}

const TCHAR* VarnelClassDesc::ClassName() {
    return GetString(IDS_CLASS_NAME);
}

const TCHAR* VarnelClassDesc::Category() {
    return GetString(IDS_CATEGORY);
}

HINSTANCE VarnelClassDesc::HInstance() {
    return ModuleInstance();
}
