// Shared helpers of the Windows tests: starting and watching processes, finding windows, scratch
// registry keys and scratch folders.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace qmtest {

// A test seam of the product (a Set...ForTesting function) set for the life of the object, and the real
// one put back when it goes, failed assertion or not: ScopedSeam seam(qm::SetOpenWebPageForTesting, f);
template <typename... Fs> class ScopedSeam {
  public:
    explicit ScopedSeam(void (*set)(Fs...), std::type_identity_t<Fs>... fs) : set_(set) {
        set_(std::move(fs)...);
    }
    ~ScopedSeam() { set_(Fs{}...); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

  private:
    void (*set_)(Fs...);
};

// Build outputs as a Windows program under Wine sees them.
std::wstring ScrPath();
std::wstring BuildDir();
std::wstring SourceDir();

std::wstring Quote(const std::wstring& text);

// A started process; ended (killed) on destruction when it is still running.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // commandLine is passed to CreateProcessW as it stands; the program is taken from it unless an
    // application name is given.
    static ChildProcess Start(const std::wstring& commandLine, const wchar_t* workDir = nullptr,
                              const wchar_t* applicationName = nullptr);

    bool started() const { return process_ != nullptr; }
    DWORD pid() const { return pid_; }
    HANDLE process() const { return process_; }
    bool WaitExit(DWORD timeoutMs);
    bool Running() const;
    DWORD ExitCode() const;
    void Kill();

  private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// How long a test waits for the settings dialog to appear or its process to end. Generous: where 32-bit
// programs run under an emulator, the dialog's Direct3D probes take many seconds, and after closing, the
// process waits for the probes still running.
inline constexpr DWORD kSettingsDialogTimeLimitMs = 120000;

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs = 20);

std::wstring ClassNameOf(HWND window);
std::wstring TextOf(HWND window);
// A caption as it reads on screen: without the '&' that marks its access key, "&&" as one '&'.
std::wstring Shown(const std::wstring& caption);
DWORD ProcessOf(HWND window);
// Top-level windows that belong to process pid.
std::vector<HWND> TopLevelWindowsOf(DWORD pid, bool visibleOnly = false);
// Polls for a top-level window of pid that satisfies match; null on time-out.
HWND WaitForWindowOf(DWORD pid, const std::function<bool(HWND)>& match, DWORD timeoutMs);

// Pumps this thread's messages for the given time (hosts of other processes' child windows must pump).
void PumpMessages(DWORD milliseconds);

void DeleteRegistryTree(HKEY root, const std::wstring& path, REGSAM view = 0);

// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process to fresh scratch keys for the life
// of the object. The scratch keys merge both registry views, so view tests use the real keys.
class ScratchRegistry {
  public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  private:
    std::wstring base_;
    HKEY machine_ = nullptr;
    HKEY user_ = nullptr;
};

// A fresh folder under the temporary folder, removed with everything in it on destruction.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

bool FileExists(const std::wstring& path);
bool WriteBinaryFile(const std::wstring& path, const std::string& bytes);
std::string ReadBinaryFile(const std::wstring& path);
// The text in the system's ANSI code page, as a playlist written on this machine holds it; fails the
// test when the code page has no byte for one of its characters.
std::string InAnsiCodePage(const std::wstring& text);

} // namespace qmtest

namespace qmtest {

// Waits for the process to end, closing every window it shows meanwhile (message boxes, dialogs), so
// that a mode that would wait for the user still ends. Returns false on time-out.
bool RunToEndClosingWindows(ChildProcess& child, DWORD timeoutMs, int* windowsClosed = nullptr);

// The DPI this process was started at by a test at another scale (QM_TEST_DPI), else 96.
UINT TestDpi();
// Whether the window fits the screen of the test's scale: 1280 x 1024 up to 144 DPI, 2560 x 1600 above.
bool FitsTheScreenOfItsScale(HWND window);
// Tells the window, as Windows does, that it now shows at dpi, and lets it follow.
void MoveToDpi(HWND window, UINT dpi);
int IconWidth(HICON icon); // 0 for none

} // namespace qmtest
