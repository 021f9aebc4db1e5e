// The settings record under Wine: defaults against the settings key, saving with the error box, the
// autostart entry, and the processor estimate the defaults rest on.
#include "dialogs/hardware_facts.h"
#include "launcher/main_program.h"
#include "localisation/error_box.h"
#include "localisation/string_table.h"
#include "resource.h"
#include "settings/product.h"
#include "settings/settings_defaults.h"
#include "settings/settings_record.h"
#include "test_support.h"
#include "tree_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>

using qm::Node;
using qm::NodeValue;
using qm::ValueKind;
using qmtest::ReadRawValue, qmtest::SetRawValue;

namespace {

const std::map<std::wstring, int32_t> kFixedDefaults = {
    {L"EnableMultiMonitorMode", 1},
    {L"ShowBlackScreens", 1},
    {L"ShowFPS", 0},
    {L"DisableOnMouseActivate", 1},
    {L"MusicVolumePercentage", 15},
    {L"DisableMusic", 0},
    {L"SoundsVolumePercentage", 100},
    {L"DisableSound", 0},
    {L"MonitorAspectRatio", 4},
    {L"UseDesktopRes", 1},
    {L"UsePlaylist", 0},
    {L"FontScaling", 50},
    {L"ShufflePlayList", 1},
};
const wchar_t* const kHardwareRows[] = {L"HighQualityTextures", L"HighQualityGraphics", L"Antialiasing"};
// Facts for which two of the three rules give 1, unlike anything a placeholder could be mistaken for.
constexpr qm::HardwareFacts kFacts{4096, 4000};

std::wstring StoredSetting(const std::wstring& name) {
    auto value = ReadRawValue(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, name);
    return value ? value->text : L"<absent>";
}

// Exactly the default table: the fixed rows, the three hardware rows as 0 or 1, nothing else.
void ExpectDefaultTable(Node& settings) {
    EXPECT_EQ(settings.entries().size(), kFixedDefaults.size() + 3);
    for (const auto& [name, value] : kFixedDefaults) {
        EXPECT_TRUE(settings.Has(name, ValueKind::Integer));
        EXPECT_EQ(settings.Get(name).AsInteger(), value) << std::string(name.begin(), name.end());
    }
    for (const wchar_t* name : kHardwareRows) {
        EXPECT_TRUE(settings.Has(name, ValueKind::Integer));
        EXPECT_TRUE(settings.Get(name).AsInteger() == 0 || settings.Get(name).AsInteger() == 1);
    }
}

class SettingsRecord : public ::testing::Test {
  protected:
    qmtest::ScratchRegistry scratch_;
};

} // namespace

TEST_F(SettingsRecord, AbsentOrEmptyKeyGivesTheDefaultTableAndSavingWritesEveryRow) {
    Node absent;
    qm::LoadSettings(absent, [] { return kFacts; });
    ExpectDefaultTable(absent);
    // Each row its own value, loaded over an absent key and applied as the Defaults button does. Over
    // these facts any two rows differ somewhere, whatever the screen height makes of the textures.
    const auto screenHeight = static_cast<uint32_t>(::GetSystemMetrics(SM_CYFULLSCREEN));
    const struct {
        qm::HardwareFacts facts;
        int32_t graphics, antialiasing;
    } facts[] = {{kFacts, 1, 1}, {{1024, 2500}, 1, 0}, {{1024, 1000}, 0, 0}};
    for (const auto& f : facts) {
        Node loaded, applied;
        qm::LoadSettings(loaded, [&f] { return f.facts; });
        qm::ApplyDefaults(applied, f.facts);
        const auto rules = qm::HardwareDefaultRules(f.facts.videoMiB, f.facts.cpuMHz, screenHeight);
        for (Node* node : {&loaded, &applied}) {
            EXPECT_EQ(node->Get("HighQualityTextures").AsInteger(), rules.highQualityTextures);
            EXPECT_EQ(node->Get("HighQualityGraphics").AsInteger(), f.graphics) << f.facts.cpuMHz;
            EXPECT_EQ(node->Get("Antialiasing").AsInteger(), f.antialiasing) << f.facts.cpuMHz;
        }
    }

    EXPECT_TRUE(qm::SaveSettings(absent));
    EXPECT_EQ(StoredSetting(L"MusicVolumePercentage"), L"2: 15");
    for (const auto& [name, value] : kFixedDefaults) {
        auto stored = ReadRawValue(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, name);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(stored->text, L"2: " + std::to_wstring(value));
    }
    for (const wchar_t* name : kHardwareRows)
        EXPECT_EQ(StoredSetting(name), L"2: " + std::to_wstring(absent.Get(name).AsInteger()));
    EXPECT_EQ(qmtest::ValueNamesOf(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath).size(),
              kFixedDefaults.size() + 3);

    Node empty;
    ASSERT_TRUE(qmtest::SetRawValue(HKEY_LOCAL_MACHINE, L"Software\\Orvanta\\Empty", L"x", L""));
    EXPECT_TRUE(qm::SaveSettings(empty)); // an empty tree writes nothing and fails nothing
    qm::LoadSettings(empty, [] { return kFacts; });
    ExpectDefaultTable(empty);
}

