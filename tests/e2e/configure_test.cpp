// Configure mode end to end: the built screensaver started with /c:HWND the way the Display control
// panel starts it, driven from this process by window messages, with the stand-in main program running
// as the animated wallpaper and reading the registry as the 64-bit main program does.
#include "launcher/elevated_store.h"
#include "platform/sha256.h"
#include "settings/store_request.h"

#include "settings_dialog_support.h"
#include "standin_support.h"
#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

using namespace qmtest;

namespace {

constexpr int kMusicVolume = 1044;
constexpr int kMusicLabel = 1045;

std::wstring WindowNumber(HWND window) {
    return std::to_wstring(reinterpret_cast<INT_PTR>(window));
}

HWND MakeHost() {
    return ::CreateWindowExW(0, L"STATIC", L"Display control panel", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, nullptr, nullptr);
}

bool IsDialog(HWND window) {
    return ClassNameOf(window) == L"#32770" && ::IsWindowVisible(window);
}

HWND WaitForDialog(const ChildProcess& child) {
    return WaitForWindowOf(child.pid(), &IsDialog, kSettingsDialogTimeLimitMs);
}

// Sends a message to the other process without letting a hung dialog hang the test. Not
// SMTO_ABORTIFHUNG: a dialog whose start-up kept it from its queue for five seconds counts as hung until
// it next looks there, and the message would be dropped although the dialog is about to answer it.
LRESULT SendTo(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

void ClickButton(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool EndsWithZero(ChildProcess& child) {
    bool ended = PollUntil([&] { return !child.Running(); }, kSettingsDialogTimeLimitMs);
    return ended && child.ExitCode() == 0;
}

// The settings key as the stand-in dumped it, name -> text up to the first NUL, and the user's Run
// entry under the name "<run-entry>" (absent when there is none).
std::map<std::wstring, std::wstring> StoredAsMainProgramSeesIt() {
    std::map<std::wstring, std::wstring> values;
    for (const StandInRecord& record : DumpSettingsAsMainProgram()) {
        if (record.kind == L"run-entry") values[L"<run-entry>"] = record.field(0);
        if (record.kind != L"value") continue;
        std::wstring data = record.field(3);
        values[record.field(0)] = data.substr(0, data.find(L'\0'));
    }
    return values;
}

std::vector<LiveMessage> LiveRecords(const StandInLog& log, DWORD pid) {
    std::vector<LiveMessage> live;
    for (const StandInRecord& record : log.Records(L"live", pid))
        live.emplace_back(std::stoul(record.field(0)), std::stol(record.field(1)));
    return live;
}

class ConfigureTest : public ::testing::Test {
  protected:
    // Everything the road changes in the prefix's registry is put back afterwards.
    SavedRegistryKey settings_{HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_64KEY};
    SavedRegistryValue runEntry_{HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                 L"OrvantaAnimatedWallpaper", KEY_WOW64_64KEY};
};

TEST_F(ConfigureTest, DialogShowsOwnedByTheHostWithTheStoredValuesAndEndsWithZero) {
    ASSERT_TRUE(settings_.SetText(L"MusicVolumePercentage", L"2: 33"));
    ASSERT_TRUE(settings_.SetText(L"Language", L"3: en"));
    HWND host = MakeHost();
    ASSERT_NE(host, nullptr);

    ChildProcess child = ChildProcess::Start(Quote(ScrPath()) + L" /c:" + WindowNumber(host));
    ASSERT_TRUE(child.started());
    HWND dialog = WaitForDialog(child);
    ASSERT_NE(dialog, nullptr) << "no settings dialog";
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), host);
    EXPECT_FALSE(::IsWindowEnabled(host)) << "a modal dialog disables its owner";
    EXPECT_EQ(TextOf(dialog), L"Quillmere - Taveny 3D Screensaver 1.0 Configuration");
    EXPECT_EQ(SendTo(::GetDlgItem(dialog, kMusicVolume), TBM_GETPOS), 33);
    EXPECT_EQ(Shown(TextOf(::GetDlgItem(dialog, kMusicLabel))), L"Music volume: 33%");

    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(EndsWithZero(child));
    PumpMessages(50);
    EXPECT_TRUE(::IsWindowEnabled(host));
    ::DestroyWindow(host);

    // Without a number the dialog has no owner.
    ChildProcess bare = ChildProcess::Start(Quote(ScrPath()) + L" /c");
    HWND unowned = WaitForDialog(bare);
    ASSERT_NE(unowned, nullptr);
    EXPECT_EQ(::GetWindow(unowned, GW_OWNER), nullptr);
    ::PostMessageW(unowned, WM_CLOSE, 0, 0);
    EXPECT_TRUE(EndsWithZero(bare));
}

TEST_F(ConfigureTest, GermanRoadWithALiveWallpaperThenCancel) {
    TempFolder installDir;
    InstalledStandIn installed(installDir.path());
    ASSERT_TRUE(installed.ok());
    ASSERT_TRUE(settings_.SetText(L"Language", L"3: de"));
    ASSERT_TRUE(settings_.SetText(L"UnknownToUs", L"2: 77"));
    ASSERT_TRUE(settings_.SetText(L"Remark", L"kept as it stands"));
    ASSERT_TRUE(settings_.SetText(L"MusicVolumePercentage", L"2: 15"));
    runEntry_.Remove();

    StandInLog log;
    ChildProcess wallpaper = StartStandIn(L"/w");
    ASSERT_TRUE(log.WaitFor(L"window", 15000, wallpaper.pid())) << "the stand-in wallpaper did not come up";

    HWND host = MakeHost();
    ChildProcess child = ChildProcess::Start(Quote(ScrPath()) + L" /c:" + WindowNumber(host));
    HWND dialog = WaitForDialog(child);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), L"Quillmere - Taveny 3D Screensaver 1.0 Konfiguration");
    EXPECT_EQ(Shown(TextOf(::GetDlgItem(dialog, kMusicLabel))), L"Musik-Lautstärke: 15%");

    // The user moves the music trackbar: the label follows and the wallpaper hears code 1.
    HWND trackbar = ::GetDlgItem(dialog, kMusicVolume);
    SendTo(trackbar, TBM_SETPOS, TRUE, 40);
    ::PostMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 40), reinterpret_cast<LPARAM>(trackbar));
    EXPECT_TRUE(PollUntil([&] { return !LiveRecords(log, wallpaper.pid()).empty(); }, 10000));
    EXPECT_EQ(LiveRecords(log, wallpaper.pid()), (std::vector<LiveMessage>{{1, 40}}));
    EXPECT_EQ(Shown(TextOf(::GetDlgItem(dialog, kMusicLabel))), L"Musik-Lautstärke: 40%");

    // "Run at Windows startup" starts unchecked (no Run value yet); the user ticks it.
    HWND runAtStartup = ::GetDlgItem(dialog, 1079);
    ASSERT_EQ(SendTo(runAtStartup, BM_GETCHECK), BST_UNCHECKED);
    SendTo(runAtStartup, BM_CLICK);
    ASSERT_EQ(SendTo(runAtStartup, BM_GETCHECK), BST_CHECKED);

    ClickButton(dialog, IDOK);
    EXPECT_TRUE(EndsWithZero(child));
    EXPECT_EQ(LiveRecords(log, wallpaper.pid()).size(), 1u) << "OK sends nothing of its own";

    std::map<std::wstring, std::wstring> stored = StoredAsMainProgramSeesIt();
    EXPECT_EQ(stored[L"<run-entry>"], Quote(installed.exe()) + L" /w");
    EXPECT_EQ(stored[L"MusicVolumePercentage"], L"2: 40");
    EXPECT_EQ(stored[L"SoundsVolumePercentage"], L"2: 100");
    EXPECT_EQ(stored[L"HighQualityGraphics"], L"2: 0");
    EXPECT_EQ(stored[L"Language"], L"3: de");
    EXPECT_EQ(stored[L"UnknownToUs"], L"2: 77");
    EXPECT_EQ(stored[L"Remark"], L"kept as it stands");

    // A second opening, ended with Cancel: nothing written, the wallpaper gets all seven back.
    ChildProcess second = ChildProcess::Start(Quote(ScrPath()) + L" /c:" + WindowNumber(host));
    dialog = WaitForDialog(second);
    ASSERT_NE(dialog, nullptr);
    trackbar = ::GetDlgItem(dialog, kMusicVolume);
    SendTo(trackbar, TBM_SETPOS, TRUE, 90);
    ::PostMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 90), reinterpret_cast<LPARAM>(trackbar));
    ASSERT_TRUE(PollUntil([&] { return LiveRecords(log, wallpaper.pid()).size() == 2; }, 10000));

    const auto clicked = std::chrono::steady_clock::now();
    ClickButton(dialog, IDCANCEL);
    bool allSeven = PollUntil([&] { return LiveRecords(log, wallpaper.pid()).size() >= 9; }, 10000, 1);
    const auto took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - clicked);
    ASSERT_TRUE(allSeven);
    std::printf("[ measured ] Cancel click to all seven live codes at the wallpaper: %.1f ms\n",
                took.count());
    std::vector<LiveMessage> live = LiveRecords(log, wallpaper.pid());
    std::vector<LiveMessage> reverted(live.begin() + 2, live.end());
    ASSERT_EQ(reverted.size(), 7u);
    const WPARAM order[] = {6, 1, 2, 3, 4, 0, 5};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(reverted[i].first, order[i]) << i;
    EXPECT_EQ(reverted[1].second, 40) << "the music volume goes back to the stored 40";
    EXPECT_EQ(reverted[5].second, 0);
    EXPECT_EQ(reverted[6].second, 0);
    EXPECT_TRUE(EndsWithZero(second));
    EXPECT_EQ(StoredAsMainProgramSeesIt(), stored);

    ::DestroyWindow(host);
    wallpaper.Kill();
}

