// What the settings dialog or the playlist editor asks an elevated instance of this program to write to
// the settings key, as the text that carries it there. The elevated instance runs with administrator
// rights on text that an unprivileged process prepared, so reading it trusts nothing: every part must be
// well formed, known and within its bound, or the whole request is refused.
#pragma once

#include "settings/node.h"
#include "settings/playlist_text.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

// The most characters a request may hold (the playlist is most of it).
inline constexpr std::size_t kMaxStoreRequestChars = std::size_t{1} << 22;

struct StoreRequest {
    // Value name and typed value text ("2: 15"), in the order written.
    std::vector<std::pair<std::wstring, std::wstring>> settings;
    // The "PlayList" text (entries ended by LF), when the request stores it.
    std::optional<std::wstring> playlist;
};

// The names of the settings that the settings dialog writes: the default table's and "CurMonitor".
std::vector<std::wstring> DialogSettingNames();

// The request that stores what the tree holds for the names the settings dialog writes.
StoreRequest SettingsStoreRequest(const Node& settings);

// The request as text: a header line, then per value its name, a tab, its length in characters and a
// line feed, the value itself and a line feed, and last an end line.
std::wstring EncodeStoreRequest(const StoreRequest& request);

// The request the text carries, or nothing when the text is over kMaxStoreRequestChars, lacks its header
// or end, holds no value, repeats a name, names a setting not in settingNames, or holds a setting that
// is not canonical integer typed value text or a playlist that is not playlist text (lines ended by
// LF, none empty, none with a control character, none over the playlist line bound).
std::optional<StoreRequest> DecodeStoreRequest(std::wstring_view text,
                                               const std::vector<std::wstring>& settingNames);

} // namespace qm
