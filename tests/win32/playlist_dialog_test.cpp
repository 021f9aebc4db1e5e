// The playlist editor made from its real template, driven as a user drives it, with the system's
// open-file dialog answered by a prepared buffer and the registry redirected to scratch keys.
#include "playlist/playlist_dialog.h"
#include "launcher/elevation.h"

#include "localisation/string_table.h"
#include "platform/dpi.h"
#include "playlist/open_file_names.h"
#include "settings/node.h"
#include "settings/product.h"

#include "dialog_template.h"
#include "settings_dialog_support.h"
#include "test_support.h"
#include "text_fit.h"
#include "tree_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cderr.h>
#include <commctrl.h>

#include <memory>
#include <optional>

using namespace qm;
using namespace qmtest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Entries = std::vector<std::wstring>;
const std::wstring N(1, L'\0');

// The open-file dialog's stand-in: answers with the prepared buffer and keeps what it was asked.
struct OpenFileAnswer {
    BOOL result = TRUE;
    bool neverFits = false; // "buffer too small", whatever the size offered
    std::wstring buffer;
    WORD fileOffset = 0;
    int calls = 0;
    OPENFILENAMEW request{};
    std::wstring filter;
    std::vector<wchar_t> fileBufferSeen; // the whole buffer as the dialog was given it
};
OpenFileAnswer g_answer;

BOOL FakeOpenFileDialog(OPENFILENAMEW* request, DWORD* error) {
    ++g_answer.calls;
    g_answer.request = *request;
    const wchar_t* f = request->lpstrFilter;
    std::size_t length = 0;
    while (f && !(f[length] == 0 && f[length + 1] == 0))
        ++length;
    g_answer.filter.assign(f, f ? length + 2 : 0);
    g_answer.fileBufferSeen.assign(request->lpstrFile, request->lpstrFile + request->nMaxFile);
    if (!g_answer.result) return FALSE;
    if (g_answer.buffer.size() > request->nMaxFile || g_answer.neverFits) {
        // As documented: the size needed, in the first two bytes of the buffer (so cut to 16 bits).
        request->lpstrFile[0] = static_cast<wchar_t>(g_answer.buffer.size() & 0xFFFF);
        *error = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::copy(g_answer.buffer.begin(), g_answer.buffer.end(), request->lpstrFile);
    request->nFileOffset = g_answer.fileOffset;
    return TRUE;
}

void AnswerOneFile(const std::wstring& path) {
    g_answer.result = TRUE;
    g_answer.buffer = path + N;
    g_answer.fileOffset = static_cast<WORD>(path.rfind(L'\\') + 1);
}

void AnswerFiles(const std::wstring& directory, const Entries& names) {
    g_answer.result = TRUE;
    g_answer.buffer = directory + N;
    g_answer.fileOffset = static_cast<WORD>(directory.size() + 1);
    for (const auto& name : names)
        g_answer.buffer += name + N;
    g_answer.buffer += N;
}

std::wstring RowText(HWND list, int row) {
    std::vector<wchar_t> text(4096, L'\0');
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text.data();
}

// The stored playlist's text (a REG_SZ, up to its first NUL), and its raw form, for presence and size.
std::optional<std::wstring> StoredPlaylist() {
    return StoredSetting(L"PlayList");
}
std::optional<RawValue> RawStoredPlaylist() {
    return ReadRawValue(HKEY_LOCAL_MACHINE, SettingsKeyPath, L"PlayList");
}

void StorePlaylist(const std::wstring& text) {
    StoreSetting(L"PlayList", text);
}

class PlaylistEditor : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
    void SetUp() override {
        ResetCurrentStringTable();
        g_answer = OpenFileAnswer{};
        for (const wchar_t* name : {L"0.mp3", L"1.mp3", L"2.mp3", L"3.mp3"}) {
            ASSERT_TRUE(WriteBinaryFile(music_ / name, "ID3"));
        }
    }
    void TearDown() override {
        if (dialog_ && dialog_->IsWindow()) dialog_->DestroyWindow();
        dialog_.reset();
        ResetCurrentStringTable();
    }

    HWND Open() {
        dialog_ = std::make_unique<CPlaylistDlg>(settings_);
        HWND window = dialog_->Create(nullptr);
        EXPECT_NE(window, nullptr);
        // Shown, so that ending it (EndDialog hides a modeless dialog) can be seen.
        ::ShowWindow(window, SW_SHOWNORMAL);
        EXPECT_TRUE(::IsWindowVisible(window));
        list_ = ::GetDlgItem(window, IDC_PLAYLIST_VIEW);
        EXPECT_NE(list_, nullptr);
        return window;
    }
    void Click(int id) const { ::SendMessageW(::GetDlgItem(dialog_->handle(), id), BM_CLICK, 0, 0); }
    int RowCount() const { return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }
    Entries Rows() const {
        Entries rows;
        for (int i = 0; i < RowCount(); ++i)
            rows.push_back(RowText(list_, i));
        return rows;
    }
    // As a user selects rows: these rows, and no other.
    void Select(const std::vector<int>& rows) const {
        LVITEMW none{};
        none.stateMask = LVIS_SELECTED;
        ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
        for (int row : rows) {
            LVITEMW item{};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            ::SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
    }
    // The selected rows, and the focused one (-1 for none).
    std::vector<int> Selected() const {
        std::vector<int> rows;
        for (int row = 0; row < RowCount(); ++row)
            if (::SendMessageW(list_, LVM_GETITEMSTATE, row, LVIS_SELECTED)) rows.push_back(row);
        return rows;
    }
    int Focused() const { return static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)); }
    // A key pressed in the list, with Ctrl held or not.
    void Key(WORD key, bool control = false) const {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = control ? 0x80 : 0;
        ::SetKeyboardState(keys);
        ::SendMessageW(list_, WM_KEYDOWN, key, 0);
    }
    // Rows and entries must always agree; returns the entries.
    Entries InStep() const {
        EXPECT_EQ(Rows(), dialog_->PlaylistEntries());
        return dialog_->PlaylistEntries();
    }
    std::wstring Music(int i) const { return music_ / (std::to_wstring(i) + L".mp3"); }
    bool Ended() const { return !::IsWindowVisible(dialog_->handle()); }

    ScratchRegistry registry_;
    ScopedSeam<std::function<BOOL(OPENFILENAMEW*, DWORD*)>> openFile_{qm::SetOpenFileDialogForTesting,
                                                                      &FakeOpenFileDialog};
    TempFolder music_;
    Node settings_;
    std::unique_ptr<CPlaylistDlg> dialog_;
    HWND list_ = nullptr;
};

} // namespace

