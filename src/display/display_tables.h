// The display data of the settings dialog: the Direct3D 9 adapters that can show a full-screen mode of
// at least 640 x 480, their usable modes and the monitor each one drives, and the multisample counts that
// the graphics hardware offers through Direct3D 11. Fixed-size tables, filled once per dialog.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "platform/com_ptr.h"
#include "platform/unique_handle.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ID3D11Device;

namespace qm {

class Node;

inline constexpr uint32_t kAdapterSlots = 10;
inline constexpr uint32_t kMonitorSlots = 9; // also the most adapters a pass keeps
inline constexpr uint32_t kDeviceSlots = 5;
inline constexpr uint32_t kModeSlots = 150;
inline constexpr uint32_t kCandidateSlots = 100;
inline constexpr uint32_t kFormatSlots = 20;
inline constexpr uint32_t kMinModeWidth = 640;
inline constexpr uint32_t kMinModeHeight = 480;

// Refresh rates are not kept: modes differing only in refresh rate are one record.
struct DisplayModeRecord {
    uint32_t width = 0;
    uint32_t height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

struct DeviceRecord {
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DCAPS9 caps{};
    uint32_t modeCount = 0;
    DisplayModeRecord modes[kModeSlots]{};
    uint32_t currentMode = 0; // index into modes
};

struct AdapterRecord {
    // The Direct3D 9 ordinal of this adapter. It differs from the record's position when an earlier
    // adapter was dropped for lack of a usable mode.
    UINT ordinal = 0;
    D3DDISPLAYMODE desktopMode{};
    DeviceRecord devices[kDeviceSlots]{}; // only the hardware device, in slot 0, is examined
    uint32_t deviceCount = 0;
};

struct MonitorRecord {
    wchar_t monitorName[128]{};
};

// Monitor k belongs to adapter k; the two counts are always equal.
struct DisplayTables {
    D3DCAPS9 adapter0Caps{}; // adapter 0's hardware device, read only by IsAdapterGroupAvailable
    AdapterRecord adapters[kAdapterSlots]{};
    uint32_t adapterCount = 0;
    MonitorRecord monitors[kMonitorSlots]{};
    uint32_t monitorCount = 0;
};

// Asked whether a device with these caps may be created with this vertex-processing behaviour
// (D3DCREATE_HARDWARE_VERTEXPROCESSING or D3DCREATE_SOFTWARE_VERTEXPROCESSING) for a back buffer of this
// format; a result that is not negative accepts. An empty function accepts everything.
using ConfirmDevice = std::function<HRESULT(const D3DCAPS9& caps, DWORD behavior, D3DFORMAT format)>;

// One pass over the Direct3D 9 adapters. S_OK when at least one adapter was kept; E_FAIL when Direct3D 9
// cannot be created or no adapter has a usable mode (the tables are then empty). Every current mode is 0.
HRESULT ProbeDisplays(DisplayTables& tables, const ConfirmDevice& confirmDevice = {});

// The stored settings laid over a pass's tables: the stored monitor's current mode becomes the stored
// mode ("ModeWidth", "ModeHeight", "ModeFormat"), and a "CurMonitor" that names no listed adapter becomes
// the first listed one (ListedOrdinal). Does nothing to empty tables.
void ApplyStoredMonitor(DisplayTables& tables, Node& settings);

// "CurMonitor" is a Direct3D 9 adapter ordinal: the stored one when a listed adapter has it, else the
// first listed adapter's. The monitor list and the hardware facts both take the adapter from here.
// Tables without an adapter give 0.
UINT ListedOrdinal(const DisplayTables& tables, int64_t stored);

// ProbeDisplays, then ApplyStoredMonitor when it found an adapter.
HRESULT EnumerateDisplays(DisplayTables& tables, Node& settings, const ConfirmDevice& confirmDevice = {});

// More than one monitor, and adapter 0 leads a group of more than one adapter.
bool IsAdapterGroupAvailable(const DisplayTables& tables);

// Index of the first mode of that adapter with this size and format (refresh rate takes no part); 0 when
// there is none or the adapter position is out of range.
uint32_t FindDisplayMode(const DisplayTables& tables, uint32_t adapter, uint32_t width, uint32_t height,
                         D3DFORMAT format);

// 32 for X8R8G8B8 and A8R8G8B8, 16 for R5G6B5 and X1R5G5B5, 0 otherwise.
uint32_t BitsPerPixel(D3DFORMAT format);

// "1920 x 1080 x 32".
std::wstring DisplayModeLabel(const DisplayModeRecord& mode);

// The multisample counts from 2 to 31 that the default Direct3D 11 hardware device supports for
// DXGI_FORMAT_R8G8B8A8_UNORM, ascending; empty when no such device can be created.
std::vector<int> ProbeAntialiasingLevels();

// Steps of the pass, exposed for the tests.

// The monitor that Direct3D 9 reports for this adapter ordinal, named after the first active monitor
// device of its display device, else after the display device; empty when the monitor is unknown.
MonitorRecord BuildMonitorRecord(IDirect3D9* direct3d, UINT ordinal);

// A Direct3D 9 object from the system's d3d9.dll, loaded at run time from the system folder only (never
// through the import table, where a same-named DLL beside the program would be taken). The library stays
// loaded while the object lives: members are destroyed in reverse order. The test factory applies.
struct Direct3D9 {
    UniqueModule module;
    ComPtr<IDirect3D9> object;
};
Direct3D9 CreateDirect3D9();

// Replaces record's name with the description of the first active monitor device that enumerate reports
// for displayDevice (EnumDisplayDevicesW in the real pass); leaves it when none is active.
void PickMonitorName(const wchar_t* displayDevice, MonitorRecord& record,
                     const std::function<bool(const wchar_t*, DWORD, DISPLAY_DEVICEW*)>& enumerate);

// The depth/stencil format to pair with a back buffer of this format: D32, D24X8, D24S8, D24X4S4, D16,
// the first that the device accepts; D3DFMT_UNKNOWN when none.
D3DFORMAT FindDepthStencilFormat(IDirect3D9* direct3d, UINT ordinal, D3DDEVTYPE deviceType, D3DFORMAT format);

// Tests replace the system's Direct3D with SetXForTesting(f); SetXForTesting({}) restores the real one.
// The factory returns a new reference, or null to act as a machine without Direct3D 9. The probe replaces
// ProbeAntialiasingLevels whole; the device factory replaces only D3D11CreateDevice.
void SetDirect3DFactoryForTesting(std::function<IDirect3D9*()> factory);
void SetAntialiasingProbeForTesting(std::function<std::vector<int>()> probe);
void SetDirect3D11DeviceFactoryForTesting(std::function<HRESULT(ID3D11Device** device)> factory);

} // namespace qm
