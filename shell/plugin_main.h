// What the host finds in the module: the four library functions, and the
// initialisation entry that the system's module loader calls. GetString reads
// the module's string table for them.
#pragma once

#include "host/plugin.h"
#include "shell/win_ui.h"

// The host's version word for release 9: release 9000, interface 21, SDK
// revision 0.
constexpr ULONG kVarnelLibVersion = (9000ul << 16) + (21ul << 8) + 0ul;

extern "C" {
const TCHAR* LibDescription();
int LibNumberClasses();
ClassDesc2* LibClassDesc(int i);
ULONG LibVersion();
}

// Called for every attach and detach; stores the instance handle and, the
// first time only, initialises the controls.
BOOL WINAPI DllMain(HINSTANCE instance, ULONG reason, LPVOID reserved);

// The stored instance handle; null before DllMain.
HINSTANCE ModuleInstance();

// String id of the module, in one buffer shared by every call (a call
// overwrites the text of the one before); null without an instance handle or
// when the table has no such string.
const TCHAR* GetString(int id);
