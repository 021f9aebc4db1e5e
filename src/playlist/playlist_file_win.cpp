#include "playlist/playlist_file.h"

#include "platform/file_system.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <algorithm>
#include <climits>

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

CodePageDecoder SystemAnsiDecoder() {
    const UINT codePage = ::GetACP();
    return [codePage](std::string_view bytes) {
        std::wstring text;
        // The decoder hands over one line at a time, a few thousand bytes at most.
        if (bytes.empty() || bytes.size() > INT_MAX) return text;
        const int size = static_cast<int>(bytes.size());
        const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
        if (length <= 0) return text;
        text.resize(static_cast<std::size_t>(length));
        text.resize(static_cast<std::size_t>(
            std::max(0, ::MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length))));
        return text;
    };
}

void ParsePlaylistText(const std::wstring& baseDirectory, const std::wstring& text,
                       std::vector<std::wstring>& entries) {
    ParsePlaylistText(baseDirectory, text, entries, &PathExists);
}

void ReadPlaylistFile(const std::wstring& path, std::vector<std::wstring>& entries) {
    ReadPlaylistFile(path, entries, &PathExists, &ReadFileInto, SystemAnsiDecoder());
}

std::vector<std::wstring> AddPlaylistPath(const std::wstring& path) {
    return AddPlaylistPath(path, &PathExists, &ReadFileInto, SystemAnsiDecoder());
}

} // namespace qm
