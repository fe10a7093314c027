// Redirects one function that a loaded module imports from a system library,
// by rewriting the module's import address table. The program playing the
// host uses it to watch the module's calls without changing them.
#pragma once

#include <windows.h>

// Points module's import of function (from library, e.g. "USER32.dll") at
// replacement; answers the address it replaced, or null when the module does
// not import it. Calling it again with the old address undoes it.
void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement);
