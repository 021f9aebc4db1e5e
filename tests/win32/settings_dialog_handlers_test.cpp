// The settings dialog's handlers, in-process with the real template: what each control change enables
// and sends to a running wallpaper, and what OK, Cancel and Restore Defaults leave in the registry.
#include "settings/product.h"

#include "settings_dialog_fixture.h"

#include <string>

using namespace qmtest;

namespace {

const std::vector<LiveMessage> kNothing;

// The seven codes in the order Cancel and Restore Defaults send them, with the values of the controls.
std::vector<LiveMessage> AllSeven(int antialiasing, int musicVolume, int music, int soundsVolume,
                                  int sounds) {
    return {{6, antialiasing}, {1, musicVolume}, {2, music}, {3, soundsVolume}, {4, sounds}, {0, 0}, {5, 0}};
}

TEST_F(SettingsDialogTest, EnableMusicSwitchesItsControlsAndSendsCodeTwo) {
    LiveMessageCatcher wallpaper;
    StoreIntegerSetting(L"UsePlaylist", 1);
    HWND dialog = Open();
    ASSERT_TRUE(wallpaper.Take().empty()) << "initialisation sends nothing";

    Click(dialog, IDC_ENABLE_MUSIC);
    EXPECT_EQ(wallpaper.Take(), (std::vector<LiveMessage>{{2, 0}}));
    for (int id : {IDC_MUSIC_VOLUME, IDC_MUSIC_VOLUME_LABEL, IDC_PLAY_MY_MUSIC, IDC_EDIT_PLAYLIST})
        EXPECT_FALSE(Enabled(id)) << id;

    Click(dialog, IDC_ENABLE_MUSIC);
    EXPECT_EQ(wallpaper.Take(), (std::vector<LiveMessage>{{2, 1}}));
    for (int id : {IDC_MUSIC_VOLUME, IDC_MUSIC_VOLUME_LABEL, IDC_PLAY_MY_MUSIC, IDC_EDIT_PLAYLIST})
        EXPECT_TRUE(Enabled(id)) << id;

    // "Play my music" only decides whether the playlist can be edited; the wallpaper hears nothing.
    Click(dialog, IDC_PLAY_MY_MUSIC);
    EXPECT_FALSE(Enabled(IDC_EDIT_PLAYLIST));
    Click(dialog, IDC_ENABLE_MUSIC);
    Click(dialog, IDC_ENABLE_MUSIC);
    EXPECT_FALSE(Enabled(IDC_EDIT_PLAYLIST)) << "music back on, playlist still off";
    Click(dialog, IDC_PLAY_MY_MUSIC);
    EXPECT_TRUE(Enabled(IDC_EDIT_PLAYLIST));
    EXPECT_EQ(wallpaper.Take(), (std::vector<LiveMessage>{{2, 0}, {2, 1}}));
}

TEST_F(SettingsDialogTest, EnableSoundsAndRunAtStartup) {
    LiveMessageCatcher wallpaper;
    HWND dialog = Open();
    wallpaper.Take();
    Click(dialog, IDC_ENABLE_SOUNDS);
    EXPECT_FALSE(Enabled(IDC_SOUNDS_VOLUME));
    EXPECT_FALSE(Enabled(IDC_SOUNDS_VOLUME_LABEL));
    Click(dialog, IDC_ENABLE_SOUNDS);
    EXPECT_TRUE(Enabled(IDC_SOUNDS_VOLUME));
    EXPECT_EQ(wallpaper.Take(), (std::vector<LiveMessage>{{4, 0}, {4, 1}}));

    const bool before = Checked(IDC_RUN_AT_STARTUP);
    Click(dialog, IDC_RUN_AT_STARTUP);
    EXPECT_NE(Checked(IDC_RUN_AT_STARTUP), before);
    EXPECT_EQ(wallpaper.Take(), kNothing);
    EXPECT_FALSE(StoredRunEntry()) << "the Run entry waits for OK";
}

TEST_F(SettingsDialogTest, AntialiasingSendsTheChosenCountOrOff) {
    LiveMessageCatcher wallpaper;
    StoreIntegerSetting(L"Antialiasing", 0);
    HWND dialog = Open(Monitors::One, {2, 4, 8});
    wallpaper.Take();
    SelectComboEntry(dialog, IDC_ANTIALIASING_LIST, 2); // 8x
    EXPECT_EQ(wallpaper.Take(), kNothing) << "choosing a count sends nothing by itself";
    Click(dialog, IDC_ANTIALIASING);
    EXPECT_TRUE(Enabled(IDC_ANTIALIASING_LIST));
    EXPECT_TRUE(Enabled(IDC_ANTIALIASING_LABEL));
    Click(dialog, IDC_ANTIALIASING);
    EXPECT_FALSE(Enabled(IDC_ANTIALIASING_LIST));
    EXPECT_FALSE(Enabled(IDC_ANTIALIASING_LABEL));
    EXPECT_EQ(wallpaper.Take(), (std::vector<LiveMessage>{{6, 8}, {6, 0}}));
}

TEST_F(SettingsDialogTest, AntialiasingWithoutSupportedCountsMeansOnWithoutACount) {
    LiveMessageCatcher wallpaper;
    StoreIntegerSetting(L"Antialiasing", 0);
    HWND dialog = Open(Monitors::One, {});
    wallpaper.Take();
    Click(dialog, IDC_ANTIALIASING);
    EXPECT_EQ(wallpaper.Take(), (std::vector<LiveMessage>{{6, 1}}));
    Click(dialog, IDOK);
    EXPECT_EQ(StoredSetting(L"Antialiasing"), L"2: 1");
}

TEST_F(SettingsDialogTest, DraggingATrackbarSendsOneMessagePerNotification) {
    LiveMessageCatcher wallpaper;
    HWND dialog = Open();
    wallpaper.Take();
    DragTrackbar(dialog, IDC_MUSIC_VOLUME, {20, 21, 35});
    EXPECT_EQ(wallpaper.Take(), (std::vector<LiveMessage>{{1, 20}, {1, 21}, {1, 35}, {1, 35}}));
    EXPECT_EQ(Text(IDC_MUSIC_VOLUME_LABEL), L"Music volume: 35%");

    DragTrackbar(dialog, IDC_SOUNDS_VOLUME, {0});
    EXPECT_EQ(wallpaper.Take(), (std::vector<LiveMessage>{{3, 0}, {3, 0}}));
    EXPECT_EQ(Text(IDC_SOUNDS_VOLUME_LABEL), L"Sound volume: 0%");

    // A scroll message from anything but the two trackbars is not ours.
    ::SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 5), reinterpret_cast<LPARAM>(Item(IDOK)));
    ::SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 5), 0);
    EXPECT_EQ(wallpaper.Take(), kNothing);
    EXPECT_EQ(TreeInteger("MusicVolumePercentage"), 15) << "the tree waits for OK";
}

