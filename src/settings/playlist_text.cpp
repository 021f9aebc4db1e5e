#include "settings/playlist_text.h"

#include <algorithm>

namespace qm {

std::size_t CharacterCount(std::wstring_view text) {
    if constexpr (sizeof(wchar_t) != 2) return text.size();
    std::size_t count = text.size();
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] >= 0xDC00 && text[i] <= 0xDFFF && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF) --count;
    }
    return count;
}

std::wstring PlaylistText(const std::vector<std::wstring>& entries) {
    std::size_t size = 0;
    for (const auto& entry : entries)
        size += entry.size() + 1;
    std::wstring text;
    text.reserve(size);
    for (const auto& entry : entries) {
        text += entry;
        text += L'\n';
    }
    return text;
}

bool IsPlaylistText(std::wstring_view text) {
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        if (end == std::wstring_view::npos || end == 0) return false;
        const std::wstring_view line = text.substr(0, end);
        if (std::any_of(line.begin(), line.end(), [](wchar_t c) { return c < L' ' || c == 0x7F; }))
            return false;
        if (CharacterCount(line) > kMaxPlaylistLine) return false;
        text.remove_prefix(end + 1);
    }
    return true;
}

} // namespace qm
