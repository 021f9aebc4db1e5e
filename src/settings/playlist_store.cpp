#include "settings/playlist_store.h"

#include "settings/product.h"
#include "settings/registry.h"
#include "settings/playlist_text.h"

namespace qm {

namespace {

constexpr wchar_t kShuffleValue[] = L"ShufflePlayList";

} // namespace

std::wstring ReadStoredPlaylist() {
    std::wstring text;
    if (FAILED(RegReadString(HKEY_LOCAL_MACHINE, SettingsKeyPath, kPlaylistValueName, text,
                             RegistryView::Bit64)))
        text.clear();
    return text;
}

bool WriteStoredPlaylist(const std::wstring& text) {
    return SUCCEEDED(
        RegWriteString(HKEY_LOCAL_MACHINE, SettingsKeyPath, kPlaylistValueName, text, RegistryView::Bit64));
}

bool ShufflePlaylist(const Node& settings) {
    const auto found = settings.entries().find(kShuffleValue);
    return found != settings.entries().end() && found->second.AsInteger() != 0;
}

void SetShufflePlaylist(Node& settings, bool shuffle) {
    settings.Get(kShuffleValue) = NodeValue(static_cast<int32_t>(shuffle));
}

} // namespace qm
