// The module's string table and the common controls off Windows.
#include <cstring>

#include "model/text.h"
#include "shell/module_resources.h"
#include "shell/win_ui.h"

static int common_controls_inits = 0;

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return 0;
    buffer[0] = '\0';
    if (instance == nullptr) return 0;
    const auto* module = static_cast<const ModuleResources*>(instance);
    for (int i = 0; i < module->string_count; ++i) {
        if (module->strings[i].id == id) {
            CopyText(buffer, static_cast<size_t>(capacity), module->strings[i].text);
            return static_cast<int>(std::strlen(buffer));
        }
    }
    return 0;
}

// This system draws no controls; the count lets a module's start-up be checked.
void InitCommonControls() {
    ++common_controls_inits;
}

int CommonControlsInitCount() {
    return common_controls_inits;
}