TEST_F(PlaylistEditor, OpensWithTheStoredEntriesThatStillExistInOrder) {
    StorePlaylist(Music(2) + L"\n" + music_ / L"gone.mp3" + L"\n" + Music(0) + L"\r\n" + Music(0) + L"\n\n#" +
                  Music(1) + L"\n" + Music(3));
    Open();
    // The line with a carriage return names nothing; the same path on its own line does.
    EXPECT_THAT(InStep(), ElementsAre(Music(2), Music(0), Music(3)));

    // One column, as wide as the long sample text plus a margin of 15 pixels at 96 DPI, at any scale.
    const std::wstring sample = L"FileName" + std::wstring(98, L' ');
    const int expected = static_cast<int>(
        ::SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(sample.c_str())));
    EXPECT_GT(expected, 15);
    EXPECT_EQ(qm::DpiOf(dialog_->handle()), TestDpi());
    EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0), expected + ::MulDiv(15, TestDpi(), 96));
    MoveToDpi(dialog_->handle(), 192);
    EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0), expected + 30);
    wchar_t columnText[200] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = columnText;
    column.cchTextMax = 200;
    ASSERT_TRUE(::SendMessageW(list_, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(columnText, sample);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    EXPECT_FALSE(::SendMessageW(list_, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
}

TEST_F(PlaylistEditor, OpensEmptyWithoutAStoredPlaylistAndLeavesItAlone) {
    Open();
    EXPECT_THAT(InStep(), IsEmpty());
    EXPECT_FALSE(RawStoredPlaylist());
}

TEST_F(PlaylistEditor, ShuffleBoxFollowsTheTreeAndWritesIntoIt) {
    Open();
    EXPECT_EQ(::SendDlgItemMessageW(dialog_->handle(), IDC_SHUFFLE, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(settings_.Has(L"ShufflePlayList", ValueKind::Integer)); // opening adds nothing
    dialog_->DestroyWindow();

    settings_.Get(L"ShufflePlayList") = NodeValue(int32_t{1});
    Open();
    EXPECT_EQ(::SendDlgItemMessageW(dialog_->handle(), IDC_SHUFFLE, BM_GETCHECK, 0, 0), BST_CHECKED);
    Click(IDC_SHUFFLE);
    ASSERT_TRUE(settings_.Has(L"ShufflePlayList", ValueKind::Integer));
    EXPECT_EQ(settings_.Get(L"ShufflePlayList").AsInteger(), 0);
    Click(IDC_SHUFFLE);
    EXPECT_EQ(settings_.Get(L"ShufflePlayList").AsInteger(), 1);
    Click(IDC_SHUFFLE);
    // The editor's Cancel does not undo it: the value lives in the settings dialog's record.
    Click(IDCANCEL);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(settings_.Get(L"ShufflePlayList").AsInteger(), 0);
    EXPECT_FALSE(RawStoredPlaylist());
}

TEST_F(PlaylistEditor, AddAsksTheOpenFileDialogAsTheSystemExpects) {
    Open();
    AnswerOneFile(Music(1));
    Click(IDC_ADD_FILES);
    ASSERT_EQ(g_answer.calls, 1);
    const OPENFILENAMEW& r = g_answer.request;
    EXPECT_EQ(r.lStructSize, sizeof(void*) == 8 ? 152u : 88u); // the whole structure, with its tail
    EXPECT_EQ(r.hwndOwner, dialog_->handle());
    EXPECT_EQ(r.nFilterIndex, 1u);
    EXPECT_EQ(r.nMaxFile, 65535u);
    EXPECT_EQ(r.nMaxFileTitle, 261u);
    EXPECT_NE(r.lpstrFileTitle, nullptr);
    EXPECT_EQ(r.Flags, 0x81A00u);
    EXPECT_EQ(r.lpstrDefExt, nullptr);
    EXPECT_EQ(r.lpstrCustomFilter, nullptr);
    EXPECT_EQ(r.lpstrInitialDir, nullptr);
    EXPECT_EQ(r.lpstrTitle, nullptr);
    EXPECT_EQ(r.lpfnHook, nullptr);
    EXPECT_EQ(r.lpTemplateName, nullptr);
    EXPECT_EQ(g_answer.filter, PlaylistOpenFileFilter([](const std::wstring& t) { return t; }));
    ASSERT_EQ(g_answer.fileBufferSeen.size(), 65535u);
    EXPECT_EQ(std::count(g_answer.fileBufferSeen.begin(), g_answer.fileBufferSeen.end(), L'\0'), 65535);
    EXPECT_THAT(InStep(), ElementsAre(Music(1)));

    // A selection beyond the buffer: the dialog is asked again with the size it reported, though that
    // size needs more than the 16 bits it is reported in, and every chosen file is added.
    const Entries many(3000, L"a rather long name of a track.mp3");
    AnswerFiles(music_.path(), many);
    const std::size_t needed = g_answer.buffer.size();
    ASSERT_GT(needed, 65536u);
    Click(IDC_ADD_FILES);
    EXPECT_EQ(g_answer.calls, 3);
    EXPECT_EQ(g_answer.request.nMaxFile, needed);
    EXPECT_EQ(InStep().size(), 3001u);
    EXPECT_EQ(dialog_->PlaylistEntries().back(), music_ / many.back());

    // 5,000 names need more than twice the first buffer: the size asked for still comes from the
    // dialog's report, and every name arrives.
    AnswerFiles(music_.path(), Entries(5000, L"a rather long name of another track.mp3"));
    ASSERT_GT(g_answer.buffer.size(), 2 * 65535u);
    Click(IDC_ADD_FILES);
    EXPECT_EQ(g_answer.request.nMaxFile, g_answer.buffer.size());
    EXPECT_EQ(InStep().size(), 8001u);

    // Cancel shows the dialog once; a dialog that keeps answering "buffer too small" is shown eight
    // times, then no more. Neither adds anything.
    g_answer.calls = 0;
    g_answer.result = FALSE;
    Click(IDC_ADD_FILES);
    EXPECT_EQ(g_answer.calls, 1);
    g_answer.result = TRUE;
    g_answer.neverFits = true;
    Click(IDC_ADD_FILES);
    EXPECT_EQ(g_answer.calls, 1 + 8);
    EXPECT_EQ(InStep().size(), 8001u);
}

TEST_F(PlaylistEditor, RowsAndEntriesStayInStepThroughAddsAndRemoves) {
    StorePlaylist(Music(0) + L"\n");
    Open();
    // One file, several files with playlists among them (expanded in place), the same file again.
    ASSERT_TRUE(WriteBinaryFile(music_ / L"list.m3u", "#EXTM3U\r\n3.mp3\r\n2.mp3\r\n"));
    ASSERT_TRUE(WriteBinaryFile(music_ / L"Q.M3U", "0.mp3\r\n"));
    AnswerOneFile(Music(1));
    Click(IDC_ADD_FILES);
    AnswerFiles(music_.path(), {L"2.mp3", L"list.m3u", L"Q.M3U", L"1.mp3"});
    Click(IDC_ADD_FILES);
    EXPECT_THAT(InStep(), ElementsAre(Music(0), Music(1), Music(2), Music(3), Music(2), Music(0), Music(1)));

    // A cancelled dialog adds nothing.
    g_answer.result = FALSE;
    Click(IDC_ADD_FILES);
    EXPECT_EQ(InStep().size(), 7u);

    // Remove with no selection changes nothing; rows 1 and 2 of 0..3 leave the former 0 and 3.
    Select({});
    Click(IDC_REMOVE_FILES);
    EXPECT_EQ(InStep().size(), 7u);
    Select({1, 2, 4, 5, 6});
    Click(IDC_REMOVE_FILES);
    EXPECT_THAT(InStep(), ElementsAre(Music(0), Music(3)));
    Select({0, 1});
    Click(IDC_REMOVE_FILES);
    EXPECT_THAT(InStep(), IsEmpty());
    AnswerOneFile(Music(3));
    Click(IDC_ADD_FILES);
    EXPECT_THAT(InStep(), ElementsAre(Music(3)));
}

// The editor by keys alone: the focus starts on the list, Delete removes, Ctrl+A selects all; after a
// removal the next row is selected and focused, ready for the next key; added rows are selected and shown.
TEST_F(PlaylistEditor, WorksByKeyboard) {
    StorePlaylist(Music(0) + L"\n" + Music(1) + L"\n" + Music(2) + L"\n" + Music(3) + L"\n");
    HWND dialog = Open();
    HWND remove = ::GetDlgItem(dialog, IDC_REMOVE_FILES);
    EXPECT_EQ(::GetFocus(), list_);
    EXPECT_FALSE(::IsWindowEnabled(remove));
    Key(VK_DELETE);
    Key('A');
    EXPECT_EQ(InStep().size(), 4u);
    EXPECT_THAT(Selected(), IsEmpty());
    Key('A', true);
    EXPECT_THAT(Selected(), ElementsAre(0, 1, 2, 3));
    EXPECT_TRUE(::IsWindowEnabled(remove));

    Select({1, 2});
    Key(VK_DELETE);
    EXPECT_THAT(InStep(), ElementsAre(Music(0), Music(3)));
    EXPECT_THAT(Selected(), ElementsAre(1));
    EXPECT_EQ(Focused(), 1);
    Key(VK_DELETE); // the last row: the row before it takes over
    EXPECT_THAT(InStep(), ElementsAre(Music(0)));
    EXPECT_THAT(Selected(), ElementsAre(0));
    EXPECT_EQ(Focused(), 0);
    // Remove, pressed for the last row, is disabled then: the keyboard goes on from the list.
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(remove), TRUE);
    Click(IDC_REMOVE_FILES);
    EXPECT_THAT(InStep(), IsEmpty());
    EXPECT_FALSE(::IsWindowEnabled(remove));
    EXPECT_EQ(::GetFocus(), list_);

    AnswerFiles(music_.path(), Entries(40, L"0.mp3"));
    Click(IDC_ADD_FILES);
    AnswerFiles(music_.path(), {L"1.mp3", L"2.mp3"});
    Click(IDC_ADD_FILES);
    EXPECT_THAT(Selected(), ElementsAre(40, 41));
    EXPECT_EQ(Focused(), 40);
    const LRESULT top = ::SendMessageW(list_, LVM_GETTOPINDEX, 0, 0);
    EXPECT_TRUE(top <= 40 && top + ::SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0) >= 42) << top;
}

namespace {

// A list view that refuses every new number of rows (the list shows the entries, and keeps only their
// number), as one short of memory would.
WNDPROC g_listProc = nullptr;
int g_refusals = 0;

LRESULT CALLBACK RefusingListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != LVM_SETITEMCOUNT) return ::CallWindowProcW(g_listProc, window, message, wParam, lParam);
    ++g_refusals;
    return FALSE;
}

} // namespace

TEST_F(PlaylistEditor, ANumberOfRowsTheListViewRefusesChangesNothing) {
    StorePlaylist(Music(0) + L"\n" + Music(1) + L"\n" + Music(2) + L"\n" + Music(3) + L"\n");
    Open();
    g_refusals = 0;
    g_listProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefusingListProc)));
    ASSERT_NE(g_listProc, nullptr);
    Select({0, 1, 3});
    Click(IDC_REMOVE_FILES);
    AnswerOneFile(Music(1));
    Click(IDC_ADD_FILES);
    ::SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
    EXPECT_EQ(g_refusals, 2);
    EXPECT_THAT(InStep(), ElementsAre(Music(0), Music(1), Music(2), Music(3)));
    // Removing again, now that the list view takes the number, works as usual.
    Select({0, 1, 3});
    Click(IDC_REMOVE_FILES);
    EXPECT_THAT(InStep(), ElementsAre(Music(2)));
}

