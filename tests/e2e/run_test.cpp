// The built screensaver file in its run mode, started as the system starts it, with the stand-in main
// program installed in the places the screensaver searches. These tests change the real
// HKEY_LOCAL_MACHINE of the test prefix; everything they touch is saved first and put back.
#include "standin_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace qmtest;

namespace {

constexpr wchar_t kNotFoundText[] = L"Can't find the main file! Please reinstall screensaver.";
constexpr wchar_t kCannotStartText[] = L"Can't start the screensaver! Please try to restart your computer.";

struct MessageBoxSeen {
    std::wstring caption;
    std::wstring text;
    bool errorIcon = false;
};

struct StaticTexts {
    std::wstring text;
    bool icon = false;
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    auto* seen = reinterpret_cast<StaticTexts*>(param);
    if (ClassNameOf(child) != L"Static") return TRUE;
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seen->icon = true;
    } else if (!TextOf(child).empty()) {
        seen->text = TextOf(child);
    }
    return TRUE;
}

MessageBoxSeen ReadMessageBox(HWND box) {
    StaticTexts texts;
    ::EnumChildWindows(box, &CollectStatic, reinterpret_cast<LPARAM>(&texts));
    return {TextOf(box), texts.text, texts.icon};
}

std::wstring TrimSlash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

// The main program's place under the Program Files folder that a 32-bit program is given, where the
// screensaver of either flavour looks.
std::wstring ProgramFilesFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAM_FILESX86, FALSE);
    return std::wstring(folder) + L"\\Quillmere - Taveny 3D Screensaver";
}

class RunMode : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(FileExists(StandInBuildPath()));
        ASSERT_FALSE(FileExists(ProgramFilesFolder())) << "a main program is installed under Program Files";
        install_.ClearAll();
    }
    void TearDown() override {
        // A main program still running would hold its file.
        for (DWORD pid : log_.StartedProcesses()) {
            HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
            if (!process) continue;
            if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
        if (createdProgramFiles_) {
            ::DeleteFileW((ProgramFilesFolder() + L"\\" + kStandInFileName).c_str());
            ::RemoveDirectoryW(ProgramFilesFolder().c_str());
        }
    }

    // A folder of the scratch folder, created, optionally holding a copy of the stand-in.
    std::wstring Folder(const std::wstring& name, bool withProgram) {
        const std::wstring path = folders_ / name;
        ::CreateDirectoryW(path.c_str(), nullptr);
        if (withProgram) {
            EXPECT_FALSE(CopyStandInTo(path).empty());
        }
        return path;
    }
    void InstallUnderProgramFiles() {
        createdProgramFiles_ = true;
        ASSERT_FALSE(CopyStandInTo(ProgramFilesFolder()).empty());
    }

    // Starts the screensaver with the text after its quoted name and waits for it to end, reading and
    // dismissing each message box it shows.
    DWORD RunScr(const std::wstring& arguments, const std::wstring& workDir,
                 std::vector<MessageBoxSeen>* boxes = nullptr) {
        return RunScrLine(Quote(ScrPath()) + L" " + arguments, workDir, boxes);
    }
    DWORD RunScrLine(const std::wstring& line, const std::wstring& workDir,
                     std::vector<MessageBoxSeen>* boxes) {
        ChildProcess scr = ChildProcess::Start(line, workDir.c_str(), ScrPath().c_str());
        EXPECT_TRUE(scr.started());
        bool ended = PollUntil(
            [&] {
                for (HWND w : TopLevelWindowsOf(scr.pid(), true)) {
                    if (ClassNameOf(w) != L"#32770") continue;
                    if (boxes) boxes->push_back(ReadMessageBox(w));
                    ::PostMessageW(w, WM_COMMAND, IDOK, 0);
                    ::Sleep(200);
                }
                return !scr.Running();
            },
            30000, 20);
        EXPECT_TRUE(ended) << "the screensaver did not end";
        return ended ? scr.ExitCode() : 0xFFFFFFFF;
    }

    SavedInstallRecords install_;
    StandInLog log_;
    ScopedEnvironment seconds_{L"QM_STANDIN_SECONDS", L"0.3"};
    TempFolder folders_;
    bool createdProgramFiles_ = false;
};

