// The install-directory lookup and the autostart command, against the real registry views of the test
// prefix (the lookup reads the 64-bit view only); the stand-in main program that other tests rely on.
#include "launcher/main_program.h"
#include "launcher/modes.h"
#include "localisation/string_table.h"

#include "settings_dialog_support.h"
#include "standin_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace qmtest;

namespace {

class InstallDirectory : public ::testing::Test {
  protected:
    void SetUp() override { install_.ClearAll(); }
    SavedInstallRecords install_;
};

TEST_F(InstallDirectory, AppPathComesFirstAndBuildsTheQuotedCommandWithTheWallpaperSwitch) {
    // Recorded directories are taken as they stand: no existence test, nothing trimmed.
    ASSERT_TRUE(install_.appPath.SetText(L"C:\\Nowhere\\Quillmere"));
    ASSERT_TRUE(install_.screensaverLocation64.SetText(L"D:\\Other"));
    EXPECT_EQ(qm::ReadInstallDirectory(), L"C:\\Nowhere\\Quillmere");
    EXPECT_EQ(qm::BuildAutostartCommand(),
              L"\"C:\\Nowhere\\Quillmere\\Quillmere - Taveny 3D Screensaver.exe\" /w");
}

TEST_F(InstallDirectory, WithoutAppPathTheSixtyFourBitInstallLocationIsUsed) {
    ASSERT_TRUE(install_.screensaverLocation64.SetText(L"D:\\Inst\\"));
    ASSERT_TRUE(install_.screensaverLocation32.SetText(L"E:\\Redirected"));
    EXPECT_EQ(qm::ReadInstallDirectory(), L"D:\\Inst\\");
    EXPECT_EQ(qm::BuildAutostartCommand(), L"\"D:\\Inst\\\\Quillmere - Taveny 3D Screensaver.exe\" /w");

    // A zero-length AppPath is no AppPath.
    ASSERT_TRUE(install_.appPath.SetRaw(REG_SZ, nullptr, 0));
    EXPECT_EQ(qm::ReadInstallDirectory(), L"D:\\Inst\\");
}

TEST_F(InstallDirectory, NothingRecordedWhereTheLookupReadsGivesNoCommand) {
    // Only places the lookup does not read: the redirected copies and the combined package.
    ASSERT_TRUE(install_.screensaverLocation32.SetText(L"E:\\Redirected"));
    ASSERT_TRUE(install_.combinedLocation64.SetText(L"F:\\Combined"));
    ASSERT_TRUE(install_.combinedLocation32.SetText(L"F:\\Combined"));
    ASSERT_TRUE(install_.appPath.SetRaw(REG_SZ, nullptr, 0));
    EXPECT_EQ(qm::ReadInstallDirectory(), L"");
    EXPECT_EQ(qm::BuildAutostartCommand(), L"");

    install_.ClearAll();
    EXPECT_EQ(qm::BuildAutostartCommand(), L"");
}

// The run mode's messages, "caption|text", one row per language (English: tests/e2e/run_test.cpp). The
// string table is made for a message only: a main program that starts leaves none behind.
TEST(RunModeMessages, ShowInTheStoredLanguage) {
    struct Row {
        const wchar_t *stored, *notFound, *cannotStart;
    };
    const Row rows[] = {
        {L"3: ru", L"Ошибка!|Основной файл не найден. Пожалуйста, переустановите скринсейвер.",
         L"Ошибка!|Не удалось запустить скринсейвер. Пожалуйста, попробуйте перезагрузить компьютер."},
        {L"3: de",
         L"Fehler!|Die Hauptdatei wurde nicht gefunden. Bitte installieren Sie den Bildschirmschoner neu.",
         L"Fehler!|Der Bildschirmschoner konnte nicht gestartet werden. Bitte versuchen Sie, Ihren Computer "
         L"neu zu starten."},
        {L"3: fr",
         L"Erreur!|Le fichier principal est introuvable. Veuillez réinstaller l’économiseur d’écran.",
         L"Erreur!|Impossible de démarrer l’économiseur d’écran. Veuillez essayer de redémarrer votre "
         L"ordinateur."},
    };
    ScratchRegistry registry;
    TempFolder empty, installed;
    ASSERT_FALSE(CopyStandInTo(installed.path()).empty());
    ScopedEnvironment brief(L"QM_STANDIN_SECONDS", L"0.1");
    // The run mode from folder with the recorded AppPath: what its message box said, or nothing.
    auto run = [](const std::wstring& appPath, const std::wstring& folder) {
        StoreSetting(L"AppPath", appPath);
        ::SetCurrentDirectoryW(folder.c_str());
        qm::ResetCurrentStringTable();
        BoxText().clear();
        ModalAnswer answer(nullptr, &ReadAndCloseBox);
        qm::LaunchMainProgram();
        return BoxText();
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "Language " << row.stored);
        StoreSetting(L"Language", row.stored);
        EXPECT_EQ(run(L"", empty.path()), row.notFound);
        // Found in the current folder, but the recorded working directory is gone.
        EXPECT_EQ(run(empty / L"gone", installed.path()), row.cannotStart);
        EXPECT_EQ(run(installed.path(), empty.path()), L"");
        EXPECT_EQ(qm::CurrentStringTable(), nullptr);
    }
    ::SetCurrentDirectoryW(BuildDir().c_str()); // out of the folders, so that they can go
}

