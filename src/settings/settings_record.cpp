#include "settings/settings_record.h"

#include "settings/product.h"
#include "settings/registry.h"

#include <algorithm>

namespace qm {

namespace {

HardwareDefaults RulesFor(const HardwareFacts& facts) {
    const int screenHeight = ::GetSystemMetrics(SM_CYFULLSCREEN);
    return HardwareDefaultRules(facts.videoMiB, facts.cpuMHz, static_cast<uint32_t>(screenHeight));
}

// Whether a hardware row is still Empty, waiting for FillHardwareDefaults.
bool HardwareDefaultsPending(Node& settings) {
    return std::any_of(
        std::begin(kHardwareDefaultNames), std::end(kHardwareDefaultNames),
        [&settings](const char* name) { return settings.Get(name).kind() == ValueKind::Empty; });
}

} // namespace

void ApplyDefaults(Node& settings, const HardwareFacts& facts) {
    ApplyDefaultTable(settings, RulesFor(facts));
}

void ApplyDefaultsWithoutFacts(Node& settings) {
    ApplyDefaultTable(settings, HardwareDefaults{});
    for (const char* name : kHardwareDefaultNames)
        settings.Get(name) = NodeValue();
}

// The loader never yields an Empty value, and an Empty leaf steers it exactly as an Integer one does, so
// the rows still Empty afterwards are exactly those where the hardware default would show.
bool LoadSettingsWithoutFacts(Node& settings) {
    ApplyDefaultsWithoutFacts(settings);
    settings.LoadFromRegistry(HKEY_LOCAL_MACHINE, SettingsKeyPath);
    return HardwareDefaultsPending(settings);
}

void FillHardwareDefaults(Node& settings, const HardwareFacts& facts) {
    const HardwareDefaults rules = RulesFor(facts);
    const int32_t values[] = {rules.highQualityTextures, rules.highQualityGraphics, rules.antialiasing};
    static_assert(std::size(values) == std::size(kHardwareDefaultNames));
    for (size_t i = 0; i < std::size(values); ++i) {
        NodeValue& row = settings.Get(kHardwareDefaultNames[i]);
        if (row.kind() == ValueKind::Empty) row = NodeValue(values[i]);
    }
}

void LoadSettings(Node& settings, const HardwareFactsSource& facts) {
    if (LoadSettingsWithoutFacts(settings)) FillHardwareDefaults(settings, facts());
}

bool SettingsNeedHardwareFacts() {
    Node scratch;
    return LoadSettingsWithoutFacts(scratch);
}

bool SaveSettings(const Node& settings) {
    return settings.SaveToRegistry(HKEY_LOCAL_MACHINE, SettingsKeyPath);
}

bool RunEntryMatchesAutostart(const std::wstring& command) {
    std::wstring stored;
    RegReadString(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, stored, RegistryView::Bit64);
    return stored == command;
}

void WriteRunEntry(bool checked, const std::wstring& command) {
    RegWriteString(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, checked ? command : std::wstring(),
                   RegistryView::Bit64);
}

} // namespace qm
