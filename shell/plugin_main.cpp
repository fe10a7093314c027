#include "shell/plugin_main.h"

#include "shell/resource.h"
#include "shell/varnel_class_desc.h"

static HINSTANCE module_instance = nullptr;
static bool controls_initialised = false;
static TCHAR string_buffer[256];

BOOL WINAPI DllMain(HINSTANCE instance, ULONG, LPVOID) {
    module_instance = instance;
    if (!controls_initialised) {
        controls_initialised = true;
        InitCustomControls(module_instance);
        InitCommonControls();
    }
    return TRUE;
}

HINSTANCE ModuleInstance() {
    return module_instance;
}

const TCHAR* GetString(int id) {
    if (module_instance == nullptr) return nullptr;
    const int length = LoadStringA(module_instance, static_cast<UINT>(id), string_buffer,
                                   static_cast<int>(sizeof string_buffer));
    return length > 0 ? string_buffer : nullptr;
}

const TCHAR* LibDescription() {
    return GetString(IDS_LIB_DESCRIPTION);
}

int LibNumberClasses() {
    return 1;
}

ClassDesc2* LibClassDesc(int i) {
    return i == 0 ? &VarnelClassDescInstance() : nullptr;
}

ULONG LibVersion() {
    return kVarnelLibVersion;
}