TEST_F(PlaylistEditor, SeveralFilesInADriveRootAndNamesStartingWithU4E00) {
    Open();
    AnswerFiles(L"C:\\", {L"a.mp3", L"b.mp3"});
    Click(IDC_ADD_FILES);
    AnswerFiles(L"D:\\Music", {L"a.mp3", L"\u4E00b.mp3", L"c.mp3"});
    Click(IDC_ADD_FILES);
    EXPECT_THAT(InStep(), ElementsAre(L"C:\\a.mp3", L"C:\\b.mp3", L"D:\\Music\\a.mp3",
                                      L"D:\\Music\\\u4E00b.mp3", L"D:\\Music\\c.mp3"));
}

TEST_F(PlaylistEditor, OkStoresTheListOrShowsTheErrorAndStaysOpen) {
    StorePlaylist(Music(0) + L"\n" + Music(1) + L"\n");
    Open();
    // A name beyond ASCII, read from an .m3u written in the system's code page.
    const std::wstring dont = music_ / L"Don\u2019t Stop.mp3";
    ASSERT_TRUE(WriteBinaryFile(dont, "ID3"));
    ASSERT_TRUE(WriteBinaryFile(music_ / L"mix.m3u",
                                "#EXTM3U\r\n" + InAnsiCodePage(L"Don\u2019t Stop.mp3") + "\r\n1.mp3\r\n"));
    AnswerOneFile(music_ / L"mix.m3u");
    Click(IDC_ADD_FILES);
    Click(IDOK);
    EXPECT_TRUE(Ended());
    const std::wstring text = Music(0) + L"\n" + Music(1) + L"\n" + dont + L"\n" + Music(1) + L"\n";
    EXPECT_EQ(StoredPlaylist(), text);

    // What was stored opens again as it was.
    dialog_->DestroyWindow();
    Open();
    EXPECT_THAT(InStep(), ElementsAre(Music(0), Music(1), dont, Music(1)));

    // OK when the list cannot be stored: the registry error box, owned by the editor, which stays open.
    auto locked = std::make_unique<DeniedKey>(HKEY_LOCAL_MACHINE, SettingsKeyPath, KEY_SET_VALUE);
    ASSERT_TRUE(locked->applied());
    Select({0});
    Click(IDC_REMOVE_FILES);
    BoxText().clear();
    ModalAnswer answer(dialog_->handle(), &ReadAndCloseBox);
    Click(IDOK);
    ASSERT_TRUE(answer.answered()) << "no error box owned by the editor";
    EXPECT_EQ(BoxText(),
              L"Error!|Error writing to the system registry. Please NOTE: You need to have sufficient "
              L"administrative rights to run this program successfully.");
    EXPECT_FALSE(Ended());
    EXPECT_EQ(StoredPlaylist(), text);
    EXPECT_THAT(InStep(), ElementsAre(Music(1), dont, Music(1)));
    // Where the user can elevate, the same OK stores the list through the elevated instance.
    {
        ScopedSeam seam(
            qm::SetElevationForTesting, [] { return TokenElevationTypeLimited; },
            AgreedElevation([&] { locked.reset(); }));
        Click(IDOK);
    }
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StoredPlaylist(), Music(1) + L"\n" + dont + L"\n" + Music(1) + L"\n");
}

