// Timing of the Configure mode's start-up.
//   qm_configure_bench start RUNS COMMAND_LINE
//       Starts the command RUNS times; each time measures from CreateProcess until the program's dialog is
//       on screen and answers messages (ready for input), then closes it. Prints each run and the median.
//   qm_configure_bench pieces
//       In this fresh process, times each piece of the dialog's initialisation once, cold, in the order
//       the dialog runs them.
#include "display/display_tables.h"
#include "display/video_memory.h"
#include "launcher/wallpaper.h"
#include "localisation/language.h"
#include "localisation/string_table.h"
#include "settings/node.h"
#include "settings/settings_record.h"

#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (pid != search->pid || !::IsWindowVisible(window) || std::wstring(name) != L"#32770") return TRUE;
    search->found = window;
    return FALSE;
}

// Milliseconds from the start until the dialog answers, or a negative number on failure.
double TimeOneStart(std::wstring commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const Clock::time_point start = Clock::now();
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return -1;
    ::CloseHandle(pi.hThread);
    double ready = -1;
    Search search{pi.dwProcessId, nullptr};
    while (MillisecondsSince(start) < 30000 && ::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        search.found = nullptr;
        ::EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
        DWORD_PTR result = 0;
        // Visible is not enough: the dialog shows itself before its initialisation ends. A message that
        // comes back means its loop is running.
        if (search.found && ::SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) {
            ready = MillisecondsSince(start);
            break;
        }
        ::Sleep(1);
    }
    if (search.found) ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hProcess);
    return ready;
}

int Start(int runs, const std::wstring& commandLine) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double ms = TimeOneStart(commandLine);
        if (ms < 0) {
            std::fwprintf(stderr, L"run %d: no dialog\n", i + 1);
            return 1;
        }
        std::printf("  run %d: %.0f ms\n", i + 1, ms);
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("  median: %.0f ms\n", times[times.size() / 2]);
    return 0;
}

void Piece(const char* name, const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    std::printf("  %-52s %7.1f ms\n", name, MillisecondsSince(start));
}

int Pieces() {
    (void)::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    qm::Node settings;
    qm::DisplayTables tables;
    Piece("live message and wallpaper search", [] {
        qm::RegisterWallpaperMessage();
        qm::FindWallpaperWindow();
    });
    Piece("string table: parse the XML, language from the registry", [] {
        qm::MakeCurrentStringTable("", IDR_STRING_TABLE_XML).SelectLanguage(qm::LanguageFromRegistry());
    });
    Piece("Direct3D 9: adapters, modes, monitors", [&] { qm::EnumerateDisplays(tables, settings); });
    Piece("video memory (WMI, else DirectDraw)", [] { qm::QueryVideoMemoryBytes(); });
    Piece("processor clock estimate (50 ms busy wait)", [] { qm::EstimateCpuMHz(); });
    Piece("load settings (defaults again: video memory + clock)", [&] { qm::LoadSettings(settings); });
    Piece("Run entry comparison", [] { qm::RunEntryMatchesAutostart(); });
    Piece("Direct3D 11: antialiasing levels", [] { qm::ProbeAntialiasingLevels(); });
    Piece("Direct3D 11: antialiasing levels, again (warm)", [] { qm::ProbeAntialiasingLevels(); });
    ::CoUninitialize();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 4 && std::wstring(argv[1]) == L"start") return Start(_wtoi(argv[2]), argv[3]);
    if (argc >= 2 && std::wstring(argv[1]) == L"pieces") return Pieces();
    std::fwprintf(stderr, L"usage: qm_configure_bench start RUNS COMMAND_LINE | pieces\n");
    return 2;
}
