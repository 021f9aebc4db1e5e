// DPI: only the configure mode declares awareness, before any window; the dialogs' own tests at the
// other scales, each run in a process started at that DPI.
#include "launcher/modes.h"
#include "platform/dpi.h"
#include "standin_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace qmtest;

namespace {

enum Exit { kDeclared = 42, kWrongOrder, kUndeclared };
HANDLE g_askedContext = nullptr;
bool AnyWindowOfThisProcess() {
    return !TopLevelWindowsOf(::GetCurrentProcessId()).empty();
}
// As Wine and Windows 10 before 1703 do: per-monitor v2 refused.
BOOL WINAPI RefuseContext(HANDLE context) {
    g_askedContext = context;
    return FALSE;
}
// The fallback ends the process: 42 when v2 was asked first and no window exists yet.
BOOL WINAPI EndAtSystemAwareness() {
    const bool inOrder = g_askedContext == reinterpret_cast<HANDLE>(INT_PTR{-4}) && !AnyWindowOfThisProcess();
    ::ExitProcess(inOrder ? kDeclared : kWrongOrder);
}
const qm::DpiAwarenessCalls kCalls{&RefuseContext, &EndAtSystemAwareness};

void RunMode(qm::ScreensaverMode mode) {
    qmtest::ScopedSeam seam(qm::SetDpiAwarenessCallsForTesting, &kCalls);
    qm::RunScreensaverMode(::GetModuleHandleW(nullptr), {mode, 0, {}});
}

TEST(DpiAwareness, PreviewAndTestModesDeclareNone) {
    for (auto mode : {qm::ScreensaverMode::Preview, qm::ScreensaverMode::Test}) // no host: returns at once
        RunMode(mode);
    EXPECT_EQ(g_askedContext, nullptr);
}

// Without the declaration the dialog comes up, and the watch ends the process with 44.
TEST(DpiAwarenessDeathTest, ConfigureDeclaresPerMonitorV2ElseSystemAwarenessBeforeAnyWindow) {
    auto configure = [] {
        std::thread([] {
            PollUntil(&AnyWindowOfThisProcess, kSettingsDialogTimeLimitMs);
            ::ExitProcess(kUndeclared);
        }).detach();
        RunMode(qm::ScreensaverMode::Configure);
        ::ExitProcess(kUndeclared);
    };
    EXPECT_EXIT(configure(), ::testing::ExitedWithCode(kDeclared), "");
}

// Wine takes the system DPI from LogPixels when a process starts, and lays its windows out at it as
// Windows lays out a DPI-aware one. The tests check that they run at QM_TEST_DPI.
TEST(DpiScales, TheDialogsTestsPassAt120And144And192Dpi) {
    const wchar_t* suites[] = {
        L"win32_settings_dialog_test.exe --gtest_filter=SettingsDialogTest.OpensWithIcon*:*.EveryText*",
        L"win32_playlist_dialog_test.exe --gtest_filter=PlaylistEditor.OpensWithTheStored*:*.TextsIn*"};
    SavedRegistryValue logPixels(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", 0);
    for (DWORD dpi : {120u, 144u, 192u}) {
        ASSERT_TRUE(logPixels.SetRaw(REG_DWORD, &dpi, sizeof(dpi)));
        ::SetEnvironmentVariableW(L"QM_TEST_DPI", std::to_wstring(dpi).c_str());
        for (const wchar_t* suite : suites) {
            ChildProcess child = ChildProcess::Start(BuildDir() + L"\\" + suite);
            ASSERT_TRUE(child.WaitExit(kSettingsDialogTimeLimitMs));
            EXPECT_EQ(child.ExitCode(), 0u) << dpi << " DPI: see the failures above";
        }
    }
    ::SetEnvironmentVariableW(L"QM_TEST_DPI", nullptr);
}

} // namespace
