// Arbitrary bytes as an .m3u or .m3u8 file, as stored playlist text and as an open-file result buffer:
// reading must stay within bounds, give the same text however the file arrives in pieces, keep only
// naming lines within the line limit, and every accepted entry must survive being stored and read back.
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

    const unsigned codePage = (data[0] & 0x20) ? 1251 : 1252;
    const auto kind = (data[0] & 0x40) ? qm::PlaylistFileKind::M3u8 : qm::PlaylistFileKind::M3u;
    const std::wstring whole = qm::PlaylistTextFromFileBytes(bytes, codePage, kind);
    qm::PlaylistFileDecoder decoder(qm::SingleByteCodePageDecoder(codePage), kind);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (!decoder.Feed(bytes.substr(at, piece))) break;
    }
    decoder.Finish();
    Check(decoder.text() == whole);
    Check(whole.empty() || whole.back() == L'\n');
    // Only naming lines are kept, none longer than the limit however it was decoded.
    for (std::size_t start = 0; start < whole.size();) {
        const std::size_t end = whole.find(L'\n', start);
        Check(end != start && whole[start] != L'#');
        Check(qm::CharacterCount(std::wstring_view(whole).substr(start, end - start)) <=
              qm::kMaxPlaylistLine);
        start = end + 1;
    }
    // Bytes that are all ASCII read the same whatever the code page or the kind of file.
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && static_cast<uint8_t>(c) < 0x80;
    if (ascii) Check(whole == qm::PlaylistTextFromFileBytes(bytes, 1251 + 1252 - codePage));

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
