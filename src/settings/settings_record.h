// The settings record: the defaults, loading the settings key over them, saving it back, and the user's
// autostart (Run) entry.
#pragma once

#include "settings/node.h"
#include "settings/settings_defaults.h"

#include <functional>
#include <string>

namespace qm {

// The default table plus the hardware rules, from these facts and the screen height of now.
void ApplyDefaults(Node& settings, const HardwareFacts& facts);

// Gives the hardware facts when asked; they are slow to gather, so only a default that shows asks.
using HardwareFactsSource = std::function<HardwareFacts()>;

// The same tree as ApplyDefaults followed by the settings key laid over it (a missing or unreadable key
// leaves the defaults); facts is asked only when the key leaves a hardware-dependent default showing.
void LoadSettings(Node& settings, const HardwareFactsSource& facts);

// The same in two steps, for a caller that does not wait for the facts: the defaults (hardware rows left
// Empty) and the key over them, true when a hardware row is still Empty; later FillHardwareDefaults
// gives each row still Empty its default from the facts and leaves the others alone.
void ApplyDefaultsWithoutFacts(Node& settings);
bool LoadSettingsWithoutFacts(Node& settings);
void FillHardwareDefaults(Node& settings, const HardwareFacts& facts);
// Whether LoadSettings would ask for the hardware facts now. Reads the settings key.
bool SettingsNeedHardwareFacts();

// Writes the tree into the settings key; false when the key or a value could not be written (values
// written before the failing one stay written).
bool SaveSettings(const Node& settings);

// At dialog start: whether the Run value equals the autostart command, character by character.
bool RunEntryMatchesAutostart(const std::wstring& command);
// At commit: the autostart command when checked, else the empty text; never deletes the value.
void WriteRunEntry(bool checked, const std::wstring& command);

} // namespace qm
