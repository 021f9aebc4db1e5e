// Hosts a screensaver preview the way the Display control panel does: a window of this program whose
// handle follows the preview switch on the preview program's command line.
//   qm_preview_host.exe [--size WxH] measure "PROGRAM /p"
//       prints one line: ms to the child window, ms to its first paint, its working set in KiB, ms from
//       destroying the host to the program's end, the program's exit code
//   qm_preview_host.exe [--size WxH] show READY_FILE DONE_FILE ["PROGRAM /p"]
//       shows a captioned host window, writes the host window's screen rectangle "x y w h" to READY_FILE
//       once the preview has painted, waits for DONE_FILE (a screenshot taken), closes the host; exit code:
//       the program's. Without a program the product's preview runs inside this process: under Wine a
//       child window of another process is never composed onto the screen, so only that can be seen.
// A paint is seen from outside as the child's update region emptying: its pixels stay in its process.
#include "launcher/modes.h"
#include "platform/app_module.h"

#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Child {
    PROCESS_INFORMATION process{};
    bool started = false;
};

Child Start(const std::wstring& prefix, HWND host) {
    std::wstring line = prefix + L" " + std::to_wstring(reinterpret_cast<INT_PTR>(host));
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    Child child;
    child.started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                     &child.process) != FALSE;
    if (child.started) ::CloseHandle(child.process.hThread);
    return child;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Pumps until the preview window in host has painted once; false when the program ends or time runs out.
bool WaitForFirstPaint(HWND host, HANDLE process, DWORD timeoutMs, double* childMs, double* paintMs,
                       const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    auto elapsed = [&] {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
               static_cast<double>(frequency.QuadPart);
    };
    *childMs = -1;
    while (elapsed() < timeoutMs) {
        Pump();
        HWND child = ::GetWindow(host, GW_CHILD);
        if (child && (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) {
            if (*childMs < 0) *childMs = elapsed();
            // Showing a window sets its visible style and its update region in one step, so a shown window
            // with nothing left to update has painted.
            if (!::GetUpdateRect(child, nullptr, FALSE)) {
                *paintMs = elapsed();
                return true;
            }
        }
        if (::MsgWaitForMultipleObjects(1, &process, FALSE, 0, QS_ALLINPUT) == WAIT_OBJECT_0) return false;
        ::Sleep(0);
    }
    return false;
}

HWND MakeHost(bool captioned, int width, int height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"QmPreviewHost";
    ::RegisterClassExW(&wc);
    const DWORD style =
        (captioned ? (WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE) : (WS_POPUP | WS_VISIBLE)) | WS_CLIPCHILDREN;
    RECT frame{0, 0, width, height};
    ::AdjustWindowRect(&frame, style, FALSE);
    HWND host = ::CreateWindowExW(0, wc.lpszClassName, L"Preview", style, 40, 40, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, wc.hInstance, nullptr);
    ::UpdateWindow(host);
    Pump();
    return host;
}

// Destroys the host and waits for the program; returns its exit code and the milliseconds it took.
DWORD CloseHost(HWND host, HANDLE process, double* endMs) {
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    ::DestroyWindow(host);
    DWORD code = 1;
    for (int i = 0; i < 10000 && ::WaitForSingleObject(process, 1) == WAIT_TIMEOUT; ++i)
        Pump();
    if (::WaitForSingleObject(process, 0) != WAIT_OBJECT_0) ::TerminateProcess(process, 1);
    ::QueryPerformanceCounter(&now);
    *endMs =
        1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    ::GetExitCodeProcess(process, &code);
    return code;
}

bool Exists(const wchar_t* path) {
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool WriteRect(const wchar_t* path, HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    FILE* file = _wfopen(path, L"w");
    if (!file) return false;
    std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top);
    std::fclose(file);
    return true;
}

// The in-process show: the preview's own loop runs the show, so a timer does the watching.
struct InProcessShow {
    HWND host = nullptr;
    const wchar_t* readyFile = nullptr;
    const wchar_t* doneFile = nullptr;
    bool ready = false;
    int ticks = 0;
};
InProcessShow g_show;

void CALLBACK WatchShow(HWND, UINT, UINT_PTR, DWORD) {
    InProcessShow& show = g_show;
    ++show.ticks;
    HWND preview = ::GetWindow(show.host, GW_CHILD);
    if (!show.ready && preview && !::GetUpdateRect(preview, nullptr, FALSE) && show.ticks >= 3)
        show.ready = WriteRect(show.readyFile, show.host);
    if ((show.ready && Exists(show.doneFile)) || show.ticks > 1200) ::DestroyWindow(show.host);
}

int ShowInProcess(HWND host, const wchar_t* readyFile, const wchar_t* doneFile) {
    (void)::CoInitialize(nullptr);
    (void)qm::Module().Init(::GetModuleHandleW(nullptr));
    g_show = {host, readyFile, doneFile, false, 0};
    UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &WatchShow);
    qm::RunPreview(host);
    ::KillTimer(nullptr, timer);
    qm::Module().Term();
    ::CoUninitialize();
    return g_show.ready ? 0 : 1;
}

int Usage() {
    std::fwprintf(stderr,
                  L"usage: qm_preview_host [--size WxH] measure \"PROGRAM /p\"\n"
                  L"       qm_preview_host [--size WxH] show READY_FILE DONE_FILE [\"PROGRAM /p\"]\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int width = 152, height = 112;
    int arg = 1;
    if (arg + 1 < argc && std::wcscmp(argv[arg], L"--size") == 0) {
        if (std::swscanf(argv[arg + 1], L"%dx%d", &width, &height) != 2) return Usage();
        arg += 2;
    }
    if (arg >= argc) return Usage();
    const std::wstring mode = argv[arg++];
    const int rest = argc - arg;
    if (mode == L"show" && rest == 2)
        return ShowInProcess(MakeHost(true, width, height), argv[arg], argv[arg + 1]);
    const bool show = mode == L"show";
    if ((show && rest != 3) || (!show && (mode != L"measure" || rest != 1))) return Usage();
    const std::wstring prefix = argv[argc - 1];

    HWND host = MakeHost(show, width, height);
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    Child child = Start(prefix, host);
    if (!child.started) {
        std::fwprintf(stderr, L"cannot start: %ls\n", prefix.c_str());
        return 3;
    }
    HANDLE process = child.process.hProcess;
    double childMs = -1, paintMs = -1, endMs = -1;
    const bool painted = WaitForFirstPaint(host, process, 20000, &childMs, &paintMs, start);

    if (show) {
        WriteRect(argv[arg], host);
        for (int i = 0; i < 1200 && !Exists(argv[arg + 1]); ++i) {
            Pump();
            ::Sleep(50);
        }
        return static_cast<int>(CloseHost(host, process, &endMs));
    }

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    SIZE_T workingSetKiB = 0;
    if (painted && ::GetProcessMemoryInfo(process, &memory, sizeof(memory)))
        workingSetKiB = memory.WorkingSetSize / 1024;
    const DWORD code = CloseHost(host, process, &endMs);
    std::printf("%.1f %.1f %lu %.1f %lu\n", childMs, painted ? paintMs : -1.0,
                static_cast<unsigned long>(workingSetKiB), endMs, static_cast<unsigned long>(code));
    return painted ? 0 : 1;
}
