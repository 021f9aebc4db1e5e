// OK where the settings key cannot be written, as for a standard token on Windows: the prefix's real key
// under HKEY_LOCAL_MACHINE, its access list set to deny writes for the test's length, and the elevation
// of the user's token and its prompt played through the seam.
#include "dialogs/hardware_facts.h"
#include "dialogs/settings_dialog.h"
#include "launcher/command_line.h"
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

// The elevated instance runs its store in this process; any other exit code is given without writing.
constexpr DWORD kAgrees = 0xFFFF;

struct Case {
    const char* what;
    TOKEN_ELEVATION_TYPE type;
    qm::ElevatedRun run;       // what the elevated start gives
    bool stored;               // else the dialog stays open with the user's values
    const wchar_t* box;        // in the one error box's text, or "" for none
    bool policyDenies = false; // standard users' elevation requests
    bool factsLate = false;    // OK is pressed while the hardware facts are awaited
};

class ReadOnlyKey : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
    SavedRegistryKey settings_{HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, KEY_WOW64_64KEY};
    SavedRegistryValue runEntry_{HKEY_CURRENT_USER, qm::kRunKeyPath, qm::kRunValueName, KEY_WOW64_64KEY};
    const wchar_t* policy = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    SavedRegistryValue standardUsers_{HKEY_LOCAL_MACHINE, policy, L"ConsentPromptBehaviorUser",
                                      KEY_WOW64_64KEY};
    SavedRegistryValue lua_{HKEY_LOCAL_MACHINE, policy, L"EnableLUA", KEY_WOW64_64KEY};
    std::unique_ptr<DeniedKey> locked_;
};

TEST_F(ReadOnlyKey, OkStoresThroughOnePromptOrKeepsTheDialogAndTheRunEntry) {
    using enum _TOKEN_ELEVATION_TYPE;
    const wchar_t* registry = L"Error!|Error writing to the system registry";
    const Case cases[] = {
        {"a standard user who gives an administrator's password",
         TokenElevationTypeDefault,
         {0, kAgrees},
         true,
         L""},
        {"a standard user whom policy denies",
         TokenElevationTypeDefault,
         {0, kAgrees},
         false,
         registry,
         true},
        {"an elevated administrator", TokenElevationTypeFull, {0, kAgrees}, false, registry},
        {"a filtered administrator who agrees", TokenElevationTypeLimited, {0, kAgrees}, true, L""},
        {"a filtered administrator who declines",
         TokenElevationTypeLimited,
         {ERROR_CANCELLED, 0},
         false,
         L""},
        {"an elevated start that fails",
         TokenElevationTypeLimited,
         {ERROR_ACCESS_DENIED, 0},
         false,
         registry},
        {"an elevated instance that writes nothing", TokenElevationTypeLimited, {0, 0}, false, registry},
        {"a request it cannot read",
         TokenElevationTypeLimited,
         {0, 2},
         false,
         L"administrative rights could not read"},
        {"a request it refuses",
         TokenElevationTypeLimited,
         {0, 3},
         false,
         L"administrative rights refused them"},
        {"OK while the facts are awaited", TokenElevationTypeLimited, {0, kAgrees}, true, L"", false, true},
    };
    const DWORD on = 1; // User Account Control, which Wine leaves off
    ASSERT_TRUE(lua_.SetRaw(REG_DWORD, &on, sizeof(on)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, KEY_WOW64_64KEY); // a first opening
        ASSERT_TRUE(settings_.SetText(L"MusicVolumePercentage", L"2: 80"));
        ASSERT_TRUE(runEntry_.SetText(L"old"));
        const DWORD deny = 0;
        c.policyDenies ? (void)standardUsers_.SetRaw(REG_DWORD, &deny, sizeof(deny))
                       : standardUsers_.Remove();
        locked_ = std::make_unique<DeniedKey>(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, KEY_SET_VALUE);
        ASSERT_TRUE(locked_->applied());
        const bool prompts = c.type != TokenElevationTypeFull && !c.policyDenies;
        int prompted = 0;
        HWND dialogWindow = nullptr;
        const auto agreed = AgreedElevation([this] { locked_.reset(); });
        ScopedSeam seam(
            qm::SetElevationForTesting, [&c] { return c.type; },
            [&](const SHELLEXECUTEINFOW& start) {
                // The prompt comes from the dialog's own window, shown and in front, for this program under
                // the executable class, with the request's seal and file.
                ++prompted;
                EXPECT_TRUE(start.hwnd == dialogWindow && ::IsWindowVisible(start.hwnd) &&
                            ::IsWindowEnabled(start.hwnd));
                EXPECT_TRUE(start.lpVerb == std::wstring(L"runas") && (start.fMask & SEE_MASK_CLASSNAME) &&
                            start.lpClass && start.lpClass == std::wstring(L"exefile"));
                EXPECT_EQ(
                    qm::ParseCommandLine((L"x.scr " + std::wstring(start.lpParameters)).c_str()).seal.size(),
                    64u);
                return c.run.exitCode == kAgrees ? agreed(start) : c.run;
            });
        TestMachine machine(TestMachine::Monitors::One, {2, 4});
        qm::UniqueKernelHandle factsIn(::CreateEventW(nullptr, TRUE, !c.factsLate, nullptr));
        ScopedSeam facts(qm::SetHardwareFactsForTesting, [&factsIn] {
            ::WaitForSingleObject(factsIn.get(), 20000);
            return qm::HardwareFacts{4096, 4000};
        });
        LiveMessageCatcher wallpaper;
        qm::CSettingsDlg dialog;
        const HWND window = dialogWindow = dialog.Create(nullptr);
        ASSERT_TRUE(PollUntil(
            [&] { return ComboTexts(::GetDlgItem(window, IDC_ANTIALIASING_LIST)).size() == 2; }, 20000, 1));
        EXPECT_EQ(dialog.OkCarriesShieldForTesting(), prompts);
        DragTrackbar(window, IDC_MUSIC_VOLUME, {30});
        Click(window, IDC_RUN_AT_STARTUP);
        BoxText().clear();
        {
            ModalAnswer answer(window, &ReadAndCloseBox);
            Click(window, IDOK);
            if (c.factsLate) {
                // The dialog waits on the screen, not taking input, for the answer that OK stores.
                EXPECT_TRUE(::IsWindowVisible(window) && !::IsWindowEnabled(window));
                EXPECT_EQ(prompted, 0);
                ::SetEvent(factsIn.get());
            }
            PollUntil([&] { return dialog.EndedForTesting() || answer.answered(); }, 5000, 1);
            PumpMessages(50);
            EXPECT_TRUE(*c.box ? BoxText().find(c.box) != std::wstring::npos : BoxText().empty())
                << BoxText();
            EXPECT_EQ(BoxText().find(L"Error!", 1), std::wstring::npos) << "more than one box";
        }
        EXPECT_EQ(prompted, prompts ? 1 : 0);
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
