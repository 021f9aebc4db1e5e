// A window handle with the few operations the program's windows and dialogs use on themselves.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

class Window {
  public:
    HWND m_hWnd = nullptr;

    HWND handle() const { return m_hWnd; }
    bool IsWindow() const { return ::IsWindow(m_hWnd) != FALSE; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL ShowWindow(int show) const { return ::ShowWindow(m_hWnd, show); }
    BOOL SetWindowText(const wchar_t* text) const { return ::SetWindowTextW(m_hWnd, text); }
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL DestroyWindow() const { return ::DestroyWindow(m_hWnd); }
};

} // namespace qm
