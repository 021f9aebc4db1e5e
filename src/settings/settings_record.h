// The settings record: the defaults, loading the settings key over them, saving it back, the processor
// clock estimate, and the user's autostart (Run) entry.
#pragma once

#include "settings/node.h"
#include "settings/settings_defaults.h"

#include <windows.h>

namespace qm {

// The default table plus the hardware rules (asks the video memory, the processor clock, the screen).
void ApplyDefaults(Node& settings);
// ApplyDefaults, then the settings key over it; a missing or unreadable key leaves the defaults.
void LoadSettings(Node& settings);
// Writes the tree into the settings key; false when the key or a value could not be written (values
// written before the failing one stay written).
bool SaveSettings(const Node& settings);
// Processor clock in MHz from the time-stamp counter over a 50 ms busy wait; about 0 when no
// performance counter exists.
unsigned EstimateCpuMHz();

// At dialog start: whether the Run value equals the autostart command, character by character.
bool RunEntryMatchesAutostart();
// At commit: the autostart command when checked, else the empty text; never deletes the value.
void WriteRunEntry(bool checked);

} // namespace qm
