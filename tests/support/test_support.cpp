#include "test_support.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <atomic>
#include <cwchar>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

namespace qmtest {

std::wstring ScrPath() {
    return QM_SCR_PATH;
}
std::wstring BuildDir() {
    return QM_BUILD_DIR;
}
std::wstring SourceDir() {
    return QM_SOURCE_DIR;
}

std::wstring Quote(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

ChildProcess::~ChildProcess() {
    Kill();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), pid_(std::exchange(other.pid_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Kill();
        process_ = std::exchange(other.process_, nullptr);
        pid_ = std::exchange(other.pid_, 0);
    }
    return *this;
}

ChildProcess ChildProcess::Start(const std::wstring& commandLine, const wchar_t* workDir,
                                 const wchar_t* applicationName) {
    ChildProcess child;
    std::wstring mutableLine = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (::CreateProcessW(applicationName, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir,
                         &si, &pi)) {
        ::CloseHandle(pi.hThread);
        child.process_ = pi.hProcess;
        child.pid_ = pi.dwProcessId;
    }
    return child;
}

bool ChildProcess::WaitExit(DWORD timeoutMs) {
    return process_ && ::WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = 0xFFFFFFFF;
    if (process_) ::GetExitCodeProcess(process_, &code);
    return code;
}

void ChildProcess::Kill() {
    if (!process_) return;
    if (Running()) {
        ::TerminateProcess(process_, 0xDEAD);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
    process_ = nullptr;
}

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        PumpMessages(stepMs);
    }
}

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::wstring Shown(const std::wstring& caption) {
    std::wstring shown;
    for (size_t i = 0; i < caption.size(); ++i)
        shown += caption[i] == L'&' && i + 1 < caption.size() ? caption[++i] : caption[i];
    return shown;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

namespace {
struct WindowSearch {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<WindowSearch*>(lParam);
    if (ProcessOf(hwnd) == s->pid && (!s->visibleOnly || ::IsWindowVisible(hwnd))) s->found.push_back(hwnd);
    return TRUE;
}
} // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD pid, bool visibleOnly) {
    WindowSearch search{pid, visibleOnly, {}};
    ::EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindowOf(DWORD pid, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    HWND found = nullptr;
    PollUntil(
        [&] {
            for (HWND w : TopLevelWindowsOf(pid))
                if (match(w)) {
                    found = w;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

void PumpMessages(DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ULONGLONG now = ::GetTickCount64();
        if (now >= end) break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    } while (::GetTickCount64() < end);
}

void DeleteRegistryTree(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    for (;;) {
        wchar_t name[512];
        DWORD length = 512;
        if (::RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DeleteRegistryTree(key, name, view);
    }
    ::RegCloseKey(key);
    ::RegDeleteKeyExW(root, path.c_str(), view, 0);
}

namespace {
std::wstring UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    wchar_t text[64];
    std::swprintf(text, 64, L"%lu-%lu-%u", ::GetCurrentProcessId(),
                  static_cast<unsigned long>(::GetTickCount()), counter++);
    return text;
}
} // namespace

ScratchRegistry::ScratchRegistry() : base_(L"Software\\QuillmereTests\\" + UniqueSuffix()) {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (base_ + L"\\machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &machine_, nullptr);
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (base_ + L"\\user").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &user_, nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, user_);
}

ScratchRegistry::~ScratchRegistry() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(machine_);
    ::RegCloseKey(user_);
    DeleteRegistryTree(HKEY_CURRENT_USER, base_);
}

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"qmtest-" + UniqueSuffix();
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    std::wstring from = path_;
    from.push_back(L'\0'); // double-NUL list
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteBinaryFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string InAnsiCodePage(const std::wstring& text) {
    BOOL lossy = FALSE;
    const int size = static_cast<int>(text.size());
    std::string bytes(static_cast<std::size_t>(size) * 2, '\0');
    const int written = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, bytes.data(),
                                              static_cast<int>(bytes.size()), nullptr, &lossy);
    EXPECT_TRUE(written > 0 && !lossy) << "ANSI code page " << ::GetACP() << " cannot hold the text";
    bytes.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return bytes;
}

std::string ReadBinaryFile(const std::wstring& path) {
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

} // namespace qmtest

namespace qmtest {

bool RunToEndClosingWindows(ChildProcess& child, DWORD timeoutMs, int* windowsClosed) {
    int closed = 0;
    bool ended = PollUntil(
        [&] {
            if (!child.Running()) return true;
            for (HWND w : TopLevelWindowsOf(child.pid(), true)) {
                ::PostMessageW(w, WM_CLOSE, 0, 0);
                ++closed;
            }
            return false;
        },
        timeoutMs, 50);
    if (windowsClosed) *windowsClosed = closed;
    return ended;
}

UINT TestDpi() {
    wchar_t text[16] = {};
    return ::GetEnvironmentVariableW(L"QM_TEST_DPI", text, 16) ? std::wcstoul(text, nullptr, 10) : 96;
}

bool FitsTheScreenOfItsScale(HWND window) {
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const bool large = TestDpi() > 144;
    return frame.right - frame.left <= (large ? 2560 : 1280) &&
           frame.bottom - frame.top <= (large ? 1600 : 1024);
}

void MoveToDpi(HWND window, UINT dpi) {
    RECT place{};
    ::GetWindowRect(window, &place);
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&place));
    PumpMessages(50);
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return 0;
    BITMAP mask{};
    ::GetObjectW(info.hbmMask, sizeof(mask), &mask);
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    return mask.bmWidth;
}

} // namespace qmtest
