// What the editor's open-file dialog is given and what it returns: the filter text, and the chosen
// files read back out of the dialog's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Pairs of shown text and pattern, each ended by NUL, the whole ended by a second NUL. The first two
// shown texts pass through translate before their fixed pattern lists are appended.
std::wstring PlaylistOpenFileFilter(const std::function<std::wstring(const std::wstring&)>& translate);

// Largest file buffer the editor offers the dialog (characters): far beyond any real selection.
inline constexpr std::size_t kMaxOpenFileBufferChars = std::size_t{1} << 24;

// The buffer size to ask again with after the dialog failed with a buffer too small for the selection,
// reporting the size it needs in the buffer's first 16 bits. A size above 65,535 does not fit there: a
// report not above the current size is the need cut to 16 bits, so the need is taken as the next size
// above the current one with those low bits. 0 when that is beyond kMaxOpenFileBufferChars.
std::size_t OpenFileRetryBufferChars(std::uint16_t reported, std::size_t current);

// The full paths of the chosen files, in the dialog's order. One file: the buffer's text. Several:
// the buffer starts with the directory, and from fileOffset on come names, each ended by NUL, up to an
// empty name. Nothing is read past the buffer, even when it lacks its terminators.
std::vector<std::wstring> ChosenFilePaths(std::wstring_view buffer, std::size_t fileOffset);

} // namespace qm
