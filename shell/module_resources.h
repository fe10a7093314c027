// The module's resources as data: the dialog templates and the string table
// that varnel.rc gives the resource compiler. Off Windows the module's
// instance handle points at these tables, and the dialog and string calls of
// win_ui.h read them.
#pragma once

#include <cstdint>

#include "shell/win_ui.h"

struct DialogItemTemplate {
    DWORD style;  // complete, WS_CHILD and WS_VISIBLE included
    int16_t x, y, cx, cy;
    uint16_t id;
    const char* class_name;
    const char* text;
};

struct DialogTemplate {
    uint16_t id;
    uint16_t language;
    DWORD style;
    DWORD ex_style;
    int16_t x, y, cx, cy;
    const char* title;
    uint16_t point_size;
    uint16_t weight;
    uint8_t italic;
    uint8_t charset;
    const char* font;
    const DialogItemTemplate* items;
    int item_count;
};

struct StringResource {
    uint16_t id;
    const char* text;
};

struct ModuleResources {
    const DialogTemplate* dialogs;
    int dialog_count;
    const StringResource* strings;
    int string_count;
};

// Language of the options dialog: Japanese.
constexpr uint16_t kLangJapanese = 0x0411;

const ModuleResources& VarnelResources();

#ifndef _WIN32
// The instance handle that the system's module loader would pass to DllMain.
inline HINSTANCE VarnelModuleHandle() {
    return const_cast<ModuleResources*>(&VarnelResources());
}
#endif