namespace {

// The whole tree as text: name, kind and value of every entry, subtrees nested.
std::wstring Describe(const Node& node) {
    std::wstring text;
    for (const auto& [name, value] : node.entries()) {
        text += name + L"=" + std::to_wstring(static_cast<int>(value.kind())) + L":";
        if (const Node* child = value.AsNode())
            text += L"{" + Describe(*child) + L"}";
        else
            text += value.AsText() + std::to_wstring(value.AsInteger()) + std::to_wstring(value.AsFloat());
        text += L";";
    }
    return text;
}

} // namespace

// The hardware facts are asked only when the key leaves one of the three hardware rows to its default,
// and the tree is always the one of the defaults followed by the key.
TEST_F(SettingsRecord, HardwareFactsAreAskedExactlyWhenADefaultShows) {
    const std::wstring key = qm::SettingsKeyPath;
    const std::wstring huge = L"2: 0" + std::wstring(3000, L' '); // more than 4,096 bytes
    // One more value, in a subkey of the settings key or ("") in the key itself; a subkey can be made
    // unreadable ("aLocked" is read before the rows).
    struct Extra {
        std::wstring subkey, name, text;
        bool unreadable = false;
    };
    const struct Case {
        const char* what;
        std::wstring rows[3]; // the texts of kHardwareRows, in order; empty: absent
        Extra extra;
        bool asked;
    } cases[] = {
        {"no key at all", {}, {}, true},
        {"all three stored", {L"2: 0", L"2: 0", L"2: 8"}, {}, false},
        {"other kinds supply too", {L"1: 2.5", L"3: x", L"2: 0"}, {}, false},
        {"one absent", {L"2: 0", L"", L"2: 0"}, {}, true},
        {"one without a kind", {L"2: 0", L"0", L"2: 0"}, {}, true},
        {"one over 4,096 bytes", {L"2: 0", huge, L"2: 0"}, {}, true},
        {"a subkey in the place of one", {L"2: 0", L"2: 0"}, {L"Antialiasing", L"Inner", L"2: 3"}, false},
        {"a name through a row", {L"2: 0", L"2: 0"}, {L"", L"Antialiasing/Inner", L"2: 3"}, true},
        {"values not reached past an unreadable subkey",
         {L"2: 0", L"2: 0", L"2: 0"},
         {L"aLocked", L"x", L"2: 1", true},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qmtest::DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
        for (std::size_t i = 0; i < std::size(kHardwareRows); ++i) {
            if (c.rows[i].empty()) continue;
            ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, key, kHardwareRows[i], c.rows[i]));
        }
        const std::wstring extraKey = c.extra.subkey.empty() ? key : key + L"\\" + c.extra.subkey;
        if (!c.extra.name.empty()) {
            ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, extraKey, c.extra.name, c.extra.text));
        }
        std::optional<qmtest::DeniedKey> locked;
        if (c.extra.unreadable) {
            locked.emplace(HKEY_LOCAL_MACHINE, extraKey, KEY_READ);
            ASSERT_TRUE(locked->applied());
        }

        Node expected;
        qm::ApplyDefaults(expected, kFacts);
        expected.LoadFromRegistry(HKEY_LOCAL_MACHINE, key);
        EXPECT_EQ(qm::SettingsNeedHardwareFacts(), c.asked);
        bool asked = false;
        Node lazy;
        qm::LoadSettings(lazy, [&asked] {
            asked = true;
            return kFacts;
        });
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(Describe(lazy), Describe(expected));
    }
}

