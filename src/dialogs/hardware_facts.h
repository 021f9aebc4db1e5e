// The hardware facts that the hardware-dependent defaults need: the memory of the adapter that the stored
// "CurMonitor" names, and an estimate of the processor clock. Gathering them is slow (Direct3D 9,
// DirectDraw, WMI and a 50 ms busy wait), so the settings dialog does it off its own thread and once.
#pragma once

#include "settings/settings_defaults.h"

#include <functional>

namespace qm {

struct DisplayTables;

// listed: the monitor list's tables, so that the memory is that of the adapter the list shows for the
// stored monitor; null asks Direct3D 9 alone.
HardwareFacts GatherHardwareFacts(const DisplayTables* listed = nullptr);

// Processor clock in MHz from the time-stamp counter over a 50 ms busy wait; about 0 when no
// performance counter exists.
unsigned EstimateCpuMHz();

// Tests replace the whole gathering with SetHardwareFactsForTesting(f); SetHardwareFactsForTesting({})
// restores the real one.
void SetHardwareFactsForTesting(std::function<HardwareFacts()> gather);

} // namespace qm
