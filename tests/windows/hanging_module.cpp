// Stands in for Varnel.dli and never finishes loading: a program that loads
// it hangs, as an import that never ends would, until it is killed.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Sleep(INFINITE);
    return TRUE;
}
