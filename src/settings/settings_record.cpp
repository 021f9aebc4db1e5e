#include "settings/settings_record.h"

#include "display/video_memory.h"
#include "launcher/main_program.h"
#include "settings/product.h"
#include "settings/registry.h"

#include <intrin.h>

namespace qm {

namespace {

constexpr LONGLONG kWaitMilliseconds = 50;

// Busy-waits until the performance counter has advanced by ticks; returns at once for 0.
void SpinPerformanceCounter(LONGLONG ticks) {
    LARGE_INTEGER start{}, now{};
    ::QueryPerformanceCounter(&start);
    do {
        ::QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < ticks);
}

} // namespace

unsigned EstimateCpuMHz() {
    LARGE_INTEGER frequency{};
    if (!::QueryPerformanceFrequency(&frequency)) frequency.QuadPart = 0;
    const LONGLONG ticks = frequency.QuadPart / 1000 * kWaitMilliseconds;

    unsigned long long before = __rdtsc();
    SpinPerformanceCounter(ticks);
    const long long waited = static_cast<long long>(__rdtsc() - before);

    before = __rdtsc();
    SpinPerformanceCounter(0);
    const long long overhead = static_cast<long long>(__rdtsc() - before);

    // Without a performance counter both waits are empty and the difference is noise that may be
    // negative; an unsigned reading of it would claim a fast processor.
    const long long mhz = (waited - overhead) / (kWaitMilliseconds * 1000);
    return mhz > 0 ? static_cast<unsigned>(mhz) : 0u;
}

void ApplyDefaults(Node& settings) {
    const uint32_t videoMiB = QueryVideoMemoryBytes() >> 20;
    const unsigned cpuMHz = EstimateCpuMHz();
    const int screenHeight = ::GetSystemMetrics(SM_CYFULLSCREEN);
    ApplyDefaultTable(settings, HardwareDefaultRules(videoMiB, cpuMHz, static_cast<uint32_t>(screenHeight)));
}

void LoadSettings(Node& settings) {
    ApplyDefaults(settings);
    settings.LoadFromRegistry(HKEY_LOCAL_MACHINE, SettingsKeyPath);
}

bool SaveSettings(const Node& settings) {
    return settings.SaveToRegistry(HKEY_LOCAL_MACHINE, SettingsKeyPath);
}

bool RunEntryMatchesAutostart() {
    const std::wstring command = BuildAutostartCommand();
    std::wstring stored;
    RegReadString(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, stored, true);
    return stored == command;
}

void WriteRunEntry(bool checked) {
    RegWriteString(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName,
                   checked ? BuildAutostartCommand() : std::wstring(), true);
}

} // namespace qm
