// Arbitrary bytes as an .m3u file, as stored playlist text and as an open-file result buffer: reading
// must stay within bounds, give the same text however the file arrives in pieces, and every accepted
// entry must survive being stored and read back.
#include "playlist/open_file_names.h"
#include "playlist/playlist_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A name "exists" by a rule the input cannot predict cheaply, so both branches of the lookup run.
bool FakeExists(const std::wstring& path) {
    std::size_t hash = path.size();
    for (wchar_t c : path)
        hash = hash * 31 + static_cast<std::size_t>(c);
    return (hash & 3) != 0;
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 17;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::wstring whole = qm::PlaylistTextFromFileBytes(bytes);
    qm::PlaylistFileDecoder decoder;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (!decoder.Feed(bytes.substr(at, piece))) break;
    }
    decoder.Finish();
    Check(decoder.text() == whole);
    Check(whole.empty() || whole.back() == L'\n');

    const std::wstring base = (data[0] & 0x80) ? L"D:\\Lists\\" : L"";
    std::vector<std::wstring> entries;
    qm::ParsePlaylistText(base, whole, entries, &FakeExists);
    for (const auto& entry : entries) {
        Check(!entry.empty() && entry.front() != L'#');
        Check(entry.find(L'\n') == std::wstring::npos);
        Check(entry.size() <= base.size() + qm::kMaxPlaylistLine);
        Check(FakeExists(entry));
    }
    // What the editor stores, it reads back unchanged (all entries still existing).
    std::vector<std::wstring> reread;
    qm::ParsePlaylistText(L"", qm::PlaylistText(entries), reread, [](const std::wstring&) { return true; });
    Check(reread == entries);

    // The same bytes as a result buffer of the open-file dialog, two bytes a character.
    std::wstring buffer(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<wchar_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                         static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    for (const auto& path : qm::ChosenFilePaths(buffer, data[0] % 64)) {
        Check(!path.empty() && path.find(L'\0') == std::wstring::npos);
    }
    return 0;
}
