// The string table against the real system: the resource linked into this program, files, and windows.
#include "localisation/string_table.h"

#include "resource.h"
#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace qmtest;
using qm::StringTable;

namespace {

std::string Narrow(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
    return out;
}

std::string Utf8(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

const char kFileTable[] = "<Root><Languages><Language Tag=\"de\"/></Languages><TextBlock Tag=\"Dialog\">"
                          "<Var Tag=\"Options\"><String Lang=\"de\" Text=\"Aus der Datei\"/></Var>"
                          "</TextBlock></Root>\r\n";

TEST(StringTableResource, IsTheSourceFileAsRcdataInUsEnglish) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(IDR_STRING_TABLE_XML),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    std::string resource(bytes, ::SizeofResource(module, found));
    EXPECT_EQ(resource, ReadBinaryFile(SourceDir() + L"\\resources\\strings.xml"));
}

TEST(StringTableLoad, ReadsTheResourceWhenThereIsNoFile) {
    for (const std::string& fileName : {std::string(), std::string("C:\\no\\such\\strings.xml")}) {
        StringTable table;
        ASSERT_TRUE(table.Load(fileName, IDR_STRING_TABLE_XML));
        EXPECT_EQ(table.CurrentLanguageTag(), L"ru"); // the first language of the resource
        EXPECT_EQ(table.Translate(L"Cancel"), L"Отмена");
        ASSERT_TRUE(table.SelectLanguage(L"de"));
        EXPECT_EQ(table.Translate(L"Restore Defaults"), L"Zurücksetzen");
        EXPECT_TRUE(table.SelectTextBlock(L"Screensaver"));
    }
}

TEST(StringTableLoad, MissingResourceLoadsNothing) {
    StringTable table;
    EXPECT_FALSE(table.Load("", 12345));
    EXPECT_EQ(table.CurrentLanguageTag(), L"");
    EXPECT_FALSE(table.SelectLanguage(L"en"));
    EXPECT_EQ(table.Translate(L"Cancel"), L"Cancel");
}

TEST(StringTableLoad, AnExistingFileComesBeforeTheResource) {
    TempFolder folder;
    ASSERT_TRUE(WriteBinaryFile(folder / L"table.xml", kFileTable));
    StringTable table;
    ASSERT_TRUE(table.Load(Narrow(folder / L"table.xml"), IDR_STRING_TABLE_XML));
    EXPECT_EQ(table.CurrentLanguageTag(), L"de");
    EXPECT_EQ(table.Translate(L"Options"), L"Aus der Datei");
    // Nothing of the resource was added.
    EXPECT_FALSE(table.SelectLanguage(L"ru"));
    EXPECT_FALSE(table.SelectTextBlock(L"Screensaver"));
}

TEST(StringTableLoad, AFileThatDoesNotParseGivesWayToTheResource) {
    TempFolder folder;
    ASSERT_TRUE(WriteBinaryFile(folder / L"broken.xml", "<Root><Languages>"));
    ASSERT_TRUE(WriteBinaryFile(folder / L"empty.xml", ""));
    for (const std::wstring& path : {folder / L"broken.xml", folder / L"empty.xml", folder.path()}) {
        StringTable table;
        ASSERT_TRUE(table.Load(Narrow(path), IDR_STRING_TABLE_XML));
        ASSERT_TRUE(table.SelectLanguage(L"fr"));
        EXPECT_EQ(table.Translate(L"Remove"), L"Retirer");
    }
}

TEST(StringTableLoad, AFileThatParsesWithoutTheStructureLoadsNothing) {
    TempFolder folder;
    ASSERT_TRUE(WriteBinaryFile(folder / L"other.xml",
                                "<Other><Languages><Language Tag=\"de\"/></Languages></Other>"));
    StringTable table;
    EXPECT_FALSE(table.Load(Narrow(folder / L"other.xml"), IDR_STRING_TABLE_XML));
    EXPECT_EQ(table.CurrentLanguageTag(), L"");
    EXPECT_EQ(table.Translate(L"Cancel"), L"Cancel");
}

TEST(MakeCurrentStringTable, LoadsSelectsEnglishAndReplacesTheTableBefore) {
    StringTable& first = qm::MakeCurrentStringTable("", IDR_STRING_TABLE_XML);
    EXPECT_EQ(qm::CurrentStringTable(), &first);
    EXPECT_EQ(first.CurrentLanguageTag(), L"en");
    EXPECT_EQ(qm::Translate(L"Cancel"), L"Cancel");
    ASSERT_TRUE(first.SelectLanguage(L"de"));
    EXPECT_EQ(qm::Translate(L"Cancel"), L"Abbrechen");

    TempFolder folder;
    ASSERT_TRUE(WriteBinaryFile(folder / L"table.xml", kFileTable));
    StringTable& second = qm::MakeCurrentStringTable(Narrow(folder / L"table.xml"), IDR_STRING_TABLE_XML);
    EXPECT_EQ(qm::CurrentStringTable(), &second);
    EXPECT_EQ(second.CurrentLanguageTag(), L"de"); // the file lacks English
    EXPECT_EQ(qm::Translate(L"Options"), L"Aus der Datei");
    EXPECT_EQ(qm::Translate(L"Cancel"), L"Cancel");

    // A missing resource still leaves a table, one that translates nothing.
    StringTable& empty = qm::MakeCurrentStringTable("", 12345);
    EXPECT_EQ(qm::CurrentStringTable(), &empty);
    EXPECT_EQ(qm::Translate(L"Options"), L"Options");
    qm::ResetCurrentStringTable();
}

// Windows made by the test, destroyed with it.
class TranslateWindowTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (top_) ::DestroyWindow(top_);
    }

    HWND Make(HWND parent, const std::wstring& text) {
        HWND window = ::CreateWindowExW(0, L"STATIC", text.c_str(), parent ? WS_CHILD : WS_OVERLAPPEDWINDOW,
                                        0, 0, 100, 20, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(window, nullptr);
        if (!parent) top_ = window;
        return window;
    }

    static std::wstring Text(HWND window) {
        std::wstring text(4096, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), 4096)));
        return text;
    }

    bool LoadTable(const std::wstring& vars) {
        std::string document = "<Root><Languages><Language Tag=\"en\"/><Language Tag=\"de\"/></Languages>"
                               "<TextBlock Tag=\"Dialog\">" +
                               Utf8(vars) + "</TextBlock></Root>";
        return table_.LoadFromMemory(document.data(), document.size()) && table_.SelectLanguage(L"de");
    }

    static std::wstring Var(const std::wstring& key, const std::wstring& german) {
        return L"<Var Tag=\"" + key + L"\"><String Lang=\"de\" Text=\"" + german + L"\"/></Var>";
    }

    StringTable table_;
    HWND top_ = nullptr;
};

