// Timing of the Configure mode.
//   qm_configure_bench start RUNS COMMAND_LINE
//       Starts the command RUNS times; each time measures from CreateProcess until the program's dialog is
//       on screen and answers messages ("ready", ready for input), and, for the settings dialog, until its
//       monitor list holds its entries and its antialiasing list its levels ("complete"); then closes it.
//       Prints each run and the medians.
//   qm_configure_bench ok COMMAND_LINE
//       Opens the dialog once and presses OK, so that the settings are saved.
//   qm_configure_bench okatonce RUNS COMMAND_LINE
//       Takes the saved settings away, opens the dialog (a first opening) and presses OK as soon as it is
//       ready; measures from the press until the dialog is gone from the screen, and until the process
//       has ended. Prints each run and the medians.
//   qm_configure_bench restore RUNS DELAY_MS COMMAND_LINE
//       Opens the dialog, waits DELAY_MS after it is ready, moves the music volume away from its default,
//       presses "Restore Defaults" and measures until the dialog shows the default volume again.
//   qm_configure_bench pieces
//       In this fresh process, times each piece of the dialog's initialisation once, cold.
//   qm_configure_bench probes together|inturn
//       In this fresh process, times the three slow probes of a first opening (the Direct3D 9
//       enumeration, the Direct3D 11 probe, the hardware facts) once, cold: on their threads as the
//       dialog runs them, or one after another on this thread.
#include "dialogs/display_probes.h"
#include "dialogs/hardware_facts.h"
#include "display/display_tables.h"
#include "display/video_memory.h"
#include "launcher/main_program.h"
#include "launcher/wallpaper.h"
#include "localisation/language.h"
#include "localisation/string_table.h"
#include "platform/unique_handle.h"
#include "settings/node.h"
#include "settings/settings_defaults.h"
#include "settings/product.h"
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

struct Started {
    PROCESS_INFORMATION process{};
    HWND dialog = nullptr;
    Clock::time_point start;
    double readyMs = -1; // from CreateProcess until the dialog answers; negative when it never did
};

// Starts the command and waits until its dialog is on screen and answers messages.
Started StartAndWaitReady(std::wstring commandLine) {
    Started started;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    const Clock::time_point start = started.start = Clock::now();
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &started.process))
        return started;
    ::CloseHandle(started.process.hThread);
    Search search{started.process.dwProcessId, nullptr};
    while (MillisecondsSince(start) < 60000 &&
           ::WaitForSingleObject(started.process.hProcess, 0) == WAIT_TIMEOUT) {
        search.found = nullptr;
        ::EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
        DWORD_PTR result = 0;
        // Visible is not enough: the dialog shows itself before its initialisation ends. A message that
        // comes back means its loop is running.
        if (search.found && ::SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) {
            started.readyMs = MillisecondsSince(start);
            started.dialog = search.found;
            break;
        }
        ::Sleep(1);
    }
    return started;
}

// Presses a button of the dialog (or closes it) and waits for the process to end.
void Finish(Started& started, UINT msg = WM_CLOSE, WPARAM wParam = 0) {
    if (started.dialog) ::PostMessageW(started.dialog, msg, wParam, 0);
    if (started.process.hProcess) {
        if (::WaitForSingleObject(started.process.hProcess, 20000) != WAIT_OBJECT_0)
            ::TerminateProcess(started.process.hProcess, 1);
        ::CloseHandle(started.process.hProcess);
    }
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int PrintMedian(std::vector<double> times) {
    std::printf("  median: %.0f ms\n", Median(std::move(times)));
    return 0;
}

LRESULT SendTo(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, 30000, &result);
    return static_cast<LRESULT>(result);
}

// From CreateProcess until the settings dialog's monitor list and antialiasing list are filled; negative
// when a list stays empty (or the dialog has none) for 60 s.
double WaitComplete(const Started& started) {
    HWND monitors = ::GetDlgItem(started.dialog, IDC_MONITOR_LIST);
    HWND levels = ::GetDlgItem(started.dialog, IDC_ANTIALIASING_LIST);
    if (!monitors || !levels) return -1;
    while (MillisecondsSince(started.start) < 60000) {
        if (SendTo(monitors, CB_GETCOUNT) > 0 && SendTo(levels, CB_GETCOUNT) > 0)
            return MillisecondsSince(started.start);
        ::Sleep(1);
    }
    return -1;
}

int Start(int runs, const std::wstring& commandLine) {
    std::vector<double> ready, complete;
    for (int i = 0; i < runs; ++i) {
        Started started = StartAndWaitReady(commandLine);
        const double completeMs = started.readyMs < 0 ? -1 : WaitComplete(started);
        Finish(started);
        if (started.readyMs < 0) {
            std::fwprintf(stderr, L"run %d: no dialog\n", i + 1);
            return 1;
        }
        if (completeMs < 0) {
            std::printf("  run %d: ready %.0f ms\n", i + 1, started.readyMs);
        } else {
            std::printf("  run %d: ready %.0f ms, complete %.0f ms\n", i + 1, started.readyMs, completeMs);
            complete.push_back(completeMs);
        }
        ready.push_back(started.readyMs);
    }
    std::printf("  median: ready %.0f ms", Median(ready));
    if (complete.size() == ready.size()) std::printf(", complete %.0f ms", Median(complete));
    std::printf("\n");
    return 0;
}

