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

#include <algorithm>
#include <cwchar>

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

// Rows added, removed or selected by the thousand would each repaint the list and each have their notice
// answered: the painting is held and the notices let pass, then the list repaints once.
class BulkChange {
  public:
    BulkChange(HWND listView, bool& inBulk) : listView_(listView), inBulk_(inBulk) {
        inBulk_ = true;
        ctl::Send(listView_, WM_SETREDRAW, FALSE);
    }
    ~BulkChange() {
        ctl::Send(listView_, WM_SETREDRAW, TRUE);
        if (listView_) ::InvalidateRect(listView_, nullptr, TRUE);
        inBulk_ = false;
    }
    BulkChange(const BulkChange&) = delete;
    BulkChange& operator=(const BulkChange&) = delete;

  private:
    HWND listView_;
    bool& inBulk_;
};

// Keeps the entries not marked, in their order, in one pass.
void EraseMarked(std::vector<std::wstring>& entries, const std::vector<bool>& marked) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (marked[i]) continue;
        if (kept != i) entries[kept] = std::move(entries[i]);
        ++kept;
    }
    entries.resize(kept);
}

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

// Only what both roads to the settings key store: the user hears at once of a path that the list cannot
// hold, not at OK, when the list could no longer be stored.
void CPlaylistDlg::AddRows(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    const std::size_t before = entries_.size();
    std::size_t chars = PlaylistText(entries_).size();
    for (const auto& path : paths) {
        if (CharacterCount(path) > kMaxPlaylistLine || chars + path.size() + 1 > kMaxPlaylistChars) continue;
        chars += path.size() + 1;
        entries_.push_back(path);
    }
    const int refused = static_cast<int>(paths.size() - (entries_.size() - before));
    // The list view holds only the number of rows: the time a list of any length takes to show is that of
    // the rows in view. A number it refused would leave rows and entries out of step.
    if (!ctl::ListViewSetItemCount(listView_, entries_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL))
        entries_.resize(before);
    if (refused == 0) return;
    const std::wstring text = FormatTranslated(
        L"%i of the chosen files were not added: the playlist is full, or their names are too long.",
        refused);
    ::MessageBoxW(hwnd_, text.c_str(), Translate(L"Error!").c_str(), MB_ICONERROR);
}

LRESULT CPlaylistDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    listView_ = GetDlgItem(IDC_PLAYLIST_VIEW);
    shuffleBox_ = GetDlgItem(IDC_SHUFFLE);
    removeButton_ = GetDlgItem(IDC_REMOVE_FILES);

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
    EnableRemove();
    // The list comes first in reading order; OK first would end the editor at a hasty Enter.
    ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(listView_), TRUE);
    return FALSE;
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
    const int first = ctl::ListViewItemCount(listView_);
    AddRows(added);
    if (ctl::ListViewItemCount(listView_) > first) SelectOnly(first, ctl::ListViewItemCount(listView_));
    return 0;
}

LRESULT CPlaylistDlg::OnRemoveFiles(WORD, WORD, HWND, BOOL&) {
    RemoveSelectedRows();
    return 0;
}

void CPlaylistDlg::RemoveSelectedRows() {
    // One pass over the selection and one over the entries; the list view, which keeps no rows, only
    // hears the new number.
    const std::vector<int> selected = ctl::ListViewSelectedRows(listView_);
    std::vector<bool> removed(entries_.size(), false);
    std::size_t count = 0;
    for (int row : selected) {
        if (static_cast<std::size_t>(row) >= removed.size()) continue;
        removed[row] = true;
        ++count;
    }
    if (count == 0) return;
    {
        BulkChange bulk(listView_, bulkChange_);
        // A number the list view refused would leave rows and entries out of step.
        if (!ctl::ListViewSetItemCount(listView_, entries_.size() - count, 0)) return;
        EraseMarked(entries_, removed);
    }
    // The next row takes the place of the first one removed, ready for the next key.
    const int rows = static_cast<int>(entries_.size());
    if (rows > 0)
        SelectOnly(std::min(selected.front(), rows - 1), std::min(selected.front(), rows - 1) + 1);
    else
        EnableRemove();
}

void CPlaylistDlg::SelectOnly(int first, int last) {
    {
        BulkChange bulk(listView_, bulkChange_);
        ctl::ListViewSetItemState(listView_, -1, 0, LVIS_SELECTED);
        for (int row = first; row < last; ++row)
            ctl::ListViewSetItemState(listView_, row, LVIS_SELECTED, LVIS_SELECTED);
        ctl::ListViewSetItemState(listView_, first, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    // Once the list lays itself out again: the last row first, so that the first shows when not all fit.
    ctl::ListViewEnsureVisible(listView_, last - 1);
    ctl::ListViewEnsureVisible(listView_, first);
    EnableRemove();
}

void CPlaylistDlg::EnableRemove() {
    const bool selection = ctl::ListViewSelectedCount(listView_) > 0;
    // A disabled button cannot keep the focus: the keyboard goes on from the list.
    if (!selection && removeButton_ && ::GetFocus() == removeButton_)
        ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(listView_), TRUE);
    ctl::Enable(removeButton_, selection);
}

LRESULT CPlaylistDlg::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    const UINT code = header && listView_ && header->hwndFrom == listView_ ? header->code : 0;
    if (code == LVN_GETDISPINFOW) {
        ShowRow(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
    } else if (code == LVN_ODFINDITEMW) {
        return FindRow(*reinterpret_cast<const NMLVFINDITEMW*>(lParam));
    } else if (code == LVN_KEYDOWN) {
        OnListKey(reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey);
    } else if (code == LVN_ITEMCHANGED || code == LVN_ODSTATECHANGED) {
        if (!bulkChange_) EnableRemove();
    } else {
        handled = FALSE;
    }
    return 0;
}

void CPlaylistDlg::ShowRow(LVITEMW& item) const {
    const auto row = static_cast<std::size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && row < entries_.size())
        ::lstrcpynW(item.pszText, entries_[row].c_str(), item.cchTextMax);
}

int CPlaylistDlg::FindRow(const NMLVFINDITEMW& find) const {
    const LVFINDINFOW& what = find.lvfi;
    if (!(what.flags & (LVFI_STRING | LVFI_PARTIAL)) || !what.psz || find.iStart < 0) return -1;
    const int length = static_cast<int>(std::wcslen(what.psz));
    const std::size_t count = entries_.size(), start = static_cast<std::size_t>(find.iStart);
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t row = (start + n) % count;
        if (row < start && !(what.flags & LVFI_WRAP)) break;
        const std::wstring& entry = entries_[row];
        const int compared = what.flags & LVFI_PARTIAL ? std::min(length, static_cast<int>(entry.size()))
                                                       : static_cast<int>(entry.size());
        if (::CompareStringOrdinal(entry.c_str(), compared, what.psz, length, TRUE) == CSTR_EQUAL)
            return static_cast<int>(row);
    }
    return -1;
}

void CPlaylistDlg::OnListKey(WORD key) {
    if (key == VK_DELETE) return RemoveSelectedRows();
    if (key == 'A' && ::GetKeyState(VK_CONTROL) < 0) {
        {
            BulkChange bulk(listView_, bulkChange_);
            ctl::ListViewSetItemState(listView_, -1, LVIS_SELECTED, LVIS_SELECTED);
        }
        EnableRemove();
    }
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
