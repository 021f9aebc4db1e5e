#include "launcher/elevated_store.h"

#include "platform/sha256.h"
#include "platform/unique_handle.h"
#include "settings/playlist_store.h"
#include "settings/settings_record.h"
#include "settings/store_request.h"
#include "settings/typed_value.h"

#include <optional>

namespace qm {
namespace {

// The bytes of the file, when it is a plain disk file of its own, read whole and no longer than a request
// may be. Not a device, a pipe or a directory, and not through a link: whoever can write the folder could
// otherwise point the name at something else between the checks and the read. Opened once, and read from
// that handle, with writers shut out meanwhile.
std::optional<std::string> ReadRequestFile(const std::wstring& path) {
    const UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || ::GetFileType(file.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        info.nNumberOfLinks != 1)
        return std::nullopt;
    const ULONGLONG size = (ULONGLONG{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (size > kMaxStoreRequestChars * sizeof(wchar_t)) return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size), &got, nullptr) || got != size)
        return std::nullopt;
    return bytes;
}

} // namespace

ElevatedStoreExit RunElevatedStore(const std::wstring& requestFile, const std::wstring& seal) {
    const std::optional<std::string> bytes = ReadRequestFile(requestFile);
    if (!bytes) return kRequestUnreadable;
    if (seal.empty() || Sha256Hex(bytes->data(), bytes->size()) != seal ||
        bytes->size() % sizeof(wchar_t) != 0)
        return kRequestRefused;
    std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
    bytes->copy(reinterpret_cast<char*>(text.data()), bytes->size());
    const std::optional<StoreRequest> request = DecodeStoreRequest(text);
    if (!request) return kRequestRefused;
    Node settings;
    for (const auto& [name, value] : request->settings)
        settings.Get(name) = std::move(*ReadTypedValueText(value));
    bool stored = request->settings.empty() || SaveSettings(settings);
    if (stored && request->playlist) stored = WriteStoredPlaylist(*request->playlist);
    return stored ? kElevatedStored : kRequestNotWritten;
}

} // namespace qm