int PressOk(const std::wstring& commandLine) {
    Started started = StartAndWaitReady(commandLine);
    Finish(started, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    return started.readyMs < 0 ? 1 : 0;
}

int OkAtOnce(int runs, const std::wstring& commandLine) {
    std::vector<double> gone, ended;
    for (int i = 0; i < runs; ++i) {
        qm::UniqueRegKey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                            key.put()) == ERROR_SUCCESS)
            ::RegDeleteTreeW(key.get(), nullptr);
        Started started = StartAndWaitReady(commandLine);
        if (started.readyMs < 0) {
            Finish(started);
            std::fwprintf(stderr, L"run %d: no dialog\n", i + 1);
            return 1;
        }
        const Clock::time_point press = Clock::now();
        ::PostMessageW(started.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(started.dialog, IDOK)));
        while (::IsWindowVisible(started.dialog) && MillisecondsSince(press) < 60000)
            ::Sleep(1);
        gone.push_back(MillisecondsSince(press));
        ::WaitForSingleObject(started.process.hProcess, 60000);
        ended.push_back(MillisecondsSince(press));
        std::printf("  run %d: gone %.0f ms, process ended %.0f ms after OK\n", i + 1, gone.back(),
                    ended.back());
        Finish(started);
    }
    std::printf("  median: gone %.0f ms, process ended %.0f ms\n", Median(gone), Median(ended));
    return 0;
}

// The music volume the default table gives, which "Restore Defaults" puts back on the slider.
int DefaultMusicVolume() {
    qm::Node defaults;
    qm::ApplyDefaultTable(defaults, {});
    return defaults.Get("MusicVolumePercentage").AsInteger();
}

int Restore(int runs, int delayMs, const std::wstring& commandLine) {
    const int defaultVolume = DefaultMusicVolume();
    const int away = defaultVolume == 77 ? 78 : 77;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        Started started = StartAndWaitReady(commandLine);
        if (started.readyMs < 0) {
            Finish(started);
            std::fwprintf(stderr, L"run %d: no dialog\n", i + 1);
            return 1;
        }
        ::Sleep(static_cast<DWORD>(delayMs));
        HWND volume = ::GetDlgItem(started.dialog, IDC_MUSIC_VOLUME);
        SendTo(volume, TBM_SETPOS, TRUE, away);
        const Clock::time_point click = Clock::now();
        ::PostMessageW(started.dialog, WM_COMMAND, MAKEWPARAM(IDC_RESTORE_DEFAULTS, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(started.dialog, IDC_RESTORE_DEFAULTS)));
        // A sent message is answered before the posted click, so the first answers may still be the old
        // position; the default comes back when the click's handler has set every control.
        double ms = -1;
        while (MillisecondsSince(click) < 60000) {
            if (SendTo(volume, TBM_GETPOS) == defaultVolume) {
                ms = MillisecondsSince(click);
                break;
            }
            ::Sleep(1);
        }
        Finish(started);
        if (ms < 0) {
            std::fwprintf(stderr, L"run %d: the defaults never showed\n", i + 1);
            return 1;
        }
        std::printf("  run %d: %.0f ms\n", i + 1, ms);
        times.push_back(ms);
    }
    return PrintMedian(times);
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
    HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    Piece("  of it: the display device identifier (DirectDraw listing)", [primary] {
        wchar_t id[512];
        qm::FindDisplayDeviceId(primary, id, 512);
    });
    Piece("  of it: the WMI road with that identifier", [primary] {
        uint32_t bytes = 0;
        qm::QueryAdapterRamByDeviceId(primary, &bytes);
    });
    Piece("  of it: DirectDraw's video memory", [] { qm::QueryDirectDrawVideoMemory(); });
    Piece("processor clock estimate (50 ms busy wait)", [] { qm::EstimateCpuMHz(); });
    Piece("does the settings key need the hardware facts", [] { qm::SettingsNeedHardwareFacts(); });
    Piece("load settings (hardware facts given)",
          [&] { qm::LoadSettings(settings, [] { return qm::HardwareFacts{}; }); });
    Piece("Run entry comparison", [] { qm::RunEntryMatchesAutostart(qm::BuildAutostartCommand()); });
    Piece("Direct3D 11: antialiasing levels", [] { qm::ProbeAntialiasingLevels(); });
    Piece("Direct3D 11: antialiasing levels, again (warm)", [] { qm::ProbeAntialiasingLevels(); });
    ::CoUninitialize();
    return 0;
}

int Probes(bool together) {
    (void)::CoInitialize(nullptr);
    qm::Node settings;
    qm::DisplayTables tables;
    const Clock::time_point start = Clock::now();
    if (together) {
        qm::DisplayProbes probes;
        probes.StartDisplays({});
        probes.StartLevels();
        probes.StartFacts();
        probes.WaitForAll(INFINITE);
    } else {
        qm::EnumerateDisplays(tables, settings);
        qm::ProbeAntialiasingLevels();
        qm::GatherHardwareFacts();
    }
    std::printf("  %.0f ms\n", MillisecondsSince(start));
    ::CoUninitialize();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc >= 2 ? argv[1] : L"";
    if (argc >= 4 && mode == L"start") return Start(_wtoi(argv[2]), argv[3]);
    if (argc >= 3 && mode == L"ok") return PressOk(argv[2]);
    if (argc >= 4 && mode == L"okatonce") return OkAtOnce(_wtoi(argv[2]), argv[3]);
    if (argc >= 5 && mode == L"restore") return Restore(_wtoi(argv[2]), _wtoi(argv[3]), argv[4]);
    if (argc >= 2 && mode == L"pieces") return Pieces();
    if (argc >= 3 && mode == L"probes") return Probes(std::wstring(argv[2]) == L"together");
    std::fwprintf(stderr, L"usage: qm_configure_bench start RUNS COMMAND_LINE | ok COMMAND_LINE | "
                          L"restore RUNS DELAY_MS COMMAND_LINE | pieces | probes together|inturn\n");
    return 2;
}
