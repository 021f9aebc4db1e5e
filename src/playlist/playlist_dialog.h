// The playlist editor: the user's music files one per row, added through the open-file dialog (music
// files or .m3u and .m3u8 playlists), removed by selection, and the Shuffle option. OK stores the
// playlist at once, or says that it could not and stays open; Cancel and the close box leave the stored
// playlist as it was. All of it works by keyboard: the focus starts on the list, Delete removes the
// selected rows, Ctrl+A selects every row.
#pragma once

#include "platform/dialog_impl.h"

#include "resource.h"

#include <commctrl.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

namespace qm {

class Node;

// "Add..." asks the system's open-file dialog: TRUE when files were chosen, else FALSE with the dialog's
// error code (0 when cancelled) in *error. Tests replace it with SetOpenFileDialogForTesting(f), for
// example to answer with a prepared buffer; SetOpenFileDialogForTesting({}) restores the system's.
void SetOpenFileDialogForTesting(std::function<BOOL(OPENFILENAMEW* request, DWORD* error)> dialog);

class CPlaylistDlg : public DialogImpl<CPlaylistDlg> {
  public:
    enum { IDD = IDD_PLAYLIST };

    explicit CPlaylistDlg(Node& settings);

    // Row k of the list view always shows entry k.
    const std::vector<std::wstring>& PlaylistEntries() const { return entries_; }

    QM_BEGIN_MSG_MAP()
    QM_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    QM_COMMAND_HANDLER(IDC_ADD_FILES, BN_CLICKED, OnAddFiles)
    QM_COMMAND_HANDLER(IDC_REMOVE_FILES, BN_CLICKED, OnRemoveFiles)
    QM_COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnCancel)
    QM_COMMAND_HANDLER(IDOK, BN_CLICKED, OnOk)
    QM_COMMAND_HANDLER(IDC_SHUFFLE, BN_CLICKED, OnShuffleClicked)
    QM_MESSAGE_HANDLER(WM_CLOSE, OnClose)
    QM_MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    QM_MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
    QM_MESSAGE_HANDLER(kFitColumnMessage, OnFitColumn)
    QM_END_MSG_MAP()

    // Posted on a change of DPI, once the dialog has laid itself out anew; wParam is the new DPI.
    static constexpr UINT kFitColumnMessage = WM_APP + 1;

  private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAddFiles(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemoveFiles(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnOk(WORD, WORD, HWND, BOOL&);
    LRESULT OnShuffleClicked(WORD, WORD, HWND, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFitColumn(UINT, WPARAM, LPARAM, BOOL&);

    // The one column's width for the list view's font and the DPI.
    int ColumnWidth(UINT dpi) const;

    // The list view keeps no rows of its own: it asks for each row's text as it shows it.
    void ShowRow(LVITEMW& item) const;
    // Typing in the list goes to the next row that starts with what was typed, as in any list.
    int FindRow(const NMLVFINDITEMW& find) const;
    void AddRows(const std::vector<std::wstring>& paths);
    void RemoveSelectedRows();
    void OnListKey(WORD key);
    // Selects rows first to last - 1 and no other, focuses the first and scrolls them into view.
    void SelectOnly(int first, int last);
    // Remove is there only for a selection.
    void EnableRemove();

    Node& settings_;
    HWND listView_ = nullptr;
    HWND shuffleBox_ = nullptr;
    HWND removeButton_ = nullptr;
    bool bulkChange_ = false; // rows change by the thousand: their notices wait for the end
    std::vector<std::wstring> entries_;
};

} // namespace qm
