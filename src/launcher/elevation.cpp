#include "launcher/elevation.h"

#include "launcher/command_line.h"
#include "launcher/elevated_store.h"
#include "localisation/error_box.h"
#include "platform/sha256.h"
#include "platform/unique_handle.h"
#include "settings/playlist_store.h"
#include "settings/product.h"
#include "settings/registry.h"

#include <shellapi.h>

namespace qm {
namespace {

// The user's own wait: the prompt is theirs to answer.
constexpr DWORD kElevatedWaitMs = 120000;

// Where Windows keeps its elevation policy.
constexpr wchar_t kPolicyKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

struct ElevationSeams {
    std::function<TOKEN_ELEVATION_TYPE()> type;
    std::function<ElevatedRun(const SHELLEXECUTEINFOW&)> run;
};

ElevationSeams& Seams() {
    static ElevationSeams seams;
    return seams;
}

TOKEN_ELEVATION_TYPE ElevationType() {
    if (Seams().type) return Seams().type();
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    UniqueKernelHandle token;
    DWORD size = 0;
    // Before Vista the class is unknown: no elevation to be had.
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
        !::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof(type), &size))
        return TokenElevationTypeDefault;
    return type;
}

DWORD PolicyValue(const wchar_t* name, DWORD absent) {
    UniqueRegKey key;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, 0, WithView(KEY_QUERY_VALUE, RegistryView::Bit64),
                        key.put()) != ERROR_SUCCESS ||
        ::RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return absent;
    return value;
}

// An administrator's filtered token elevates with consent. A standard user's token (elevation type
// default, with User Account Control on) elevates with an administrator's credentials, unless policy
// denies standard users' requests (ConsentPromptBehaviorUser 0). An elevated token gains nothing.
bool CanElevate() {
    switch (ElevationType()) {
    case TokenElevationTypeLimited:
        return true;
    case TokenElevationTypeDefault:
        return PolicyValue(L"EnableLUA", 1) != 0 && PolicyValue(L"ConsentPromptBehaviorUser", 3) != 0;
    default:
        return false;
    }
}

bool IsUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// Starts it and waits for its end. The call returns only once the prompt is answered; then the windows stay
// painted and the answers keep coming, but the user's input waits for the end.
ElevatedRun StartAndWait(SHELLEXECUTEINFOW& start) {
    if (!::ShellExecuteExW(&start)) {
        const DWORD error = ::GetLastError();
        return {error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE, 0};
    }
    const UniqueKernelHandle process(start.hProcess);
    if (!process) return {ERROR_GEN_FAILURE, 0};

    const HCURSOR waitCursor = ::LoadCursorW(nullptr, IDC_WAIT);
    const DWORD began = ::GetTickCount();
    ElevatedRun result{ERROR_TIMEOUT, 0};
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        ::SetCursor(waitCursor);
        const DWORD spent = ::GetTickCount() - began;
        if (spent >= kElevatedWaitMs) break;
        HANDLE handle = process.get();
        const DWORD woken =
            ::MsgWaitForMultipleObjects(1, &handle, FALSE, kElevatedWaitMs - spent, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) {
            if (::GetExitCodeProcess(handle, &result.exitCode)) result.error = ERROR_SUCCESS;
            break;
        }
        if (woken != WAIT_OBJECT_0 + 1) break;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
            } else if (!IsUserInput(message.message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return result;
}

// This program, elevated, with the parameters. The prompt comes from the window, which must be the one in
// front, or Windows flashes a taskbar button instead of showing the prompt. The executable class has the
// "runas" verb; the screensaver class, which the file's own name would choose, need not have it.
ElevatedRun RunElevated(HWND window, const std::wstring& parameters) {
    std::wstring self(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0 || length >= self.size()) return {ERROR_FILE_NOT_FOUND, 0};
    self.resize(length);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | SEE_MASK_CLASSNAME;
    start.hwnd = window;
    start.lpVerb = L"runas";
    start.lpFile = self.c_str();
    start.lpParameters = parameters.c_str();
    start.lpClass = L"exefile";
    start.nShow = SW_SHOWNORMAL;
    if (Seams().run) return Seams().run(start);
    return StartAndWait(start);
}

// The request in a new file of the user's temporary folder, and the file's path as the elevated instance
// must name it: resolved through the handle, so that a folder reached through a SUBST or mapped drive
// letter, which the elevated logon session does not have, is named by its real place.
class RequestFile {
  public:
    explicit RequestFile(const std::wstring& text) : bytes_(text.size() * sizeof(wchar_t)) {
        wchar_t folder[MAX_PATH + 1];
        wchar_t name[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
        if (length == 0 || length > MAX_PATH || !::GetTempFileNameW(folder, L"qms", 0, name)) return;
        created_ = name;
        const UniqueFileHandle file(::CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                                  FILE_ATTRIBUTE_TEMPORARY, nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.get(), text.data(), static_cast<DWORD>(bytes_), &written, nullptr) ||
            written != bytes_)
            return;
        std::wstring resolved(32768, L'\0');
        const DWORD got = ::GetFinalPathNameByHandleW(file.get(), resolved.data(),
                                                      static_cast<DWORD>(resolved.size()), VOLUME_NAME_DOS);
        if (got == 0 || got >= resolved.size()) return;
        resolved.resize(got);
        if (auto seal = Sha256Hex(text.data(), bytes_)) {
            path_ = std::move(resolved);
            seal_ = std::move(*seal);
        }
    }
    ~RequestFile() {
        if (!created_.empty()) ::DeleteFileW(created_.c_str());
    }
    RequestFile(const RequestFile&) = delete;
    RequestFile& operator=(const RequestFile&) = delete;

    // Empty when the file could not be made whole.
    const std::wstring& path() const { return path_; }
    const std::wstring& seal() const { return seal_; }

  private:
    size_t bytes_;
    std::wstring created_;
    std::wstring path_;
    std::wstring seal_;
};

bool KeyHolds(const StoreRequest& request) {
    for (const auto& [name, value] : request.settings) {
        std::wstring stored;
        if (FAILED(RegReadString(HKEY_LOCAL_MACHINE, SettingsKeyPath, name, stored, RegistryView::Bit64)) ||
            stored != value)
            return false;
    }
    return !request.playlist || ReadStoredPlaylist() == *request.playlist;
}

// Whether the settings key can be written with this token (the key, or where it is missing, the
// nearest key above it, allows it).
bool SettingsKeyWritable() {
    std::wstring path = SettingsKeyPath;
    REGSAM access = KEY_SET_VALUE;
    for (;;) {
        UniqueRegKey key;
        const LONG opened = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                                            WithView(access, RegistryView::Bit64), key.put());
        if (opened == ERROR_SUCCESS) return true;
        const size_t parent = path.rfind(L'\\');
        if (opened != ERROR_FILE_NOT_FOUND || parent == std::wstring::npos) return false;
        path.resize(parent);
        access = KEY_CREATE_SUB_KEY;
    }
}

