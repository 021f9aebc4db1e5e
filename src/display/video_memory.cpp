#include "display/video_memory.h"
#include "display/display_tables.h"

#include "display/controller_match.h"
#include "display/cur_monitor.h"
#include "platform/com_ptr.h"
#include "platform/system_library.h"
#include "settings/product.h"
#include "settings/registry.h"

#include <d3d9.h>
#include <ddraw.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemcli.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace qm {

namespace {

// Our own copies, so that no GUID library beyond the system's import libraries is needed.
constexpr GUID kClsidWbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr GUID kIidWbemLocator = {
    0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr GUID kIidDirectDraw7 = {
    0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

constexpr DWORD kAttachedSecondaryDevices = 1; // DDENUM_ATTACHEDSECONDARYDEVICES
constexpr long kWmiTimeoutMs = 5000;
constexpr ULONG kMaxControllers = 10;

struct DriverSearch {
    HMONITOR monitor = nullptr;
    bool found = false;
    char driverName[512] = {};
};

BOOL WINAPI MatchDriverByMonitor(GUID*, LPSTR, LPSTR driverName, LPVOID context, HMONITOR monitor) {
    auto* search = static_cast<DriverSearch*>(context);
    if (monitor == search->monitor) {
        search->found = true;
        search->driverName[0] = '\0';
        if (driverName) std::strncat(search->driverName, driverName, sizeof search->driverName - 1);
    }
    return TRUE; // keep going: the last match wins
}

void SetProxyBlanket(IUnknown* proxy) {
    UniqueModule ole = LoadSystemLibrary(L"ole32.dll");
    if (!ole) return;
    using CoSetProxyBlanketFn =
        HRESULT(WINAPI*)(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD, void*, DWORD);
    auto setBlanket = ExportOf<CoSetProxyBlanketFn>(ole, "CoSetProxyBlanket");
    if (setBlanket)
        setBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                   RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

ControllerReading ReadController(IWbemClassObject* controller) {
    ControllerReading reading;
    Variant pnp;
    if (SUCCEEDED(controller->Get(L"PNPDeviceID", 0, pnp.put(), nullptr, nullptr)) &&
        pnp.get().vt == VT_BSTR && pnp.get().bstrVal)
        reading.pnpDeviceId = std::wstring(pnp.get().bstrVal);
    Variant ram;
    if (SUCCEEDED(controller->Get(L"AdapterRAM", 0, ram.put(), nullptr, nullptr))) {
        const VARIANT& v = ram.get();
        if (v.vt == VT_I4 || v.vt == VT_UI4 || v.vt == VT_INT || v.vt == VT_UINT)
            reading.adapterRam = static_cast<uint32_t>(v.ulVal);
    }
    return reading;
}

// Up to ten controllers, waiting at most five seconds for them.
std::vector<ControllerReading> ReadControllers(IWbemServices* services) {
    std::vector<ControllerReading> readings;
    ComPtr<IEnumWbemClassObject> controllers;
    Bstr className(L"Win32_VideoController");
    // Semisynchronous: the call returns at once, and Next's time limit bounds the wait. With flags 0 the
    // call itself would wait, without a limit, for the whole answer.
    if (FAILED(services->CreateInstanceEnum(className.get(),
                                            WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY, nullptr,
                                            controllers.put())) ||
        !controllers)
        return readings;
    IWbemClassObject* objects[kMaxControllers] = {};
    ULONG returned = 0;
    controllers->Next(kWmiTimeoutMs, kMaxControllers, objects, &returned);
    for (ULONG i = 0; i < returned && i < kMaxControllers; ++i) {
        ComPtr<IWbemClassObject> owned(objects[i]);
        if (owned) readings.push_back(ReadController(owned.get()));
    }
    return readings;
}

} // namespace

HRESULT FindDisplayDeviceId(HMONITOR monitor, wchar_t* deviceId, size_t length) {
    if (!deviceId || length == 0) return E_FAIL;
    deviceId[0] = L'\0';
    UniqueModule ddraw = LoadSystemLibrary(L"ddraw.dll");
    if (!ddraw) return E_FAIL;
    auto enumerate =
        ExportOf<HRESULT(WINAPI*)(LPDDENUMCALLBACKEXA, LPVOID, DWORD)>(ddraw, "DirectDrawEnumerateExA");
    DriverSearch search;
    search.monitor = monitor;
    if (enumerate) enumerate(MatchDriverByMonitor, &search, kAttachedSecondaryDevices);
    if (!search.found) return E_FAIL;

    DISPLAY_DEVICEA device{};
    for (DWORD k = 0;; ++k) {
        std::memset(&device, 0, sizeof device);
        device.cb = sizeof device;
        if (!::EnumDisplayDevicesA(nullptr, k, &device, 0)) return E_FAIL;
        if ((device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) ||
            !(device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP))
            continue;
        if (::lstrcmpiA(device.DeviceName, search.driverName) != 0) continue;
        // An empty identifier would be found inside every controller's PNPDeviceID: no answer at all.
        if (device.DeviceID[0] == '\0') return E_FAIL;
        const int count = static_cast<int>(length > 0x7FFFFFFF ? 0x7FFFFFFF : length);
        if (::MultiByteToWideChar(CP_ACP, 0, device.DeviceID, -1, deviceId, count) == 0) {
            deviceId[0] = L'\0';
            return E_FAIL;
        }
        return S_OK;
    }
}

HRESULT QueryAdapterRamByDeviceId(HMONITOR monitor, uint32_t* bytes) {
    if (bytes) *bytes = 0;
    wchar_t deviceId[512];
    // Without the identifier no controller can be told from another: the WMI road has no answer.
    if (FAILED(FindDisplayDeviceId(monitor, deviceId, 512))) return E_FAIL;

    ComApartment apartment;
    std::optional<uint32_t> found;
    {
        ComPtr<IWbemLocator> locator;
        if (FAILED(::CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER, kIidWbemLocator,
                                      locator.put_void())) ||
            !locator)
            return E_FAIL;
        ComPtr<IWbemServices> services;
        Bstr space(L"\\\\.\\root\\cimv2");
        // At most two minutes for the connection; without the flag it may wait indefinitely.
        if (FAILED(locator->ConnectServer(space.get(), nullptr, nullptr, nullptr,
                                          WBEM_FLAG_CONNECT_USE_MAX_WAIT, nullptr, nullptr,
                                          services.put())) ||
            !services)
            return E_FAIL;
        SetProxyBlanket(services.get());
        found = AdapterRamOfDevice(ReadControllers(services.get()), deviceId);
    }
    if (!found) return E_FAIL;
    if (bytes) *bytes = *found;
    return S_OK;
}

uint32_t QueryDirectDrawVideoMemory() {
    UniqueModule ddraw = LoadSystemLibrary(L"DDRAW.DLL");
    if (!ddraw) return 0;
    auto create = ExportOf<HRESULT(WINAPI*)(GUID*, LPVOID*, REFIID, IUnknown*)>(ddraw, "DirectDrawCreateEx");
    if (!create) return 0;
    ComPtr<IDirectDraw7> directDraw;
    if (FAILED(create(nullptr, directDraw.put_void(), kIidDirectDraw7, nullptr)) || !directDraw) return 0;
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_VIDEOMEMORY;
    DWORD total = 0;
    if (FAILED(directDraw->GetAvailableVidMem(&caps, &total, nullptr))) return 0;
    return total;
}

uint32_t QueryVideoMemoryBytes(const DisplayTables* listed) {
    uint32_t bytes = 0;
    {
        Direct3D9 direct3d = CreateDirect3D9();
        if (IDirect3D9* d3d = direct3d.object.get()) {
            std::wstring text;
            const bool read = SUCCEEDED(
                RegReadString(HKEY_LOCAL_MACHINE, SettingsKeyPath, L"CurMonitor", text, RegistryView::Bit64));
            UINT index = AdapterIndexFromCurMonitor(read ? &text : nullptr, d3d->GetAdapterCount());
            if (listed && listed->adapterCount != 0) index = ListedOrdinal(*listed, index);
            HMONITOR monitor = d3d->GetAdapterMonitor(index);
            QueryAdapterRamByDeviceId(monitor, &bytes);
        }
    }
    if (bytes != 0) return bytes;
    return QueryDirectDrawVideoMemory();
}

} // namespace qm