TEST_F(SettingsDialogTest, OkWritesTheTypedValuesAndTheRunEntry) {
    StoreSetting(L"AppPath", L"C:\\Quillmere");
    StoreSetting(L"UnknownToUs", L"2: 77");
    StoreSetting(L"FontScaling", L"2: 60");
    StoreIntegerSetting(L"Antialiasing", 0); // so that the click below turns it on
    HWND dialog = Open(Monitors::One, {2, 4});
    Click(dialog, IDC_RUN_AT_STARTUP); // no Run value yet, so it starts unchecked
    ASSERT_TRUE(Checked(IDC_RUN_AT_STARTUP));
    DragTrackbar(dialog, IDC_MUSIC_VOLUME, {40});
    DragTrackbar(dialog, IDC_SOUNDS_VOLUME, {55});
    Click(dialog, IDC_ENABLE_SOUNDS);
    Click(dialog, IDC_EXIT_ON_MOUSE);
    Click(dialog, IDC_PLAY_MY_MUSIC);
    Click(dialog, IDC_ANTIALIASING);
    SelectComboEntry(dialog, IDC_ANTIALIASING_LIST, 1); // 4x

    Click(dialog, IDOK);
    EXPECT_FALSE(::IsWindowVisible(dialog)) << "OK ends the dialog";
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"MusicVolumePercentage", L"2: 40"}, {L"SoundsVolumePercentage", L"2: 55"},
        {L"DisableSound", L"2: 1"},           {L"DisableMusic", L"2: 0"},
        {L"DisableOnMouseActivate", L"2: 0"}, {L"UsePlaylist", L"2: 1"},
        {L"Antialiasing", L"2: 4"},           {L"HighQualityGraphics", L"2: 0"},
        {L"HighQualityTextures", L"2: 0"},    {L"ShowBlackScreens", L"2: 1"},
        {L"EnableMultiMonitorMode", L"2: 1"}, {L"FontScaling", L"2: 60"},
        {L"UnknownToUs", L"2: 77"},           {L"AppPath", L"C:\\Quillmere"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(StoredSetting(name), text) << name;
    EXPECT_EQ(StoredRunEntry(), L"\"C:\\Quillmere\\Quillmere - Taveny 3D Screensaver.exe\" /w");
}

