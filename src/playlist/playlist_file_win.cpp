#include "playlist/playlist_file.h"

#include "platform/file_system.h"
#include "platform/unique_handle.h"

#include <windows.h>

namespace qm {
namespace {

// Reads the file in pieces into the decoder, stopping as soon as the decoder has seen the end (0x1A or
// an over-long line), so a huge file without line ends costs one piece, not the whole file.
bool ReadFileInto(const std::wstring& path, PlaylistFileDecoder& decoder) {
    if (path.find(L'\0') != std::wstring::npos) return false;
    UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) break;
        if (read == 0) break;
        if (!decoder.Feed(std::string_view(buffer.data(), read))) break;
    }
    return true;
}

} // namespace

void ParsePlaylistText(const std::wstring& baseDirectory, const std::wstring& text,
                       std::vector<std::wstring>& entries) {
    ParsePlaylistText(baseDirectory, text, entries, &PathExists);
}

void ReadPlaylistFile(const std::wstring& path, std::vector<std::wstring>& entries) {
    PlaylistFileDecoder decoder;
    if (!ReadFileInto(path, decoder)) return;
    decoder.Finish();
    ParsePlaylistText(PlaylistBaseDirectory(path), decoder.text(), entries, &PathExists);
}

std::vector<std::wstring> AddPlaylistPath(const std::wstring& path) {
    return AddPlaylistPath(path, &PathExists, &ReadFileInto);
}

} // namespace qm
