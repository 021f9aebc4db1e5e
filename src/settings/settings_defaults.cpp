#include "settings/settings_defaults.h"

namespace qm {

HardwareDefaults HardwareDefaultRules(uint32_t videoMiB, uint32_t cpuMHz, uint32_t screenHeight) {
    HardwareDefaults d;
    d.highQualityTextures = videoMiB > 400u && screenHeight > 1000u ? 1 : 0;
    d.highQualityGraphics = cpuMHz > 2000u && videoMiB > 400u ? 1 : 0;
    d.antialiasing = cpuMHz > 3000u && videoMiB >= 2500u ? 1 : 0;
    return d;
}

void ApplyDefaultTable(Node& settings, const HardwareDefaults& hardware) {
    const struct {
        const char* name;
        int32_t value;
    } rows[] = {
        {"HighQualityTextures", hardware.highQualityTextures},
        {"EnableMultiMonitorMode", 1},
        {"ShowBlackScreens", 1},
        {"ShowFPS", 0},
        {"DisableOnMouseActivate", 1},
        {"MusicVolumePercentage", 15},
        {"DisableMusic", 0},
        {"SoundsVolumePercentage", 100},
        {"DisableSound", 0},
        {"MonitorAspectRatio", 4},
        {"UseDesktopRes", 1},
        {"UsePlaylist", 0},
        {"HighQualityGraphics", hardware.highQualityGraphics},
        {"FontScaling", 50},
        {"Antialiasing", hardware.antialiasing},
        {"ShufflePlayList", 1},
    };
    for (const auto& row : rows)
        settings.Get(row.name) = NodeValue(row.value);
}

std::wstring PerMonitorName(const std::wstring& name, int monitor) {
    return monitor <= 0 ? name : name + std::to_wstring(monitor);
}

} // namespace qm
