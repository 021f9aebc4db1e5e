#include "playlist/playlist_dialog.h"

#include "playlist/playlist_file.h"
#include "settings/product.h"
#include "settings/registry.h"

#include <commctrl.h>

namespace qm {
namespace {

CPlaylistDlg::OpenFileDialogFn g_openFileDialog = nullptr;

} // namespace

void CPlaylistDlg::SetOpenFileDialogForTesting(OpenFileDialogFn dialog) {
    g_openFileDialog = dialog;
}

CPlaylistDlg::CPlaylistDlg(Node& settings, std::wstring productName)
    : settings_(settings), productName_(std::move(productName)) {}

std::wstring CPlaylistDlg::SettingsKey() const {
    return kMakerKeyPrefix + productName_;
}

void CPlaylistDlg::AddRow(const std::wstring& path) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(entries_.size());
    item.iSubItem = 0;
    item.pszText = const_cast<wchar_t*>(path.c_str());
    ::SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    entries_.push_back(path);
}

LRESULT CPlaylistDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    listView_ = GetDlgItem(IDC_PLAYLIST_VIEW);
    shuffleBox_ = GetDlgItem(IDC_SHUFFLE);
    std::wstring text;
    if (FAILED(RegReadString(HKEY_LOCAL_MACHINE, SettingsKey(), L"PlayList", text, true))) text.clear();
    std::vector<std::wstring> stored;
    ParsePlaylistText(std::wstring(), text, stored);
    for (const auto& path : stored)
        AddRow(path);
    return TRUE;
}

LRESULT CPlaylistDlg::OnAddFiles(WORD, WORD, HWND, BOOL&) {
    return 0;
}

LRESULT CPlaylistDlg::OnRemoveFiles(WORD, WORD, HWND, BOOL&) {
    return 0;
}

LRESULT CPlaylistDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(0);
    return 0;
}

LRESULT CPlaylistDlg::OnOk(WORD, WORD, HWND, BOOL&) {
    (void)RegWriteString(HKEY_LOCAL_MACHINE, SettingsKey(), L"PlayList", PlaylistText(entries_), true);
    EndDialog(0);
    return 0;
}

LRESULT CPlaylistDlg::OnShuffleClicked(WORD, WORD, HWND, BOOL&) {
    return 0;
}

LRESULT CPlaylistDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    EndDialog(0);
    return 0;
}

} // namespace qm