TEST_F(SettingsDialogTest, OkWithRunAtStartupOffLeavesAnEmptyRunValue) {
    StoreSetting(L"AppPath", L"C:\\Quillmere");
    StoreRunEntry(L"\"C:\\Quillmere\\Quillmere - Taveny 3D Screensaver.exe\" /w");
    HWND dialog = Open();
    ASSERT_TRUE(Checked(IDC_RUN_AT_STARTUP));
    Click(dialog, IDC_RUN_AT_STARTUP);
    Click(dialog, IDOK);
    EXPECT_EQ(StoredRunEntry(), L"");

    // Again with the value already empty: it stays, empty.
    Open();
    ASSERT_FALSE(Checked(IDC_RUN_AT_STARTUP));
    Click(dialog_->handle(), IDOK);
    EXPECT_EQ(StoredRunEntry(), L"");
}

TEST_F(SettingsDialogTest, RestoreDefaultsThenCancelSendsTheStoredValuesAndWritesNothing) {
    LiveMessageCatcher wallpaper;
    StoreSetting(L"AppPath", L"C:\\Quillmere");
    StoreIntegerSetting(L"MusicVolumePercentage", 70);
    StoreIntegerSetting(L"SoundsVolumePercentage", 20);
    StoreIntegerSetting(L"DisableMusic", 1);
    StoreIntegerSetting(L"DisableSound", 1);
    StoreIntegerSetting(L"Antialiasing", 4);
    StoreIntegerSetting(L"CurMonitor", 1);
    StoreIntegerSetting(L"EnableMultiMonitorMode", 0);
    StoreIntegerSetting(L"ShowBlackScreens", 0);
    const std::vector<std::wstring> before = AllStoredSettings();
    HWND dialog = Open(Monitors::OneGroupOfTwo, {2, 4, 8, 16});
    ASSERT_EQ(ComboSelectedText(Item(IDC_MONITOR_LIST)),
              dialog_->DisplaysForTesting().monitors[1].monitorName);
    wallpaper.Take();

    Click(dialog, IDC_RESTORE_DEFAULTS);
    // The machine's facts give Antialiasing 1: on, with no chosen count, so the list shows its top entry.
    EXPECT_EQ(TreeInteger("Antialiasing"), 1);
    const int antialiasing = 16;
    EXPECT_EQ(wallpaper.Take(), AllSeven(antialiasing, 15, 1, 100, 1));
    EXPECT_EQ(Position(IDC_MUSIC_VOLUME), 15);
    EXPECT_EQ(Text(IDC_MUSIC_VOLUME_LABEL), L"Music volume: 15%");
    EXPECT_TRUE(Checked(IDC_ENABLE_MUSIC));
    EXPECT_EQ(ComboSelectedText(Item(IDC_MONITOR_LIST)), L"Multi-monitor");
    EXPECT_TRUE(Checked(IDC_BLANK_SCREENS));
    EXPECT_EQ(TreeInteger("CurMonitor"), 1) << "the defaults leave the monitor alone";
    EXPECT_EQ(AllStoredSettings(), before);

    Click(dialog, IDCANCEL);
    EXPECT_FALSE(::IsWindowVisible(dialog));
    // Cancel puts the wallpaper back to what is stored, not to the defaults shown.
    EXPECT_EQ(wallpaper.Take(), AllSeven(4, 70, 0, 20, 0));
    EXPECT_EQ(AllStoredSettings(), before);
    EXPECT_FALSE(StoredRunEntry());
}

