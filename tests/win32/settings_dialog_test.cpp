// The settings dialog from its real template, in-process: what it shows for stored settings on chosen
// machines, in each language, and what the monitor choices write into the settings tree.
#include "dialogs/settings_dialog.h"
#include "localisation/string_table.h"
#include "platform/dpi.h"
#include "playlist/playlist_dialog.h"
#include "settings/product.h"

#include "dialog_keys.h"
#include "dialog_template.h"
#include "dialogs/hardware_facts.h"
#include "settings_dialog_fixture.h"
#include "text_fit.h"

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <memory>
#include <optional>
#include <stdexcept>

using namespace qmtest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TEST(SettingsDialogTemplate, ControlsAsTheUserMeetsThem) {
    const std::optional<DialogTemplate> dialog = ReadDialogTemplate(IDD_SETTINGS);
    ASSERT_TRUE(dialog) << "no extended template";
    EXPECT_EQ(dialog->style,
              DWORD(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(dialog->caption, L"Quillmere - Taveny 3D Screensaver Configuration");
    EXPECT_EQ(dialog->font, L"MS Shell Dlg");
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_THAT(ControlsOutside(*dialog), IsEmpty());

    // The ids are also what other programs address the running dialog's controls by.
    constexpr DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
    constexpr DWORD list = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    constexpr DWORD trackbar = TBS_NOTICKS | WS_TABSTOP;
    constexpr DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    ExpectControls(
        *dialog,
        {
            {1015, L"Button", L"Monitor selection", BS_GROUPBOX},
            {-1, L"Static", L"Monitor selection", SS_LEFT, 0, false},
            {1002, L"ComboBox", L"", list},
            {1013, L"Button", L"Show a blank screen on all monitors", check},
            {-1, L"Button", L"Options", BS_GROUPBOX},
            {1023, L"Button", L"Exit on mouse move", check},
            {1068, L"Button", L"Antialiasing", check},
            {1070, L"Static", L"Antialiasing quality:", SS_RIGHT},
            {1069, L"ComboBox", L"", list | CBS_SORT},
            {-1, L"Button", L"Animated wallpaper options", BS_GROUPBOX},
            {1079, L"Button", L"Run at Windows startup", check | WS_GROUP},
            {-1, L"Button", L"Sound options", BS_GROUPBOX},
            {1022, L"Button", L"Enable sounds", check | WS_GROUP},
            {1047, L"Static", L"Sounds volume: 100%", SS_RIGHT},
            {1046, L"msctls_trackbar32", L"", trackbar},
            {1032, L"Button", L"Enable music", check | WS_GROUP},
            {1045, L"Static", L"Music volume: 100%", SS_RIGHT},
            {1044, L"msctls_trackbar32", L"", trackbar},
            {1078, L"Button", L"Play my music", check},
            {4, L"Button", L"Edit Playlist...", button, WS_EX_STATICEDGE},
            {-1, L"Button", L"Products", BS_GROUPBOX},
            {1027, L"Static", L"Please take a look at our web site for more great 3D screensavers", SS_LEFT},
            {6, L"Button", L"Visit...", button, WS_EX_STATICEDGE},
            {3, L"Button", L"Restore Defaults", button},
            {1, L"Button", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP},
            {2, L"Button", L"Cancel", button},
        });
    EXPECT_THAT(TabOrder(*dialog),
                ElementsAre(1002, 1013, 1023, 1068, 1069, 1079, 1022, 1046, 1032, 1044, 1078, 4, 6, 3, 1, 2));
}

TEST_F(SettingsDialogTest, OpensWithIconAndWithoutTheControlsTheTemplateLacks) {
    HWND dialog = Open();
    EXPECT_TRUE(::IsWindowVisible(dialog));
    // Both icons at the sizes the scale asks for, and so again once on a screen of 192 DPI.
    for (UINT dpi : {TestDpi(), 192u}) {
        auto icon = [dialog](WPARAM which) {
            return IconWidth(reinterpret_cast<HICON>(::SendMessageW(dialog, WM_GETICON, which, 0)));
        };
        EXPECT_EQ(icon(ICON_BIG), ::MulDiv(32, dpi, 96)) << dpi;
        EXPECT_EQ(icon(ICON_SMALL), ::MulDiv(16, dpi, 96)) << dpi;
        MoveToDpi(dialog, 192);
    }
    for (int absent : {IDC_HQ_GRAPHICS, IDC_HQ_TEXTURES, IDC_VIDEO_MODE_LIST, IDC_DESKTOP_RES})
        EXPECT_EQ(Item(absent), nullptr) << absent;
}

TEST_F(SettingsDialogTest, DefaultsShowWhenNothingIsStored) {
    Open();
    EXPECT_EQ(Position(IDC_MUSIC_VOLUME), 15);
    EXPECT_EQ(Text(IDC_MUSIC_VOLUME_LABEL), L"Music volume: 15%");
    EXPECT_EQ(Position(IDC_SOUNDS_VOLUME), 100);
    EXPECT_EQ(Text(IDC_SOUNDS_VOLUME_LABEL), L"Sound volume: 100%");
    EXPECT_TRUE(Checked(IDC_ENABLE_MUSIC));
    EXPECT_TRUE(Checked(IDC_ENABLE_SOUNDS));
    EXPECT_FALSE(Checked(IDC_EXIT_ON_MOUSE)); // DisableOnMouseActivate defaults to 1
    EXPECT_FALSE(Checked(IDC_PLAY_MY_MUSIC));
    EXPECT_FALSE(Enabled(IDC_EDIT_PLAYLIST));
    // No install directory and no Run value: both texts are empty, so they match.
    EXPECT_TRUE(Checked(IDC_RUN_AT_STARTUP));
}

TEST_F(SettingsDialogTest, MusicAndPlaylistDecideWhatIsEnabled) {
    struct Case {
        int disableMusic;
        int usePlaylist;
        bool musicControls;
        bool editPlaylist;
    };
    for (const Case& c : {Case{0, 0, true, false}, Case{0, 1, true, true}, Case{1, 0, false, false},
                          Case{1, 1, false, false}}) {
        StoreIntegerSetting(L"DisableMusic", c.disableMusic);
        StoreIntegerSetting(L"UsePlaylist", c.usePlaylist);
        StoreIntegerSetting(L"MusicVolumePercentage", 40);
        Open();
        SCOPED_TRACE(testing::Message()
                     << "DisableMusic " << c.disableMusic << " UsePlaylist " << c.usePlaylist);
        EXPECT_EQ(Checked(IDC_ENABLE_MUSIC), c.disableMusic == 0);
        EXPECT_EQ(Checked(IDC_PLAY_MY_MUSIC), c.usePlaylist != 0);
        EXPECT_EQ(Enabled(IDC_MUSIC_VOLUME), c.musicControls);
        EXPECT_EQ(Enabled(IDC_MUSIC_VOLUME_LABEL), c.musicControls);
        EXPECT_EQ(Enabled(IDC_PLAY_MY_MUSIC), c.musicControls);
        EXPECT_EQ(Enabled(IDC_EDIT_PLAYLIST), c.editPlaylist);
        EXPECT_EQ(Position(IDC_MUSIC_VOLUME), 40);
        EXPECT_EQ(Text(IDC_MUSIC_VOLUME_LABEL), L"Music volume: 40%");
        TearDown();
    }
}

TEST_F(SettingsDialogTest, SoundOffAndExitOnMouse) {
    StoreIntegerSetting(L"DisableSound", 1);
    StoreIntegerSetting(L"SoundsVolumePercentage", 0);
    StoreIntegerSetting(L"DisableOnMouseActivate", 0);
    Open();
    EXPECT_FALSE(Checked(IDC_ENABLE_SOUNDS));
    EXPECT_FALSE(Enabled(IDC_SOUNDS_VOLUME));
    EXPECT_FALSE(Enabled(IDC_SOUNDS_VOLUME_LABEL));
    EXPECT_EQ(Position(IDC_SOUNDS_VOLUME), 0);
    EXPECT_EQ(Text(IDC_SOUNDS_VOLUME_LABEL), L"Sound volume: 0%");
    EXPECT_TRUE(Checked(IDC_EXIT_ON_MOUSE));
}

TEST_F(SettingsDialogTest, AntialiasingListIsFilledAndChosenByTheStoredCount) {
    struct Case {
        int stored;
        std::vector<int> supported;
        std::vector<std::wstring> texts;
        std::wstring selected;
    };
    const Case cases[] = {
        {0, {2, 4, 8}, {L"2x", L"4x", L"8x"}, L"2x"},
        {4, {2, 4, 8}, {L"2x", L"4x", L"8x"}, L"4x"},
        {4, {2, 4, 8, 16}, {L"16x", L"2x", L"4x", L"8x"}, L"4x"},
        {1, {2, 4, 8, 16}, {L"16x", L"2x", L"4x", L"8x"}, L"16x"},
        {16, {2, 4}, {L"2x", L"4x"}, L"2x"},
        {8, {}, {}, L"<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << c.stored << ", " << c.supported.size() << " counts");
        StoreIntegerSetting(L"Antialiasing", c.stored);
        Open(Monitors::One, c.supported);
        EXPECT_EQ(ComboTexts(Item(IDC_ANTIALIASING_LIST)), c.texts);
        EXPECT_EQ(ComboSelectedText(Item(IDC_ANTIALIASING_LIST)), c.selected);
        EXPECT_EQ(Checked(IDC_ANTIALIASING), c.stored != 0);
        EXPECT_EQ(Enabled(IDC_ANTIALIASING_LIST), c.stored != 0);
        EXPECT_EQ(Enabled(IDC_ANTIALIASING_LABEL), c.stored != 0);
        TearDown();
    }
}

TEST_F(SettingsDialogTest, RunAtStartupComparesTheStoredCommandExactly) {
    StoreSetting(L"AppPath", L"C:\\Program Files\\Quillmere");
    const std::wstring command =
        L"\"C:\\Program Files\\Quillmere\\Quillmere - Taveny 3D Screensaver.exe\" /w";
    struct Case {
        std::optional<std::wstring> stored;
        bool checked;
    };
    const Case cases[] = {
        {std::nullopt, false},
        {L"", false},
        {command, true},
        {L"\"c:\\program files\\quillmere\\quillmere - taveny 3d screensaver.exe\" /w", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored: " << (c.stored ? *c.stored : L"(none)"));
        if (c.stored) StoreRunEntry(*c.stored);
        Open();
        EXPECT_EQ(Checked(IDC_RUN_AT_STARTUP), c.checked);
        TearDown();
    }
}

TEST_F(SettingsDialogTest, OneMonitorIsListedAndTheChoiceDisabled) {
    Open(Monitors::One);
    ASSERT_EQ(dialog_->DisplaysForTesting().monitorCount, 1u);
    EXPECT_EQ(ComboTexts(Item(IDC_MONITOR_LIST)),
              std::vector<std::wstring>{dialog_->DisplaysForTesting().monitors[0].monitorName});
    EXPECT_EQ(ComboSelectedText(Item(IDC_MONITOR_LIST)),
              dialog_->DisplaysForTesting().monitors[0].monitorName);
    EXPECT_FALSE(Enabled(IDC_MONITOR_LIST));
    EXPECT_FALSE(Enabled(IDC_BLANK_SCREENS));
    EXPECT_TRUE(Checked(IDC_BLANK_SCREENS)); // ShowBlackScreens defaults to 1
}

// The probes run on threads of their own; one that throws answers as its failure does.
TEST_F(SettingsDialogTest, ProbesThatFailOrThrowGiveNoMonitorsNoCountsAndNoVideoMemory) {
    struct Probes {
        const char* what;
        std::function<IDirect3D9*()> direct3d;
        std::function<std::vector<int>()> levels;
        std::function<qm::HardwareFacts()> facts;
    };
    // Two adapters, of which the second fails the enumeration: no partial list is left.
    static FakeDirect3D9 halfway;
    halfway.adapters = {MakeFakeAdapter({{1024, 768}}), MakeFakeAdapter({{1024, 768}})};
    halfway.adapters[1].monitorThrows = true;
    const Probes cases[] = {
        {"failing", [] { return static_cast<IDirect3D9*>(nullptr); }, [] { return std::vector<int>{}; },
         [] { return qm::HardwareFacts{}; }},
        {"throwing", []() -> IDirect3D9* { throw std::runtime_error("Direct3D 9"); },
         []() -> std::vector<int> { throw std::runtime_error("Direct3D 11"); },
         []() -> qm::HardwareFacts { throw std::runtime_error("video memory"); }},
        {"throwing what is no std::exception, or out of memory", []() -> IDirect3D9* { throw 9; },
         []() -> std::vector<int> { throw std::bad_alloc(); }, []() -> qm::HardwareFacts { throw 0; }},
        {"failing after the first adapter",
         [] {
             halfway.AddRef();
             return static_cast<IDirect3D9*>(&halfway);
         },
         [] { return std::vector<int>{}; }, [] { return qm::HardwareFacts{}; }},
    };
    for (const Probes& probes : cases) {
        SCOPED_TRACE(probes.what);
        ScopedSeam direct3d(qm::SetDirect3DFactoryForTesting, probes.direct3d);
        ScopedSeam counts(qm::SetAntialiasingProbeForTesting, probes.levels);
        ScopedSeam gather(qm::SetHardwareFactsForTesting, probes.facts);
        dialog_ = std::make_unique<qm::CSettingsDlg>();
        EXPECT_NE(dialog_->Create(nullptr), nullptr);
        WaitForAnswers();
        EXPECT_EQ(dialog_->DisplaysForTesting().monitorCount, 0u);
        EXPECT_TRUE(ComboTexts(Item(IDC_MONITOR_LIST)).empty());
        EXPECT_FALSE(Enabled(IDC_MONITOR_LIST));
        EXPECT_TRUE(ComboTexts(Item(IDC_ANTIALIASING_LIST)).empty());
        for (const char* row : qm::kHardwareDefaultNames)
            EXPECT_EQ(TreeInteger(row), 0) << row;
        EXPECT_EQ(Position(IDC_MUSIC_VOLUME), 15) << "the rest of the dialog is as always";
        TearDown();
    }
}

TEST_F(SettingsDialogTest, TwoSeparateAdaptersOfferNoMultiMonitorEntry) {
    StoreIntegerSetting(L"CurMonitor", 1);
    StoreIntegerSetting(L"ShowBlackScreens", 0);
    Open(Monitors::TwoAdapters);
    HWND list = Item(IDC_MONITOR_LIST);
    ASSERT_EQ(ComboTexts(list).size(), 2u);
    EXPECT_EQ(::SendMessageW(list, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(list, CB_GETITEMDATA, 1, 0), 1);
    EXPECT_TRUE(Enabled(IDC_MONITOR_LIST));
    EXPECT_TRUE(Enabled(IDC_BLANK_SCREENS));
    EXPECT_FALSE(Checked(IDC_BLANK_SCREENS));
}

TEST_F(SettingsDialogTest, AnAdapterGroupAddsMultiMonitorLastAndSelectsItWhenStored) {
    StoreIntegerSetting(L"EnableMultiMonitorMode", 1);
    Open(Monitors::OneGroupOfTwo);
    HWND list = Item(IDC_MONITOR_LIST);
    std::vector<std::wstring> texts = ComboTexts(list);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[2], L"Multi-monitor");
    EXPECT_EQ(::SendMessageW(list, CB_GETITEMDATA, 2, 0), 1000);
    EXPECT_EQ(::SendMessageW(list, CB_GETCURSEL, 0, 0), 2);
    // Loading enables the box whenever there are several monitors; only a choice disables it.
    EXPECT_TRUE(Enabled(IDC_BLANK_SCREENS));
}

// A monitor unplugged since it was chosen: the first monitor takes its place, and OK stores that.
TEST_F(SettingsDialogTest, AStoredMonitorBeyondTheListBecomesTheFirst) {
    StoreIntegerSetting(L"CurMonitor", 5);
    StoreIntegerSetting(L"EnableMultiMonitorMode", 0);
    HWND dialog = Open(Monitors::OneGroupOfTwo);
    EXPECT_EQ(::SendMessageW(Item(IDC_MONITOR_LIST), CB_GETCURSEL, 0, 0), 0);
    Click(dialog, IDOK);
    EXPECT_EQ(StoredSetting(L"CurMonitor"), L"2: 0");
}

TEST_F(SettingsDialogTest, MonitorChoiceWritesTheTreeAtOnceAndNotTheRegistry) {
    LiveMessageCatcher wallpaper;
    StoreIntegerSetting(L"EnableMultiMonitorMode", 1);
    HWND dialog = Open(Monitors::OneGroupOfTwo);
    wallpaper.Take();

    SelectComboEntry(dialog, IDC_MONITOR_LIST, 1);
    EXPECT_EQ(TreeInteger("EnableMultiMonitorMode"), 0);
    EXPECT_EQ(TreeInteger("CurMonitor"), 1);
    EXPECT_TRUE(Enabled(IDC_BLANK_SCREENS));

    SelectComboEntry(dialog, IDC_MONITOR_LIST, 2);
    EXPECT_EQ(TreeInteger("EnableMultiMonitorMode"), 1);
    EXPECT_EQ(TreeInteger("CurMonitor"), 0);
    EXPECT_FALSE(Enabled(IDC_BLANK_SCREENS));

    SelectComboEntry(dialog, IDC_MONITOR_LIST, 0);
    EXPECT_EQ(TreeInteger("EnableMultiMonitorMode"), 0);
    EXPECT_EQ(TreeInteger("CurMonitor"), 0);
    EXPECT_TRUE(Enabled(IDC_BLANK_SCREENS));

    EXPECT_TRUE(wallpaper.Take().empty());
    EXPECT_EQ(StoredSetting(L"EnableMultiMonitorMode"), L"2: 1");
    EXPECT_FALSE(StoredSetting(L"CurMonitor"));
}

TEST_F(SettingsDialogTest, BlankScreensBoxWritesTheTreeAtOnce) {
    LiveMessageCatcher wallpaper;
    HWND dialog = Open(Monitors::TwoAdapters);
    wallpaper.Take();
    ASSERT_TRUE(Checked(IDC_BLANK_SCREENS));
    Click(dialog, IDC_BLANK_SCREENS);
    EXPECT_EQ(TreeInteger("ShowBlackScreens"), 0);
    Click(dialog, IDC_BLANK_SCREENS);
    EXPECT_EQ(TreeInteger("ShowBlackScreens"), 1);
    EXPECT_TRUE(wallpaper.Take().empty());
    EXPECT_FALSE(StoredSetting(L"ShowBlackScreens"));
}

// Every text the dialog shows: its title, its controls' texts and the entries of its lists.
std::vector<std::wstring> ShownTexts(HWND dialog) {
    std::vector<std::wstring> texts{TextOf(dialog)};
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::vector<std::wstring> own = ClassNameOf(child) == L"ComboBox"
                                                  ? ComboTexts(child)
                                                  : std::vector<std::wstring>{Shown(TextOf(child))};
        texts.insert(texts.end(), own.begin(), own.end());
    }
    return texts;
}

TEST_F(SettingsDialogTest, EveryTextFollowsTheStoredLanguageAndFitsItsBox) {
    struct Case {
        const wchar_t *stored, *language, *title, *enableMusic, *musicLabel, *soundLabel;
        const wchar_t* sameWord; // besides "OK", a word that reads as in English
    };
    const Case cases[] = {
        {L"3: en", L"en", L"Quillmere - Taveny 3D Screensaver 1.0 Configuration", L"Enable music",
         L"Music volume: 100%", L"Sound volume: 100%", L""},
        {L"3: de", L"de", L"Quillmere - Taveny 3D Screensaver 1.0 Konfiguration", L"Musik aktivieren",
         L"Musik-Lautstärke: 100%", L"Lautstärke: 100%", L"Antialiasing"},
        {L"3: fr", L"fr", L"Configuration de Quillmere - Taveny 3D Screensaver 1.0", L"Valider la musique",
         L"Volume de la musique: 100%", L"Volume du son: 100%", L"Options"},
        {L"3: ru", L"ru", L"Настройки Quillmere - Taveny 3D Screensaver 1.0", L"Включить музыку",
         L"Уровень музыки: 100%", L"Уровень звуков: 100%", L""},
        {L"3: xx", L"en", L"Quillmere - Taveny 3D Screensaver 1.0 Configuration", L"Enable music",
         L"Music volume: 100%", L"Sound volume: 100%", L""},
    };
    std::vector<std::wstring> english;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Language " << c.language);
        StoreSetting(L"Language", c.stored);
        StoreIntegerSetting(L"MusicVolumePercentage", 100); // the widest label
        HWND dialog = Open(Monitors::OneGroupOfTwo);
        EXPECT_EQ(TextOf(dialog), c.title);
        EXPECT_EQ(Text(IDC_ENABLE_MUSIC), c.enableMusic);
        EXPECT_EQ(Text(IDC_MUSIC_VOLUME_LABEL), c.musicLabel);
        EXPECT_EQ(Text(IDC_SOUNDS_VOLUME_LABEL), c.soundLabel);
        ASSERT_NE(qm::CurrentStringTable(), nullptr);
        EXPECT_EQ(qm::CurrentStringTable()->CurrentLanguageTag(), c.language);
        EXPECT_EQ(text_fit::ClippedTextsReport(dialog), L"");
        EXPECT_EQ(qm::DpiOf(dialog), TestDpi());
        EXPECT_TRUE(FitsTheScreenOfItsScale(dialog));

        // No English left, but for those words, the monitors' names (the system's) and the sample counts.
        std::vector<std::wstring> same = {L"", L"OK", c.sameWord, L"2x", L"4x", L"8x"};
        for (uint32_t i = 0; i < dialog_->DisplaysForTesting().monitorCount; ++i)
            same.push_back(dialog_->DisplaysForTesting().monitors[i].monitorName);
        const std::vector<std::wstring> shown = ShownTexts(dialog);
        if (english.empty()) english = shown;
        ASSERT_EQ(shown.size(), english.size());
        for (size_t i = 0; i < shown.size() && c.language != std::wstring(L"en"); ++i)
            EXPECT_TRUE(shown[i] != english[i] || std::count(same.begin(), same.end(), shown[i])) << shown[i];
        TearDown();
    }
}

// Every function by keyboard, and a name for every control a screen reader reads, in each language: in
// the settings dialog and in the playlist editor it opens.
TEST_F(SettingsDialogTest, AccessKeysTabOrderAndNamesInEveryLanguage) {
    for (const std::wstring language : {L"en", L"de", L"fr", L"ru"}) {
        SCOPED_TRACE(testing::Message() << "Language " << language);
        StoreSetting(L"Language", L"3: " + language);
        HWND dialog = Open();
        qm::Node settings;
        qm::CPlaylistDlg editor(settings);
        HWND playlist = editor.Create(dialog);
        ::ShowWindow(playlist, SW_SHOWNORMAL);
        for (HWND window : {dialog, playlist})
            EXPECT_EQ(KeyboardFaults(window), L"");

        std::map<int, std::wstring> names = AccessibleNames(dialog);
        EXPECT_EQ(names[IDC_MONITOR_LIST], qm::Translate(L"Monitor selection"));
        for (int id : {IDC_ANTIALIASING_LIST, IDC_SOUNDS_VOLUME, IDC_MUSIC_VOLUME})
            EXPECT_NE(names[id], L"") << id;
        EXPECT_EQ(AccessibleNames(playlist)[IDC_PLAYLIST_VIEW], qm::Translate(L"Playlist"));

        // A label keeps its key as its number changes.
        const std::wstring key = AccessKeysOf(TextOf(Item(IDC_MUSIC_VOLUME_LABEL)));
        DragTrackbar(dialog, IDC_MUSIC_VOLUME, {40, 100});
        EXPECT_EQ(AccessKeysOf(TextOf(Item(IDC_MUSIC_VOLUME_LABEL))), key);
        editor.DestroyWindow();
        TearDown();
    }
}

} // namespace
