#include "playlist/playlist_dialog.h"

#include "localisation/format.h"
#include "localisation/string_table.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "playlist/open_file_names.h"
#include "playlist/playlist_file.h"
#include "settings/node.h"
#include "launcher/elevation.h"
#include "settings/playlist_store.h"

#include <cderr.h>
#include <commctrl.h>

namespace qm {
namespace {

constexpr DWORD kFileBufferChars = 65535;
constexpr DWORD kFileTitleChars = 261;
constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT;
static_assert(kOpenFlags == 0x81A00);
#ifndef _WIN64
static_assert(sizeof(OPENFILENAMEW) == 88, "the full structure, as the system expects it");
#endif

// Each new try shows the dialog again; after this many the user is not asked once more.
constexpr int kMaxOpenFileTries = 8;

std::function<BOOL(OPENFILENAMEW*, DWORD*)>& OpenFileDialogSeam() {
    static std::function<BOOL(OPENFILENAMEW*, DWORD*)> dialog;
    return dialog;
}

BOOL OpenFileDialog(OPENFILENAMEW* request, DWORD* error) {
    if (const auto& dialog = OpenFileDialogSeam()) return dialog(request, error);
    if (::GetOpenFileNameW(request)) return TRUE;
    *error = ::CommDlgExtendedError();
    return FALSE;
}

// Rows added or removed by the thousand would each repaint the list: hold the painting, then repaint once.
class RedrawSuspended {
  public:
    explicit RedrawSuspended(HWND listView) : listView_(listView) {
        ctl::Send(listView_, WM_SETREDRAW, FALSE);
    }
    ~RedrawSuspended() {
        ctl::Send(listView_, WM_SETREDRAW, TRUE);
        if (listView_) ::InvalidateRect(listView_, nullptr, TRUE);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

  private:
    HWND listView_;
};

// The column is wide enough for long paths; the header itself is hidden by the list view's style.
std::wstring ColumnText() {
    return L"FileName" + std::wstring(98, L' ');
}
// Beyond the text, at 96 DPI.
constexpr int kColumnMargin = 15;

} // namespace

void SetOpenFileDialogForTesting(std::function<BOOL(OPENFILENAMEW*, DWORD*)> dialog) {
    OpenFileDialogSeam() = std::move(dialog);
}

CPlaylistDlg::CPlaylistDlg(Node& settings) : settings_(settings) {}

void CPlaylistDlg::AddRow(const std::wstring& path) {
    // A row the list view refused would leave rows and entries out of step.
    if (ctl::ListViewInsertItem(listView_, static_cast<int>(entries_.size()), path) == -1) return;
    entries_.push_back(path);
}

// Only what both roads to the settings key store: the user hears at once of a path that the list cannot
// hold, not at OK, when the list could no longer be stored.
void CPlaylistDlg::AddRows(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    size_t chars = PlaylistText(entries_).size();
    int refused = 0;
    {
        RedrawSuspended quiet(listView_);
        ctl::ListViewSetItemCount(listView_, entries_.size() + paths.size(), LVSICF_NOINVALIDATEALL);
        for (const auto& path : paths) {
            if (CharacterCount(path) > kMaxPlaylistLine || chars + path.size() + 1 > kMaxPlaylistChars) {
                ++refused;
                continue;
            }
            chars += path.size() + 1;
            AddRow(path);
        }
    }
    if (refused == 0) return;
    const std::wstring text = FormatTranslated(
        L"%i of the chosen files were not added: the playlist is full, or their names are too long.",
        refused);
    ::MessageBoxW(hwnd_, text.c_str(), Translate(L"Error!").c_str(), MB_ICONERROR);
}

LRESULT CPlaylistDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    listView_ = GetDlgItem(IDC_PLAYLIST_VIEW);
    shuffleBox_ = GetDlgItem(IDC_SHUFFLE);

    ctl::ListViewInsertColumn(listView_, 0, ColumnText(), ColumnWidth(DpiOf(hwnd_)));

    std::vector<std::wstring> stored;
    ParsePlaylistText(std::wstring(), ReadStoredPlaylist(), stored);
    AddRows(stored);

    if (StringTable* table = CurrentStringTable()) {
        table->SelectTextBlock(kSettingsDialogTextBlock);
        table->TranslateWindow(hwnd_);
    }

