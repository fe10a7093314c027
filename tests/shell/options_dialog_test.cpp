#include "shell/options_dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "builder/import_options.h"
#include "scripted_user.h"
#include "shell/module_resources.h"
#include "shell/resource.h"

namespace {

constexpr ImportOptions kDefaults = {1, 1, 1, 1, 0};

std::vector<int32_t> Words(const ImportOptions& o) {
    return {o.load_use_material_only, o.same_uv_collect, o.spare, o.freeze_mirror,
            o.freeze_catmull};
}

INT_PTR ShowOptions(ImportOptions& options, HWND owner = nullptr) {
    return DialogBoxParamA(VarnelModuleHandle(), MAKEINTRESOURCEA(IDD_OPTIONS), owner,
                           OptionsDialogProc, reinterpret_cast<LPARAM>(&options));
}

TEST(OptionsDialog, OpensWithTheRecordFocusOnTheDialogAndOkKeepsIt) {
    ImportOptions options = kDefaults;
    ScriptedUser user({Click(IDOK)});
    EXPECT_EQ(ShowOptions(options), 0);
    EXPECT_EQ(user.first_checks, (std::vector<UINT>{1, 1, 1, 0}));
    EXPECT_EQ(user.first_focus, user.dialog);
    EXPECT_EQ(Words(options), (std::vector<int32_t>{1, 1, 1, 1, 0}));
    EXPECT_TRUE(user.ended);
    EXPECT_EQ(user.end_result, 0);
}

TEST(OptionsDialog, ShowsWhateverTheRecordHolds) {
    ImportOptions options = {0, 1, 1, 0, 1};
    ScriptedUser user({Key(DialogKey::kEnter)});
    EXPECT_EQ(ShowOptions(options), 0);
    EXPECT_EQ(user.first_checks, (std::vector<UINT>{0, 1, 0, 1}));
    EXPECT_EQ(Words(options), (std::vector<int32_t>{0, 1, 1, 0, 1}));
}

TEST(OptionsDialog, UntickingEveryBoxLeavesOnlyTheSpareWord) {
    ImportOptions options = kDefaults;
    ScriptedUser user({Click(IDC_LOAD_USE_MATERIAL_ONLY), Click(IDC_SAME_UV_COLLECT),
                       Click(IDC_FREEZE_MIRROR), Click(IDOK)});
    EXPECT_EQ(ShowOptions(options), 0);
    EXPECT_EQ(Words(options), (std::vector<int32_t>{0, 0, 1, 0, 0}));
}

TEST(OptionsDialog, SpareWordIsNeitherShownNorWritten) {
    ImportOptions options = {1, 1, 7, 1, 0};
    ScriptedUser user({Click(IDOK)});
    ShowOptions(options);
    EXPECT_EQ(options.spare, 7);
}

TEST(OptionsDialog, CancelEscapeAndCloseBoxKeepTheRecord) {
    for (DialogInput last : {Click(IDCANCEL), Key(DialogKey::kEscape), Key(DialogKey::kClose)}) {
        ImportOptions options = kDefaults;
        ScriptedUser user({Click(IDC_SAME_UV_COLLECT), Click(IDC_FREEZE_CATMULL), last});
        EXPECT_EQ(ShowOptions(options), 1);
        EXPECT_EQ(Words(options), (std::vector<int32_t>{1, 1, 1, 1, 0}));
    }
}

TEST(OptionsDialog, UserWithNothingToSayClosesTheDialog) {
    ImportOptions options = kDefaults;
    ScriptedUser user({Click(IDC_FREEZE_MIRROR)});
    EXPECT_EQ(ShowOptions(options), 1);
    EXPECT_EQ(options.freeze_mirror, 1);
}

TEST(OptionsDialog, KeyboardWalksTheTabOrderAndSpaceToggles) {
    // From the dialog itself Tab reaches OK, Cancel, then the four boxes.
    ImportOptions options = kDefaults;
    std::vector<DialogInput> keys(6, Key(DialogKey::kTab));
    keys.push_back(Key(DialogKey::kSpace));  // Freeze Catmull
    keys.push_back(Key(DialogKey::kBackTab));
    keys.push_back(Key(DialogKey::kSpace));  // Freeze Mirror
    keys.push_back(Key(DialogKey::kEnter));  // on a box: the default button
    ScriptedUser user(keys);
    EXPECT_EQ(ShowOptions(options), 0);
    EXPECT_EQ(Words(options), (std::vector<int32_t>{1, 1, 1, 0, 1}));
}

TEST(OptionsDialog, EnterPressesTheFocusedPushButton) {
    // The last box wraps round to OK, then Cancel.
    ImportOptions options = kDefaults;
    ScriptedUser user({Click(IDC_FREEZE_CATMULL), Key(DialogKey::kTab), Key(DialogKey::kTab),
                       Key(DialogKey::kEnter)});
    EXPECT_EQ(ShowOptions(options), 1);
    EXPECT_EQ(options.freeze_catmull, 0);
}

TEST(OptionsDialog, SpaceOnTheDialogItselfDoesNothing) {
    ImportOptions options = kDefaults;
    ScriptedUser user({Key(DialogKey::kSpace), Key(DialogKey::kEnter)});
    EXPECT_EQ(ShowOptions(options), 0);
    EXPECT_EQ(Words(options), (std::vector<int32_t>{1, 1, 1, 1, 0}));
}

TEST(OptionsDialog, IsOwnedByTheGivenWindowWhichIsActiveAgainAfterwards) {
    HWND frame = CreateFrameWindow("host");
    ASSERT_EQ(GetActiveWindow(), frame);
    ImportOptions options = kDefaults;
    ScriptedUser user({Click(IDOK)});
    ShowOptions(options, frame);
    EXPECT_EQ(user.dialog_parent, frame);
    EXPECT_EQ(GetActiveWindow(), frame);
    EXPECT_EQ(GetParent(user.dialog), nullptr);  // gone with its modal call
    EXPECT_TRUE(DestroyWindow(frame));
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST(OptionsDialog, MissingTemplateOrProcedureFailsWithMinusOne) {
    ImportOptions options = kDefaults;
    ScriptedUser user({Click(IDOK)});
    EXPECT_EQ(DialogBoxParamA(VarnelModuleHandle(), MAKEINTRESOURCEA(999), nullptr,
                              OptionsDialogProc, reinterpret_cast<LPARAM>(&options)),
              -1);
    EXPECT_EQ(
        DialogBoxParamA(VarnelModuleHandle(), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, nullptr, 0),
        -1);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, OptionsDialogProc,
                              reinterpret_cast<LPARAM>(&options)),
              -1);
    EXPECT_EQ(user.asked, 0);
}

TEST(OptionsDialog, WithoutARecordTheBoxesStartClearAndOkStillEnds) {
    ScriptedUser user({Click(IDC_FREEZE_MIRROR), Click(IDOK)});
    EXPECT_EQ(DialogBoxParamA(VarnelModuleHandle(), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr,
                              OptionsDialogProc, 0),
              0);
    EXPECT_EQ(user.first_checks, (std::vector<UINT>{0, 0, 0, 0}));
}

// A procedure that ignores the close box and Cancel: the dialog must still
// end once the user has nothing more to say.
INT_PTR CALLBACK Stubborn(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

TEST(OptionsDialog, DialogThatRefusesToCloseEndsWhenInputRunsOut) {
    ScriptedUser user({Key(DialogKey::kEscape), Key(DialogKey::kClose)});
    EXPECT_EQ(
        DialogBoxParamA(VarnelModuleHandle(), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, Stubborn, 0),
        -1);
    EXPECT_EQ(user.asked, 3);
}

}  // namespace
