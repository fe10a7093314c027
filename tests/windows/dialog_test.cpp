// The options dialog shown by the system's dialog manager during a real
// import: a second thread plays the user, waits until the dialog is visible,
// looks at it and answers it with the mouse or the keyboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "cli/win32/import_table.h"
#include "host/host_scene.h"
#include "loaded_module.h"
#include "shell/varnel.h"

namespace {

// Bounds only a dialog that never shows: a loaded machine is slow to draw
// one, so the wait goes by the clock, far beyond what drawing takes.
constexpr ULONGLONG kDialogWaitMs = 240000;

// What DialogBoxParamA answered the module; the module's call goes through
// here on its way to the system.
using DialogBoxParamFunction = INT_PTR(WINAPI*)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);
DialogBoxParamFunction system_dialog_box = nullptr;
INT_PTR dialog_result = -2;

INT_PTR WINAPI WatchedDialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                                LPARAM param) {
    dialog_result = system_dialog_box(instance, name, owner, proc, param);
    return dialog_result;
}

using UserAction = void (*)(HWND dialog, DWORD ui_thread);

struct User {
    DWORD ui_thread;
    UserAction act;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char name[16];
    if (GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0 &&
        IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI PlayUser(LPVOID param) {
    const User& user = *static_cast<const User*>(param);
    HWND dialog = nullptr;
    const ULONGLONG limit = GetTickCount64() + kDialogWaitMs;
    while (dialog == nullptr && GetTickCount64() < limit) {
        EnumThreadWindows(user.ui_thread, FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog == nullptr) Sleep(10);
    }
    if (dialog == nullptr) {
        ADD_FAILURE() << "the options dialog did not become visible";
        return 1;
    }
    user.act(dialog, user.ui_thread);
    return 0;
}

HWND FocusOf(DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A key pressed and released over the focused window, as the keyboard
// driver would queue it.
void PressKey(DWORD thread, WPARAM key) {
    HWND focus = FocusOf(thread);
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

struct ImportSeen {
    int result = -1;
    INT_PTR dialog = -2;
    ImportOptions options = {};
    size_t nodes = 0;
};

class DialogTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_NE(module.handle, nullptr) << "Varnel.dli did not load";
        system_dialog_box = reinterpret_cast<DialogBoxParamFunction>(
            ReplaceImport(module.handle, "USER32.dll", "DialogBoxParamA",
                          reinterpret_cast<void*>(WatchedDialogBox)));
        ASSERT_NE(system_dialog_box, nullptr);
    }

    // One import of the cube with the user acting on its dialog.
    ImportSeen Import(UserAction act) {
        ImportSeen seen;
        ClassDesc2* desc = module.ClassDesc();
        if (desc == nullptr) return seen;
        auto* importer = static_cast<SceneImport*>(desc->Create());
        User user{GetCurrentThreadId(), act};
        HANDLE thread = CreateThread(nullptr, 0, PlayUser, &user, 0, nullptr);
        HostScene host;
        dialog_result = -2;
        seen.result =
            importer->DoImport(CubePath().c_str(), host.GetImpInterface(), host.GetInterface());
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        seen.dialog = dialog_result;
        seen.options = static_cast<Varnel*>(importer)->options;
        seen.nodes = host.SceneNodes().size();
        delete importer;
        return seen;
    }

    static std::string CubePath() {
        std::string path = "Z:" VARNEL_SAMPLES_DIR "/cube.mqo";
        for (char& c : path) c = c == '/' ? '\\' : c;
        return path;
    }

    LoadedModule module;
};

void ExpectOptions(const ImportOptions& options, int32_t a, int32_t b, int32_t c, int32_t d,
                   int32_t e) {
    EXPECT_EQ(options.load_use_material_only, a);
    EXPECT_EQ(options.same_uv_collect, b);
    EXPECT_EQ(options.spare, c);
    EXPECT_EQ(options.freeze_mirror, d);
    EXPECT_EQ(options.freeze_catmull, e);
}

struct ControlForm {
    int id;
    const char* text;
    DWORD type;
    RECT box;  // dialog units: left, top, width, height
};

const ControlForm kControls[] = {
    {IDOK, "OK", BS_DEFPUSHBUTTON, {24, 64, 50, 14}},
    {IDCANCEL, "Cancel", BS_PUSHBUTTON, {79, 64, 50, 14}},
    {1001, "Load Use Material Only", BS_AUTOCHECKBOX, {7, 7, 85, 11}},
    {1002, "Same UV Collect", BS_AUTOCHECKBOX, {7, 20, 85, 11}},
    {1003, "Freeze Mirror", BS_AUTOCHECKBOX, {7, 33, 85, 11}},
    {1004, "Freeze Catmull", BS_AUTOCHECKBOX, {7, 47, 85, 11}},
};

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void ExpectTemplateForm(HWND dialog, DWORD) {
    EXPECT_EQ(TextOf(dialog), "Varnel");
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName,
                 "\x82l\x82r \x82o\x83S\x83V\x83"
                 "b\x83N");  // ＭＳ Ｐゴシック

    for (const ControlForm& form : kControls) {
        HWND control = GetDlgItem(dialog, form.id);
        ASSERT_NE(control, nullptr) << form.id;
        char name[16] = {};
        GetClassNameA(control, name, sizeof name);
        EXPECT_STREQ(name, "Button") << form.id;
        EXPECT_EQ(TextOf(control), form.text);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
        const DWORD shown = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        EXPECT_EQ(style & shown, shown) << form.id;
        EXPECT_EQ(style & BS_TYPEMASK, form.type) << form.id;

        // The system converts position and size each on its own, as
        // MapDialogRect converts each of the four numbers.
        RECT expected = form.box;
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left) << form.id;
        EXPECT_EQ(actual.top, expected.top) << form.id;
        EXPECT_EQ(actual.right - actual.left, expected.right) << form.id;
        EXPECT_EQ(actual.bottom - actual.top, expected.bottom) << form.id;
    }

