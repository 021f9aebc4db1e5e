// Stand-in for the separately installed main program, for tests and the demo. A 64-bit program, so it
// sees the registry as the real main program does. It honours the main program's contract and records
// what it receives to the file named by QM_STANDIN_LOG (appended, UTF-8, one record a line):
//
//   <pid> TAB <kind> [TAB <field>]...
//
// Bytes below 0x20 and '%' inside a field are written as %XX (hex). Records:
//   start                           the program has started
//   cmdline <text>                  GetCommandLineW as received
//   cwd <path>                      the working directory
//   exe <path>                      where this program file lies
//   startup <flags> <show>          dwFlags and wShowWindow of the start-up information received
//   mode <run|wallpaper|dump>
//   window <handle>                 the window is up (decimal handle)
//   message-id <id>                 the registered live-settings message (wallpaper)
//   live <code> <value>             one live-settings message received (wallpaper)
//   value <name> <type> <bytes> <data>   one value of the settings key (dump); REG_SZ/EXPAND_SZ/MULTI_SZ data
//                                   as every stored UTF-16 character (NULs as %00), other types as hex
//   playlist <text>                 "PlayList" up to its first NUL, or the record "playlist-absent" (dump)
//   run-entry <text>                the user's autostart entry, or "run-entry-absent" (dump)
//   key-absent                      the settings key does not exist (dump)
//   end <reason> <exit code>        reason: input, timeout, closed, dumped
//
// Switches: "/w" runs as the animated wallpaper, "/dump" (tests only) writes the settings key and ends;
// anything else runs the screensaver: a full-screen window until a key, a click or a mouse move.
// QM_STANDIN_SECONDS (decimal, fractions allowed) ends either window after that time.
// QM_STANDIN_EXIT_CODE sets the exit code.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Orvanta\\Quillmere - Taveny 3D Screensaver";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"OrvantaAnimatedWallpaper";
constexpr wchar_t kLiveMessageName[] = L"ChangeWallpaperSettingsQuillmere - Taveny";
constexpr wchar_t kWallpaperClass[] = L"Direct3D Window";
constexpr wchar_t kScreensaverClass[] = L"QuillmereStandInScreensaver";
constexpr UINT_PTR kEndTimer = 1;

UINT g_liveMessage = 0;
std::wstring g_endReason = L"closed";
bool g_sawMouse = false;
POINT g_firstMouse{};

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[2048];
    DWORD n = ::GetEnvironmentVariableW(name, buffer, 2048);
    return n > 0 && n < 2048 ? std::wstring(buffer, n) : std::wstring();
}

std::string Escape(const std::wstring& field) {
    std::string out;
    for (wchar_t c : field) {
        char utf8[8];
        int n = ::WideCharToMultiByte(CP_UTF8, 0, &c, 1, utf8, sizeof(utf8), nullptr, nullptr);
        if (c < 0x20 || c == L'%') {
            char hex[4];
            std::snprintf(hex, sizeof(hex), "%%%02X", static_cast<unsigned>(c));
            out += hex;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += "%3F"; // a lone surrogate half would not survive UTF-8
        } else {
            out.append(utf8, n);
        }
    }
    return out;
}

void Record(const std::vector<std::wstring>& fields) {
    const std::wstring path = Environment(L"QM_STANDIN_LOG");
    if (path.empty()) return;
    std::string line = std::to_string(::GetCurrentProcessId());
    for (const std::wstring& f : fields)
        line += "\t" + Escape(f);
    line += "\n";
    // One write per record, opened for appending each time: several stand-ins may share the log.
    HANDLE file =
        ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::wstring Number(long long n) {
    return std::to_wstring(n);
}

void RecordStart() {
    Record({L"start"});
    Record({L"cmdline", ::GetCommandLineW()});
    wchar_t buffer[4096] = {};
    DWORD n = ::GetCurrentDirectoryW(4096, buffer);
    Record({L"cwd", std::wstring(buffer, n < 4096 ? n : 0)});
    n = ::GetModuleFileNameW(nullptr, buffer, 4096);
    Record({L"exe", std::wstring(buffer, n < 4096 ? n : 0)});
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    Record({L"startup", Number(startup.dwFlags), Number(startup.wShowWindow)});
}

void ArmEndTimer(HWND window) {
    const std::wstring seconds = Environment(L"QM_STANDIN_SECONDS");
    if (seconds.empty()) return;
    const double value = std::wcstod(seconds.c_str(), nullptr);
    const double ms = value > 0 ? value * 1000.0 : 0.0;
    ::SetTimer(window, kEndTimer, ms > 1 ? static_cast<UINT>(ms) : 1, nullptr);
}

void End(HWND window, const wchar_t* reason) {
    g_endReason = reason;
    ::DestroyWindow(window);
}

LRESULT CALLBACK WallpaperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == g_liveMessage) {
        Record({L"live", Number(static_cast<long long>(wParam)), Number(static_cast<long long>(lParam))});
        return 0;
    }
    switch (message) {
    case WM_TIMER:
        if (wParam == kEndTimer) End(window, L"timeout");
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ScreensaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        End(window, L"input");
        return 0;
    case WM_MOUSEMOVE: {
        // The system reports the pointer once when the window appears under it; only a real move ends.
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (!g_sawMouse) {
            g_sawMouse = true;
            g_firstMouse = p;
        } else if (std::abs(p.x - g_firstMouse.x) > 4 || std::abs(p.y - g_firstMouse.y) > 4) {
            End(window, L"input");
        }
        return 0;
    }
    case WM_TIMER:
        if (wParam == kEndTimer) End(window, L"timeout");
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window, &ps);
        RECT r;
        ::GetClientRect(window, &r);
        HBRUSH brush = ::CreateSolidBrush(RGB(12, 24, 64));
        ::FillRect(dc, &r, brush);
        ::DeleteObject(brush);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(230, 230, 255));
        const wchar_t text[] = L"Quillmere - Taveny 3D Screensaver (stand-in)";
        ::DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::EndPaint(window, &ps);
        return 0;
    }
    case WM_SETCURSOR:
        ::SetCursor(nullptr);
        return TRUE;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RunLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void RunWallpaper(HINSTANCE instance) {
    Record({L"mode", L"wallpaper"});
    g_liveMessage = ::RegisterWindowMessageW(kLiveMessageName);
    Record({L"message-id", Number(g_liveMessage)});
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WallpaperProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kWallpaperClass;
    ::RegisterClassExW(&wc);
    // A plain, inactive window: it stands for the rendering window the wallpaper puts behind the icons.
    HWND window =
        ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kWallpaperClass, L"Animated Wallpaper",
                          WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, instance, nullptr);
    if (!window) return;
    Record({L"window", Number(reinterpret_cast<INT_PTR>(window))});
    ArmEndTimer(window);
    RunLoop();
}

