// Message maps: a class lists the messages it handles; a derived map can consult its base map.
//
//   QM_BEGIN_MSG_MAP()
//     QM_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)             LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
//     QM_COMMAND_HANDLER(IDOK, BN_CLICKED, OnOk)           LRESULT OnOk(WORD code, WORD id, HWND, BOOL&)
//     QM_CHAIN_MSG_MAP(Base)
//   QM_END_MSG_MAP()
//
// A handler that clears its BOOL& leaves the message unhandled, so later entries still see it.
#pragma once

#include <windows.h>

namespace qm {

class MessageMap {
  public:
    virtual bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                      DWORD mapId = 0) = 0;

  protected:
    ~MessageMap() = default;
};

} // namespace qm

#define QM_BEGIN_MSG_MAP()                                                                                   \
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,          \
                              DWORD mapId = 0) override {                                                    \
        (void)hWnd;                                                                                          \
        (void)wParam;                                                                                        \
        (void)lParam;                                                                                        \
        (void)lResult;                                                                                       \
        if (mapId != 0) return false;

#define QM_MESSAGE_HANDLER(msg, func)                                                                        \
    if (uMsg == (msg)) {                                                                                     \
        BOOL handled = TRUE;                                                                                 \
        LRESULT result = func(uMsg, wParam, lParam, handled);                                                \
        if (handled) {                                                                                       \
            lResult = result;                                                                                \
            return true;                                                                                     \
        }                                                                                                    \
    }

#define QM_COMMAND_HANDLER(id, code, func)                                                                   \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id) && HIWORD(wParam) == (code)) {         \
        BOOL handled = TRUE;                                                                                 \
        LRESULT result = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), handled);      \
        if (handled) {                                                                                       \
            lResult = result;                                                                                \
            return true;                                                                                     \
        }                                                                                                    \
    }

#define QM_CHAIN_MSG_MAP(Base)                                                                               \
    if (Base::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, mapId)) return true;

#define QM_END_MSG_MAP()                                                                                     \
    return false;                                                                                            \
    }
