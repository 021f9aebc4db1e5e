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
    // A modeless dialog still alive goes with its object.
    virtual ~DialogImpl() { ObjectWindow<T>::DestroyAttached(*this, DWLP_USER); }

    INT_PTR DoModal(HWND parent = ::GetActiveWindow(), LPARAM initParam = 0) {
        initParam_ = initParam;
        return ::DialogBoxParamW(Module().instance(), MAKEINTRESOURCEW(T::IDD), parent,
                                 &DialogImpl::DialogProc, reinterpret_cast<LPARAM>(static_cast<T*>(this)));
    }

    // Modeless creation, for driving a dialog from code (tests, hosts that pump their own loop).
    HWND Create(HWND parent, LPARAM initParam = 0) {
        initParam_ = initParam;
        return ::CreateDialogParamW(Module().instance(), MAKEINTRESOURCEW(T::IDD), parent,
                                    &DialogImpl::DialogProc, reinterpret_cast<LPARAM>(static_cast<T*>(this)));
    }

    BOOL EndDialog(INT_PTR result) const { return ::EndDialog(hwnd_, result); }

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
        T* created = msg == WM_INITDIALOG ? reinterpret_cast<T*>(lParam) : nullptr;
        T* self = ObjectWindow<T>::Find(hwnd, DWLP_USER, created);
        if (!self) return FALSE;
        if (created) lParam = static_cast<DialogImpl*>(self)->initParam_; // the caller's own parameter

        LRESULT result = 0;
        if (!ObjectWindow<T>::Dispatch(*self, DWLP_USER, hwnd, msg, wParam, lParam, result,
                                       [] { return LRESULT{0}; }))
            return FALSE;
        if (ReturnsResultDirectly(msg)) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }

    LPARAM initParam_ = 0;
};

} // namespace qm