TEST_F(PlaylistEditor, OkWithAnEmptyListStoresTheEmptyText) {
    StorePlaylist(Music(0) + L"\n");
    Open();
    Select({0});
    Click(IDC_REMOVE_FILES);
    Click(IDOK);
    EXPECT_EQ(StoredPlaylist(), L"");
    const std::optional<RawValue> raw = RawStoredPlaylist();
    ASSERT_TRUE(raw);
    EXPECT_LE(raw->bytes, 2u); // nothing, or the terminator alone
}

TEST_F(PlaylistEditor, CancelCloseBoxAndEscapeStoreNothing) {
    const std::wstring before = Music(0) + L"\n" + music_ / L"gone.mp3" + L"\n";
    StorePlaylist(before);
    for (int way = 0; way < 3; ++way) {
        Open();
        AnswerOneFile(Music(1));
        Click(IDC_ADD_FILES);
        Select({0});
        Click(IDC_REMOVE_FILES);
        EXPECT_THAT(InStep(), ElementsAre(Music(1)));
        if (way == 0) Click(IDCANCEL);
        if (way == 1) ::SendMessageW(dialog_->handle(), WM_CLOSE, 0, 0);
        if (way == 2) ::SendMessageW(dialog_->handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_TRUE(Ended()) << way;
        EXPECT_EQ(StoredPlaylist(), before) << way; // even the dropped entry stays
        dialog_->DestroyWindow();
    }
}

TEST_F(PlaylistEditor, OtherNotificationsOfTheButtonsDoNothing) {
    Open();
    AnswerOneFile(Music(1));
    for (int id : {IDOK, IDCANCEL, IDC_ADD_FILES}) {
        ::SendMessageW(dialog_->handle(), WM_COMMAND, MAKEWPARAM(id, BN_SETFOCUS),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog_->handle(), id)));
    }
    EXPECT_FALSE(Ended());
    EXPECT_EQ(g_answer.calls, 0);
    EXPECT_FALSE(RawStoredPlaylist());
}

