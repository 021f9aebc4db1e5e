// The default table of the settings record and its three hardware-dependent rules, as pure functions so
// that the boundaries can be checked without the hardware.
#pragma once

#include "settings/node.h"

#include <cstdint>
#include <string>

namespace qm {

// What the hardware-dependent defaults are decided by, besides the screen height: the memory of the
// chosen monitor's adapter in whole MiB and the processor clock estimate in MHz.
struct HardwareFacts {
    uint32_t videoMiB = 0;
    uint32_t cpuMHz = 0;
};

// The rows of the default table whose values the hardware decides.
inline constexpr const char* kHardwareDefaultNames[] = {"HighQualityTextures", "HighQualityGraphics",
                                                        "Antialiasing"};

struct HardwareDefaults {
    int32_t highQualityTextures = 0;
    int32_t highQualityGraphics = 0;
    int32_t antialiasing = 0;
};

// videoMiB: adapter memory in whole MiB; cpuMHz: processor clock estimate; screenHeight: the client
// height of a full-screen window on the primary monitor. All comparisons unsigned.
HardwareDefaults HardwareDefaultRules(uint32_t videoMiB, uint32_t cpuMHz, uint32_t screenHeight);

// Writes every row of the default table into the tree as an Integer, replacing what is there.
void ApplyDefaultTable(Node& settings, const HardwareDefaults& hardware);

// The name of a per-monitor setting: the plain name for monitor 0 (and below), else name + decimal N.
std::wstring PerMonitorName(const std::wstring& name, int monitor);

} // namespace qm
