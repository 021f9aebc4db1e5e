// What the editor's open-file dialog is given and what it returns: the filter text, and the chosen
// files read back out of the dialog's buffer.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Pairs of shown text and pattern, each ended by NUL, the whole ended by a second NUL. The first two
// shown texts pass through translate before their fixed pattern lists are appended.
std::wstring PlaylistOpenFileFilter(const std::function<std::wstring(const std::wstring&)>& translate);

// The full paths of the chosen files, in the dialog's order. One file: the buffer's text. Several:
// the buffer starts with the directory, and from fileOffset on come names, each ended by NUL, up to an
// empty name. Nothing is read past the buffer, even when it lacks its terminators.
std::vector<std::wstring> ChosenFilePaths(std::wstring_view buffer, std::size_t fileOffset);

} // namespace qm
