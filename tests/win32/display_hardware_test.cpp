// The display enumeration and the multisample probe against this machine's real Direct3D 9 and 11,
// each compared with an independent reading made here.
#include "display/display_tables.h"
#include "settings/node.h"
#include "test_support.h"

#include <d3d11.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <tuple>

namespace {

struct Direct3D9Object {
    IDirect3D9* object = Direct3DCreate9(D3D_SDK_VERSION);
    ~Direct3D9Object() {
        if (object) object->Release();
    }
};

std::wstring FirstActiveMonitorName(HMONITOR monitor) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return L"";
    DISPLAY_DEVICEW device{};
    device.cb = sizeof(device);
    for (DWORD i = 0; EnumDisplayDevicesW(info.szDevice, i, &device, 0); ++i)
        if (device.StateFlags & DISPLAY_DEVICE_ACTIVE) return device.DeviceString;
    return info.szDevice;
}

std::vector<int> IndependentMultisampleCounts() {
    ID3D11Device* device = nullptr;
    std::vector<int> counts;
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                 &device, nullptr, nullptr)))
        return counts;
    for (UINT count = 1; count <= 64; ++count) {
        UINT levels = 0;
        if (SUCCEEDED(device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, count, &levels)) &&
            levels)
            if (count >= 2 && count <= 31) counts.push_back(static_cast<int>(count));
    }
    device->Release();
    return counts;
}

TEST(DisplayHardware, KeepsTheRealAdapterWithItsModesAndMonitorName) {
    Direct3D9Object direct3d;
    ASSERT_NE(direct3d.object, nullptr);
    IDirect3D9* d3d = direct3d.object;
    ASSERT_GE(d3d->GetAdapterCount(), 1u);

    auto tables = std::make_unique<qm::DisplayTables>();
    qm::Node settings;
    ASSERT_EQ(qm::EnumerateDisplays(*tables, settings), S_OK);
    ASSERT_EQ(tables->adapterCount, std::min(d3d->GetAdapterCount(), 9u));
    EXPECT_EQ(tables->monitorCount, tables->adapterCount);

    for (uint32_t a = 0; a < tables->adapterCount; ++a) {
        SCOPED_TRACE(a);
        const qm::AdapterRecord& adapter = tables->adapters[a];
        D3DDISPLAYMODE desktop{};
        ASSERT_EQ(d3d->GetAdapterDisplayMode(a, &desktop), D3D_OK);
        EXPECT_EQ(adapter.ordinal, a);
        EXPECT_EQ(adapter.desktopMode.Width, desktop.Width);
        EXPECT_EQ(adapter.desktopMode.Height, desktop.Height);
        EXPECT_EQ(adapter.desktopMode.Format, desktop.Format);

        std::set<std::tuple<UINT, UINT>> expected;
        for (UINT m = 0; m < d3d->GetAdapterModeCount(a, D3DFMT_X8R8G8B8); ++m) {
            D3DDISPLAYMODE mode{};
            if (d3d->EnumAdapterModes(a, D3DFMT_X8R8G8B8, m, &mode) == D3D_OK && mode.Width >= 640 &&
                mode.Height >= 480)
                expected.emplace(mode.Width, mode.Height);
        }
        ASSERT_FALSE(expected.empty());
        const qm::DeviceRecord& device = adapter.devices[0];
        std::set<std::tuple<UINT, UINT>> listed;
        for (uint32_t m = 0; m < device.modeCount; ++m) {
            listed.emplace(device.modes[m].width, device.modes[m].height);
            EXPECT_EQ(device.modes[m].format, D3DFMT_X8R8G8B8);
        }
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(listed.size(), device.modeCount) << "one record per size";

        std::wstring name = FirstActiveMonitorName(d3d->GetAdapterMonitor(a));
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(std::wstring(tables->monitors[a].monitorName), name);
        std::printf("adapter %u: %ls, %u modes, desktop %ux%u format %d\n", a,
                    tables->monitors[a].monitorName, device.modeCount, desktop.Width, desktop.Height,
                    static_cast<int>(desktop.Format));
    }
}

TEST(DisplayHardware, AntialiasingLevelsAreWhatTheDeviceReports) {
    std::vector<int> expected = IndependentMultisampleCounts();
    ASSERT_FALSE(expected.empty()) << "no Direct3D 11 hardware device here";
    std::vector<int> probed = qm::ProbeAntialiasingLevels();
    EXPECT_EQ(probed, expected);
    std::string text;
    for (int c : probed)
        text += std::to_string(c) + " ";
    std::printf("multisample counts: %s\n", text.c_str());
    // A second probe in the same process gives the same answer (the library is loaded afresh).
    EXPECT_EQ(qm::ProbeAntialiasingLevels(), expected);
}

TEST(DisplayHardware, NoDirect3D11DeviceGivesNoLevels) {
    for (HRESULT created : {DXGI_ERROR_UNSUPPORTED, S_OK}) { // S_OK without a device is no device either
        qmtest::ScopedSeam seam(qm::SetDirect3D11DeviceFactoryForTesting, [created](ID3D11Device** device) {
            *device = nullptr;
            return created;
        });
        EXPECT_TRUE(qm::ProbeAntialiasingLevels().empty());
    }
    EXPECT_FALSE(qm::ProbeAntialiasingLevels().empty());
}

} // namespace
