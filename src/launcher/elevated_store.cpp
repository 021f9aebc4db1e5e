#include "launcher/elevated_store.h"

#include "localisation/error_box.h"
#include "platform/unique_handle.h"
#include "settings/playlist_store.h"
#include "settings/settings_record.h"
#include "settings/store_request.h"
#include "settings/typed_value.h"

#include <windows.h>

#include <optional>

namespace qm {
namespace {

// The file's characters; nothing when it cannot be read whole or is over the request's bound.
std::optional<std::wstring> ReadRequestFile(const std::wstring& path) {
    const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart % sizeof(wchar_t) != 0 ||
        size.QuadPart > static_cast<LONGLONG>((kMaxStoreRequestChars + 1) * sizeof(wchar_t)))
        return std::nullopt;
    std::wstring text(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
    DWORD got = 0;
    if (!::ReadFile(file.get(), text.data(), static_cast<DWORD>(size.QuadPart), &got, nullptr) ||
        got != size.QuadPart)
        return std::nullopt;
    return text;
}

} // namespace

void RunElevatedStore(const std::wstring& requestFile) {
    const std::optional<std::wstring> text = ReadRequestFile(requestFile);
    if (!text) return;
    const std::optional<StoreRequest> request = DecodeStoreRequest(*text, DialogSettingNames());
    if (!request) return;
    Node settings;
    for (const auto& [name, value] : request->settings)
        settings.Get(name) = std::move(*ReadTypedValueText(value));
    bool stored = request->settings.empty() || SaveSettings(settings);
    if (stored && request->playlist) stored = WriteStoredPlaylist(*request->playlist);
    if (!stored) ShowRegistryWriteError(nullptr);
}

} // namespace qm
