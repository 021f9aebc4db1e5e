// Demo helper: starts the settings dialog (COMMAND_LINE), waits until it is on screen, writes the screen
// rectangle of what is to be shown to READY_FILE, waits for DONE_FILE (the screenshot taken), then closes
// what it opened and waits for the program to end.
//   qm_demo_driver settings READY_FILE DONE_FILE REPORT_FILE COMMAND_LINE
//       Shows the dialog. First writes REPORT_FILE (UTF-8): each control whose text is wider than its
//       box, one a line (ID  "TEXT"  needs N px, box M px), or "none".
//   qm_demo_driver playlist READY_FILE DONE_FILE COMMAND_LINE ENTRY...
//       Shows the playlist editor holding ENTRY... (existing files): stores them as the playlist, turns
//       music and "Play my music" on as a user would and presses "Edit Playlist...". Cancel closes the
//       editor and the dialog, so no setting changes; the stored playlist is put back as it was.
// The access keys are underlined from the start, as Windows shows them while Alt is held.
// Exit code: the program's own, or 2 and up when the driver could not do its part (see stderr).
#include "clipped_texts.h"

#include "resource.h"
#include "standin_support.h"
#include "test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using qmtest::ChildProcess;

constexpr wchar_t kPlaylistValue[] = L"PlayList";
// Under emulation the dialog takes tens of seconds to open when the machine is busy.
constexpr DWORD kWindowWaitMs = 180000;
constexpr DWORD kPollMs = 50;

enum Failure { kUsage = 2, kCannotStart = 3, kNoWindow = 4, kNotMeasured = 5, kNoEditor = 6 };

std::vector<HWND> VisibleWindowsOf(const ChildProcess& child) {
    return qmtest::TopLevelWindowsOf(child.pid(), true);
}

// The first visible window of the process that passes the test, or null when the process ends first or
// none shows in time.
template <typename Test> HWND WaitForWindow(ChildProcess& child, Test test) {
    for (DWORD waited = 0; waited < kWindowWaitMs; waited += kPollMs) {
        for (HWND window : VisibleWindowsOf(child))
            if (test(window)) return window;
        if (child.WaitExit(kPollMs)) break;
    }
    return nullptr;
}

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

// The system's "underline access keys" setting on for the driver's life, then as it was: a dialog reads it
// as it opens.
class KeyboardCuesShown {
  public:
    KeyboardCuesShown() {
        ::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &before_, 0);
        ::SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(TRUE), SPIF_SENDCHANGE);
    }
    ~KeyboardCuesShown() {
        ::SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0,
                                reinterpret_cast<void*>(static_cast<INT_PTR>(before_)), SPIF_SENDCHANGE);
    }
    KeyboardCuesShown(const KeyboardCuesShown&) = delete;
    KeyboardCuesShown& operator=(const KeyboardCuesShown&) = delete;

  private:
    BOOL before_ = FALSE;
};

// Lets the window paint, then writes its screen rectangle ("0 0 0 0" without one) and waits for the
// screenshot.
void ShowForScreenshot(HWND window, const wchar_t* readyFile, const wchar_t* doneFile) {
    RECT rect{};
    if (window) {
        ::Sleep(1500);
        ::GetWindowRect(window, &rect);
    }
    char line[64];
    std::snprintf(line, sizeof(line), "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top);
    qmtest::WriteBinaryFile(readyFile, line);
    for (int i = 0; i < 1200 && !qmtest::FileExists(doneFile); ++i)
        ::Sleep(kPollMs);
}

// Sends to the other process without letting a hung window hang the demo.
LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 30000, &result);
    return static_cast<LRESULT>(result);
}