namespace {

CPlaylistDlg* g_modal = nullptr;
UINT g_modalCommand = 0;

int g_ticks = 0;

// Presses once the dialog exists; should the press not end it, ends it with 99 rather than hang.
void CALLBACK PressWhenOpen(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_modal || !g_modal->handle()) return;
    if (++g_ticks > 100) {
        ::KillTimer(nullptr, timer);
        ::EndDialog(g_modal->handle(), 99);
    } else if (g_ticks == 1 && g_modalCommand == WM_CLOSE) {
        ::PostMessageW(g_modal->handle(), WM_CLOSE, 0, 0);
    } else if (g_ticks == 1) {
        ::PostMessageW(g_modal->handle(), WM_COMMAND, MAKEWPARAM(g_modalCommand, BN_CLICKED), 0);
    }
}

} // namespace

TEST_F(PlaylistEditor, ModalRunEndsWithZeroEveryWay) {
    for (UINT command : {UINT{IDOK}, UINT{IDCANCEL}, UINT{WM_CLOSE}}) {
        CPlaylistDlg modal(settings_);
        g_modal = &modal;
        g_modalCommand = command;
        StorePlaylist(Music(2) + L"\n" + Music(3));
        g_ticks = 0;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &PressWhenOpen);
        EXPECT_EQ(modal.DoModal(nullptr), 0) << command;
        ::KillTimer(nullptr, timer);
        g_modal = nullptr;
        EXPECT_EQ(StoredPlaylist(),
                  command == IDOK ? Music(2) + L"\n" + Music(3) + L"\n" : Music(2) + L"\n" + Music(3))
            << command;
    }
}