void RunScreensaver(HINSTANCE instance) {
    Record({L"mode", L"run"});
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ScreensaverProc;
    wc.hInstance = instance;
    wc.lpszClassName = kScreensaverClass;
    ::RegisterClassExW(&wc);
    HWND window = ::CreateWindowExW(WS_EX_TOPMOST, kScreensaverClass, L"Quillmere - Taveny 3D Screensaver",
                                    WS_POPUP | WS_VISIBLE, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                                    ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    if (!window) return;
    Record({L"window", Number(reinterpret_cast<INT_PTR>(window))});
    ArmEndTimer(window);
    RunLoop();
}

std::wstring Hex(const std::vector<BYTE>& data) {
    std::wstring out;
    wchar_t two[3];
    for (BYTE b : data) {
        std::swprintf(two, 3, L"%02x", b);
        out += two;
    }
    return out;
}

void RecordValue(const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
    std::wstring text;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        text.assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    } else {
        text = Hex(data);
    }
    Record({L"value", name, Number(type), Number(static_cast<long long>(data.size())), text});
}

// The text up to the first NUL of a string value, as a reader of the key gets it.
bool ReadText(HKEY root, const wchar_t* path, const wchar_t* name, std::wstring& text) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool ok =
        ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (ok) {
        DWORD bytes = size;
        ok = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) ==
             ERROR_SUCCESS;
    }
    ::RegCloseKey(key);
    if (ok) text = buffer.data();
    return ok;
}

void Dump() {
    Record({L"mode", L"dump"});
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        Record({L"key-absent"});
    } else {
        for (DWORD index = 0;; ++index) {
            wchar_t name[16384];
            DWORD nameLength = 16384, type = 0, size = 0;
            if (::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS)
                break;
            std::vector<BYTE> data(size);
            DWORD bytes = size;
            if (::RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS) continue;
            data.resize(bytes);
            RecordValue(std::wstring(name, nameLength), type, data);
        }
        ::RegCloseKey(key);
    }
    std::wstring text;
    if (ReadText(HKEY_LOCAL_MACHINE, kSettingsKey, L"PlayList", text))
        Record({L"playlist", text});
    else
        Record({L"playlist-absent"});
    text.clear();
    if (ReadText(HKEY_CURRENT_USER, kRunKey, kRunValue, text))
        Record({L"run-entry", text});
    else
        Record({L"run-entry-absent"});
    g_endReason = L"dumped";
}

// The first argument after the program name, as the command line carries it.
std::wstring FirstSwitch() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring first = args && count > 1 ? args[1] : L"";
    ::LocalFree(args);
    return first;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RecordStart();
    const std::wstring option = FirstSwitch();
    if (lstrcmpiW(option.c_str(), L"/w") == 0)
        RunWallpaper(instance);
    else if (lstrcmpiW(option.c_str(), L"/dump") == 0)
        Dump();
    else
        RunScreensaver(instance);
    const std::wstring code = Environment(L"QM_STANDIN_EXIT_CODE");
    const int exitCode = code.empty() ? 0 : static_cast<int>(std::wcstol(code.c_str(), nullptr, 10));
    Record({L"end", g_endReason, Number(exitCode)});
    return exitCode;
}
