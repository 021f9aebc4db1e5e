#include "launcher/elevation.h"

#include "launcher/command_line.h"
#include "localisation/error_box.h"
#include "platform/unique_handle.h"
#include "settings/playlist_store.h"
#include "settings/product.h"
#include "settings/registry.h"

#include <shellapi.h>

namespace qm {
namespace {

// The user's own wait: the prompt is theirs to answer.
constexpr DWORD kElevatedWaitMs = 120000;

struct ElevationSeams {
    std::function<TOKEN_ELEVATION_TYPE()> type;
    std::function<DWORD(const std::wstring&)> run;
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

bool IsUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// This program, elevated, with the parameters; waits for it to end.
DWORD RunElevatedAndWait(HWND owner, const std::wstring& parameters) {
    std::wstring self(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0 || length >= self.size()) return ERROR_FILE_NOT_FOUND;
    self.resize(length);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = self.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
    }
    const UniqueKernelHandle process(info.hProcess);
    if (!process) return ERROR_SUCCESS;

    // The windows stay painted and the answers keep coming, but the user's input waits for the end.
    const HCURSOR waitCursor = ::LoadCursorW(nullptr, IDC_WAIT);
    const DWORD start = ::GetTickCount();
    DWORD result = ERROR_TIMEOUT;
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        ::SetCursor(waitCursor);
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= kElevatedWaitMs) break;
        const DWORD woken =
            ::MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, kElevatedWaitMs - spent, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) {
            result = ERROR_SUCCESS;
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

bool WriteRequestFile(const std::wstring& path, const std::wstring& text) {
    const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                              FILE_ATTRIBUTE_TEMPORARY, nullptr));
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), text.data(), bytes, &written, nullptr) && written == bytes;
}

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

// The user can elevate: the token is an administrator's filtered one.
bool CanElevate() {
    return ElevationType() == TokenElevationTypeLimited;
}

// Stored: the key holds every value of the request. Declined: the user refused the prompt. Failed: the
// elevated instance ran but the key does not hold the values (it has shown the error box when its own
// write failed). NotDone: the elevated instance could not be started, or did not end in time.
enum class ElevatedStoreResult { Stored, Declined, Failed, NotDone };

// Starts the elevated instance on the request and waits for it (see RunElevatedAndWait).
ElevatedStoreResult StoreElevated(HWND owner, const StoreRequest& request) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t file[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || !::GetTempFileNameW(folder, L"qms", 0, file))
        return ElevatedStoreResult::NotDone;
    if (!WriteRequestFile(file, EncodeStoreRequest(request))) {
        ::DeleteFileW(file);
        return ElevatedStoreResult::NotDone;
    }
    const std::wstring parameters = std::wstring(kElevatedStoreSwitch) + L" \"" + file + L"\"";
    const DWORD error = Seams().run ? Seams().run(parameters) : RunElevatedAndWait(owner, parameters);
    ::DeleteFileW(file);
    if (error == ERROR_CANCELLED) return ElevatedStoreResult::Declined;
    if (error != ERROR_SUCCESS) return ElevatedStoreResult::NotDone;
    return KeyHolds(request) ? ElevatedStoreResult::Stored : ElevatedStoreResult::Failed;
}

} // namespace

bool SaveNeedsElevation() {
    return !SettingsKeyWritable() && CanElevate();
}

bool StoreAfterFailedWrite(HWND owner, const StoreRequest& request) {
    if (CanElevate()) {
        switch (StoreElevated(owner, request)) {
        case ElevatedStoreResult::Stored:
            return true;
        case ElevatedStoreResult::Declined: // the user's own choice: nothing to tell
        case ElevatedStoreResult::Failed:   // the elevated instance has said why
            return false;
        case ElevatedStoreResult::NotDone:
            break;
        }
    }
    ShowRegistryWriteError(owner);
    return false;
}

void SetElevationForTesting(std::function<TOKEN_ELEVATION_TYPE()> type,
                            std::function<DWORD(const std::wstring& parameters)> run) {
    Seams() = {std::move(type), std::move(run)};
}

} // namespace qm
