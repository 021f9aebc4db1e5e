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

#include <array>
#include <functional>
#include <string>

using namespace qmtest;

namespace {

// An integer of the settings as LoadSettings gives it, or as SaveSettings writes it, in its typed text.
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

// One place: a text planted in each view (64-bit, 32-bit), then the program reads it (act gives what it
// read, in the form planted) or writes (act gives what it wrote, which must land in its view alone).
struct Place {
    const wchar_t* what;
    bool writes;
    std::wstring key;
    const wchar_t* value;
    bool in64BitView;
    std::array<std::wstring, 2> planted;
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
    const std::wstring settings = kSettingsKey, sub = settings + L"\\QmViewsTest";
    const std::wstring uninstall =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmere - Taveny 3D Screensaver";
    const std::wstring saver = uninstall + L"_is1", combined = uninstall + L" and Animated Wallpaper_is1";
    // The search takes the first folder that holds the program, so both views name one that does.
    const std::array<std::wstring, 2> folders = {folders_ / L"in64", folders_ / L"in32"};
    for (const std::wstring& folder : folders)
        ASSERT_FALSE(CopyStandInTo(folder).empty());
    auto found = [] {
        const std::wstring program = qm::FindMainProgram();
        return program.substr(0, program.rfind(L'\\'));
    };
    const std::array<std::wstring, 2> typed = {L"2: 64", L"2: 32"},
                                      directories = {L"C:\\From64", L"C:\\From32"};
    const std::array<std::wstring, 2> playlists = {L"C:\\64.mp3\n", L"C:\\32.mp3\n"};
    const Place places[] = {
        {L"settings tree, loaded", false, settings, L"MusicVolumePercentage", true, typed,
         [] { return LoadedInteger("MusicVolumePercentage"); }},
        {L"settings subkey, loaded", false, sub, L"Value", true, typed,
         [] { return LoadedInteger("QmViewsTest/Value"); }},
        {L"settings tree, saved", true, settings, L"MusicVolumePercentage", true, typed,
         [] { return SavedInteger("MusicVolumePercentage", 41); }},
        {L"settings subkey, saved", true, sub, L"Value", true, typed,
         [] { return SavedInteger("QmViewsTest/Value", 7); }},
        {L"Language",
         false,
         settings,
         L"Language",
         true,
         {L"3: de", L"3: fr"},
         [] { return L"3: " + qm::LanguageFromRegistry(); }},
        {L"PlayList, read", false, settings, L"PlayList", true, playlists, qm::ReadStoredPlaylist},
        {L"PlayList, written", true, settings, L"PlayList", true, playlists,
         [] { return qm::WriteStoredPlaylist(L"C:\\new.mp3\n"), std::wstring(L"C:\\new.mp3\n"); }},
        {L"AppPath", false, settings, L"AppPath", true, directories, qm::ReadInstallDirectory},
        {L"InstallLocation, for the install directory", false, saver, L"InstallLocation", true, directories,
         qm::ReadInstallDirectory},
        {L"InstallLocation, for the search", false, saver, L"InstallLocation", false, folders, found},
        {L"the combined package's InstallLocation, for the search", false, combined, L"InstallLocation",
         false, folders, found},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.what);
        const REGSAM views[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
        SavedRegistryValue in64(HKEY_LOCAL_MACHINE, p.key, p.value, views[0]);
        SavedRegistryValue in32(HKEY_LOCAL_MACHINE, p.key, p.value, views[1]);
        ASSERT_TRUE(in64.SetText(p.planted[0]) && in32.SetText(p.planted[1]));
        const int there = p.in64BitView ? 0 : 1;
        const std::wstring text = p.act();
        if (!p.writes) {
            EXPECT_EQ(text, p.planted[there]) << "read from the other view";
            continue;
        }
        auto written = ReadRawValue(HKEY_LOCAL_MACHINE, p.key, p.value, views[there]);
        auto other = ReadRawValue(HKEY_LOCAL_MACHINE, p.key, p.value, views[1 - there]);
        EXPECT_TRUE(written && written->text == text) << "not written into its view";
        EXPECT_TRUE(other && other->text == p.planted[1 - there]) << "written into the other view";
    }
}

} // namespace