// A click as the user makes it (press and release over the button), so the dialog sees what a user does.
// Posted: a button that opens a modal window would keep a sent click from returning until it closes.
void Click(HWND dialog, int id) {
    ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void CheckBox(HWND dialog, int id) {
    HWND box = ::GetDlgItem(dialog, id);
    if (SendTo(box, BM_GETCHECK) != BST_CHECKED) SendTo(box, BM_CLICK);
}

// The answer of qm_clipped_texts.dll, received while the request is being sent.
struct Answer {
    bool received = false;
    std::wstring text;
};

LRESULT CALLBACK AnswerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* answer = reinterpret_cast<Answer*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (answer && data->dwData == clipped_texts::kReplyTag) {
            answer->received = true;
            answer->text.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
            return TRUE;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// The report lines for the dialog's clipped texts, or false when the dialog's process could not be asked.
bool MeasureClippedTexts(HWND dialog, std::string& report) {
    HMODULE dll = ::LoadLibraryW((OwnFolder() + clipped_texts::kDllName).c_str());
    auto hook = dll ? reinterpret_cast<HOOKPROC>(
                          reinterpret_cast<void (*)()>(::GetProcAddress(dll, clipped_texts::kHookName)))
                    : nullptr;
    if (!hook) {
        std::fwprintf(stderr, L"cannot load %ls\n", clipped_texts::kDllName);
        return false;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &AnswerWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuillmereDemoAnswer";
    ::RegisterClassW(&windowClass);
    HWND answerWindow = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, windowClass.hInstance, nullptr);
    Answer answer;
    ::SetWindowLongPtrW(answerWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answer));

    HHOOK installed =
        ::SetWindowsHookExW(WH_CALLWNDPROC, hook, dll, ::GetWindowThreadProcessId(dialog, nullptr));
    if (installed) {
        SendTo(dialog, ::RegisterWindowMessageW(clipped_texts::kRequestName),
               reinterpret_cast<WPARAM>(answerWindow));
        ::UnhookWindowsHookEx(installed);
    }
    ::DestroyWindow(answerWindow);
    if (!answer.received) {
        std::fwprintf(stderr, L"the dialog's texts were not measured\n");
        return false;
    }

    report = Utf8(answer.text);
    if (report.empty()) report = "none\n";
    return true;
}

// The settings dialog shows before its probes answer: waits until the monitor list, the antialiasing list
// and the "Antialiasing" box are filled in, as a user sees the dialog a moment later.
void WaitUntilComplete(HWND dialog) {
    qmtest::PollUntil(
        [dialog] {
            return SendTo(::GetDlgItem(dialog, IDC_MONITOR_LIST), CB_GETCOUNT) > 0 &&
                   SendTo(::GetDlgItem(dialog, IDC_ANTIALIASING_LIST), CB_GETCOUNT) > 0 &&
                   ::IsWindowEnabled(::GetDlgItem(dialog, IDC_ANTIALIASING));
        },
        kWindowWaitMs, kPollMs);
}

bool IsPlaylistEditor(HWND window) {
    return ::GetDlgItem(window, IDC_PLAYLIST_VIEW) != nullptr;
}

// Music on, "Play my music" on, "Edit Playlist...": the editor, or null when it does not come up with
// entries.
HWND OpenPlaylistEditor(ChildProcess& child, HWND dialog) {
    CheckBox(dialog, IDC_ENABLE_MUSIC);
    CheckBox(dialog, IDC_PLAY_MY_MUSIC);
    if (!::IsWindowEnabled(::GetDlgItem(dialog, IDC_EDIT_PLAYLIST))) {
        std::fwprintf(stderr, L"\"Edit Playlist...\" stays disabled with music and \"Play my music\" on\n");
        return nullptr;
    }
    Click(dialog, IDC_EDIT_PLAYLIST);
    HWND editor = WaitForWindow(child, &IsPlaylistEditor);
    if (!editor) {
        std::fwprintf(stderr, L"the playlist editor did not come up\n");
        return nullptr;
    }
    const LRESULT entries = SendTo(::GetDlgItem(editor, IDC_PLAYLIST_VIEW), LVM_GETITEMCOUNT);
    std::wprintf(L"The playlist editor shows %ld entries.\n", static_cast<long>(entries));
    return entries > 0 ? editor : nullptr;
}

// Closes what the dialog still shows (the editor with Cancel, then the dialog with Cancel; anything left
// with WM_CLOSE) and returns the program's exit code.
int CloseAndWait(ChildProcess& child, HWND dialog) {
    auto editorOpen = [&child] {
        for (HWND window : VisibleWindowsOf(child))
            if (IsPlaylistEditor(window)) return true;
        return false;
    };
    for (HWND window : VisibleWindowsOf(child))
        if (window != dialog && IsPlaylistEditor(window)) Click(window, IDCANCEL);
    qmtest::PollUntil([&] { return !child.Running() || !editorOpen(); }, 30000, 100);
    if (dialog) Click(dialog, IDCANCEL);
    // Under emulation the process can take a few seconds to end.
    if (!child.WaitExit(10000)) qmtest::RunToEndClosingWindows(child, 55000);
    if (child.Running()) {
        child.Kill();
        return 1;
    }
    return static_cast<int>(child.ExitCode());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    const bool settings = mode == L"settings" && argc == 6;
    const bool playlist = mode == L"playlist" && argc >= 5;
    if (!settings && !playlist) {
        std::fwprintf(stderr,
                      L"usage: qm_demo_driver settings READY_FILE DONE_FILE REPORT_FILE COMMAND_LINE\n"
                      L"       qm_demo_driver playlist READY_FILE DONE_FILE COMMAND_LINE ENTRY...\n");
        return kUsage;
    }
    const wchar_t* readyFile = argv[2];
    const wchar_t* doneFile = argv[3];
    const std::wstring line = argv[settings ? 5 : 4];
    std::wstring entries;
    for (int i = 5; playlist && i < argc; ++i)
        entries += std::wstring(argv[i]) + L'\n'; // as the editor stores them

    std::optional<qmtest::SavedRegistryValue> storedPlaylist;
    if (playlist) {
        storedPlaylist.emplace(HKEY_LOCAL_MACHINE, qmtest::kSettingsKey, kPlaylistValue, KEY_WOW64_64KEY);
        storedPlaylist->SetText(entries);
    }

    KeyboardCuesShown cues;
    ChildProcess child = ChildProcess::Start(line);
    if (!child.started()) {
        std::fwprintf(stderr, L"cannot start: %ls\n", line.c_str());
        return kCannotStart;
    }

    int failure = 0;
    HWND dialog = WaitForWindow(child, [](HWND) { return true; });
    HWND shown = dialog;
    if (!dialog) {
        std::fwprintf(stderr, L"no window of: %ls\n", line.c_str());
        failure = kNoWindow;
    } else if (settings) {
        WaitUntilComplete(dialog);
        std::string report;
        if (MeasureClippedTexts(dialog, report))
            qmtest::WriteBinaryFile(argv[4], report);
        else
            failure = kNotMeasured;
    } else {
        shown = OpenPlaylistEditor(child, dialog);
        if (!shown) failure = kNoEditor;
    }
    ShowForScreenshot(shown, readyFile, doneFile);

    const int code = CloseAndWait(child, dialog);
    return failure ? failure : code;
}