TEST_F(TranslateWindowTest, OwnTextAndDirectChildrenButNotGrandchildren) {
    ASSERT_TRUE(LoadTable(Var(L"Options", L"Optionen") + Var(L"Enable sounds", L"Sounds aktivieren") +
                          Var(L"Enable music", L"Musik aktivieren") + Var(L"Remove", L"")));
    HWND top = Make(nullptr, L"Options");
    HWND sounds = Make(top, L"Enable sounds");
    HWND group = Make(top, L"Not a key");
    HWND music = Make(top, L"Enable music");
    HWND grandchild = Make(group, L"Enable music");
    HWND remove = Make(top, L"Remove");
    HWND blank = Make(top, L"");

    table_.TranslateWindow(top);
    EXPECT_EQ(Text(top), L"Optionen");
    EXPECT_EQ(Text(sounds), L"Sounds aktivieren");
    EXPECT_EQ(Text(group), L"Not a key");
    EXPECT_EQ(Text(music), L"Musik aktivieren");
    EXPECT_EQ(Text(grandchild), L"Enable music");
    EXPECT_EQ(Text(remove), L""); // found, with an empty translation
    EXPECT_EQ(Text(blank), L"");
}

TEST_F(TranslateWindowTest, TextsAreReadUpTo1022Characters) {
    const std::wstring exact(1022, L'e');
    const std::wstring oneMore = std::wstring(1022, L'f') + L"F";
    const std::wstring longer = std::wstring(1022, L'g') + L"-and-some-more";
    ASSERT_TRUE(LoadTable(Var(exact, L"exact") + Var(oneMore, L"one more") + Var(longer, L"whole") +
                          Var(std::wstring(1022, L'g'), L"cut")));
    HWND top = Make(nullptr, L"top");
    HWND exactWindow = Make(top, exact);
    HWND oneMoreWindow = Make(top, oneMore);
    HWND longerWindow = Make(top, longer);

    table_.TranslateWindow(top);
    EXPECT_EQ(Text(exactWindow), L"exact");
    // Read cut short, the text no longer equals its key and stays as it was.
    EXPECT_EQ(Text(oneMoreWindow), oneMore);
    // The cut text is what is looked up: an entry for it answers.
    EXPECT_EQ(Text(longerWindow), L"cut");
}

