// Base of the program's own window classes: registers the window class on first creation and routes
// every message to the object's message map. The object is found from WM_NCCREATE's create parameters.
#pragma once

#include "platform/app_module.h"
#include "platform/message_map.h"
#include "platform/window.h"

namespace qm {

template <typename T> class WindowImpl : public Window, public MessageMap {
  public:
    WindowImpl() = default;
    WindowImpl(const WindowImpl&) = delete;
    WindowImpl& operator=(const WindowImpl&) = delete;
    // A window still alive goes with its object (were a message loop ever left early, it would otherwise
    // outlive the object and reach freed memory through its user data).
    virtual ~WindowImpl() { ObjectWindow<T>::DestroyAttached(*this, GWLP_USERDATA); }

    // Creates the window; null when the class cannot be registered or the window cannot be made.
    HWND Create(HWND parent, const RECT& rect, const wchar_t* title, DWORD style, DWORD exStyle = 0) {
        ATOM atom = RegisterClassOnce();
        if (!atom) return nullptr;
        return ::CreateWindowExW(exStyle, MAKEINTATOM(atom), title, style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                 Module().instance(), static_cast<T*>(this));
    }

    // The class name this window class is registered under.
    static const wchar_t* ClassName() {
        static wchar_t name[32] = {};
        // The system's formatter: eight upper-case hexadecimal digits, as the class name has always had.
        if (!name[0]) ::wsprintfW(name, L"ATL:%p", static_cast<void*>(&ClassRecord()));
        return name;
    }

    virtual void OnFinalMessage(HWND) {}

  protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
    }

  private:
    static WNDCLASSEXW& ClassRecord() {
        static WNDCLASSEXW record{};
        return record;
    }

    static ATOM RegisterClassOnce() {
        static ATOM atom = 0;
        if (atom) return atom;
        WNDCLASSEXW& wc = ClassRecord();
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = &WindowImpl::WindowProc;
        wc.hInstance = Module().instance();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = ClassName();
        atom = ::RegisterClassExW(&wc);
        return atom;
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        T* created = nullptr;
        if (msg == WM_NCCREATE)
            created = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        T* self = ObjectWindow<T>::Find(hwnd, GWLP_USERDATA, created);
        if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        LRESULT result = 0;
        ObjectWindow<T>::Dispatch(*self, GWLP_USERDATA, hwnd, msg, wParam, lParam, result,
                                  [&] { return ::DefWindowProcW(hwnd, msg, wParam, lParam); });
        return result;
    }
};

} // namespace qm