TEST_F(PlaylistEditor, TextsInTheFourLanguages) {
    struct Expected {
        const char* language;
        const wchar_t* caption;
        const wchar_t* cancel;
        const wchar_t* add;
        const wchar_t* remove;
        const wchar_t* shuffle;
        const wchar_t* allFiles;
        const wchar_t* playlistFiles;
    };
    const Expected languages[] = {
        {"en", L"Playlist", L"Cancel", L"Add...", L"Remove", L"Shuffle", L"All supported files",
         L"Playlist Files"},
        {"de", L"Playliste", L"Abbrechen", L"Hinzuf\u00FCgen...", L"Entfernen", L"Zuf\u00E4llige Wiedergabe",
         L"Alle unterst\u00FCtzten Dateien", L"Playliste-Dateien"},
        {"fr", L"Liste", L"Annuler", L"Ajouter...", L"Retirer", L"Ordre al\u00E9atoire",
         L"Tout les fichiers support\u00E9s", L"Fichiers de la liste"},
        {"ru", L"\u041F\u043B\u0435\u0439\u043B\u0438\u0441\u0442", L"\u041E\u0442\u043C\u0435\u043D\u0430",
         L"\u0414\u043E\u0431\u0430\u0432\u0438\u0442\u044C...",
         L"\u0423\u0434\u0430\u043B\u0438\u0442\u044C",
         L"\u041F\u0435\u0440\u0435\u043C\u0435\u0448\u0438\u0432\u0430\u043D\u0438\u0435",
         L"\u0412\u0441\u0435 "
         L"\u043F\u043E\u0434\u0434\u0435\u0440\u0436\u0438\u0432\u0430\u0435\u043C\u044B\u0435 "
         L"\u0444\u043E\u0440\u043C\u0430\u0442\u044B",
         L"\u0424\u0430\u0439\u043B\u044B \u043F\u043B\u0435\u0439\u043B\u0438\u0441\u0442\u043E\u0432"},
    };
    for (const auto& expected : languages) {
        StringTable& table = MakeCurrentStringTable("no such file.xml", IDR_STRING_TABLE_XML);
        // Another block selected beforehand: the editor selects its own.
        table.SelectTextBlock(L"Screensaver");
        ASSERT_TRUE(table.SelectLanguage(WideFromUtf8(expected.language)));
        HWND window = Open();
        EXPECT_EQ(TextOf(window), expected.caption) << expected.language;
        EXPECT_EQ(TextOf(::GetDlgItem(window, IDOK)), L"OK");
        EXPECT_EQ(Shown(TextOf(::GetDlgItem(window, IDCANCEL))), expected.cancel);
        EXPECT_EQ(Shown(TextOf(::GetDlgItem(window, IDC_ADD_FILES))), expected.add);
        EXPECT_EQ(Shown(TextOf(::GetDlgItem(window, IDC_REMOVE_FILES))), expected.remove);
        EXPECT_EQ(Shown(TextOf(::GetDlgItem(window, IDC_SHUFFLE))), expected.shuffle);
        EXPECT_EQ(text_fit::ClippedTextsReport(window), L"");
        EXPECT_TRUE(FitsTheScreenOfItsScale(window));
        AnswerOneFile(Music(0));
        Click(IDC_ADD_FILES);
        const std::wstring filter = g_answer.filter;
        EXPECT_EQ(filter.substr(0, filter.find(L'\0')),
                  std::wstring(expected.allFiles) +
                      L" (*.m3u,*.m3u8,*.pls;*.mp3;*.wma;*.aac;*.ogg;*.flac;*.wav;*.mid)");
        EXPECT_NE(filter.find(N + expected.playlistFiles + L" (*.m3u,*.m3u8,*.pls)" + N +
                              L"*.m3u;*.m3u8;*.pls" + N + L"MP3 (*.mp3)"),
                  std::wstring::npos)
            << expected.language;
        dialog_->DestroyWindow();
    }
}

