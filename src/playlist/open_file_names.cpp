#include "playlist/open_file_names.h"

namespace qm {
namespace {

// The text from start to the next NUL or the end of the buffer.
std::wstring_view TextAt(std::wstring_view buffer, std::size_t start) {
    if (start >= buffer.size()) return {};
    const std::wstring_view rest = buffer.substr(start);
    return rest.substr(0, rest.find(L'\0'));
}

} // namespace

std::wstring PlaylistOpenFileFilter(const std::function<std::wstring(const std::wstring&)>& translate) {
    struct Pair {
        const wchar_t* shown;
        const wchar_t* pattern;
    };
    static constexpr Pair kFixed[] = {
        {L"MP3 (*.mp3)", L"*.mp3"},
        {L"Windows Media Audio (*.wma)", L"*.wma"},
        {L"Advanced Audio Coding (*.aac)", L"*.aac"},
        {L"Ogg Vorbis (*.ogg)", L"*.ogg"},
        {L"FLAC (*.flac)", L"*.flac"},
        {L"Windows Audio File (*.wav)", L"*.wav"},
        {L"MIDI File (*.mid)", L"*.mid"},
    };
    std::wstring filter;
    auto add = [&filter](const std::wstring& shown, const wchar_t* pattern) {
        filter += shown;
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    };
    add(translate(L"All supported files") +
            L" (*.m3u,*.m3u8,*.pls;*.mp3;*.wma;*.aac;*.ogg;*.flac;*.wav;*.mid)",
        L"*.m3u;*.m3u8;*.pls;*.mp3;*.wma;*.aac;*.ogg;*.flac;*.wav;*.mid");
    add(translate(L"Playlist Files") + L" (*.m3u,*.m3u8,*.pls)", L"*.m3u;*.m3u8;*.pls");
    for (const auto& pair : kFixed)
        add(pair.shown, pair.pattern);
    filter += L'\0';
    return filter;
}

std::size_t OpenFileRetryBufferChars(std::uint16_t reported, std::size_t current) {
    std::size_t needed = reported;
    if (needed <= current) needed += (current - needed) / 0x10000 * 0x10000 + 0x10000;
    return needed <= kMaxOpenFileBufferChars ? needed : 0;
}

std::vector<std::wstring> ChosenFilePaths(std::wstring_view buffer, std::size_t fileOffset) {
    std::vector<std::wstring> paths;
    const bool single = fileOffset == 0 || fileOffset > buffer.size() || buffer[fileOffset - 1] != L'\0';
    if (single) {
        const std::wstring_view path = TextAt(buffer, 0);
        if (!path.empty()) paths.emplace_back(path);
        return paths;
    }
    std::wstring directory(TextAt(buffer, 0));
    if (directory.empty() || directory.back() != L'\\') directory += L'\\';
    for (std::size_t at = fileOffset; at < buffer.size();) {
        const std::wstring_view name = TextAt(buffer, at);
        if (name.empty()) break;
        paths.push_back(directory + std::wstring(name));
        at += name.size() + 1;
    }
    return paths;
}

} // namespace qm
