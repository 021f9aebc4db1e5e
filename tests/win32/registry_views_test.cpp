// Every place the program reads or writes in HKEY_LOCAL_MACHINE, and the registry view it must reach there,
// against the real registry of the 64-bit test prefix (a scratch registry merges the two views). The same
// rows hold for the 32-bit file under WOW64 and for the 64-bit file: both must reach the same keys.
// Two places have no row: the Run value (HKEY_CURRENT_USER, one key in both views) and CurMonitor, read
// to choose an adapter for the video memory, which Wine's single adapter cannot tell apart.
#include "launcher/main_program.h"
#include "localisation/language.h"
#include "settings/playlist_store.h"
#include "settings/settings_record.h"

#include "standin_support.h"
#include "test_support.h"
#include "tree_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace qmtest;

namespace {

constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr wchar_t kMainProgram[] = L"\\Quillmere - Taveny 3D Screensaver.exe";

const wchar_t* ViewName(REGSAM view) {
    return view == KEY_WOW64_64KEY ? L"64-bit view" : L"32-bit view";
}

// An integer of the settings as LoadSettings gives it, in the typed text it is stored as.
std::wstring LoadedInteger(const char* path) {
    qm::Node settings;
    qm::LoadSettings(settings, [] { return qm::HardwareFacts{4096, 4000}; });
    return L"2: " + std::to_wstring(settings.Get(path).AsInteger());
}

std::wstring SavedInteger(const char* path, int32_t value) {
    qm::Node settings;
    settings.Get(path) = qm::NodeValue(value);
    EXPECT_TRUE(qm::SaveSettings(settings));
    return L"2: " + std::to_wstring(value);
}

// The folder of the main program that the search found, or what it found when that is no such path.
std::wstring FoundFolder() {
    const std::wstring found = qm::FindMainProgram();
    const size_t end = found.size() - std::min(found.size(), std::wcslen(kMainProgram));
    return found.compare(end, std::wstring::npos, kMainProgram) == 0 ? found.substr(0, end) : found;
}

// One place: a text planted in each view, then the program reads it (act gives what it read, in the form
// it was planted) or writes it (act gives the text it wrote, which must land in its view and leave the
// other view's text alone).
enum class Access { Reads, Writes };
struct Place {
    const wchar_t* what;
    Access access;
    std::wstring key;
    const wchar_t* value;
    REGSAM view;
    std::wstring in64, in32;
    std::function<std::wstring()> act;
};

class RegistryViews : public ::testing::Test {
  protected:
    void SetUp() override { install_.ClearAll(); }
    SavedInstallRecords install_;
    SavedRegistryValue appPath32_{HKEY_LOCAL_MACHINE, kSettingsKey, L"AppPath", KEY_WOW64_32KEY};
    TempFolder folders_;
};

TEST_F(RegistryViews, EachPlaceReachesTheViewItMust) {
    const std::wstring settings = kSettingsKey;
    const std::wstring saver = std::wstring(kUninstall) + L"Quillmere - Taveny 3D Screensaver_is1";
    const std::wstring combined =
        std::wstring(kUninstall) + L"Quillmere - Taveny 3D Screensaver and Animated Wallpaper_is1";
    // The search takes the first folder that holds the program, so both views name one that does.
    const std::wstring folder64 = folders_ / L"in64";
    const std::wstring folder32 = folders_ / L"in32";
    ASSERT_FALSE(CopyStandInTo(folder64).empty());
    ASSERT_FALSE(CopyStandInTo(folder32).empty());

    using enum Access;
    const Place places[] = {
        {L"the settings tree, loaded", Reads, settings, L"MusicVolumePercentage", KEY_WOW64_64KEY, L"2: 64",
         L"2: 32", [] { return LoadedInteger("MusicVolumePercentage"); }},
        {L"a subkey of the settings tree, loaded", Reads, settings + L"\\QmViewsTest", L"Value",
         KEY_WOW64_64KEY, L"2: 64", L"2: 32", [] { return LoadedInteger("QmViewsTest/Value"); }},
        {L"the settings tree, saved", Writes, settings, L"MusicVolumePercentage", KEY_WOW64_64KEY, L"2: 64",
         L"2: 32", [] { return SavedInteger("MusicVolumePercentage", 41); }},
        {L"a subkey of the settings tree, saved", Writes, settings + L"\\QmViewsTest", L"Value",
         KEY_WOW64_64KEY, L"2: 64", L"2: 32", [] { return SavedInteger("QmViewsTest/Value", 7); }},
        {L"Language", Reads, settings, L"Language", KEY_WOW64_64KEY, L"3: de", L"3: fr",
         [] { return L"3: " + qm::LanguageFromRegistry(); }},
        {L"PlayList, read", Reads, settings, L"PlayList", KEY_WOW64_64KEY, L"C:\\64.mp3\n", L"C:\\32.mp3\n",
         [] { return qm::ReadStoredPlaylist(); }},
        {L"PlayList, written", Writes, settings, L"PlayList", KEY_WOW64_64KEY, L"C:\\64.mp3\n",
         L"C:\\32.mp3\n",
         [] {
             EXPECT_TRUE(qm::WriteStoredPlaylist(L"C:\\new.mp3\n"));
             return L"C:\\new.mp3\n";
         }},
        {L"AppPath, for the install directory and the search", Reads, settings, L"AppPath", KEY_WOW64_64KEY,
         L"C:\\From64", L"C:\\From32", [] { return qm::ReadInstallDirectory(); }},
        {L"the screensaver package's InstallLocation, for the install directory", Reads, saver,
         L"InstallLocation", KEY_WOW64_64KEY, L"C:\\From64", L"C:\\From32",
         [] { return qm::ReadInstallDirectory(); }},
        {L"the screensaver package's InstallLocation, for the search", Reads, saver, L"InstallLocation",
         KEY_WOW64_32KEY, folder64, folder32, FoundFolder},
        {L"the combined package's InstallLocation, for the search", Reads, combined, L"InstallLocation",
         KEY_WOW64_32KEY, folder64, folder32, FoundFolder},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.what);
        SavedRegistryValue in64(HKEY_LOCAL_MACHINE, p.key, p.value, KEY_WOW64_64KEY);
        SavedRegistryValue in32(HKEY_LOCAL_MACHINE, p.key, p.value, KEY_WOW64_32KEY);
        ASSERT_TRUE(in64.SetText(p.in64));
        ASSERT_TRUE(in32.SetText(p.in32));
        const std::wstring expected = p.view == KEY_WOW64_64KEY ? p.in64 : p.in32;
        if (p.access == Reads) {
            EXPECT_EQ(p.act(), expected) << "not read from the " << ViewName(p.view);
            continue;
        }
        const std::wstring text = p.act();
        const REGSAM other = p.view == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
        auto there = ReadRawValue(HKEY_LOCAL_MACHINE, p.key, p.value, p.view);
        auto elsewhere = ReadRawValue(HKEY_LOCAL_MACHINE, p.key, p.value, other);
        EXPECT_TRUE(there && there->text == text) << "not written into the " << ViewName(p.view);
        EXPECT_TRUE(elsewhere && elsewhere->text == (other == KEY_WOW64_64KEY ? p.in64 : p.in32))
            << "written into the " << ViewName(other);
    }
}

} // namespace