TEST(StandIn, WallpaperWindowRecordsEachLiveMessage) {
    StandInLog log;
    ChildProcess standIn = StartStandIn(L"/w");
    ASSERT_TRUE(standIn.started());
    ASSERT_TRUE(log.WaitFor(L"window", 20000));
    const UINT id = ::RegisterWindowMessageW(L"ChangeWallpaperSettingsQuillmere - Taveny");
    EXPECT_EQ(log.First(L"message-id")->field(0), std::to_wstring(id));
    HWND window = WaitForWindowOf(
        standIn.pid(), [](HWND w) { return ClassNameOf(w) == L"Direct3D Window"; }, 5000);
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, id, 1, 40);
    ::PostMessageW(window, id, 6, 4);
    ASSERT_TRUE(PollUntil([&] { return log.Records(L"live").size() == 2; }, 5000));
    EXPECT_EQ(log.Records(L"live")[0].fields, (std::vector<std::wstring>{L"1", L"40"}));
    EXPECT_EQ(log.Records(L"live")[1].fields, (std::vector<std::wstring>{L"6", L"4"}));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(standIn.WaitExit(10000));
    EXPECT_EQ(log.First(L"end")->field(0), L"closed");
}

TEST(StandIn, ScreensaverWindowEndsOnARealMoveOrAKeyButNotOnASmallJitter) {
    StandInLog log;
    ScopedEnvironment noLimit(L"QM_STANDIN_SECONDS", nullptr);
    for (UINT ending : {static_cast<UINT>(WM_MOUSEMOVE), static_cast<UINT>(WM_KEYDOWN)}) {
        ChildProcess standIn = StartStandIn(L"");
        ASSERT_TRUE(standIn.started());
        ASSERT_TRUE(log.WaitFor(L"window", 20000, standIn.pid()));
        HWND window = reinterpret_cast<HWND>(
            static_cast<INT_PTR>(std::stoll(log.First(L"window", standIn.pid())->field(0))));
        // The window covers the screen from its origin: client and screen positions agree.
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
        ::PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x + 2, cursor.y + 1));
        EXPECT_FALSE(standIn.WaitExit(300));
        ::PostMessageW(window, ending, ending == WM_KEYDOWN ? VK_SPACE : 0,
                       MAKELPARAM(cursor.x + 200, cursor.y + 200));
        ASSERT_TRUE(standIn.WaitExit(5000));
        EXPECT_EQ(log.First(L"end", standIn.pid())->field(0), L"input");
    }
}

TEST(StandIn, DumpShowsTheSettingsKeyAsTheMainProgramSeesIt) {
    SavedRegistryValue playlist(HKEY_LOCAL_MACHINE, kSettingsKey, L"PlayList", KEY_WOW64_64KEY);
    ASSERT_TRUE(playlist.SetText(L"C:\\Music\\a.mp3\nC:\\Music\\b%.ogg\n"));
    bool sawValue = false;
    std::wstring listed;
    for (const StandInRecord& r : DumpSettingsAsMainProgram()) {
        if (r.kind == L"playlist") listed = r.field(0);
        if (r.kind == L"value" && r.field(0) == L"PlayList") sawValue = r.field(1) == L"1";
    }
    EXPECT_TRUE(sawValue);
    EXPECT_EQ(listed, L"C:\\Music\\a.mp3\nC:\\Music\\b%.ogg\n");
}

} // namespace
