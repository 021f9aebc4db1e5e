#include "display/display_tables.h"

#include "platform/com_ptr.h"
#include "platform/system_library.h"
#include "settings/node.h"

#include <d3d11.h>

#include <algorithm>
#include <cwchar>

namespace qm {
namespace {

static_assert(sizeof(MONITORINFOEXW) == 104);
static_assert(sizeof(DISPLAY_DEVICEW) == 840);

std::function<IDirect3D9*()>& Direct3DFactorySeam() {
    static std::function<IDirect3D9*()> factory;
    return factory;
}
std::function<std::vector<int>()>& AntialiasingProbeSeam() {
    static std::function<std::vector<int>()> probe;
    return probe;
}
std::function<HRESULT(ID3D11Device**)>& Direct3D11FactorySeam() {
    static std::function<HRESULT(ID3D11Device**)> factory;
    return factory;
}

// Working storage of one adapter: fixed tables on the stack, nothing allocated per mode.
struct FormatEntry {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool qualified = false;
};
struct Candidates {
    D3DDISPLAYMODE modes[kCandidateSlots]{};
    uint32_t modeCount = 0;
    FormatEntry formats[kFormatSlots]{};
    uint32_t formatCount = 0;

    bool HasMode(const D3DDISPLAYMODE& mode) const {
        return std::any_of(modes, modes + modeCount, [&](const D3DDISPLAYMODE& m) {
            return m.Width == mode.Width && m.Height == mode.Height && m.Format == mode.Format;
        });
    }
    void AddFormat(D3DFORMAT format) {
        if (format == D3DFMT_UNKNOWN || formatCount == kFormatSlots) return;
        for (uint32_t f = 0; f < formatCount; ++f)
            if (formats[f].format == format) return;
        formats[formatCount++].format = format;
    }
    bool Qualified(D3DFORMAT format) const {
        for (uint32_t f = 0; f < formatCount; ++f)
            if (formats[f].format == format && formats[f].qualified) return true;
        return false;
    }
};

// The desktop format first, then the windowed-capable X8R8G8B8 modes of at least 640 x 480, one per
// size and format. Only the first kCandidateSlots distinct modes are kept; the rest are ignored.
void CollectCandidateModes(IDirect3D9* direct3d, UINT ordinal, const D3DDISPLAYMODE& desktop,
                           Candidates& out) {
    out.AddFormat(desktop.Format);
    const UINT count = direct3d->GetAdapterModeCount(ordinal, D3DFMT_X8R8G8B8);
    for (UINT t = 0; t < count && out.modeCount < kCandidateSlots; ++t) {
        D3DDISPLAYMODE mode{};
        if (FAILED(direct3d->EnumAdapterModes(ordinal, D3DFMT_X8R8G8B8, t, &mode))) continue;
        if (mode.Width < kMinModeWidth || mode.Height < kMinModeHeight) continue;
        mode.RefreshRate = 0;
        if (out.HasMode(mode)) continue;
        out.modes[out.modeCount++] = mode;
        out.AddFormat(mode.Format);
    }
    std::sort(out.modes, out.modes + out.modeCount, [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
        if (a.Width != b.Width) return a.Width < b.Width;
        if (a.Height != b.Height) return a.Height < b.Height;
        return static_cast<int32_t>(a.Format) > static_cast<int32_t>(b.Format);
    });
}

bool Accepts(const ConfirmDevice& confirmDevice, const D3DCAPS9& caps, DWORD behavior, D3DFORMAT format) {
    return !confirmDevice || confirmDevice(caps, behavior, format) >= 0;
}

bool QualifyFormat(IDirect3D9* direct3d, UINT ordinal, const D3DCAPS9& caps, D3DFORMAT format,
                   const ConfirmDevice& confirmDevice) {
    if (FAILED(direct3d->CheckDeviceType(ordinal, D3DDEVTYPE_HAL, format, format, FALSE))) return false;
    const bool hardwareAccepted = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) &&
                                  Accepts(confirmDevice, caps, D3DCREATE_HARDWARE_VERTEXPROCESSING, format);
    if (!hardwareAccepted && !Accepts(confirmDevice, caps, D3DCREATE_SOFTWARE_VERTEXPROCESSING, format))
        return false;
    return FindDepthStencilFormat(direct3d, ordinal, D3DDEVTYPE_HAL, format) != D3DFMT_UNKNOWN;
}

uint32_t FindModeIn(const AdapterRecord& adapter, uint32_t width, uint32_t height, D3DFORMAT format) {
    for (uint32_t d = 0; d < adapter.deviceCount && d < kDeviceSlots; ++d) {
        const DeviceRecord& device = adapter.devices[d];
        for (uint32_t m = 0; m < device.modeCount && m < kModeSlots; ++m) {
            const DisplayModeRecord& mode = device.modes[m];
            if (mode.width == width && mode.height == height && mode.format == format) return m;
        }
    }
    return 0;
}

// Fills the hardware device of the adapter; true when it has at least one mode.
bool ExamineHardwareDevice(IDirect3D9* direct3d, AdapterRecord& adapter, const ConfirmDevice& confirmDevice) {
    const UINT ordinal = adapter.ordinal;
    Candidates candidates;
    CollectCandidateModes(direct3d, ordinal, adapter.desktopMode, candidates);

    DeviceRecord& device = adapter.devices[0];
    device.deviceType = D3DDEVTYPE_HAL;
    device.caps = D3DCAPS9{};
    if (FAILED(direct3d->GetDeviceCaps(ordinal, D3DDEVTYPE_HAL, &device.caps))) device.caps = D3DCAPS9{};
    device.modeCount = 0;
    device.currentMode = 0;

    for (uint32_t f = 0; f < candidates.formatCount; ++f)
        candidates.formats[f].qualified =
            QualifyFormat(direct3d, ordinal, device.caps, candidates.formats[f].format, confirmDevice);

    for (uint32_t c = 0; c < candidates.modeCount && device.modeCount < kModeSlots; ++c) {
        const D3DDISPLAYMODE& mode = candidates.modes[c];
        if (!candidates.Qualified(mode.Format)) continue;
        device.modes[device.modeCount++] = DisplayModeRecord{mode.Width, mode.Height, mode.Format};
    }
    if (device.modeCount == 0) return false;
    adapter.deviceCount = 1;
    return true;
}

void CopyName(MonitorRecord& record, const wchar_t* name) {
    const size_t capacity = sizeof(record.monitorName) / sizeof(record.monitorName[0]);
    std::wcsncpy(record.monitorName, name, capacity - 1);
    record.monitorName[capacity - 1] = L'\0';
}

} // namespace

