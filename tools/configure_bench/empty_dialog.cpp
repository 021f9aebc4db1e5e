// The least a dialog program does: show a dialog from a template and wait until it is closed.
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, &DialogProc, 0);
    return 0;
}
