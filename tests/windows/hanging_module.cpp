// Stands in for Varnel.dli and never finishes loading: a program that loads
// it hangs, as an import that never ends would, until it is killed. First it
// makes an empty file of its own, "hngXXXX.tmp", in the working folder: a
// test that counts them knows how many imports have got that far.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t made[MAX_PATH];
        GetTempFileNameW(L".", L"hng", 0, made);
        Sleep(INFINITE);
    }
    return TRUE;
}
