// Video memory detection under Wine: what each road answers, checked against a second, independent
// reading of the same source.
#include "dialogs/display_probes.h"
#include "dialogs/hardware_facts.h"
#include "display/video_memory.h"
#include "settings/product.h"
#include "fake_direct3d9.h"
#include "settings_dialog_support.h"
#include "test_support.h"
#include "tree_support.h"

#include <gtest/gtest.h>

#include <d3d9.h>
#include <ddraw.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemcli.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr GUID kClsidWbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr GUID kIidWbemLocator = {
    0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr GUID kIidDirectDraw2 = {
    0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

struct Controller {
    std::wstring pnpDeviceId;
    bool hasRam = false;
    uint32_t adapterRam = 0;
};

// Every Win32_VideoController through a WQL query (the product enumerates the class instead).
std::vector<Controller> QueryControllersWithWql() {
    std::vector<Controller> controllers;
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        IWbemLocator* locator = nullptr;
        IWbemServices* services = nullptr;
        IEnumWbemClassObject* rows = nullptr;
        BSTR space = ::SysAllocString(L"ROOT\\CIMV2");
        BSTR language = ::SysAllocString(L"WQL");
        BSTR query = ::SysAllocString(L"SELECT * FROM Win32_VideoController");
        if (SUCCEEDED(::CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER, kIidWbemLocator,
                                         reinterpret_cast<void**>(&locator))) &&
            SUCCEEDED(
                locator->ConnectServer(space, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services)) &&
            SUCCEEDED(services->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY, nullptr, &rows))) {
            for (;;) {
                IWbemClassObject* row = nullptr;
                ULONG count = 0;
                if (rows->Next(5000, 1, &row, &count) != WBEM_S_NO_ERROR || count == 0) break;
                Controller c;
                VARIANT v;
                ::VariantInit(&v);
                if (SUCCEEDED(row->Get(L"PNPDeviceID", 0, &v, nullptr, nullptr)) && v.vt == VT_BSTR)
                    c.pnpDeviceId = v.bstrVal;
                ::VariantClear(&v);
                if (SUCCEEDED(row->Get(L"AdapterRAM", 0, &v, nullptr, nullptr)) &&
                    (v.vt == VT_I4 || v.vt == VT_UI4)) {
                    c.hasRam = true;
                    c.adapterRam = v.ulVal;
                }
                ::VariantClear(&v);
                row->Release();
                controllers.push_back(c);
            }
        }
        if (rows) rows->Release();
        if (services) services->Release();
        if (locator) locator->Release();
        ::SysFreeString(space);
        ::SysFreeString(language);
        ::SysFreeString(query);
    }
    if (SUCCEEDED(init)) ::CoUninitialize();
    return controllers;
}

// DirectDraw's total video memory through the older creation function and interface.
uint32_t DirectDrawTotalThroughOldInterface() {
    HMODULE ddraw = ::LoadLibraryW(L"ddraw.dll");
    if (!ddraw) return 0;
    using CreateFn = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);
    auto create =
        reinterpret_cast<CreateFn>(reinterpret_cast<void*>(::GetProcAddress(ddraw, "DirectDrawCreate")));
    uint32_t total = 0;
    IDirectDraw* first = nullptr;
    if (create && SUCCEEDED(create(nullptr, &first, nullptr))) {
        IDirectDraw2* second = nullptr;
        if (SUCCEEDED(first->QueryInterface(kIidDirectDraw2, reinterpret_cast<void**>(&second)))) {
            DDSCAPS caps{};
            caps.dwCaps = DDSCAPS_VIDEOMEMORY;
            DWORD bytes = 0;
            if (SUCCEEDED(second->GetAvailableVidMem(&caps, &bytes, nullptr))) total = bytes;
            second->Release();
        }
        first->Release();
    }
    ::FreeLibrary(ddraw);
    return total;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// The attached, non-mirroring display device whose name is the given adapter's GDI device name.
std::string DeviceIdOfAdapter(UINT adapter) {
    IDirect3D9* d3d = ::Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return {};
    D3DADAPTER_IDENTIFIER9 identifier{};
    d3d->GetAdapterIdentifier(adapter, 0, &identifier);
    d3d->Release();
    DISPLAY_DEVICEA device{};
    for (DWORD k = 0;; ++k) {
        std::memset(&device, 0, sizeof device);
        device.cb = sizeof device;
        if (!::EnumDisplayDevicesA(nullptr, k, &device, 0)) return {};
        if (_stricmp(device.DeviceName, identifier.DeviceName) == 0) return device.DeviceID;
    }
}

HMONITOR MonitorOfAdapter(UINT adapter) {
    IDirect3D9* d3d = ::Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return nullptr;
    HMONITOR monitor = d3d->GetAdapterMonitor(adapter);
    d3d->Release();
    return monitor;
}

} // namespace