TEST_F(PlaylistEditor, TenThousandTracksAndThePathOfTheLongestLength) {
    Open();
    std::string lines = "#EXTM3U\r\n";
    for (int i = 0; i < 10000; ++i)
        lines += "#EXTINF:200,Track\r\n" + std::to_string(i % 4) + ".mp3\r\n";
    ASSERT_TRUE(WriteBinaryFile(music_ / L"ten thousand.m3u", lines));
    AnswerOneFile(music_ / L"ten thousand.m3u");
    Click(IDC_ADD_FILES);
    EXPECT_EQ(InStep().size(), 10000u);
    EXPECT_EQ(dialog_->PlaylistEntries()[9999], Music(3));

    LVITEMW all{};
    all.stateMask = LVIS_SELECTED;
    all.state = LVIS_SELECTED;
    ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
    Click(IDC_REMOVE_FILES);
    EXPECT_THAT(InStep(), IsEmpty());

    // A path of the longest plain length, chosen, stored and opened again.
    std::wstring folder = music_.path();
    while (folder.size() + 101 + 20 < MAX_PATH) {
        folder += L"\\" + std::wstring(100, L'd');
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    const std::wstring longest =
        folder + L"\\" + std::wstring(MAX_PATH - 1 - folder.size() - 5, L'n') + L".mp3";
    ASSERT_EQ(longest.size(), static_cast<std::size_t>(MAX_PATH - 1));
    ASSERT_TRUE(WriteBinaryFile(longest, "ID3"));
    AnswerOneFile(longest);
    Click(IDC_ADD_FILES);
    EXPECT_EQ(InStep().back(), longest);
    // What the stored playlist cannot hold is not added, and the user is told at once: a name longer than a
    // stored line may be, and the songs of a list beyond the playlist's length. What fits, OK stores.
    const std::size_t fit = (kMaxPlaylistChars - PlaylistText(InStep()).size()) / (longest.size() + 1);
    std::string tooMany;
    for (std::size_t i = 0; i < fit + 3; ++i)
        tooMany += InAnsiCodePage(longest) + "\r\n";
    ASSERT_TRUE(WriteBinaryFile(music_ / L"too long.m3u", tooMany));
    const std::wstring tooLongName = L"C:\\" + std::wstring(kMaxPlaylistLine - 2, L'n');
    for (auto [chosen, refused] : {std::pair{tooLongName, 1}, {music_ / L"too long.m3u", 3}}) {
        AnswerOneFile(chosen);
        BoxText().clear();
        {
            ModalAnswer answer(dialog_->handle(), &ReadAndCloseBox);
            Click(IDC_ADD_FILES);
        }
        EXPECT_EQ(BoxText(),
                  L"Error!|" + std::to_wstring(refused) +
                      L" of the chosen files were not added: the playlist is full, or their names are "
                      L"too long.");
    }
    const Entries kept = InStep();
    ASSERT_EQ(kept.size(), fit + 1);
    Click(IDOK);
    dialog_->DestroyWindow();
    Open();
    EXPECT_EQ(InStep(), kept);
}

TEST(PlaylistTemplate, ControlsAsTheUserMeetsThem) {
    const std::optional<DialogTemplate> t = ReadDialogTemplate(IDD_PLAYLIST);
    ASSERT_TRUE(t) << "no extended template";
    EXPECT_EQ(t->style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                                           DS_FIXEDSYS | DS_CENTER));
    EXPECT_EQ(t->exStyle, static_cast<DWORD>(WS_EX_TOOLWINDOW));
    EXPECT_EQ(t->caption, L"Playlist");
    EXPECT_EQ(t->pointSize, 8);
    EXPECT_EQ(t->font, L"MS Shell Dlg");
    EXPECT_THAT(ControlsOutside(*t), IsEmpty());

    // One column of paths without a header, several rows selectable at once (no LVS_SINGLESEL), the rows
    // shown from the editor's entries.
    const DWORD listStyle = LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS |
                            LVS_OWNERDATA | WS_BORDER | WS_TABSTOP;
    ExpectControls(*t, {
                           {IDOK, L"Button", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP},
                           {IDCANCEL, L"Button", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP},
                           {-1, L"Static", L"Playlist", SS_LEFT, 0, false},
                           {IDC_PLAYLIST_VIEW, L"SysListView32", L"", listStyle},
                           {IDC_ADD_FILES, L"Button", L"Add...", BS_PUSHBUTTON | WS_TABSTOP},
                           {IDC_REMOVE_FILES, L"Button", L"Remove", BS_PUSHBUTTON | WS_TABSTOP},
                           {-1, L"Button", L"", BS_GROUPBOX},
                           {IDC_SHUFFLE, L"Button", L"Shuffle", BS_AUTOCHECKBOX | WS_TABSTOP},
                       });
    EXPECT_THAT(TabOrder(*t),
                ElementsAre(IDOK, IDCANCEL, IDC_PLAYLIST_VIEW, IDC_ADD_FILES, IDC_REMOVE_FILES, IDC_SHUFFLE));
}
