// The import options dialog (resource IDD_OPTIONS): four check boxes over the
// importer's ImportOptions record, written back only when OK is pressed.
#pragma once

#include "shell/win_ui.h"

// The dialog's creation parameter is the address of the ImportOptions to
// edit. The dialog ends with 0 after OK and 1 after Cancel or the close box.
INT_PTR CALLBACK OptionsDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