    ctl::SetCheck(shuffleBox_, ShufflePlaylist(settings_));
    ctl::SetShield(GetDlgItem(IDOK), SaveNeedsElevation());
    return TRUE;
}

int CPlaylistDlg::ColumnWidth(UINT dpi) const {
    return ctl::ListViewStringWidth(listView_, ColumnText()) + ScaleToDpi(kColumnMargin, dpi);
}

LRESULT CPlaylistDlg::OnDpiChanged(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    // The dialog lays itself out and gives the list view its new font in the default handling, which
    // runs after this: the column is fitted once that is done.
    ::PostMessageW(hwnd_, kFitColumnMessage, LOWORD(wParam), 0);
    handled = FALSE;
    return 0;
}

LRESULT CPlaylistDlg::OnFitColumn(UINT, WPARAM wParam, LPARAM, BOOL&) {
    ctl::ListViewSetColumnWidth(listView_, 0, ColumnWidth(static_cast<UINT>(wParam)));
    return 0;
}

LRESULT CPlaylistDlg::OnAddFiles(WORD, WORD, HWND, BOOL&) {
    const std::wstring filter =
        PlaylistOpenFileFilter([](const std::wstring& text) { return Translate(text); });
    std::wstring fileBuffer(kFileBufferChars, L'\0');
    std::wstring titleBuffer(kFileTitleChars, L'\0');

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = hwnd_;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFileTitle = titleBuffer.data();
    request.nMaxFileTitle = kFileTitleChars;
    // No default extension: the system would append it to a name typed without one, and "*.*" made
    // such a name one that is never found.
    request.lpstrDefExt = nullptr;
    request.Flags = kOpenFlags;
    for (int tries = 1;; ++tries) {
        request.lpstrFile = fileBuffer.data();
        request.nMaxFile = static_cast<DWORD>(fileBuffer.size());
        DWORD error = 0;
        if (OpenFileDialog(&request, &error)) break;
        // A selection too large for the buffer: ask again with the size the dialog says it needs.
        if (error != FNERR_BUFFERTOOSMALL || tries == kMaxOpenFileTries) return 0;
        const std::size_t size =
            OpenFileRetryBufferChars(static_cast<std::uint16_t>(fileBuffer[0]), fileBuffer.size());
        if (size == 0) return 0;
        fileBuffer.assign(size, L'\0');
    }

    std::vector<std::wstring> added;
    for (const auto& chosen : ChosenFilePaths(fileBuffer, request.nFileOffset)) {
        for (auto& path : AddPlaylistPath(chosen))
            added.push_back(std::move(path));
    }
    AddRows(added);
    return 0;
}

LRESULT CPlaylistDlg::OnRemoveFiles(WORD, WORD, HWND, BOOL&) {
    if (ctl::ListViewSelectedCount(listView_) == 0) return 0;
    RedrawSuspended quiet(listView_);
    // Row i is asked again after a deletion: the next row has moved into its place.
    for (int i = 0; i < ctl::ListViewItemCount(listView_);) {
        if (!ctl::ListViewItemSelected(listView_, i)) {
            ++i;
            continue;
        }
        // A row the list view keeps stays with its entry; asking again would never end.
        if (!ctl::ListViewDeleteItem(listView_, i)) {
            ++i;
            continue;
        }
        if (static_cast<std::size_t>(i) < entries_.size()) entries_.erase(entries_.begin() + i);
    }
    return 0;
}

LRESULT CPlaylistDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(0);
    return 0;
}

LRESULT CPlaylistDlg::OnOk(WORD, WORD, HWND, BOOL&) {
    // A list that could not be stored would be lost on closing: stay open, so the user can still cancel
    // or try again.
    const std::wstring text = PlaylistText(entries_);
    StoreRequest request;
    request.playlist = text;
    if (!WriteStoredPlaylist(text) && !StoreAfterFailedWrite(hwnd_, request)) return 0;
    EndDialog(0);
    return 0;
}

LRESULT CPlaylistDlg::OnShuffleClicked(WORD, WORD, HWND, BOOL&) {
    SetShufflePlaylist(settings_, ctl::GetCheck(shuffleBox_));
    return 0;
}

LRESULT CPlaylistDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    EndDialog(0);
    return 0;
}

} // namespace qm