TEST_F(TranslateWindowTest, WindowsWithoutATableEntryKeepTheirText) {
    StringTable empty;
    HWND top = Make(nullptr, L"Options");
    HWND child = Make(top, L"Cancel");
    empty.TranslateWindow(top);
    EXPECT_EQ(Text(top), L"Options");
    EXPECT_EQ(Text(child), L"Cancel");

    // A destroyed window is a bad handle: nothing happens.
    HWND gone = Make(top, L"Cancel");
    ::DestroyWindow(gone);
    ASSERT_TRUE(LoadTable(Var(L"Cancel", L"Abbrechen")));
    table_.TranslateWindow(gone);
    table_.TranslateWindow(top);
    EXPECT_EQ(Text(child), L"Abbrechen");
}

TEST_F(TranslateWindowTest, ShippedTableTranslatesToEachLanguage) {
    StringTable table;
    ASSERT_TRUE(table.Load("", IDR_STRING_TABLE_XML));
    ASSERT_TRUE(table.SelectTextBlock(qm::kSettingsDialogTextBlock));
    struct Case {
        const wchar_t *language, *title, *button;
    };
    for (const Case& c :
         {Case{L"en", L"Playlist", L"Shuffle"}, Case{L"ru", L"Плейлист", L"Перемешивание"},
          Case{L"de", L"Playliste", L"Zufällige Wiedergabe"}, Case{L"fr", L"Liste", L"Ordre aléatoire"}}) {
        ASSERT_TRUE(table.SelectLanguage(c.language));
        HWND top = Make(nullptr, L"Playlist");
        HWND button = Make(top, L"Shuffle");
        table.TranslateWindow(top);
        EXPECT_EQ(Text(top), c.title);
        EXPECT_EQ(Text(button), c.button);
        ::DestroyWindow(top);
        top_ = nullptr;
    }
}

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::vector<HWND> DirectChildren(HWND window) {
    std::vector<HWND> children;
    for (HWND child = ::GetTopWindow(window); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// The dialogs are translated through their template texts: each one must be a key of the table, except
// the texts that code replaces (the title and the volume labels, translated through their formats).
TEST(DialogTemplates, EveryTextIsAKeyOfTheSettingsBlock) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    StringTable table;
    ASSERT_TRUE(table.Load("", IDR_STRING_TABLE_XML));
    ASSERT_TRUE(table.SelectTextBlock(qm::kSettingsDialogTextBlock));
    const std::vector<std::wstring> setByCode = {L"Quillmere - Taveny 3D Screensaver Configuration",
                                                 L"Sounds volume: 100%", L"Music volume: 100%"};
    for (int id : {IDD_PLAYLIST, IDD_SETTINGS}) {
        HWND dialog = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr,
                                           PassiveDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << id << " error " << ::GetLastError();
        std::vector<HWND> windows = DirectChildren(dialog);
        windows.insert(windows.begin(), dialog);
        int checked = 0;
        for (HWND window : windows) {
            std::wstring text = TextOf(window), translation;
            if (text.empty() || std::find(setByCode.begin(), setByCode.end(), text) != setByCode.end())
                continue;
            EXPECT_TRUE(table.Lookup(text, translation)) << "dialog " << id << ": no entry for a text";
            ++checked;
        }
        EXPECT_GE(checked, id == IDD_SETTINGS ? 19 : 6);
        ::DestroyWindow(dialog);
    }
}

} // namespace
