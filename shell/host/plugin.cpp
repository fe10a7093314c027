#include "shell/host/plugin.h"

static int custom_controls_inits = 0;

void InitCustomControls(HINSTANCE) {
    ++custom_controls_inits;
}

int CustomControlsInitCount() {
    return custom_controls_inits;
}

void CenterWindow(HWND, HWND) {}
