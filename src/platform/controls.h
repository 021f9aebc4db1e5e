// Operations on dialog controls by handle. A control that the template lacks has the null handle:
// every operation on it does nothing, and every reading of it is 0.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

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

} // namespace qm::ctl
