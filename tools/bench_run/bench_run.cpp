// Measures the overhead of the screensaver's run mode: the time from starting the screensaver with /s
// until the main program (the stand-in) is running, against starting the stand-in directly. "Running"
// is the stand-in's first log record. Runs alternate, and the stand-in ends by itself shortly after.
//   qm_bench_run.exe SCR_PATH STANDIN_PATH RUNS
// The stand-in is copied into a scratch folder and named by AppPath (64-bit view) for the duration;
// the previous AppPath is put back. Prints one line per run and the medians and their ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Orvanta\\Quillmere - Taveny 3D Screensaver";
constexpr wchar_t kProgramName[] = L"Quillmere - Taveny 3D Screensaver.exe";

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool LogHasStart(const std::wstring& log) {
    HANDLE file =
        ::CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[256];
    DWORD read = 0;
    bool ok = ::ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr) && read > 0;
    ::CloseHandle(file);
    if (!ok) return false;
    buffer[read] = 0;
    return std::strstr(buffer, "\tstart\n") != nullptr;
}

// Milliseconds from CreateProcessW until the stand-in has recorded its start; negative on failure.
double TimeOne(const std::wstring& commandLine, const std::wstring& log) {
    ::DeleteFileW(log.c_str());
    std::wstring line = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const double start = Now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    double elapsed = -1;
    while (Now() - start < 30000) {
        if (LogHasStart(log)) {
            elapsed = Now() - start;
            break;
        }
        ::Sleep(1);
    }
    ::WaitForSingleObject(pi.hProcess, 30000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct SavedAppPath {
    bool had = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

SavedAppPath SaveAppPath() {
    SavedAppPath saved;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS)
        return saved;
    DWORD size = 0;
    if (::RegQueryValueExW(key, L"AppPath", nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size + 2);
        saved.had = ::RegQueryValueExW(key, L"AppPath", nullptr, &saved.type, saved.data.data(), &size) ==
                    ERROR_SUCCESS;
        saved.data.resize(size);
    }
    ::RegCloseKey(key);
    return saved;
}

void SetAppPath(const SavedAppPath* restore, const std::wstring& folder) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (!restore) {
        ::RegSetValueExW(key, L"AppPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    } else if (restore->had) {
        static const BYTE none = 0;
        ::RegSetValueExW(key, L"AppPath", 0, restore->type,
                         restore->data.empty() ? &none : restore->data.data(),
                         static_cast<DWORD>(restore->data.size()));
    } else {
        ::RegDeleteValueW(key, L"AppPath");
    }
    ::RegCloseKey(key);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fwprintf(stderr, L"usage: qm_bench_run SCR_PATH STANDIN_PATH RUNS\n");
        return 2;
    }
    const std::wstring scr = argv[1];
    const int runs = std::max(1, static_cast<int>(std::wcstol(argv[3], nullptr, 10)));

    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qm-bench-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = folder + L"\\" + kProgramName;
    const std::wstring log = folder + L"\\standin.log";
    if (!::CopyFileW(argv[2], program.c_str(), FALSE)) {
        std::fwprintf(stderr, L"cannot copy the stand-in\n");
        return 1;
    }
    ::SetEnvironmentVariableW(L"QM_STANDIN_LOG", log.c_str());
    ::SetEnvironmentVariableW(L"QM_STANDIN_SECONDS", L"0.05");

    const SavedAppPath saved = SaveAppPath();
    SetAppPath(nullptr, folder);

    std::vector<double> viaScr, direct;
    const std::wstring scrLine = L"\"" + scr + L"\" /s";
    const std::wstring directLine = L"\"" + program + L"\"";
    // One warm-up of each, not counted: the first start of a program file loads it from disk.
    TimeOne(scrLine, log);
    TimeOne(directLine, log);
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        const double a = TimeOne(scrLine, log);
        const double b = TimeOne(directLine, log);
        std::wprintf(L"run %d: via screensaver %.1f ms, direct %.1f ms\n", i + 1, a, b);
        if (a < 0 || b < 0) {
            ++failures;
            continue;
        }
        viaScr.push_back(a);
        direct.push_back(b);
    }
    SetAppPath(&saved, folder);
    ::DeleteFileW(program.c_str());
    ::DeleteFileW(log.c_str());
    ::RemoveDirectoryW(folder.c_str());

    if (viaScr.empty()) {
        std::wprintf(L"no run succeeded\n");
        return 1;
    }
    const double mScr = Median(viaScr), mDirect = Median(direct);
    std::wprintf(L"median via screensaver /s: %.1f ms\nmedian direct: %.1f ms\nratio: %.2f\n", mScr, mDirect,
                 mScr / mDirect);
    std::fflush(stdout);
    return failures ? 1 : 0;
}