TEST_F(SettingsRecord, StoredValuesReplaceDefaultsAndUnknownOnesSurvive) {
    const std::wstring key = qm::SettingsKeyPath;
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, key, L"MusicVolumePercentage", L"2: 40"));
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, key, L"Antialiasing", L"2: 8"));
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, key, L"Language", L"3: de"));
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, key, L"ModeWidth1", L"2: 1920"));
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, key, L"AppPath", L"C:\\Games\\Q"));
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, key, L"PlayList", L"C:\\a.mp3"));
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, key, L"ShowFPS", L"yes"));

    Node settings;
    qm::LoadSettings(settings, [] { return kFacts; });
    EXPECT_EQ(settings.Get("MusicVolumePercentage").AsInteger(), 40);
    EXPECT_EQ(settings.Get("Antialiasing").AsInteger(), 8);
    EXPECT_EQ(settings.Get("Language").AsText(), L"de");
    EXPECT_EQ(settings.GetOr("ModeWidth1", "ModeWidth").AsInteger(), 1920);
    EXPECT_EQ(settings.Get("ShowFPS").AsInteger(), 0);
    EXPECT_EQ(settings.Get("SoundsVolumePercentage").AsInteger(), 100);
    EXPECT_FALSE(settings.Has(L"AppPath", ValueKind::String));

    settings.Get("SoundsVolumePercentage") = NodeValue(int32_t{55});
    EXPECT_TRUE(qm::SaveSettings(settings));
    EXPECT_EQ(StoredSetting(L"SoundsVolumePercentage"), L"2: 55");
    EXPECT_EQ(StoredSetting(L"MusicVolumePercentage"), L"2: 40");
    EXPECT_EQ(StoredSetting(L"Language"), L"3: de");
    EXPECT_EQ(StoredSetting(L"ModeWidth1"), L"2: 1920");
    EXPECT_EQ(StoredSetting(L"AppPath"), L"C:\\Games\\Q");
    EXPECT_EQ(StoredSetting(L"PlayList"), L"C:\\a.mp3");
    EXPECT_EQ(StoredSetting(L"ShowFPS"), L"2: 0") << "the default replaces the text that was no setting";

    // An unreadable key leaves the defaults.
    qmtest::DeniedKey locked(HKEY_LOCAL_MACHINE, key, KEY_READ);
    ASSERT_TRUE(locked.applied());
    Node defaults;
    qm::LoadSettings(defaults, [] { return kFacts; });
    ExpectDefaultTable(defaults);
}

namespace {

struct ErrorBoxSeen {
    std::atomic<bool> found{false};
    std::wstring caption, text;
    HWND owner = nullptr;
    bool errorIcon = false;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM param) {
    auto* box = reinterpret_cast<HWND*>(param);
    if (qmtest::ProcessOf(window) == ::GetCurrentProcessId() && qmtest::ClassNameOf(window) == L"#32770" &&
        ::IsWindowVisible(window)) {
        *box = window;
        return FALSE;
    }
    return TRUE;
}

// Waits for this process's message box, reads it and presses its button.
void WatchForErrorBox(ErrorBoxSeen* seen) {
    HWND box = nullptr;
    qmtest::PollUntil(
        [&box] {
            ::EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&box));
            return box != nullptr;
        },
        10000);
    if (!box) return;
    seen->caption = qmtest::TextOf(box);
    seen->text = qmtest::TextOf(::GetDlgItem(box, 0xFFFF));
    seen->owner = ::GetWindow(box, GW_OWNER);
    // The icon's static control: id 20 on Windows, 0x440 in Wine's template.
    HICON shown = reinterpret_cast<HICON>(::SendDlgItemMessageW(box, 0x14, STM_GETICON, 0, 0));
    if (!shown) shown = reinterpret_cast<HICON>(::SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0));
    seen->errorIcon = shown != nullptr && shown == ::LoadIconW(nullptr, IDI_ERROR);
    seen->found = true;
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST_F(SettingsRecord, AFailedSaveShowsTheTranslatedErrorBoxAndKeepsEarlierWrites) {
    // Names sort before the locked subkey, so they are written before the failure.
    qmtest::DeniedKey locked(HKEY_LOCAL_MACHINE, std::wstring(qm::SettingsKeyPath) + L"\\zLocked",
                             KEY_SET_VALUE);
    ASSERT_TRUE(locked.applied());
    Node settings;
    qm::ApplyDefaults(settings, kFacts);
    settings.Get("zLocked/value") = NodeValue(int32_t{1});
    settings.Get("zzAfter") = NodeValue(int32_t{2});

    qm::MakeCurrentStringTable("", IDR_STRING_TABLE_XML);
    ASSERT_TRUE(qm::CurrentStringTable()->SelectLanguage(L"de"));
    qm::CurrentStringTable()->SelectTextBlock(qm::kSettingsDialogTextBlock);

    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ErrorBoxSeen seen;
    std::thread watcher(WatchForErrorBox, &seen);
    EXPECT_FALSE(qm::SaveSettings(settings));
    qm::ShowRegistryWriteError(owner); // returns when the box is closed
    watcher.join();
    ::DestroyWindow(owner);
    qm::ResetCurrentStringTable();

    ASSERT_TRUE(seen.found) << "no error box";
    EXPECT_EQ(seen.caption, L"Fehler!");
    EXPECT_EQ(seen.text.rfind(L"Fehler beim Eintrag in die Registry.", 0), 0u);
    EXPECT_EQ(seen.owner, owner);
    EXPECT_TRUE(seen.errorIcon);
    EXPECT_EQ(StoredSetting(L"MusicVolumePercentage"), L"2: 15");
    EXPECT_EQ(StoredSetting(L"ShufflePlayList"), L"2: 1");
    EXPECT_EQ(StoredSetting(L"zzAfter"), L"<absent>");
}