TEST_F(SettingsDialogTest, CancelAndCloseRevertControlsAndWallpaper) {
    LiveMessageCatcher wallpaper;
    StoreIntegerSetting(L"MusicVolumePercentage", 70);
    StoreIntegerSetting(L"Antialiasing", 8);
    const std::vector<std::wstring> before = AllStoredSettings();
    for (UINT how : {UINT(IDCANCEL), UINT(WM_CLOSE)}) {
        HWND dialog = Open(Monitors::One, {2, 4, 8});
        wallpaper.Take();
        DragTrackbar(dialog, IDC_MUSIC_VOLUME, {10});
        Click(dialog, IDC_ENABLE_SOUNDS);
        wallpaper.Take();
        if (how == WM_CLOSE)
            ::SendMessageW(dialog, WM_CLOSE, 0, 0);
        else
            Click(dialog, IDCANCEL);
        EXPECT_EQ(wallpaper.Take(), AllSeven(8, 70, 1, 100, 1)) << how;
        EXPECT_EQ(Position(IDC_MUSIC_VOLUME), 70);
        EXPECT_FALSE(::IsWindowVisible(dialog));
        EXPECT_EQ(AllStoredSettings(), before);
        TearDown();
    }
}

std::wstring& OpenedPage() {
    static std::wstring page;
    return page;
}
void RecordPage(const std::wstring& address) {
    OpenedPage() = address;
}

TEST_F(SettingsDialogTest, VisitOpensTheSiteOfTheInterfaceLanguage) {
    ScopedSeam seam(qm::SetOpenWebPageForTesting, &RecordPage);
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"3: de", L"https://www.quillmere-taveny.com/de/"},
        {L"3: fr", L"https://www.quillmere-taveny.com/fr/"},
        {L"3: ru", L"https://www.quillmere-taveny.com/ru/"},
        {L"3: en", L"https://www.quillmere-taveny.com/"},
        {L"3: it", L"https://www.quillmere-taveny.com/"},
    };
    for (const auto& [language, site] : cases) {
        StoreSetting(L"Language", language);
        OpenedPage().clear();
        HWND dialog = Open();
        Click(dialog, IDC_VISIT);
        EXPECT_EQ(OpenedPage(), std::wstring(site) + L"?source=quillmeretaveny&url=settings_more")
            << language;
        TearDown();
    }
}

// The playlist editor, answered from a timer inside its modal loop: Shuffle flipped, then OK.
void FlipShuffleAndConfirm(HWND editor) {
    ::SendMessageW(::GetDlgItem(editor, IDC_SHUFFLE), BM_CLICK, 0, 0);
    ::SendMessageW(::GetDlgItem(editor, IDOK), BM_CLICK, 0, 0);
}

TEST_F(SettingsDialogTest, ShuffleFromThePlaylistEditorReachesTheRegistryOnlyWithOk) {
    for (int settingsButton : {IDCANCEL, IDOK}) {
        StoreIntegerSetting(L"UsePlaylist", 1);
        StoreIntegerSetting(L"ShufflePlayList", 1);
        HWND dialog = Open();
        ASSERT_TRUE(Enabled(IDC_EDIT_PLAYLIST));
        {
            ModalAnswer answer(dialog, &FlipShuffleAndConfirm);
            Click(dialog, IDC_EDIT_PLAYLIST);
            ASSERT_TRUE(answer.answered()) << "the playlist editor did not show owned by the dialog";
        }
        EXPECT_EQ(TreeInteger("ShufflePlayList"), 0);
        EXPECT_EQ(StoredSetting(L"ShufflePlayList"), L"2: 1") << "the editor's OK leaves the shuffle to ours";
        Click(dialog, settingsButton);
        EXPECT_EQ(StoredSetting(L"ShufflePlayList"), settingsButton == IDOK ? L"2: 0" : L"2: 1");
        TearDown();
    }
}

} // namespace

namespace {

UINT g_endWith = 0;
void EndModalDialog(HWND dialog) {
    if (g_endWith == WM_CLOSE)
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    else
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(g_endWith, BN_CLICKED), 0);
}

TEST_F(SettingsDialogTest, AModalRunEndsWithZeroHoweverItIsClosed) {
    machine_ = std::make_unique<TestMachine>(Monitors::One, std::vector<int>{2});
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    for (UINT how : {UINT(IDOK), UINT(IDCANCEL), UINT(WM_CLOSE)}) {
        g_endWith = how;
        qm::CSettingsDlg dialog;
        ModalAnswer answer(owner, &EndModalDialog);
        EXPECT_EQ(dialog.DoModal(owner), 0) << how;
        EXPECT_TRUE(answer.answered()) << how;
        EXPECT_FALSE(dialog.IsWindow());
        EXPECT_TRUE(::IsWindowEnabled(owner));
        PumpMessages(0);
    }
    ::DestroyWindow(owner);
}

} // namespace
