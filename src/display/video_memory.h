// How much dedicated memory the adapter of the chosen monitor has: WMI's AdapterRAM for the adapter's
// Plug and Play identifier, else DirectDraw's video memory count.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace qm {

// Bytes of video memory of the adapter that "CurMonitor" selects; 0 when neither source answered.
uint32_t QueryVideoMemoryBytes();

// The Plug and Play device identifier of the display device that drives monitor (512 characters).
HRESULT FindDisplayDeviceId(HMONITOR monitor, wchar_t* deviceId, size_t length);

// WMI's AdapterRAM of the video controller whose PNPDeviceID contains the monitor's device identifier.
HRESULT QueryAdapterRamByDeviceId(HMONITOR monitor, uint32_t* bytes);

// DirectDraw's total video memory of the default driver; 0 on any failure.
uint32_t QueryDirectDrawVideoMemory();

} // namespace qm
