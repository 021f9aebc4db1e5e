// How much dedicated memory the adapter of the chosen monitor has: WMI's AdapterRAM for the adapter's
// Plug and Play identifier, else DirectDraw's video memory count.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace qm {

struct DisplayTables;

// Bytes of video memory of the adapter that the stored "CurMonitor" selects; 0 when neither source
// answered. With the monitor list's tables, the adapter is the one the list shows for it (ListedOrdinal).
uint32_t QueryVideoMemoryBytes(const DisplayTables* listed = nullptr);

// The Plug and Play device identifier of the display device that drives monitor (512 characters).
HRESULT FindDisplayDeviceId(HMONITOR monitor, wchar_t* deviceId, size_t length);

// WMI's AdapterRAM of the video controller whose PNPDeviceID contains the monitor's device identifier.
HRESULT QueryAdapterRamByDeviceId(HMONITOR monitor, uint32_t* bytes);

// DirectDraw's total video memory of the default driver; 0 on any failure.
uint32_t QueryDirectDrawVideoMemory();

} // namespace qm
