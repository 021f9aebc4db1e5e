// DPI: which awareness the process declares on which system, that only the configure mode declares it,
// and the real dialogs at 120, 144 and 192 DPI (each run in a process started at that DPI).
#include "launcher/modes.h"
#include "platform/dpi.h"
#include "standin_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace qmtest;

namespace {

const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

// What the fake system calls were asked, and what they answer.
struct FakeSystem {
    BOOL contextAnswer = FALSE, awareAnswer = FALSE;
    int contextCalls = 0, awareCalls = 0;
    HANDLE context = nullptr;
    bool windowExisted = false; // a window of this process existed when one was called
} g_system;

bool AnyWindowOfThisProcess() {
    return !TopLevelWindowsOf(::GetCurrentProcessId()).empty();
}
BOOL WINAPI FakeSetContext(HANDLE context) {
    ++g_system.contextCalls;
    g_system.context = context;
    g_system.windowExisted |= AnyWindowOfThisProcess();
    return g_system.contextAnswer;
}
BOOL WINAPI FakeSetAware() {
    ++g_system.awareCalls;
    g_system.windowExisted |= AnyWindowOfThisProcess();
    return g_system.awareAnswer;
}

TEST(DpiAwareness, PerMonitorV2WhereTheSystemHasItElseSystemAwareness) {
    struct Case {
        const char* system;
        bool hasContext, hasAware;
        BOOL contextAnswer, awareAnswer;
        qm::DpiAwareness expected;
        int contextCalls, awareCalls;
    };
    using qm::DpiAwareness;
    const Case cases[] = {
        {"Windows 10 1703 and later", true, true, TRUE, TRUE, DpiAwareness::PerMonitorV2, 1, 0},
        {"the call without v2 (Wine)", true, true, FALSE, TRUE, DpiAwareness::System, 1, 1},
        {"Vista to Windows 10 1607", false, true, FALSE, TRUE, DpiAwareness::System, 0, 1},
        {"awareness refused", false, true, FALSE, FALSE, DpiAwareness::Unaware, 0, 1},
        {"before Vista", false, false, FALSE, FALSE, DpiAwareness::Unaware, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.system);
        g_system = {c.contextAnswer, c.awareAnswer};
        qm::DpiAwarenessCalls calls;
        if (c.hasContext) calls.setProcessContext = &FakeSetContext;
        if (c.hasAware) calls.setProcessAware = &FakeSetAware;
        qm::SetDpiAwarenessCallsForTesting(&calls);
        EXPECT_EQ(qm::DeclareDpiAwareness(), c.expected);
        qm::SetDpiAwarenessCallsForTesting(nullptr);
        EXPECT_EQ(g_system.contextCalls, c.contextCalls);
        EXPECT_EQ(g_system.awareCalls, c.awareCalls);
        EXPECT_EQ(g_system.context, c.contextCalls ? kPerMonitorV2 : nullptr);
    }
}

// The preview lives in the host's window and keeps its awareness; the test mode shows nothing.
TEST(DpiAwareness, PreviewAndTestModesDeclareNone) {
    const qm::DpiAwarenessCalls calls{&FakeSetContext, &FakeSetAware};
    for (auto mode : {qm::ScreensaverMode::Preview, qm::ScreensaverMode::Test}) {
        g_system = {TRUE, TRUE};
        qm::SetDpiAwarenessCallsForTesting(&calls);
        qm::RunScreensaverMode(::GetModuleHandleW(nullptr), {mode, 0}); // no host: returns at once
        qm::SetDpiAwarenessCallsForTesting(nullptr);
        EXPECT_EQ(g_system.contextCalls + g_system.awareCalls, 0) << static_cast<int>(mode);
    }
}

// The configure mode declares per-monitor v2 before it makes any window: the fake call ends the process
// there, with 42 (43: a window existed; 44: another awareness). Without the declaration the dialog
// comes up and the watch ends the process with 45.
enum ConfigureExit { kDeclared = 42, kAfterAWindow, kOtherAwareness, kDialogUndeclared };
BOOL WINAPI EndAtDeclaration(HANDLE context) {
    ::ExitProcess(AnyWindowOfThisProcess()   ? kAfterAWindow
                  : context == kPerMonitorV2 ? kDeclared
                                             : kOtherAwareness);
}
BOOL WINAPI EndAtSystemDeclaration() {
    ::ExitProcess(kOtherAwareness);
}
void ConfigureUntilDeclared() {
    static const qm::DpiAwarenessCalls calls{&EndAtDeclaration, &EndAtSystemDeclaration};
    qm::SetDpiAwarenessCallsForTesting(&calls);
    std::thread([] {
        PollUntil(&AnyWindowOfThisProcess, kSettingsDialogTimeLimitMs);
        ::ExitProcess(kDialogUndeclared);
    }).detach();
    qm::RunScreensaverMode(::GetModuleHandleW(nullptr), {qm::ScreensaverMode::Configure, 0});
    ::ExitProcess(kDialogUndeclared);
}

TEST(DpiAwarenessDeathTest, ConfigureModeDeclaresPerMonitorV2BeforeAnyWindow) {
    EXPECT_EXIT(ConfigureUntilDeclared(), ::testing::ExitedWithCode(kDeclared), "");
}

// The dialogs' own tests of their texts (every language), icons, list column and size, run again in a
// process started at each other scale: Wine takes the system DPI from LogPixels when a process starts,
// and lays every window out at it as Windows lays out a DPI-aware one.
TEST(DpiScales, TheDialogsTestsPassAt120And144And192Dpi) {
    struct Suite {
        const wchar_t *program, *filter;
    };
    const Suite suites[] = {
        {L"win32_settings_dialog_test.exe",
         L"SettingsDialogTest.OpensWithIcon*:SettingsDialogTest.EveryText*"},
        {L"win32_playlist_dialog_test.exe", L"PlaylistEditor.OpensWithTheStored*:PlaylistEditor.TextsIn*"},
    };
    SavedRegistryValue logPixels(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", 0);
    for (DWORD dpi : {120u, 144u, 192u}) {
        ASSERT_TRUE(logPixels.SetRaw(REG_DWORD, &dpi, sizeof(dpi)));
        ::SetEnvironmentVariableW(L"QM_TEST_DPI", std::to_wstring(dpi).c_str());
        for (const Suite& suite : suites) {
            SCOPED_TRACE(testing::Message() << dpi << " DPI");
            ChildProcess child = ChildProcess::Start(Quote(BuildDir() + L"\\" + suite.program) +
                                                     L" --gtest_filter=" + suite.filter);
            ASSERT_TRUE(child.started());
            ASSERT_TRUE(child.WaitExit(kSettingsDialogTimeLimitMs));
            EXPECT_EQ(child.ExitCode(), 0u)
                << "see the failures of " << testing::PrintToString(suite.program);
        }
    }
    ::SetEnvironmentVariableW(L"QM_TEST_DPI", nullptr);
}

} // namespace
