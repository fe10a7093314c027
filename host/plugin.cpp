#include "host/plugin.h"

static int custom_controls_inits = 0;

void InitCustomControls(HINSTANCE) {
    ++custom_controls_inits;
}

int CustomControlsInitCount() {
    return custom_controls_inits;
}

#ifdef _WIN32
// The window keeps its size; its middle goes to the parent's middle, or to
// the screen's when there is no parent.
void CenterWindow(HWND window, HWND parent) {
    RECT box, around;
    if (!GetWindowRect(window, &box)) return;
    if (parent == nullptr || !GetWindowRect(parent, &around)) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
    }
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const int x = (around.left + around.right - width) / 2;
    const int y = (around.top + around.bottom - height) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
#else
void CenterWindow(HWND, HWND) {}
#endif
