// Demo helper: starts a command line, waits until its first window is on screen, writes that window's
// screen rectangle to READY_FILE, waits for DONE_FILE (the screenshot taken), then closes the program's
// windows and waits for it to end. Exit code: the program's own.
//   qm_demo_driver.exe READY_FILE DONE_FILE COMMAND_LINE
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && ::IsWindowVisible(hwnd)) s->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> VisibleWindowsOf(DWORD pid) {
    Search s{pid, {}};
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool Exists(const wchar_t* path) { return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fwprintf(stderr, L"usage: qm_demo_driver READY_FILE DONE_FILE COMMAND_LINE\n");
        return 2;
    }
    std::wstring line = argv[3];
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fwprintf(stderr, L"cannot start: %ls\n", line.c_str());
        return 3;
    }
    ::CloseHandle(pi.hThread);

    HWND window = nullptr;
    for (int i = 0; i < 600 && !window; ++i) {
        if (::WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
        auto windows = VisibleWindowsOf(pi.dwProcessId);
        if (!windows.empty()) window = windows.front();
    }
    RECT rect{};
    if (window) {
        ::Sleep(1500); // let it paint
        ::GetWindowRect(window, &rect);
    }
    if (FILE* ready = _wfopen(argv[1], L"w")) {
        std::fprintf(ready, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        std::fclose(ready);
    }
    for (int i = 0; i < 1200 && !Exists(argv[2]); ++i) ::Sleep(50);

    for (int i = 0; i < 200; ++i) {
        if (::WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) break;
        for (HWND w : VisibleWindowsOf(pi.dwProcessId)) ::PostMessageW(w, WM_CLOSE, 0, 0);
    }
    DWORD code = 1;
    if (::WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