TEST_F(RunMode, AppPathProgramIsStartedQuotedInAppPathAndOutlivesNothing) {
    const std::wstring appPath = Folder(L"app", true);
    const std::wstring elsewhere = Folder(L"elsewhere", true);
    ASSERT_TRUE(install_.appPath.SetText(appPath));
    ASSERT_TRUE(install_.screensaverLocation32.SetText(elsewhere));
    ASSERT_TRUE(install_.combinedLocation32.SetText(elsewhere));
    ASSERT_TRUE(install_.screensaverLocation64.SetText(elsewhere));
    ScopedEnvironment longer(L"QM_STANDIN_SECONDS", L"1.5");
    ScopedEnvironment exitCode(L"QM_STANDIN_EXIT_CODE", L"7");

    ChildProcess scr = ChildProcess::Start(Quote(ScrPath()) + L" /s", folders_.path().c_str());
    ASSERT_TRUE(scr.started());
    ASSERT_TRUE(log_.WaitFor(L"window", 20000));
    const DWORD pid = log_.First(L"window")->pid;
    HANDLE standIn = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    ASSERT_NE(standIn, nullptr);
    // The screensaver must not end while the main program runs.
    bool endedFirst = false;
    while (::WaitForSingleObject(standIn, 0) == WAIT_TIMEOUT) {
        const bool scrRunning = scr.Running();
        if (!scrRunning && ::WaitForSingleObject(standIn, 0) == WAIT_TIMEOUT) endedFirst = true;
        ::Sleep(20);
    }
    DWORD standInExit = 0;
    ::GetExitCodeProcess(standIn, &standInExit);
    ::CloseHandle(standIn);
    EXPECT_FALSE(endedFirst);
    EXPECT_EQ(standInExit, 7u);
    ASSERT_TRUE(scr.WaitExit(10000));
    EXPECT_EQ(scr.ExitCode(), 0u);

    ASSERT_EQ(log_.StartedProcesses().size(), 1u);
    const std::wstring program = appPath + L"\\" + kStandInFileName;
    EXPECT_EQ(log_.First(L"cmdline")->field(0), Quote(program));
    EXPECT_EQ(log_.First(L"exe")->field(0), program);
    EXPECT_EQ(TrimSlash(log_.First(L"cwd")->field(0)), appPath);
    EXPECT_EQ(log_.First(L"end")->field(0), L"timeout");
    // Start-up information: the show value is there, but no flag asks for it to be applied.
    EXPECT_EQ(log_.First(L"startup")->field(0), L"0");
    EXPECT_EQ(log_.First(L"startup")->field(1), L"5");
}

TEST_F(RunMode, AppPathWithoutTheProgramFallsToProgramFilesThenTheCurrentDirectory) {
    const std::wstring appPath = Folder(L"app-empty", false);
    const std::wstring elsewhere = Folder(L"elsewhere", true);
    const std::wstring current = Folder(L"current", true);
    ASSERT_TRUE(install_.appPath.SetText(appPath));
    ASSERT_TRUE(install_.screensaverLocation32.SetText(elsewhere));
    ASSERT_TRUE(install_.combinedLocation32.SetText(elsewhere));

    EXPECT_EQ(RunScr(L"/s", current), 0u);
    auto records = log_.Records(L"cmdline");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].field(0), Quote(current + L"\\" + kStandInFileName));
    EXPECT_EQ(TrimSlash(log_.First(L"cwd")->field(0)), appPath) << "the working directory is still AppPath";

    InstallUnderProgramFiles();
    EXPECT_EQ(RunScr(L"/s", current), 0u);
    records = log_.Records(L"cmdline");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].field(0), Quote(ProgramFilesFolder() + L"\\" + kStandInFileName));
    EXPECT_EQ(TrimSlash(log_.Records(L"cwd")[1].field(0)), appPath);
}

