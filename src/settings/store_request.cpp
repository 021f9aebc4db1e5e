#include "settings/store_request.h"

#include "settings/settings_defaults.h"
#include "settings/typed_value.h"

#include <algorithm>

namespace qm {
namespace {

constexpr std::wstring_view kHeader = L"settings store request 1\n";
constexpr std::wstring_view kEnd = L"end\n";

// What the settings dialog can give a setting: the range of the control, or of the handler, that sets it.
struct Range {
    const wchar_t* name;
    int32_t low;
    int32_t high;
};
constexpr Range kRanges[] = {
    {L"MusicVolumePercentage", 0, 100},
    {L"SoundsVolumePercentage", 0, 100},
    {L"DisableMusic", 0, 1},
    {L"DisableSound", 0, 1},
    {L"DisableOnMouseActivate", 0, 1},
    {L"UsePlaylist", 0, 1},
    {L"ShufflePlayList", 0, 1},
    {L"EnableMultiMonitorMode", 0, 1},
    {L"ShowBlackScreens", 0, 1},
    {L"HighQualityTextures", 0, 1},
    {L"HighQualityGraphics", 0, 1},
    // Off, on without a count, or a multisample count the Direct3D 11 probe asks about (2 to 31).
    {L"Antialiasing", 0, 31},
    // A Direct3D 9 adapter ordinal.
    {L"CurMonitor", 0, 63},
};

// The settings the dialog writes, the default table's rows and "CurMonitor", each with the values it can
// give them. A setting no control sets gets its default alone: from Restore Defaults, or from a key
// without it (one the key holds does not travel unless the dialog changed it).
const Node& DialogSettings() {
    static const struct Table {
        Node node;
        Table() {
            ApplyDefaultTable(node, HardwareDefaults{});
            node.Get("CurMonitor") = NodeValue(int32_t{0});
        }
    } table;
    return table.node;
}

bool WithinWhatTheDialogGives(const std::wstring& name, const std::wstring& value) {
    const auto row = DialogSettings().entries().find(name);
    const std::optional<NodeValue> read = ReadTypedValueText(value);
    if (row == DialogSettings().entries().end() || !read || read->kind() != ValueKind::Integer ||
        MakeTypedValueText(*read) != value)
        return false;
    const auto range = std::find_if(std::begin(kRanges), std::end(kRanges),
                                    [&name](const Range& r) { return name == r.name; });
    const int32_t number = read->AsInteger();
    if (range == std::end(kRanges)) return number == row->second.AsInteger();
    return number >= range->low && number <= range->high;
}

void Append(std::wstring& text, const std::wstring& name, const std::wstring& value) {
    text += name;
    text += L'\t';
    text += std::to_wstring(value.size());
    text += L'\n';
    text += value;
    text += L'\n';
}

// The decimal length of a record: digits only, no more than the bound allows.
std::optional<size_t> ReadLength(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    size_t value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<size_t>(c - L'0');
    }
    return value;
}

std::optional<std::wstring> TextOf(const Node& tree, const std::wstring& name) {
    const auto found = tree.entries().find(name);
    if (found == tree.entries().end()) return std::nullopt;
    return MakeTypedValueText(found->second);
}

} // namespace

StoreRequest SettingsStoreRequest(const Node& settings, const Node& stored) {
    StoreRequest request;
    for (const auto& row : DialogSettings().entries()) {
        const std::optional<std::wstring> text = TextOf(settings, row.first);
        if (text && text != TextOf(stored, row.first)) request.settings.emplace_back(row.first, *text);
    }
    return request;
}

std::wstring EncodeStoreRequest(const StoreRequest& request) {
    std::wstring text(kHeader);
    for (const auto& [name, value] : request.settings)
        Append(text, name, value);
    if (request.playlist) Append(text, kPlaylistValueName, *request.playlist);
    text += kEnd;
    return text;
}

std::optional<StoreRequest> DecodeStoreRequest(std::wstring_view text) {
    if (text.size() > kMaxStoreRequestChars || text.substr(0, kHeader.size()) != kHeader) return std::nullopt;
    text.remove_prefix(kHeader.size());
    StoreRequest request;
    std::vector<std::wstring> seen;
    while (text != kEnd) {
        const size_t lineEnd = text.find(L'\n');
        const size_t tab = text.substr(0, lineEnd).find(L'\t');
        if (lineEnd == std::wstring_view::npos || tab == std::wstring_view::npos) return std::nullopt;
        const std::wstring name(text.substr(0, tab));
        const std::optional<size_t> length = ReadLength(text.substr(tab + 1, lineEnd - tab - 1));
        text.remove_prefix(lineEnd + 1);
        if (!length || *length >= text.size() || text[*length] != L'\n') return std::nullopt;
        std::wstring value(text.substr(0, *length));
        text.remove_prefix(*length + 1);

        if (std::find(seen.begin(), seen.end(), name) != seen.end()) return std::nullopt;
        seen.push_back(name);
        if (name == kPlaylistValueName) {
            if (value.size() > kMaxPlaylistChars || !IsPlaylistText(value)) return std::nullopt;
            request.playlist = std::move(value);
        } else {
            if (!WithinWhatTheDialogGives(name, value)) return std::nullopt;
            request.settings.emplace_back(name, std::move(value));
        }
    }
    if (seen.empty()) return std::nullopt;
    return request;
}

} // namespace qm
