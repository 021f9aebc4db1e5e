// The built screensaver file started the way the system starts it, watched from outside.
#include "standin_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace qmtest;

namespace {

std::wstring ScrCommand(const std::wstring& arguments) {
    return Quote(ScrPath()) + L" " + arguments;
}

TEST(Modes, TestSwitchEndsAtOnceWithoutAWindow) {
    ULONGLONG start = ::GetTickCount64();
    ChildProcess child = ChildProcess::Start(ScrCommand(L"/t"));
    ASSERT_TRUE(child.started());
    bool sawWindow = false;
    bool ended = PollUntil(
        [&] {
            if (!TopLevelWindowsOf(child.pid(), true).empty()) sawWindow = true;
            return !child.Running();
        },
        10000, 5);
    ASSERT_TRUE(ended);
    EXPECT_EQ(child.ExitCode(), 0u);
    EXPECT_FALSE(sawWindow);
    EXPECT_LT(::GetTickCount64() - start, 5000u);
}

TEST(Modes, PasswordSwitchEndsWithZeroAndIgnoresTheNumber) {
    // A window of ours whose handle is given after the switch: nothing may be shown owned by it.
    HWND host = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    wchar_t arguments[64];
    swprintf(arguments, 64, L"/a %ld", static_cast<long>(reinterpret_cast<INT_PTR>(host)));
    ChildProcess child = ChildProcess::Start(ScrCommand(arguments));
    ASSERT_TRUE(child.started());
    bool ownedByHost = false;
    bool ended = PollUntil(
        [&] {
            for (HWND w : TopLevelWindowsOf(child.pid()))
                if (::GetWindow(w, GW_OWNER) == host) ownedByHost = true;
            return !child.Running();
        },
        15000, 10);
    ASSERT_TRUE(ended);
    EXPECT_EQ(child.ExitCode(), 0u);
    EXPECT_FALSE(ownedByHost);
    EXPECT_TRUE(::IsWindowEnabled(host));
    ::DestroyWindow(host);
}

TEST(Modes, GarbageCommandLinesEndWithZero) {
    // No main program is found (the demo leaves one installed): the lines that run it end with a message.
    SavedInstallRecords install;
    install.ClearAll();
    const std::wstring quoted = Quote(ScrPath());
    const std::wstring lines[] = {
        quoted + L" \x01\x7f\xfffe\xd800 \x1b[0m%s%n\\\\?\\", // binary-looking, no switch
        quoted + L" /",                                       // a lone slash: run
        L"\"" + ScrPath() + L" /s",                           // unclosed quote
        quoted + L" /p 99999999999",                          // eleven digits, not a window
        quoted + L" /a 99999999999",
        quoted + L" /c:99999999999",
        quoted + L" ----------------------------------------//////",
    };
    for (const std::wstring& line : lines) {
        // The program is named separately: an unclosed quote would hide it from the system's own search.
        ChildProcess child = ChildProcess::Start(line, nullptr, ScrPath().c_str());
        ASSERT_TRUE(child.started());
        // Some of these open the settings dialog or show the run mode's message; both are closed.
        ASSERT_TRUE(RunToEndClosingWindows(child, kSettingsDialogTimeLimitMs))
            << "did not end: " << line.size() << " chars";
        EXPECT_EQ(child.ExitCode(), 0u) << "line of " << line.size() << " chars";
    }
}

// Wine runs its own built-in DLL unless the program's override asks for a native one first.
class NativeMprOverride {
  public:
    explicit NativeMprOverride(const std::wstring& fileName)
        : key_(L"Software\\Wine\\AppDefaults\\" + fileName + L"\\DllOverrides") {
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr);
        const wchar_t value[] = L"native,builtin";
        ::RegSetValueExW(key, L"mpr", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof(value));
        ::RegCloseKey(key);
    }
    ~NativeMprOverride() {
        std::wstring parent = key_.substr(0, key_.rfind(L'\\'));
        DeleteRegistryTree(HKEY_CURRENT_USER, parent);
    }

  private:
    std::wstring key_;
};

TEST(Modes, PasswordChangeNeverLoadsAPlantedMprDll) {
    TempFolder programDir;
    TempFolder currentDir;
    const std::wstring planted = BuildDir() + L"\\tools\\MPR.DLL";
    const std::wstring marker = programDir / L"marker.txt";
    ASSERT_TRUE(::CopyFileW(planted.c_str(), (programDir / L"MPR.DLL").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(planted.c_str(), (currentDir / L"MPR.DLL").c_str(), FALSE));
    ASSERT_TRUE(::SetEnvironmentVariableW(L"QM_PLANT_MARKER", marker.c_str()));

    // The control: a bare load from that folder does run the planted DLL, so the check below can fail.
    const std::wstring loader = programDir / L"qm_bare_loader.exe";
    ASSERT_TRUE(::CopyFileW((BuildDir() + L"\\tools\\qm_bare_loader.exe").c_str(), loader.c_str(), FALSE));
    {
        NativeMprOverride override(L"qm_bare_loader.exe");
        ChildProcess control = ChildProcess::Start(Quote(loader), currentDir.path().c_str());
        ASSERT_TRUE(control.WaitExit(20000));
    }
    ASSERT_NE(ReadBinaryFile(marker).find("loaded"), std::string::npos)
        << "planted DLL not picked up by a bare load";
    ASSERT_TRUE(::DeleteFileW(marker.c_str()));
    // Every mode's first step: from then on, not even a bare load finds it.
    {
        NativeMprOverride override(L"qm_bare_loader.exe");
        ChildProcess control = ChildProcess::Start(Quote(loader) + L" system", currentDir.path().c_str());
        ASSERT_TRUE(control.WaitExit(20000));
        EXPECT_EQ(control.ExitCode(), 0u) << "MPR.DLL not found in the system folder";
    }
    EXPECT_FALSE(FileExists(marker)) << "a bare load after the first step ran the planted MPR.DLL";

    const std::wstring scrName = L"Quillmere - Taveny 3D Screensaver.scr";
    const std::wstring scr = programDir / scrName;
    ASSERT_TRUE(::CopyFileW(ScrPath().c_str(), scr.c_str(), FALSE));
    {
        NativeMprOverride override(scrName);
        ChildProcess child = ChildProcess::Start(Quote(scr) + L" /a", currentDir.path().c_str());
        ASSERT_TRUE(RunToEndClosingWindows(child, 20000));
        EXPECT_EQ(child.ExitCode(), 0u);
    }
    EXPECT_FALSE(FileExists(marker)) << "the screensaver loaded the planted MPR.DLL";
    ::SetEnvironmentVariableW(L"QM_PLANT_MARKER", nullptr);
}

} // namespace
