// Base of the program's dialogs, made from a dialog template T::IDD. The object is found from
// WM_INITDIALOG's lParam; the caller's own init parameter reaches the map as WM_INITDIALOG's lParam.
#pragma once

#include "platform/app_module.h"
#include "platform/message_map.h"
#include "platform/window.h"

namespace qm {

template <typename T> class DialogImpl : public Window, public MessageMap {
  public:
    DialogImpl() = default;
    DialogImpl(const DialogImpl&) = delete;
    DialogImpl& operator=(const DialogImpl&) = delete;
    virtual ~DialogImpl() = default;

    INT_PTR DoModal(HWND parent = ::GetActiveWindow(), LPARAM initParam = 0) {
        initParam_ = initParam;
        return ::DialogBoxParamW(Module().instance(), MAKEINTRESOURCEW(T::IDD), parent, &DialogImpl::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    }

    // Modeless creation, for driving a dialog from code (tests, hosts that pump their own loop).
    HWND Create(HWND parent, LPARAM initParam = 0) {
        initParam_ = initParam;
        return ::CreateDialogParamW(Module().instance(), MAKEINTRESOURCEW(T::IDD), parent, &DialogImpl::DialogProc,
                                    reinterpret_cast<LPARAM>(this));
    }

    BOOL EndDialog(INT_PTR result) const { return ::EndDialog(m_hWnd, result); }

    virtual void OnFinalMessage(HWND) {}

  private:
    static bool ReturnsResultDirectly(UINT msg) {
        switch (msg) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
        }
    }

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<DialogImpl*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
        if (msg == WM_INITDIALOG) {
            self = static_cast<DialogImpl*>(reinterpret_cast<T*>(lParam));
            ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
            self->m_hWnd = hwnd;
            lParam = self->initParam_;
        }
        if (!self) return FALSE;

        LRESULT result = 0;
        bool handled = false;
        try {
            handled = self->ProcessWindowMessage(hwnd, msg, wParam, lParam, result, 0);
        } catch (...) {
            handled = false;
        }
        if (msg == WM_NCDESTROY) {
            ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            self->m_hWnd = nullptr;
            self->OnFinalMessage(hwnd);
        }
        if (!handled) return FALSE;
        if (ReturnsResultDirectly(msg)) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }

    LPARAM initParam_ = 0;
};

} // namespace qm
