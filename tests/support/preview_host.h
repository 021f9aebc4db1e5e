// A host for the preview in tests: a plain top-level window of this process whose client area is exactly
// width x height, painted black so that the preview's own background and picture can be told from it.
#pragma once

#include "test_support.h"

#include <windows.h>

namespace qmtest {

class PreviewHost {
  public:
    PreviewHost(int width, int height, int x = 0, int y = 0) {
        static ATOM atom = RegisterHostClass();
        window_ = ::CreateWindowExW(0, MAKEINTATOM(atom), L"preview host", WS_POPUP | WS_VISIBLE, x, y, width,
                                    height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        PumpMessages(20);
    }
    ~PreviewHost() {
        Destroy();
        DrainQuit();
    }
    PreviewHost(const PreviewHost&) = delete;
    PreviewHost& operator=(const PreviewHost&) = delete;

    HWND get() const { return window_; }
    void Destroy() {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }

    // The preview window placed inside, once it is there and shown (a window is found while it is still
    // being created, before it takes its visible style).
    HWND WaitForChild(DWORD timeoutMs = 15000) const {
        HWND child = nullptr;
        auto shown = [&] {
            child = ::GetWindow(window_, GW_CHILD);
            return child && (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE);
        };
        return PollUntil(shown, timeoutMs, 5) ? child : nullptr;
    }

    // A preview of this process that a test destroys posts WM_QUIT; take it so that it does not end the
    // next test's loop.
    static void DrainQuit() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

  private:
    static ATOM RegisterHostClass() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = L"QmPreviewTestHost";
        return ::RegisterClassExW(&wc);
    }

    HWND window_ = nullptr;
};

} // namespace qmtest
