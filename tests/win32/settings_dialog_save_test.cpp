// OK where the settings key cannot be written, as for a standard token on Windows: the prefix's real key
// under HKEY_LOCAL_MACHINE, its access list set to deny writes for the test's length, and the elevation
// of the user's token and its prompt played through the seam.
#include "dialogs/settings_dialog.h"
#include "launcher/main_program.h"
#include "launcher/elevation.h"
#include "settings/product.h"

#include "settings_dialog_support.h"
#include "standin_support.h"
#include "tree_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace qmtest;

namespace {

// An elevated instance that ends without writing anything.
constexpr DWORD kEndsWithoutWriting = 0xFFFF;

struct Case {
    const char* what;
    TOKEN_ELEVATION_TYPE type;
    DWORD prompt; // what the elevated start gives; ERROR_SUCCESS runs the elevated instance's store
    bool stored;  // else the dialog stays open with the user's values
    bool box;
};

class ReadOnlyKey : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
    SavedRegistryKey settings_{HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, KEY_WOW64_64KEY};
    SavedRegistryValue runEntry_{HKEY_CURRENT_USER, qm::kRunKeyPath, qm::kRunValueName, KEY_WOW64_64KEY};
    std::unique_ptr<DeniedKey> locked_;
};

TEST_F(ReadOnlyKey, OkStoresThroughOnePromptOrKeepsTheDialogAndTheRunEntry) {
    const Case cases[] = {
        {"a standard user", TokenElevationTypeDefault, ERROR_SUCCESS, false, true},
        {"an elevated administrator", TokenElevationTypeFull, ERROR_SUCCESS, false, true},
        {"a filtered administrator who agrees", TokenElevationTypeLimited, ERROR_SUCCESS, true, false},
        {"a filtered administrator who declines", TokenElevationTypeLimited, ERROR_CANCELLED, false, false},
        {"an elevated start that fails", TokenElevationTypeLimited, ERROR_ACCESS_DENIED, false, true},
        {"an elevated instance that writes nothing", TokenElevationTypeLimited, kEndsWithoutWriting, false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(settings_.SetText(L"MusicVolumePercentage", L"2: 80"));
        ASSERT_TRUE(runEntry_.SetText(L"old"));
        locked_ = std::make_unique<DeniedKey>(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, KEY_SET_VALUE);
        ASSERT_TRUE(locked_->applied());
        bool prompted = false;
        const auto agreed = AgreedElevation([this] { locked_.reset(); });
        ScopedSeam seam(
            qm::SetElevationForTesting, [&c] { return c.type; },
            [&](const std::wstring& parameters) {
                prompted = true;
                if (c.prompt == kEndsWithoutWriting) return DWORD{ERROR_SUCCESS};
                return c.prompt != ERROR_SUCCESS ? c.prompt : agreed(parameters);
            });
        TestMachine machine(TestMachine::Monitors::One, {2, 4});
        LiveMessageCatcher wallpaper;
        qm::CSettingsDlg dialog;
        const HWND window = dialog.Create(nullptr);
        ASSERT_TRUE(PollUntil([&] { return dialog.AnswersCompleteForTesting(); }, 20000, 1));
        EXPECT_EQ(dialog.OkCarriesShieldForTesting(), c.type == TokenElevationTypeLimited);
        DragTrackbar(window, IDC_MUSIC_VOLUME, {30});
        Click(window, IDC_RUN_AT_STARTUP);
        BoxText().clear();
        {
            ModalAnswer answer(window, &ReadAndCloseBox);
            Click(window, IDOK);
            PumpMessages(50);
            EXPECT_EQ(answer.answered(), c.box);
            EXPECT_EQ(BoxText(),
                      c.box ? L"Error!|Error writing to the system registry. Please NOTE: You need to "
                              L"have sufficient administrative rights to run this program successfully."
                            : L"");
        }
        EXPECT_EQ(prompted, c.type == TokenElevationTypeLimited);
        EXPECT_EQ(dialog.EndedForTesting(), c.stored);
        EXPECT_EQ(StoredSetting(L"MusicVolumePercentage"), c.stored ? L"2: 30" : L"2: 80");
        EXPECT_EQ(StoredRunEntry(), c.stored ? qm::BuildAutostartCommand() : L"old");
        if (!c.stored) {
            // As the user left it, and Cancel puts the wallpaper back to what is stored.
            EXPECT_TRUE(::IsWindowVisible(window) && ::IsWindowEnabled(window));
            EXPECT_EQ(::SendMessageW(::GetDlgItem(window, IDC_MUSIC_VOLUME), TBM_GETPOS, 0, 0), 30);
            EXPECT_EQ(::SendMessageW(::GetDlgItem(window, IDC_RUN_AT_STARTUP), BM_GETCHECK, 0, 0),
                      BST_CHECKED);
            wallpaper.Take();
            Click(window, IDCANCEL);
            const auto live = wallpaper.Take();
            EXPECT_NE(std::find(live.begin(), live.end(), LiveMessage{1, 80}), live.end());
        }
        locked_.reset();
        if (dialog.IsWindow()) dialog.DestroyWindow();
        PumpMessages(0);
    }
}

} // namespace