// No scratch registry here: redirecting HKEY_LOCAL_MACHINE hides the video driver keys from Wine's
// Direct3D and DirectDraw, which then create nothing.
TEST(VideoMemory, EachRoadAnswersWhatItsSourceReports) {
    const uint32_t directDraw = qm::QueryDirectDrawVideoMemory();
    const uint32_t independentDirectDraw = DirectDrawTotalThroughOldInterface();
    std::printf("DirectDraw video memory: %lu bytes (older interface: %lu)\n",
                static_cast<unsigned long>(directDraw), static_cast<unsigned long>(independentDirectDraw));
    EXPECT_EQ(directDraw, independentDirectDraw);
    EXPECT_GT(directDraw, 0u) << "Wine's DirectDraw reports its video memory";

    const HMONITOR monitor = MonitorOfAdapter(0);
    ASSERT_NE(monitor, nullptr);
    wchar_t deviceId[512] = L"unchanged";
    const HRESULT found = qm::FindDisplayDeviceId(monitor, deviceId, 512);
    const std::string expectedId = DeviceIdOfAdapter(0);
    std::printf("display device identifier: %s (found: %s); by the adapter's device name: %s\n",
                Narrow(deviceId).c_str(), found == S_OK ? "yes" : "no", expectedId.c_str());
    // The expectation comes from Direct3D's device name alone, so a search that never finds the
    // adapter fails here rather than agreeing with itself.
    if (!expectedId.empty()) {
        EXPECT_EQ(found, S_OK);
        EXPECT_EQ(Narrow(deviceId), expectedId);
    } else {
        EXPECT_EQ(found, E_FAIL);
        EXPECT_STREQ(deviceId, L"");
    }
    const std::wstring expectedWideId(expectedId.begin(), expectedId.end());

    const std::vector<Controller> controllers = QueryControllersWithWql();
    uint32_t expectedRam = 0;
    bool expectedMatch = false;
    for (const Controller& c : controllers) {
        std::printf("WMI controller: PNPDeviceID \"%s\", AdapterRAM %s%lu\n", Narrow(c.pnpDeviceId).c_str(),
                    c.hasRam ? "" : "(none) ", static_cast<unsigned long>(c.adapterRam));
        if (!expectedMatch && !expectedWideId.empty() &&
            c.pnpDeviceId.find(expectedWideId) != std::wstring::npos) {
            expectedMatch = c.hasRam;
            expectedRam = c.adapterRam;
            break;
        }
    }
    EXPECT_FALSE(controllers.empty()) << "Wine's WMI answers Win32_VideoController";

    uint32_t ram = 12345;
    const HRESULT wmi = qm::QueryAdapterRamByDeviceId(monitor, &ram);
    std::printf("WMI road: %s, %lu bytes\n", wmi == S_OK ? "S_OK" : "E_FAIL",
                static_cast<unsigned long>(ram));
    EXPECT_EQ(wmi == S_OK, expectedMatch);
    EXPECT_EQ(ram, expectedMatch ? expectedRam : 0u);

    const uint32_t total = qm::QueryVideoMemoryBytes();
    std::printf("QueryVideoMemoryBytes: %lu bytes (%lu MiB)\n", static_cast<unsigned long>(total),
                static_cast<unsigned long>(total >> 20));
    EXPECT_EQ(total, expectedMatch && expectedRam != 0 ? expectedRam : directDraw);
}

TEST(VideoMemory, BadArgumentsAndUnknownMonitorsFail) {
    wchar_t deviceId[512] = L"x";
    EXPECT_EQ(qm::FindDisplayDeviceId(reinterpret_cast<HMONITOR>(0x12345678), deviceId, 512), E_FAIL);
    EXPECT_EQ(deviceId[0], L'\0');
    EXPECT_EQ(qm::FindDisplayDeviceId(MonitorOfAdapter(0), nullptr, 512), E_FAIL);
    uint32_t ram = 7;
    EXPECT_EQ(qm::QueryAdapterRamByDeviceId(reinterpret_cast<HMONITOR>(0x12345678), &ram), E_FAIL);
    EXPECT_EQ(ram, 0u);
}

// The dialog gathers the facts on a thread of its own: there, in an apartment of its own as WMI needs,
// they must come out as here.
TEST(VideoMemory, TheFactsAreTheSameOnTheProbesThread) {
    const uint32_t here = qm::GatherHardwareFacts().videoMiB;
    qm::DisplayProbes probes;
    probes.StartFacts();
    ASSERT_TRUE(probes.WaitForAll(60000));
    EXPECT_EQ(probes.Facts().videoMiB, here);

    // After the monitor list, the memory is that of the adapter the list shows for "CurMonitor": a stored
    // 0 names the first listed one when adapter 0 has no usable mode.
    qmtest::SavedRegistryKey settings(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, KEY_WOW64_64KEY);
    settings.SetText(L"CurMonitor", L"2: 0");
    qmtest::FakeDirect3D9 dropped;
    dropped.adapters = {qmtest::MakeFakeAdapter({}), qmtest::MakeFakeAdapter({{1024, 768}})};
    {
        qmtest::UseFakeDirect3D9 use(&dropped);
        qm::DisplayProbes listed;
        listed.StartDisplays({});
        listed.StartFacts();
        ASSERT_TRUE(listed.WaitForAll(60000));
    }
    ASSERT_FALSE(dropped.monitorOrdinalsAsked.empty());
    EXPECT_EQ(dropped.monitorOrdinalsAsked.back(), 1u);

    APTTYPE apartment = APTTYPE_CURRENT;
    qmtest::ScopedSeam seam(qm::SetHardwareFactsForTesting, [&apartment] {
        APTTYPEQUALIFIER qualifier{};
        if (FAILED(::CoGetApartmentType(&apartment, &qualifier))) apartment = APTTYPE_CURRENT;
        return qm::HardwareFacts{};
    });
    qm::DisplayProbes seen;
    seen.StartFacts();
    ASSERT_TRUE(seen.WaitForAll(60000));
    EXPECT_TRUE(apartment == APTTYPE_STA || apartment == APTTYPE_MAINSTA) << apartment;
}