    // Template order is tab order, and it wraps round.
    HWND at = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (int i = 0; i <= 6; ++i) {
        EXPECT_EQ(GetDlgCtrlID(at), kControls[i % 6].id) << "tab stop " << i;
        at = GetNextDlgTabItem(dialog, at, FALSE);
    }

    const UINT opened[] = {BST_CHECKED, BST_CHECKED, BST_CHECKED, BST_UNCHECKED};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(IsDlgButtonChecked(dialog, 1001 + i), opened[i]);
    Click(dialog, IDCANCEL);
}

TEST_F(DialogTest, ControlsFollowTheTemplate) {
    const ImportSeen seen = Import(ExpectTemplateForm);
    EXPECT_EQ(seen.dialog, 1);
}

TEST_F(DialogTest, OkWritesTheBoxesAndImports) {
    const ImportSeen seen = Import([](HWND dialog, DWORD) {
        for (int id = 1001; id <= 1004; ++id) Click(dialog, id);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(seen.result, 1);
    EXPECT_EQ(seen.dialog, 0);
    ExpectOptions(seen.options, 0, 0, 1, 0, 1);
    EXPECT_EQ(seen.nodes, 1u);
}

TEST_F(DialogTest, CancelKeepsTheDefaultsAndImportsNothing) {
    const ImportSeen seen = Import([](HWND dialog, DWORD) {
        Click(dialog, 1001);
        Click(dialog, 1004);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(seen.result, 1);
    EXPECT_EQ(seen.dialog, 1);
    ExpectOptions(seen.options, 1, 1, 1, 1, 0);
    EXPECT_EQ(seen.nodes, 0u);
}

TEST_F(DialogTest, CloseBoxActsAsCancel) {
    const ImportSeen seen = Import([](HWND dialog, DWORD) {
        Click(dialog, 1002);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(seen.dialog, 1);
    ExpectOptions(seen.options, 1, 1, 1, 1, 0);
    EXPECT_EQ(seen.nodes, 0u);
}

// Enter on a focused check box presses the default button, OK.
TEST_F(DialogTest, EnterPressesOk) {
    const ImportSeen seen = Import([](HWND dialog, DWORD thread) {
        Click(dialog, 1003);
        EXPECT_EQ(GetDlgCtrlID(FocusOf(thread)), 1003);
        PressKey(thread, VK_RETURN);
    });
    EXPECT_EQ(seen.result, 1);
    EXPECT_EQ(seen.dialog, 0);
    ExpectOptions(seen.options, 1, 1, 1, 0, 0);
    EXPECT_EQ(seen.nodes, 1u);
}

// Escape cancels wherever the focus is in the dialog.
TEST_F(DialogTest, EscapePressesCancel) {
    const ImportSeen seen = Import([](HWND dialog, DWORD thread) {
        HWND focus = FocusOf(thread);
        EXPECT_TRUE(focus == dialog || GetParent(focus) == dialog);
        PressKey(thread, VK_ESCAPE);
    });
    EXPECT_EQ(seen.dialog, 1);
    ExpectOptions(seen.options, 1, 1, 1, 1, 0);
    EXPECT_EQ(seen.nodes, 0u);
}

}  // namespace
