// Operations on dialog controls by handle. A control that the template lacks has the null handle:
// every operation on it does nothing, and every reading of it is 0.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace qm::ctl {

// The one place of the absent-control rule.
inline LRESULT Send(HWND control, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return control ? ::SendMessageW(control, msg, wParam, lParam) : 0;
}

inline void SetCheck(HWND control, bool checked) {
    Send(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}
inline bool GetCheck(HWND control) {
    return Send(control, BM_GETCHECK) == BST_CHECKED;
}
inline void Enable(HWND control, bool enabled) {
    if (control) ::EnableWindow(control, enabled ? TRUE : FALSE);
}
// The elevation shield on a button whose action asks for administrator rights.
inline void SetShield(HWND button, bool shield) {
    Send(button, BCM_SETSHIELD, 0, shield ? TRUE : FALSE);
}
inline void SetText(HWND control, const std::wstring& text) {
    Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Trackbars.
inline void TrackbarSetRange(HWND control, int low, int high) {
    Send(control, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
}
inline void TrackbarSetPos(HWND control, int pos) {
    Send(control, TBM_SETPOS, TRUE, pos);
}
inline int TrackbarGetPos(HWND control) {
    return static_cast<int>(Send(control, TBM_GETPOS));
}

// Drop-down lists.
inline void ComboReset(HWND control) {
    Send(control, CB_RESETCONTENT);
}
inline int ComboAdd(HWND control, const std::wstring& text) {
    return static_cast<int>(Send(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
inline void ComboSetData(HWND control, int index, LPARAM data) {
    Send(control, CB_SETITEMDATA, index, data);
}
inline LPARAM ComboGetData(HWND control, int index) {
    return Send(control, CB_GETITEMDATA, index);
}
inline void ComboSetSel(HWND control, int index) {
    Send(control, CB_SETCURSEL, index);
}
inline int ComboGetSel(HWND control) {
    return static_cast<int>(Send(control, CB_GETCURSEL));
}
inline int ComboCount(HWND control) {
    return static_cast<int>(Send(control, CB_GETCOUNT));
}

// List views in report view. Rows and columns are counted from 0.
inline void ListViewInsertColumn(HWND control, int index, const std::wstring& text, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(text.c_str()); // only read
    column.iSubItem = index;
    Send(control, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}
// The row the text went to, or -1 when the list view refused it.
inline int ListViewInsertItem(HWND control, int index, const std::wstring& text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = 0;
    item.pszText = const_cast<wchar_t*>(text.c_str()); // only read
    return static_cast<int>(Send(control, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}
inline bool ListViewDeleteItem(HWND control, int index) {
    return Send(control, LVM_DELETEITEM, index) != 0;
}
inline int ListViewItemCount(HWND control) {
    return static_cast<int>(Send(control, LVM_GETITEMCOUNT));
}
inline int ListViewSelectedCount(HWND control) {
    return static_cast<int>(Send(control, LVM_GETSELECTEDCOUNT));
}
// Every state bit of the row (LVIS_*, overlay and state image); 0 for a row the list view does not have.
inline UINT ListViewItemState(HWND control, int index) {
    LVITEMW item{};
    item.mask = LVIF_STATE;
    item.iItem = index;
    item.stateMask = 0xFFFF;
    Send(control, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.state;
}
inline bool ListViewItemSelected(HWND control, int index) {
    return (ListViewItemState(control, index) & LVIS_SELECTED) != 0;
}
// The selected rows in ascending order, each found from the one before.
inline std::vector<int> ListViewSelectedRows(HWND control) {
    std::vector<int> rows;
    for (int row = -1; control;) {
        const int next =
            static_cast<int>(Send(control, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (next <= row) break; // -1 after the last
        rows.push_back(row = next);
    }
    return rows;
}
// Sets the LVIS_* bits of mask to those of state, on one row or on every row (index -1).
inline void ListViewSetItemState(HWND control, int index, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    Send(control, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}
// Scrolls the row wholly into view.
inline void ListViewEnsureVisible(HWND control, int index) {
    Send(control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}
// Room for this many rows at once, before they are added one by one; in a list view whose owner keeps
// the rows (LVS_OWNERDATA), the number of rows (LVSICF_* flags). Whether the list view took it.
inline bool ListViewSetItemCount(HWND control, std::size_t count, DWORD flags) {
    return Send(control, LVM_SETITEMCOUNT, count, flags) != 0;
}
// The text's width in pixels in the list view's font.
inline int ListViewStringWidth(HWND control, const std::wstring& text) {
    return static_cast<int>(Send(control, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
inline int ListViewColumnWidth(HWND control, int column) {
    return static_cast<int>(Send(control, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}
inline void ListViewSetColumnWidth(HWND control, int column, int width) {
    Send(control, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

} // namespace qm::ctl