TEST_F(RunMode, AppPathNamingAMissingFolderShowsTheCannotStartBox) {
    const std::wstring current = Folder(L"current", true);
    ASSERT_TRUE(install_.appPath.SetText(folders_ / L"uninstalled"));

    std::vector<MessageBoxSeen> boxes;
    EXPECT_EQ(RunScr(L"/s", current, &boxes), 0u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Error!");
    EXPECT_EQ(boxes[0].text, kCannotStartText);
    EXPECT_TRUE(boxes[0].errorIcon);
    EXPECT_TRUE(log_.StartedProcesses().empty());
}

TEST_F(RunMode, WithoutAppPathTheInstallLocationsAreTriedScreensaverPackageFirst) {
    const std::wstring saver = Folder(L"saver", true);
    const std::wstring combined = Folder(L"combined", true);
    const std::wstring recorded = Folder(L"recorded", false);
    const std::wstring current = Folder(L"current", true);
    // Stored with a trailing backslash: the file name is appended as it stands.
    ASSERT_TRUE(install_.screensaverLocation32.SetText(saver + L"\\"));
    ASSERT_TRUE(install_.combinedLocation32.SetText(combined));
    // The working directory comes from the 64-bit view only.
    ASSERT_TRUE(install_.screensaverLocation64.SetText(recorded));

    EXPECT_EQ(RunScr(L"/s", current), 0u);
    EXPECT_EQ(log_.Records(L"cmdline").at(0).field(0), Quote(saver + L"\\\\" + kStandInFileName));
    EXPECT_EQ(TrimSlash(log_.Records(L"cwd").at(0).field(0)), recorded);

    // Without the recorded directory the program's own folder is the working directory.
    install_.screensaverLocation64.Remove();
    EXPECT_EQ(RunScr(L"/s", current), 0u);
    EXPECT_EQ(log_.Records(L"cmdline").at(1).field(0), Quote(saver + L"\\\\" + kStandInFileName));
    EXPECT_EQ(TrimSlash(log_.Records(L"cwd").at(1).field(0)), saver);

    // The screensaver package's record naming no program: the combined package's is next.
    ASSERT_TRUE(install_.screensaverLocation32.SetText(Folder(L"saver-empty", false)));
    EXPECT_EQ(RunScr(L"/s", current), 0u);
    EXPECT_EQ(log_.Records(L"cmdline").at(2).field(0), Quote(combined + L"\\" + kStandInFileName));
    EXPECT_EQ(TrimSlash(log_.Records(L"cwd").at(2).field(0)), combined);
    EXPECT_EQ(log_.StartedProcesses().size(), 3u);
}

TEST_F(RunMode, AZeroLengthAppPathCountsAsAbsent) {
    const std::wstring saver = Folder(L"saver", true);
    const std::wstring current = Folder(L"current", true);
    ASSERT_TRUE(install_.appPath.SetRaw(REG_SZ, nullptr, 0));
    ASSERT_TRUE(install_.screensaverLocation32.SetText(saver));

    EXPECT_EQ(RunScr(L"/s", current), 0u);
    ASSERT_EQ(log_.Records(L"cmdline").size(), 1u);
    EXPECT_EQ(log_.First(L"cmdline")->field(0), Quote(saver + L"\\" + kStandInFileName));
    EXPECT_EQ(TrimSlash(log_.First(L"cwd")->field(0)), saver);
}

TEST_F(RunMode, NothingAnywhereShowsTheNotFoundBoxAndStartsNothing) {
    const std::wstring current = Folder(L"current", false);
    // Records that name folders without the program, in every view, and an empty AppPath.
    ASSERT_TRUE(install_.appPath.SetRaw(REG_SZ, nullptr, 0));
    ASSERT_TRUE(install_.screensaverLocation32.SetText(Folder(L"saver-empty", false)));
    ASSERT_TRUE(install_.combinedLocation64.SetText(Folder(L"combined64", true)));

    std::vector<MessageBoxSeen> boxes;
    EXPECT_EQ(RunScr(L"/s", current, &boxes), 0u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Error!");
    EXPECT_EQ(boxes[0].text, kNotFoundText);
    EXPECT_TRUE(boxes[0].errorIcon);
    EXPECT_TRUE(log_.StartedProcesses().empty());
}

TEST_F(RunMode, EveryRunFormOfTheCommandLineStartsTheMainProgramOnce) {
    InstalledStandIn installed(Folder(L"app", false));
    ASSERT_TRUE(installed.ok());
    const std::wstring current = Folder(L"current", false);
    const std::wstring quoted = Quote(ScrPath());
    const std::wstring runLines[] = {quoted + L" /s", quoted + L" /S",      quoted + L" -s", quoted + L" /x",
                                     quoted + L" /",  quoted + L" foo-bar", quoted + L"/s"};
    size_t expected = 0;
    for (const std::wstring& line : runLines) {
        EXPECT_EQ(RunScrLine(line, current, nullptr), 0u);
        ++expected;
        EXPECT_EQ(log_.StartedProcesses().size(), expected)
            << "not run: " << std::string(line.begin(), line.end());
        expected = log_.StartedProcesses().size();
    }
    // The test switch starts nothing: the count above can fail.
    EXPECT_EQ(RunScrLine(quoted + L" /t", current, nullptr), 0u);
    EXPECT_EQ(log_.StartedProcesses().size(), expected);
    for (const StandInRecord& r : log_.Records(L"cmdline"))
        EXPECT_EQ(r.field(0), Quote(installed.exe()));
}

} // namespace
