#include "shell/module_resources.h"

#include "shell/resource.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const DialogItemTemplate kOptionsItems[] = {
    {kChild | BS_DEFPUSHBUTTON, 24, 64, 50, 14, IDOK, "Button", "OK"},
    {kChild | BS_PUSHBUTTON, 79, 64, 50, 14, IDCANCEL, "Button", "Cancel"},
    {kChild | BS_AUTOCHECKBOX, 7, 7, 85, 11, IDC_LOAD_USE_MATERIAL_ONLY, "Button",
     "Load Use Material Only"},
    {kChild | BS_AUTOCHECKBOX, 7, 20, 85, 11, IDC_SAME_UV_COLLECT, "Button", "Same UV Collect"},
    {kChild | BS_AUTOCHECKBOX, 7, 33, 85, 11, IDC_FREEZE_MIRROR, "Button", "Freeze Mirror"},
    {kChild | BS_AUTOCHECKBOX, 7, 47, 85, 11, IDC_FREEZE_CATMULL, "Button", "Freeze Catmull"},
};

const DialogTemplate kDialogs[] = {
    {IDD_OPTIONS, kLangJapanese, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
     0, 0, 151, 85, "Varnel", 9, 0, 0, 0,
     "\x82l\x82r \x82o\x83S\x83V\x83"
     "b\x83N",  // ＭＳ Ｐゴシック
     kOptionsItems, static_cast<int>(sizeof kOptionsItems / sizeof kOptionsItems[0])},
};

// Entries 1 and 2 are the module's description and its category in the
// host's lists.
const StringResource kStrings[] = {
    {IDS_LIB_DESCRIPTION, "Metasequoia file importer (Varnel)"},
    {IDS_CATEGORY, "Scene Import"},
    {IDS_CLASS_NAME, "Varnel"},
    {IDS_PARAMS, "Parameters"},
    {IDS_SPIN, "Spin"},
};

const ModuleResources kResources = {
    kDialogs,
    static_cast<int>(sizeof kDialogs / sizeof kDialogs[0]),
    kStrings,
    static_cast<int>(sizeof kStrings / sizeof kStrings[0]),
};

}  // namespace

const ModuleResources& VarnelResources() {
    return kResources;
}