Direct3D9 CreateDirect3D9() {
    Direct3D9 direct3d;
    if (const auto& factory = Direct3DFactorySeam()) {
        direct3d.object.reset(factory());
        return direct3d;
    }
    direct3d.module = LoadSystemLibrary(L"d3d9.dll");
    using CreateFunction = IDirect3D9*(WINAPI*)(UINT);
    if (auto create = ExportOf<CreateFunction>(direct3d.module, "Direct3DCreate9"))
        direct3d.object.reset(create(D3D_SDK_VERSION));
    return direct3d;
}

D3DFORMAT FindDepthStencilFormat(IDirect3D9* direct3d, UINT ordinal, D3DDEVTYPE deviceType,
                                 D3DFORMAT format) {
    static constexpr D3DFORMAT kDepthFormats[] = {D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D24X4S4,
                                                  D3DFMT_D16};
    for (D3DFORMAT depth : kDepthFormats) {
        if (FAILED(direct3d->CheckDeviceFormat(ordinal, deviceType, format, D3DUSAGE_DEPTHSTENCIL,
                                               D3DRTYPE_SURFACE, depth)))
            continue;
        if (SUCCEEDED(direct3d->CheckDepthStencilMatch(ordinal, deviceType, format, format, depth)))
            return depth;
    }
    return D3DFMT_UNKNOWN;
}

MonitorRecord BuildMonitorRecord(IDirect3D9* direct3d, UINT ordinal) {
    MonitorRecord record;
    HMONITOR monitor = direct3d->GetAdapterMonitor(ordinal);
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    if (!monitor || !::GetMonitorInfoW(monitor, &info)) return record;
    CopyName(record, info.szDevice);
    PickMonitorName(info.szDevice, record, [](const wchar_t* device, DWORD index, DISPLAY_DEVICEW* out) {
        return ::EnumDisplayDevicesW(device, index, out, 0) != FALSE;
    });
    return record;
}

void PickMonitorName(const wchar_t* displayDevice, MonitorRecord& record,
                     const std::function<bool(const wchar_t*, DWORD, DISPLAY_DEVICEW*)>& enumerate) {
    // A display device has a handful of monitor devices; the bound only guards against a walk that
    // never ends.
    for (DWORD index = 0; index < 256; ++index) {
        DISPLAY_DEVICEW device{};
        device.cb = sizeof(device);
        if (!enumerate(displayDevice, index, &device)) return;
        if (device.StateFlags & DISPLAY_DEVICE_ACTIVE) {
            device.DeviceString[sizeof(device.DeviceString) / sizeof(wchar_t) - 1] = L'\0';
            CopyName(record, device.DeviceString);
            return;
        }
    }
}

HRESULT EnumerateDisplays(DisplayTables& tables, Node& settings, const ConfirmDevice& confirmDevice) {
    const HRESULT result = ProbeDisplays(tables, confirmDevice);
    if (SUCCEEDED(result)) ApplyStoredMonitor(tables, settings);
    return result;
}

