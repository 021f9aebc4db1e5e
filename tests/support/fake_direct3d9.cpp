#include "fake_direct3d9.h"

#include "display/display_tables.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace qmtest {
namespace {

// {81BDCBCA-64D4-426d-AE8D-AD0147F4275C}
constexpr GUID kDirect3D9Id = {0x81bdcbca, 0x64d4, 0x426d, {0xae, 0x8d, 0xad, 0x01, 0x47, 0xf4, 0x27, 0x5c}};

template <typename T> bool Contains(const std::vector<T>& items, const T& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

} // namespace

FakeAdapter MakeFakeAdapter(std::initializer_list<FakeMode> modes, D3DFORMAT desktopFormat) {
    FakeAdapter adapter;
    adapter.desktop.Format = desktopFormat;
    for (const FakeMode& m : modes)
        adapter.modes.push_back({m.width, m.height, m.refreshRate, m.format});
    adapter.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    adapter.caps.NumberOfAdaptersInGroup = 1;
    adapter.monitor = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    return adapter;
}

HRESULT FakeDirect3D9::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, kDirect3D9Id)) {
        *object = static_cast<IDirect3D9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The test owns the object; the count only shows whether the enumeration gave back what it took.
ULONG FakeDirect3D9::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}
ULONG FakeDirect3D9::Release() {
    return static_cast<ULONG>(::InterlockedDecrement(&references_));
}

HRESULT FakeDirect3D9::RegisterSoftwareDevice(void*) {
    return D3DERR_INVALIDCALL;
}

UINT FakeDirect3D9::GetAdapterCount() {
    return static_cast<UINT>(adapters.size());
}

HRESULT FakeDirect3D9::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* identifier) {
    if (!Find(adapter) || !identifier) return D3DERR_INVALIDCALL;
    *identifier = D3DADAPTER_IDENTIFIER9{};
    std::snprintf(identifier->Description, sizeof(identifier->Description), "Fake adapter %u", adapter);
    std::snprintf(identifier->DeviceName, sizeof(identifier->DeviceName), "\\\\.\\DISPLAY%u", adapter + 1);
    return D3D_OK;
}

UINT FakeDirect3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    modeFormatsAsked.push_back(format);
    const FakeAdapter* a = Find(adapter);
    if (!a) return 0;
    return static_cast<UINT>(std::count_if(a->modes.begin(), a->modes.end(),
                                           [&](const D3DDISPLAYMODE& m) { return m.Format == format; }));
}

HRESULT FakeDirect3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* mode) {
    const FakeAdapter* a = Find(adapter);
    if (!a || !mode) return D3DERR_INVALIDCALL;
    for (const D3DDISPLAYMODE& m : a->modes) {
        if (m.Format != format) continue;
        if (index-- == 0) {
            *mode = m;
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT FakeDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    const FakeAdapter* a = Find(adapter);
    if (!a || !mode) return D3DERR_INVALIDCALL;
    *mode = a->desktop;
    return D3D_OK;
}

HRESULT FakeDirect3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                       D3DFORMAT backBufferFormat, WINBOOL) {
    const FakeAdapter* a = Find(adapter);
    if (!a || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    if (!Contains(a->deviceFormats, displayFormat) || !Contains(a->deviceFormats, backBufferFormat))
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

bool FakeDirect3D9::DepthAccepted(const FakeAdapter& adapter, D3DFORMAT format, D3DFORMAT depth) const {
    return Contains(adapter.depthFormats, depth) && !Contains(adapter.depthFailsFor, format);
}

HRESULT FakeDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                         D3DRESOURCETYPE, D3DFORMAT checkFormat) {
    const FakeAdapter* a = Find(adapter);
    if (!a || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    if (!(usage & D3DUSAGE_DEPTHSTENCIL)) return D3D_OK;
    depthFormatsAsked.emplace_back(adapterFormat, checkFormat);
    return DepthAccepted(*a, adapterFormat, checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, WINBOOL,
                                                  D3DMULTISAMPLE_TYPE, DWORD* qualityLevels) {
    if (qualityLevels) *qualityLevels = 0;
    return Find(adapter) ? D3DERR_NOTAVAILABLE : D3DERR_INVALIDCALL;
}

HRESULT FakeDirect3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                              D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) {
    const FakeAdapter* a = Find(adapter);
    if (!a || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    return DepthAccepted(*a, adapterFormat, depthStencilFormat) &&
                   DepthAccepted(*a, renderTargetFormat, depthStencilFormat)
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D9::CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) {
    return Find(adapter) ? D3DERR_NOTAVAILABLE : D3DERR_INVALIDCALL;
}

HRESULT FakeDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    const FakeAdapter* a = Find(adapter);
    if (!a || !caps) return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    *caps = a->caps;
    caps->AdapterOrdinal = adapter;
    caps->DeviceType = type;
    return D3D_OK;
}

HMONITOR FakeDirect3D9::GetAdapterMonitor(UINT adapter) {
    monitorOrdinalsAsked.push_back(adapter);
    const FakeAdapter* a = Find(adapter);
    if (a && a->monitorThrows) throw std::runtime_error("no monitor");
    return a ? a->monitor : nullptr;
}

HRESULT FakeDirect3D9::CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                                    IDirect3DDevice9** device) {
    if (device) *device = nullptr;
    return D3DERR_NOTAVAILABLE;
}

UseFakeDirect3D9::UseFakeDirect3D9(FakeDirect3D9* fake) {
    qm::SetDirect3DFactoryForTesting([fake]() -> IDirect3D9* {
        if (fake) fake->AddRef();
        return fake;
    });
}
UseFakeDirect3D9::~UseFakeDirect3D9() {
    qm::SetDirect3DFactoryForTesting({});
}

UseFakeAntialiasingLevels::UseFakeAntialiasingLevels(std::vector<int> counts) {
    qm::SetAntialiasingProbeForTesting([counts = std::move(counts)] { return counts; });
}
UseFakeAntialiasingLevels::~UseFakeAntialiasingLevels() {
    qm::SetAntialiasingProbeForTesting({});
}

} // namespace qmtest
