#include "settings/store_request.h"

#include "settings/settings_defaults.h"
#include "settings/typed_value.h"

#include <algorithm>

namespace qm {
namespace {

constexpr std::wstring_view kHeader = L"settings store request 1\n";
constexpr std::wstring_view kEnd = L"end\n";

void Append(std::wstring& text, const std::wstring& name, const std::wstring& value) {
    text += name;
    text += L'\t';
    text += std::to_wstring(value.size());
    text += L'\n';
    text += value;
    text += L'\n';
}

bool IsCanonicalInteger(const std::wstring& value) {
    const std::optional<NodeValue> read = ReadTypedValueText(value);
    if (!read || read->kind() != ValueKind::Integer) return false;
    const std::optional<std::wstring> made = MakeTypedValueText(*read);
    return made && *made == value;
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

} // namespace

std::vector<std::wstring> DialogSettingNames() {
    Node table;
    ApplyDefaultTable(table, HardwareDefaults{});
    std::vector<std::wstring> names;
    for (const auto& entry : table.entries())
        names.push_back(entry.first);
    names.push_back(L"CurMonitor");
    return names;
}

StoreRequest SettingsStoreRequest(const Node& settings) {
    StoreRequest request;
    for (const std::wstring& name : DialogSettingNames()) {
        const auto found = settings.entries().find(name);
        if (found == settings.entries().end()) continue;
        if (auto text = MakeTypedValueText(found->second)) request.settings.emplace_back(name, *text);
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

std::optional<StoreRequest> DecodeStoreRequest(std::wstring_view text,
                                               const std::vector<std::wstring>& settingNames) {
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
            if (!IsPlaylistText(value)) return std::nullopt;
            request.playlist = std::move(value);
        } else {
            if (std::find(settingNames.begin(), settingNames.end(), name) == settingNames.end() ||
                !IsCanonicalInteger(value))
                return std::nullopt;
            request.settings.emplace_back(name, std::move(value));
        }
    }
    if (seen.empty()) return std::nullopt;
    return request;
}

} // namespace qm
