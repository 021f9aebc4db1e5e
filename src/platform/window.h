// A window handle with the few operations the program's windows and dialogs use on themselves, and the
// one dispatch that every window and dialog procedure of ours shares.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

class Window {
  public:
    HWND handle() const { return hwnd_; }
    bool IsWindow() const { return ::IsWindow(hwnd_) != FALSE; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(hwnd_, id); }
    BOOL ShowWindow(int show) const { return ::ShowWindow(hwnd_, show); }
    BOOL SetWindowText(const wchar_t* text) const { return ::SetWindowTextW(hwnd_, text); }
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(hwnd_, rect); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(hwnd_, msg, wParam, lParam);
    }
    BOOL DestroyWindow() const { return ::DestroyWindow(hwnd_); }

  protected:
    // The window this object is attached to, from its creation message to WM_NCDESTROY.
    HWND hwnd_ = nullptr;

    template <typename T> friend class ObjectWindow;
};

// How a window or dialog procedure finds its object of type T, kept in one of the window's slots
// (GWLP_USERDATA for windows, DWLP_USER for dialogs), and hands it each message.
template <typename T> class ObjectWindow {
  public:
    // The object of hwnd. At the creation message `created` is the creation data, which the creator made
    // from a T* (never from a base pointer), and it is remembered; afterwards the slot answers.
    static T* Find(HWND hwnd, int slot, T* created) {
        if (!created) return reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, slot));
        ::SetWindowLongPtrW(hwnd, slot, reinterpret_cast<LONG_PTR>(created));
        created->hwnd_ = hwnd;
        return created;
    }

    // The object's message map inside the exception barrier, then `unhandled` for what the map left;
    // at WM_NCDESTROY the object lets go of the window and hears of it in OnFinalMessage, inside the
    // barrier too. No exception leaves. Returns whether the map handled the message.
    template <typename Unhandled>
    static bool Dispatch(T& self, int slot, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                         LRESULT& result, Unhandled unhandled) {
        bool handled = false;
        try {
            handled = self.ProcessWindowMessage(hwnd, msg, wParam, lParam, result, 0);
        } catch (...) {
            handled = false;
        }
        if (!handled) result = unhandled();
        if (msg == WM_NCDESTROY) {
            ::SetWindowLongPtrW(hwnd, slot, 0);
            self.hwnd_ = nullptr;
            try {
                self.OnFinalMessage(hwnd);
            } catch (...) {
            }
        }
        return handled;
    }

    // For an object going away while its window lives on: the window forgets the object first (its last
    // messages must not reach a half-destroyed object), then goes too.
    static void DestroyAttached(Window& self, int slot) {
        HWND hwnd = self.hwnd_;
        if (!hwnd) return;
        ::SetWindowLongPtrW(hwnd, slot, 0);
        self.hwnd_ = nullptr;
        ::DestroyWindow(hwnd);
    }
};

} // namespace qm