// What happened to the request, as the box the user then sees: none for a stored request or a declined
// prompt, the registry error box when the elevated instance could not even be started or did not end.
enum class ElevatedStoreResult { Stored, Declined, Unreadable, Refused, NotWritten, NotDone };

ElevatedStoreResult StoreElevated(HWND window, const StoreRequest& request) {
    if (request.settings.empty() && !request.playlist) return ElevatedStoreResult::Stored; // nothing new
    const RequestFile file(EncodeStoreRequest(request));
    if (file.path().empty()) return ElevatedStoreResult::NotDone;
    const ElevatedRun run = RunElevated(window, std::wstring(kElevatedStoreSwitch) + L" " + file.seal() +
                                                    L" \"" + file.path() + L"\"");
    if (run.error == ERROR_CANCELLED) return ElevatedStoreResult::Declined;
    if (run.error != ERROR_SUCCESS) return ElevatedStoreResult::NotDone;
    switch (run.exitCode) {
    case kElevatedStored: // and the key says so
        return KeyHolds(request) ? ElevatedStoreResult::Stored : ElevatedStoreResult::NotWritten;
    case kRequestUnreadable:
        return ElevatedStoreResult::Unreadable;
    case kRequestRefused:
        return ElevatedStoreResult::Refused;
    default:
        return ElevatedStoreResult::NotWritten;
    }
}

} // namespace

bool SaveNeedsElevation() {
    return !SettingsKeyWritable() && CanElevate();
}

bool StoreAfterFailedWrite(HWND window, const StoreRequest& request) {
    switch (CanElevate() ? StoreElevated(window, request) : ElevatedStoreResult::NotDone) {
    case ElevatedStoreResult::Stored:
        return true;
    case ElevatedStoreResult::Declined: // the user's own choice: nothing to tell
        return false;
    case ElevatedStoreResult::Unreadable:
        ShowStoreError(window, StoreFailure::Unreadable);
        return false;
    case ElevatedStoreResult::Refused:
        ShowStoreError(window, StoreFailure::Refused);
        return false;
    case ElevatedStoreResult::NotWritten:
    case ElevatedStoreResult::NotDone:
        ShowStoreError(window, StoreFailure::NotWritten);
        return false;
    }
    return false;
}

void SetElevationForTesting(std::function<TOKEN_ELEVATION_TYPE()> type,
                            std::function<ElevatedRun(const SHELLEXECUTEINFOW& start)> run) {
    Seams() = {std::move(type), std::move(run)};
}

} // namespace qm