TEST_F(SettingsRecord, RunEntryFollowsTheInstallDirectoryAndTheCheckBox) {
    auto runValue = [] { return ReadRawValue(HKEY_CURRENT_USER, qm::kRunKeyPath, qm::kRunValueName); };

    // Nothing installed, nothing stored: both texts are empty, so the box shows checked.
    EXPECT_TRUE(qm::RunEntryMatchesAutostart(qm::BuildAutostartCommand()));
    qm::WriteRunEntry(true, qm::BuildAutostartCommand());
    ASSERT_TRUE(runValue().has_value());
    EXPECT_EQ(runValue()->text, L"") << "no install directory: an empty text even when checked";
    EXPECT_TRUE(qm::RunEntryMatchesAutostart(qm::BuildAutostartCommand()));

    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, L"AppPath", L"C:\\Games\\Q"));
    const std::wstring command = L"\"C:\\Games\\Q\\Quillmere - Taveny 3D Screensaver.exe\" /w";
    EXPECT_FALSE(qm::RunEntryMatchesAutostart(qm::BuildAutostartCommand()));
    qm::WriteRunEntry(true, qm::BuildAutostartCommand());
    EXPECT_EQ(runValue()->text, command);
    EXPECT_EQ(runValue()->type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(qm::RunEntryMatchesAutostart(qm::BuildAutostartCommand()));

    // Compared character by character: another letter case is another command.
    ASSERT_TRUE(SetRawValue(HKEY_CURRENT_USER, qm::kRunKeyPath, qm::kRunValueName,
                            L"\"c:\\games\\q\\Quillmere - Taveny 3D Screensaver.exe\" /w"));
    EXPECT_FALSE(qm::RunEntryMatchesAutostart(qm::BuildAutostartCommand()));
    ASSERT_TRUE(SetRawValue(HKEY_CURRENT_USER, qm::kRunKeyPath, qm::kRunValueName, command + L" "));
    EXPECT_FALSE(qm::RunEntryMatchesAutostart(qm::BuildAutostartCommand()));

    // Unchecked: the value stays, with an empty text.
    qm::WriteRunEntry(false, qm::BuildAutostartCommand());
    auto cleared = runValue();
    ASSERT_TRUE(cleared.has_value()) << "the Run value is never deleted";
    EXPECT_EQ(cleared->text, L"");
    EXPECT_EQ(cleared->type, static_cast<DWORD>(REG_SZ));
    EXPECT_FALSE(qm::RunEntryMatchesAutostart(qm::BuildAutostartCommand()));
}

namespace {

// The clock that Linux reports for the first processor, through Wine's view of /proc.
double ReportedMHz() {
    std::ifstream cpuinfo("Z:\\proc\\cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line))
        if (line.rfind("cpu MHz", 0) == 0) return std::atof(line.substr(line.find(':') + 1).c_str());
    return 0.0;
}

} // namespace

TEST(ProcessorEstimate, AgreesWithTheClockTheSystemReports) {
    const unsigned mhz = qm::EstimateCpuMHz();
    const double reported = ReportedMHz();
    if (reported > 0) {
        EXPECT_GT(mhz, reported / 2);
        EXPECT_LT(mhz, reported * 2);
    } else {
        EXPECT_GT(mhz, 100u);
    }
}
