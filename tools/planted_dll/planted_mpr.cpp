// Test DLL: appends a line to the file named by QM_PLANT_MARKER when loaded and when its export runs.
#include <windows.h>

namespace {

void Mark(const char* what) {
    char path[MAX_PATH];
    DWORD length = ::GetEnvironmentVariableA("QM_PLANT_MARKER", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, what, static_cast<DWORD>(lstrlenA(what)), &written, nullptr);
    ::CloseHandle(file);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Mark("loaded\n");
    return TRUE;
}

extern "C" DWORD WINAPI PwdChangePasswordA(LPCSTR, HWND, DWORD, DWORD) {
    Mark("called\n");
    return 0;
}
