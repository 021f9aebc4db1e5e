// The stored playlist: the "PlayList" value of the settings key, which the editor writes at its own OK,
// and the "ShufflePlayList" setting, which goes into the settings tree and reaches the key with the
// settings dialog's OK.
#pragma once

#include "settings/node.h"

#include <string>

namespace qm {

// The stored playlist text (entries ended by LF); empty when there is none.
std::wstring ReadStoredPlaylist();
// False when the value could not be written.
bool WriteStoredPlaylist(const std::wstring& text);

// Whether the tree says shuffle; looks without creating, so that asking adds no entry to the settings.
bool ShufflePlaylist(const Node& settings);
void SetShufflePlaylist(Node& settings, bool shuffle);

} // namespace qm
