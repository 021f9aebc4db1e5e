#include "dialogs/hardware_facts.h"

#include "display/video_memory.h"

#include <windows.h>
#include <intrin.h>

namespace qm {

namespace {

constexpr LONGLONG kWaitMilliseconds = 50;

std::function<HardwareFacts()>& GatherSeam() {
    static std::function<HardwareFacts()> gather;
    return gather;
}

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

HardwareFacts GatherHardwareFacts(const DisplayTables* listed) {
    if (const auto& gather = GatherSeam()) return gather();
    HardwareFacts facts;
    facts.videoMiB = QueryVideoMemoryBytes(listed) >> 20;
    facts.cpuMHz = EstimateCpuMHz();
    return facts;
}

void SetHardwareFactsForTesting(std::function<HardwareFacts()> gather) {
    GatherSeam() = std::move(gather);
}

} // namespace qm
