// The rules of the stored playlist's text, the "PlayList" value of the settings key: one path a line, each
// ended by LF. The playlist editor writes it, the elevated instance checks what it is given against them,
// and the playlist reader stops at a line longer than they allow. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr wchar_t kPlaylistValueName[] = L"PlayList";

// Longest line a playlist may hold, in characters (a character outside the Basic Multilingual Plane
// counts once, though Windows holds it in two UTF-16 units); a longer line ends the reading.
inline constexpr std::size_t kMaxPlaylistLine = 2022;

// Characters of a wide text: a UTF-16 surrogate pair counts once, so both builds count alike.
std::size_t CharacterCount(std::wstring_view text);

// The stored text: each entry followed by LF.
std::wstring PlaylistText(const std::vector<std::wstring>& entries);

// Whether text is stored playlist text: lines ended by LF, none empty, none with a control character,
// none over kMaxPlaylistLine.
bool IsPlaylistText(std::wstring_view text);

} // namespace qm