// The elevated instance's own switch, as the settings dialog starts it through the elevation prompt:
// exactly the request's values reach the key, with exit code 0, when the file is a disk file of its own
// whose bytes match the seal and every part is valid; anything else writes nothing and says why.
TEST_F(ConfigureTest, TheElevatedStoreWritesExactlyASealedValidRequestAndNothingElse) {
    ASSERT_TRUE(settings_.SetText(L"MusicVolumePercentage", L"2: 33"));
    ASSERT_TRUE(settings_.SetText(L"PlayList", L"C:\\old.mp3\n"));
    const std::vector<std::wstring> before = AllStoredSettings();
    EXPECT_EQ(qm::Sha256Hex("abc", 3), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    using qm::EncodeStoreRequest;
    const std::wstring good = EncodeStoreRequest({{{L"MusicVolumePercentage", L"2: 80"}}, L"C:\\a.mp3\n"});
    const DWORD unreadable = qm::kRequestUnreadable, refused = qm::kRequestRefused;
    const struct {
        const char* what;
        std::optional<std::wstring> text; // none: no file at all
        DWORD exitCode;
        bool sealOfAnother = false;
    } bad[] = {
        {"an unknown name",
         EncodeStoreRequest({{{L"MusicVolumePercentage", L"2: 80"}, {L"Evil", L"2: 1"}}, {}}), refused},
        {"a name with a path in it",
         EncodeStoreRequest({{{L"..\\Run\\MusicVolumePercentage", L"2: 80"}}, {}}), refused},
        {"a bad typed value", EncodeStoreRequest({{{L"MusicVolumePercentage", L"2: 80x"}}, {}}), refused},
        {"a value of another type", EncodeStoreRequest({{{L"MusicVolumePercentage", L"3: 80"}}, {}}),
         refused},
        {"a volume out of range", EncodeStoreRequest({{{L"MusicVolumePercentage", L"2: 100000"}}, {}}),
         refused},
        {"a playlist line that is empty", EncodeStoreRequest({{}, L"C:\\a.mp3\n\n"}), refused},
        {"an oversized playlist", EncodeStoreRequest({{}, std::wstring(1 << 22, L'a') + L"\n"}), refused},
        {"a truncated request", good.substr(0, good.size() - 6), refused},
        {"an empty request", std::wstring(), refused},
        {"a valid request whose seal is another's", good, refused, true},
        {"no request file", std::nullopt, unreadable},
    };
    TempFolder folder;
    auto store = [&](const std::optional<std::wstring>& text, bool sealOfAnother) {
        const std::wstring file = folder / L"request.txt";
        ::DeleteFileW(file.c_str());
        const std::string bytes(reinterpret_cast<const char*>(text ? text->data() : L""),
                                text ? text->size() * sizeof(wchar_t) : 0);
        EXPECT_TRUE(!text || WriteBinaryFile(file, bytes));
        const std::string sealed = sealOfAnother ? bytes + " " : bytes;
        const std::wstring seal = *qm::Sha256Hex(sealed.data(), sealed.size());
        ChildProcess child =
            ChildProcess::Start(Quote(ScrPath()) + L" /store-elevated " + seal + L" " + Quote(file));
        EXPECT_TRUE(PollUntil([&] { return !child.Running(); }, kSettingsDialogTimeLimitMs));
        return child.ExitCode();
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(store(c.text, c.sealOfAnother), c.exitCode);
        EXPECT_EQ(AllStoredSettings(), before);
    }
    EXPECT_EQ(store(good, false), qm::kElevatedStored);
    std::vector<std::wstring> after = before;
    for (std::wstring& value : after)
        if (value.rfind(L"MusicVolumePercentage=", 0) == 0)
            value = L"MusicVolumePercentage=2: 80";
        else if (value.rfind(L"PlayList=", 0) == 0)
            value = L"PlayList=C:\\a.mp3\n";
    EXPECT_EQ(AllStoredSettings(), after);
}

} // namespace