HRESULT ProbeDisplays(DisplayTables& tables, const ConfirmDevice& confirmDevice) {
    tables.adapterCount = 0;
    tables.monitorCount = 0;
    tables.adapter0Caps = D3DCAPS9{};
    Direct3D9 direct3d = CreateDirect3D9();
    IDirect3D9* d3d = direct3d.object.get();
    if (!d3d) return E_FAIL;

    if (FAILED(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &tables.adapter0Caps))) tables.adapter0Caps = D3DCAPS9{};

    for (UINT ordinal = 0; ordinal < d3d->GetAdapterCount() && tables.adapterCount < kMonitorSlots;
         ++ordinal) {
        const uint32_t position = tables.adapterCount;
        AdapterRecord& adapter = tables.adapters[position];
        adapter.ordinal = ordinal;
        adapter.deviceCount = 0;
        if (FAILED(d3d->GetAdapterDisplayMode(ordinal, &adapter.desktopMode))) adapter.desktopMode = {};
        if (!ExamineHardwareDevice(d3d, adapter, confirmDevice)) continue;
        // The adapter's own ordinal, not its position: after a dropped adapter the two differ, and the
        // position would name the monitor of a different adapter.
        tables.monitors[tables.monitorCount] = BuildMonitorRecord(d3d, ordinal);
        ++tables.monitorCount;
        ++tables.adapterCount;
    }
    return tables.adapterCount == 0 ? E_FAIL : S_OK;
}

namespace {

// The position of the listed adapter whose Direct3D 9 ordinal is stored; -1 when none has it.
int ListedPosition(const DisplayTables& tables, int64_t stored) {
    for (uint32_t i = 0; i < tables.adapterCount && i < kAdapterSlots; ++i)
        if (tables.adapters[i].ordinal == stored) return static_cast<int>(i);
    return -1;
}

} // namespace

UINT ListedOrdinal(const DisplayTables& tables, int64_t stored) {
    if (tables.adapterCount == 0) return 0;
    return tables.adapters[std::max(ListedPosition(tables, stored), 0)].ordinal;
}

void ApplyStoredMonitor(DisplayTables& tables, Node& settings) {
    if (tables.adapterCount == 0) return;
    NodeValue& curMonitor = settings.Get("CurMonitor");
    const int position = ListedPosition(tables, curMonitor.AsInteger());
    if (position < 0) {
        curMonitor = NodeValue(static_cast<int32_t>(tables.adapters[0].ordinal));
        return;
    }
    AdapterRecord& listed = tables.adapters[position];
    // The stored mode is looked up in the stored monitor's own list only; an index found in another
    // adapter's list would point anywhere in this one.
    listed.devices[0].currentMode =
        FindModeIn(listed, static_cast<uint32_t>(settings.Get("ModeWidth").AsInteger()),
                   static_cast<uint32_t>(settings.Get("ModeHeight").AsInteger()),
                   static_cast<D3DFORMAT>(settings.Get("ModeFormat").AsInteger()));
}

bool IsAdapterGroupAvailable(const DisplayTables& tables) {
    return tables.monitorCount > 1 && tables.adapter0Caps.NumberOfAdaptersInGroup > 1;
}

uint32_t FindDisplayMode(const DisplayTables& tables, uint32_t adapter, uint32_t width, uint32_t height,
                         D3DFORMAT format) {
    if (adapter >= tables.adapterCount || adapter >= kAdapterSlots) return 0;
    return FindModeIn(tables.adapters[adapter], width, height, format);
}

uint32_t BitsPerPixel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
        return 16;
    default:
        return 0;
    }
}

std::wstring DisplayModeLabel(const DisplayModeRecord& mode) {
    // Unsigned conversions: the fields are unsigned, and a signed one would show a huge value as negative.
    wchar_t text[64];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%lu x %lu x %lu",
                  static_cast<unsigned long>(mode.width), static_cast<unsigned long>(mode.height),
                  static_cast<unsigned long>(BitsPerPixel(mode.format)));
    return text;
}

std::vector<int> ProbeAntialiasingLevels() {
    if (const auto& probe = AntialiasingProbeSeam()) return probe();

    UniqueModule module; // outlives the device
    ComPtr<ID3D11Device> device;
    HRESULT result = E_FAIL;
    if (const auto& factory = Direct3D11FactorySeam()) {
        result = factory(device.put());
    } else {
        module = LoadSystemLibrary(L"d3d11.dll");
        if (auto create = ExportOf<PFN_D3D11_CREATE_DEVICE>(module, "D3D11CreateDevice"))
            result = create(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                            device.put(), nullptr, nullptr);
    }
    std::vector<int> counts;
    if (FAILED(result) || !device) return counts;
    for (UINT count = 2; count <= 31; ++count) {
        UINT levels = 0;
        if (SUCCEEDED(device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, count, &levels)) &&
            levels > 0)
            counts.push_back(static_cast<int>(count));
    }
    return counts;
}

void SetDirect3DFactoryForTesting(std::function<IDirect3D9*()> factory) {
    Direct3DFactorySeam() = std::move(factory);
}
void SetAntialiasingProbeForTesting(std::function<std::vector<int>()> probe) {
    AntialiasingProbeSeam() = std::move(probe);
}
void SetDirect3D11DeviceFactoryForTesting(std::function<HRESULT(ID3D11Device**)> factory) {
    Direct3D11FactorySeam() = std::move(factory);
}

} // namespace qm
