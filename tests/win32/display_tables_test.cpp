// The display enumeration over machines described by a fake Direct3D 9: which adapters are kept, their
// modes, formats and monitors, and the lookups over the tables.
#include "fake_direct3d9.h"
#include "settings_dialog_support.h"

#include "display/display_tables.h"
#include "display/video_memory.h"
#include "settings/node.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace qmtest;

namespace {

struct Pass {
    std::unique_ptr<qm::DisplayTables> tables = std::make_unique<qm::DisplayTables>();
    qm::Node settings;
    HRESULT result = E_UNEXPECTED;
};

void Enumerate(FakeDirect3D9& fake, Pass& pass, const qm::ConfirmDevice& confirm = {}) {
    UseFakeDirect3D9 use(&fake);
    pass.result = qm::EnumerateDisplays(*pass.tables, pass.settings, confirm);
}

std::wstring Sizes(const qm::DeviceRecord& device) {
    std::wstring text;
    for (uint32_t m = 0; m < device.modeCount; ++m) {
        if (!text.empty()) text += L", ";
        text += std::to_wstring(device.modes[m].width) + L"x" + std::to_wstring(device.modes[m].height);
    }
    return text;
}

std::wstring PrimaryMonitorDevice() {
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.szDevice;
}

TEST(DisplayTables, TwoAdaptersOfferTheGroupChoiceOnlyWhenAdapterZeroLeadsAGroup) {
    for (DWORD groupSize : {1u, 2u}) {
        FakeDirect3D9 fake;
        fake.adapters = {MakeFakeAdapter({{800, 600}, {1024, 768}}), MakeFakeAdapter({{1280, 1024}})};
        fake.adapters[0].caps.NumberOfAdaptersInGroup = groupSize;
        fake.adapters[1].caps.NumberOfAdaptersInGroup = groupSize;
        Pass pass;
        Enumerate(fake, pass);
        ASSERT_EQ(pass.result, S_OK);
        const qm::DisplayTables& t = *pass.tables;
        EXPECT_EQ(t.adapterCount, 2u);
        EXPECT_EQ(t.monitorCount, 2u);
        EXPECT_EQ(t.adapter0Caps.NumberOfAdaptersInGroup, groupSize);
        EXPECT_EQ(qm::IsAdapterGroupAvailable(t), groupSize == 2);
        EXPECT_EQ(Sizes(t.adapters[0].devices[0]), L"800x600, 1024x768");
        EXPECT_EQ(Sizes(t.adapters[1].devices[0]), L"1280x1024");
        EXPECT_EQ(t.adapters[1].ordinal, 1u);
        EXPECT_EQ(t.adapters[0].deviceCount, 1u);
        EXPECT_EQ(t.adapters[0].devices[0].deviceType, D3DDEVTYPE_HAL);
        EXPECT_EQ(t.adapters[0].desktopMode.Width, 1024u);
        EXPECT_EQ(t.adapters[0].desktopMode.Format, D3DFMT_X8R8G8B8);
        EXPECT_FALSE(std::wstring(t.monitors[0].monitorName).empty());
        EXPECT_EQ(fake.extraReferences(), 0) << "the pass must release Direct3D";
    }

    // One adapter never offers the group, whatever its caps say.
    FakeDirect3D9 single;
    single.adapters = {MakeFakeAdapter({{800, 600}})};
    single.adapters[0].caps.NumberOfAdaptersInGroup = 4;
    Pass pass;
    Enumerate(single, pass);
    ASSERT_EQ(pass.result, S_OK);
    EXPECT_FALSE(qm::IsAdapterGroupAvailable(*pass.tables));
}

TEST(DisplayTables, NoDirect3DOrNoUsableAdapterFailsWithEmptyTables) {
    Pass absent;
    absent.settings.Get("CurMonitor") = qm::NodeValue(int32_t{3});
    {
        UseFakeDirect3D9 use(nullptr);
        absent.result = qm::EnumerateDisplays(*absent.tables, absent.settings);
    }
    EXPECT_EQ(absent.result, E_FAIL);
    EXPECT_EQ(absent.tables->monitorCount, 0u);
    EXPECT_FALSE(qm::IsAdapterGroupAvailable(*absent.tables));
    EXPECT_EQ(absent.settings.Get("CurMonitor").AsInteger(), 3);

    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{640, 400}, {320, 240}, {639, 480}})};
    Pass unusable;
    unusable.settings.Get("CurMonitor") = qm::NodeValue(int32_t{3});
    Enumerate(fake, unusable);
    EXPECT_EQ(unusable.result, E_FAIL);
    EXPECT_EQ(unusable.tables->adapterCount, 0u);
    EXPECT_EQ(unusable.tables->monitorCount, 0u);
    EXPECT_EQ(unusable.settings.Get("CurMonitor").AsInteger(), 3);
    EXPECT_EQ(fake.extraReferences(), 0);
}

TEST(DisplayTables, AnAdapterWithoutUsableModesGivesItsSlotToTheNextAndKeepsItsOrdinal) {
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{640, 400}}), MakeFakeAdapter({{800, 600}}),
                     MakeFakeAdapter({{1024, 768}}), MakeFakeAdapter({{1280, 1024}})};
    // The second kept adapter has no known monitor: its name shows whose monitor was asked for.
    fake.adapters[1].monitor = nullptr;
    // The last one refuses its only format.
    fake.adapters[3].deviceFormats = {D3DFMT_R5G6B5};
    Pass pass;
    Enumerate(fake, pass);
    ASSERT_EQ(pass.result, S_OK);
    const qm::DisplayTables& t = *pass.tables;
    ASSERT_EQ(t.adapterCount, 2u);
    EXPECT_EQ(t.monitorCount, 2u);
    EXPECT_EQ(t.adapters[0].ordinal, 1u);
    EXPECT_EQ(Sizes(t.adapters[0].devices[0]), L"800x600");
    EXPECT_EQ(t.adapters[1].ordinal, 2u);
    EXPECT_EQ(Sizes(t.adapters[1].devices[0]), L"1024x768");
    EXPECT_EQ(fake.monitorOrdinalsAsked, (std::vector<UINT>{1, 2}));
    EXPECT_STREQ(t.monitors[0].monitorName, L"");
    EXPECT_STRNE(t.monitors[1].monitorName, L"");
}

TEST(DisplayTables, AtMostNineAdaptersAreKept) {
    FakeDirect3D9 fake;
    for (int i = 0; i < 12; ++i)
        fake.adapters.push_back(MakeFakeAdapter({{800, 600}}));
    Pass pass;
    Enumerate(fake, pass);
    ASSERT_EQ(pass.result, S_OK);
    EXPECT_EQ(pass.tables->adapterCount, 9u);
    EXPECT_EQ(pass.tables->monitorCount, 9u);
    EXPECT_EQ(pass.tables->adapters[8].ordinal, 8u);
}

TEST(DisplayTables, ModesAreBoundedMergedAcrossRefreshRatesAndSorted) {
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{1024, 768, 60},
                                      {800, 600, 60},
                                      {800, 600, 75},
                                      {640, 400, 60},
                                      {1024, 600, 60},
                                      {639, 1200, 60},
                                      {1600, 479, 60},
                                      {640, 480, 60},
                                      {1024, 768, 85}})};
    // Modes of other formats are not asked for.
    fake.adapters[0].modes.push_back({320, 200, 60, D3DFMT_R5G6B5});
    Pass pass;
    Enumerate(fake, pass);
    ASSERT_EQ(pass.result, S_OK);
    const qm::DeviceRecord& device = pass.tables->adapters[0].devices[0];
    EXPECT_EQ(Sizes(device), L"640x480, 800x600, 1024x600, 1024x768");
    for (uint32_t m = 0; m < device.modeCount; ++m)
        EXPECT_EQ(device.modes[m].format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(device.currentMode, 0u);
    EXPECT_EQ(fake.modeFormatsAsked, (std::vector<D3DFORMAT>{D3DFMT_X8R8G8B8}));
}

TEST(DisplayTables, MoreThanAHundredDistinctModesKeepTheFirstHundredReported) {
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({})};
    // Reported widest first, so the kept hundred are the widest ones: 670 to 769.
    for (UINT w = 769; w >= 640; --w)
        fake.adapters[0].modes.push_back({w, 480, 60, D3DFMT_X8R8G8B8});
    Pass pass;
    Enumerate(fake, pass);
    ASSERT_EQ(pass.result, S_OK);
    const qm::DeviceRecord& device = pass.tables->adapters[0].devices[0];
    ASSERT_EQ(device.modeCount, 100u);
    EXPECT_EQ(device.modes[0].width, 670u);
    EXPECT_EQ(device.modes[99].width, 769u);
    for (uint32_t m = 1; m < device.modeCount; ++m)
        EXPECT_EQ(device.modes[m].width, device.modes[m - 1].width + 1);
}

TEST(DisplayTables, SixteenBitDesktopQualifiesBothFormatsButListsOnlyThirtyTwoBitModes) {
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{1024, 768}, {800, 600}}, D3DFMT_R5G6B5)};
    fake.adapters[0].modes.push_back({1280, 1024, 60, D3DFMT_R5G6B5});
    Pass pass;
    Enumerate(fake, pass);
    ASSERT_EQ(pass.result, S_OK);
    // The format list is the desktop's 23, then 22: the depth search runs in that order.
    ASSERT_FALSE(fake.depthFormatsAsked.empty());
    EXPECT_EQ(fake.depthFormatsAsked.front().first, D3DFMT_R5G6B5);
    EXPECT_EQ(fake.depthFormatsAsked.back().first, D3DFMT_X8R8G8B8);
    const qm::DeviceRecord& device = pass.tables->adapters[0].devices[0];
    EXPECT_EQ(Sizes(device), L"800x600, 1024x768");
    for (uint32_t m = 0; m < device.modeCount; ++m) {
        EXPECT_EQ(device.modes[m].format, D3DFMT_X8R8G8B8);
        std::wstring label = qm::DisplayModeLabel(device.modes[m]);
        EXPECT_EQ(label.substr(label.size() - 5), L" x 32") << label;
    }
}

TEST(DisplayTables, DepthStencilSearchOrderAndFailure) {
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{800, 600}})};
    fake.adapters[0].depthFormats = {D3DFMT_D16};
    EXPECT_EQ(qm::FindDepthStencilFormat(&fake, 0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8), D3DFMT_D16);
    const std::vector<std::pair<D3DFORMAT, D3DFORMAT>> allFive = {{D3DFMT_X8R8G8B8, D3DFMT_D32},
                                                                  {D3DFMT_X8R8G8B8, D3DFMT_D24X8},
                                                                  {D3DFMT_X8R8G8B8, D3DFMT_D24S8},
                                                                  {D3DFMT_X8R8G8B8, D3DFMT_D24X4S4},
                                                                  {D3DFMT_X8R8G8B8, D3DFMT_D16}};
    EXPECT_EQ(fake.depthFormatsAsked, allFive);

    fake.depthFormatsAsked.clear();
    fake.adapters[0].depthFormats = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D32};
    EXPECT_EQ(qm::FindDepthStencilFormat(&fake, 0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8), D3DFMT_D32);
    EXPECT_EQ(fake.depthFormatsAsked.size(), 1u);

    // The desktop's 16-bit format has no depth buffer: only the 32-bit format qualifies, which is the
    // format of every candidate, so the adapter keeps its modes.
    fake.adapters[0].desktop.Format = D3DFMT_R5G6B5;
    fake.adapters[0].depthFailsFor = {D3DFMT_R5G6B5};
    Pass sixteen;
    Enumerate(fake, sixteen);
    EXPECT_EQ(sixteen.result, S_OK);
    EXPECT_EQ(Sizes(sixteen.tables->adapters[0].devices[0]), L"800x600");

    // Without a depth buffer for the candidates' format the adapter is dropped.
    fake.adapters[0].depthFailsFor = {D3DFMT_X8R8G8B8};
    fake.adapters.push_back(MakeFakeAdapter({{1280, 1024}}));
    Pass thirtyTwo;
    Enumerate(fake, thirtyTwo);
    ASSERT_EQ(thirtyTwo.result, S_OK);
    EXPECT_EQ(thirtyTwo.tables->adapterCount, 1u);
    EXPECT_EQ(thirtyTwo.tables->adapters[0].ordinal, 1u);
}

struct ConfirmCall {
    DWORD behavior;
    D3DFORMAT format;
    DWORD devCaps;
};

TEST(DisplayTables, ConfirmDeviceIsAskedHardwareFirstThenSoftware) {
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{800, 600}})};
    std::vector<ConfirmCall> calls;
    auto recordAndRefuse = [&](HRESULT hardwareAnswer, HRESULT softwareAnswer) {
        return
            [&calls, hardwareAnswer, softwareAnswer](const D3DCAPS9& caps, DWORD behavior, D3DFORMAT format) {
                calls.push_back({behavior, format, caps.DevCaps});
                return behavior == D3DCREATE_HARDWARE_VERTEXPROCESSING ? hardwareAnswer : softwareAnswer;
            };
    };

    Pass accepted;
    Enumerate(fake, accepted, recordAndRefuse(S_OK, E_FAIL));
    EXPECT_EQ(accepted.result, S_OK);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].behavior, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    EXPECT_EQ(calls[0].format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(calls[0].devCaps, static_cast<DWORD>(D3DDEVCAPS_HWTRANSFORMANDLIGHT));

    calls.clear();
    Pass software;
    Enumerate(fake, software, recordAndRefuse(E_FAIL, S_FALSE));
    EXPECT_EQ(software.result, S_OK);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].behavior, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));

    calls.clear();
    Pass refused;
    Enumerate(fake, refused, recordAndRefuse(E_FAIL, E_FAIL));
    EXPECT_EQ(refused.result, E_FAIL);
    EXPECT_EQ(refused.tables->adapterCount, 0u);

    // Without hardware transform and lighting only software processing is asked about.
    calls.clear();
    fake.adapters[0].caps.DevCaps = 0;
    Pass noTnl;
    Enumerate(fake, noTnl, recordAndRefuse(S_OK, S_OK));
    EXPECT_EQ(noTnl.result, S_OK);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].behavior, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
}

TEST(DisplayTables, StoredModeAndMonitor) {
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{800, 600}, {1024, 768}, {1280, 1024}}),
                     MakeFakeAdapter({{640, 480}, {1024, 768}})};
    Pass pass;
    pass.settings.Get("CurMonitor") = qm::NodeValue(int32_t{1});
    pass.settings.Get("ModeWidth") = qm::NodeValue(int32_t{1024});
    pass.settings.Get("ModeHeight") = qm::NodeValue(int32_t{768});
    pass.settings.Get("ModeFormat") = qm::NodeValue(int32_t{D3DFMT_X8R8G8B8});
    Enumerate(fake, pass);
    ASSERT_EQ(pass.result, S_OK);
    // Only the stored monitor's adapter points at the stored mode.
    EXPECT_EQ(pass.tables->adapters[0].devices[0].currentMode, 0u);
    EXPECT_EQ(pass.tables->adapters[1].devices[0].currentMode, 1u);
    EXPECT_EQ(pass.settings.Get("CurMonitor").AsInteger(), 1);

    // A stored monitor beyond the list is reset to the first.
    Pass beyond;
    beyond.settings.Get("CurMonitor") = qm::NodeValue(int32_t{2});
    Enumerate(fake, beyond);
    EXPECT_EQ(beyond.settings.Get("CurMonitor").kind(), qm::ValueKind::Integer);
    EXPECT_EQ(beyond.settings.Get("CurMonitor").AsInteger(), 0);
    Pass negative;
    negative.settings.Get("CurMonitor") = qm::NodeValue(int32_t{-1});
    Enumerate(fake, negative);
    EXPECT_EQ(negative.settings.Get("CurMonitor").AsInteger(), 0);

    // "CurMonitor" is a Direct3D 9 ordinal, also when an adapter without a usable mode is left out of the
    // list: a stored 2, listed second, stays 2 with its mode; a stored 0, the left-out one, becomes the
    // first listed. The video memory is asked of that same adapter.
    FakeDirect3D9 dropped;
    dropped.adapters = {MakeFakeAdapter({}), fake.adapters[0], fake.adapters[1]};
    for (auto [stored, listed] : {std::pair{2, 2}, std::pair{0, 1}}) {
        SCOPED_TRACE(stored);
        Pass pass;
        pass.settings.Get("CurMonitor") = qm::NodeValue(int32_t{stored});
        pass.settings.Get("ModeWidth") = qm::NodeValue(int32_t{1024});
        pass.settings.Get("ModeHeight") = qm::NodeValue(int32_t{768});
        pass.settings.Get("ModeFormat") = qm::NodeValue(int32_t{D3DFMT_X8R8G8B8});
        Enumerate(dropped, pass);
        EXPECT_EQ(pass.settings.Get("CurMonitor").AsInteger(), listed);
        EXPECT_EQ(pass.tables->adapters[1].devices[0].currentMode, stored == 2 ? 1u : 0u);
        ScratchRegistry registry;
        StoreIntegerSetting(L"CurMonitor", stored);
        UseFakeDirect3D9 use(&dropped);
        dropped.monitorOrdinalsAsked.clear();
        qm::QueryVideoMemoryBytes(pass.tables.get());
        ASSERT_FALSE(dropped.monitorOrdinalsAsked.empty());
        EXPECT_EQ(dropped.monitorOrdinalsAsked.back(), static_cast<UINT>(listed));
    }
}

TEST(DisplayTables, FindDisplayModeAndLabels) {
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{800, 600}, {1280, 1024}, {1024, 600}})};
    Pass pass;
    Enumerate(fake, pass);
    ASSERT_EQ(pass.result, S_OK);
    const qm::DisplayTables& t = *pass.tables;
    EXPECT_EQ(qm::FindDisplayMode(t, 0, 1280, 1024, D3DFMT_X8R8G8B8), 2u);
    EXPECT_EQ(qm::FindDisplayMode(t, 0, 1024, 600, D3DFMT_X8R8G8B8), 1u);
    EXPECT_EQ(qm::FindDisplayMode(t, 0, 1024, 768, D3DFMT_X8R8G8B8), 0u);
    EXPECT_EQ(qm::FindDisplayMode(t, 0, 1280, 1024, D3DFMT_A8R8G8B8), 0u);
    EXPECT_EQ(qm::FindDisplayMode(t, 1, 1280, 1024, D3DFMT_X8R8G8B8), 0u);
    EXPECT_EQ(qm::FindDisplayMode(t, 4000000000u, 1280, 1024, D3DFMT_X8R8G8B8), 0u);

    EXPECT_EQ(qm::DisplayModeLabel({1280, 1024, D3DFMT_X8R8G8B8}), L"1280 x 1024 x 32");
    EXPECT_EQ(qm::DisplayModeLabel({1920, 1080, D3DFMT_A8R8G8B8}), L"1920 x 1080 x 32");
    EXPECT_EQ(qm::DisplayModeLabel({800, 600, D3DFMT_R5G6B5}), L"800 x 600 x 16");
    EXPECT_EQ(qm::DisplayModeLabel({640, 480, D3DFMT_X1R5G5B5}), L"640 x 480 x 16");
    EXPECT_EQ(qm::DisplayModeLabel({1024, 768, D3DFMT_A2R10G10B10}), L"1024 x 768 x 0");
    EXPECT_EQ(qm::DisplayModeLabel({4294967295u, 1, D3DFMT_X8R8G8B8}), L"4294967295 x 1 x 32");
}

bool FakeDevices(const wchar_t* device, DWORD index, DISPLAY_DEVICEW* out,
                 const std::vector<DISPLAY_DEVICEW>& all) {
    if (std::wstring(device) != L"\\\\.\\DISPLAY1" || index >= all.size()) return false;
    *out = all[index];
    return true;
}

DISPLAY_DEVICEW MonitorDevice(const std::wstring& description, DWORD state) {
    DISPLAY_DEVICEW d{};
    d.cb = sizeof(d);
    description.copy(d.DeviceString, std::size(d.DeviceString) - 1);
    d.StateFlags = state;
    return d;
}

TEST(DisplayTables, MonitorNameIsTheFirstActiveMonitorDevice) {
    auto pick = [](const std::vector<DISPLAY_DEVICEW>& devices) {
        qm::MonitorRecord record{};
        wcscpy(record.monitorName, L"\\\\.\\DISPLAY1");
        qm::PickMonitorName(L"\\\\.\\DISPLAY1", record, [&](const wchar_t* d, DWORD i, DISPLAY_DEVICEW* o) {
            return FakeDevices(d, i, o, devices);
        });
        return std::wstring(record.monitorName);
    };
    EXPECT_EQ(pick({}), L"\\\\.\\DISPLAY1");
    EXPECT_EQ(pick({MonitorDevice(L"Sleeping", 0), MonitorDevice(L"Off", DISPLAY_DEVICE_MIRRORING_DRIVER)}),
              L"\\\\.\\DISPLAY1");
    EXPECT_EQ(pick({MonitorDevice(L"Sleeping", 0), MonitorDevice(L"Second", DISPLAY_DEVICE_ACTIVE),
                    MonitorDevice(L"Third", DISPLAY_DEVICE_ACTIVE)}),
              L"Second");
    std::wstring longName(127, L'M');
    EXPECT_EQ(pick({MonitorDevice(longName, DISPLAY_DEVICE_ACTIVE | DISPLAY_DEVICE_ATTACHED)}), longName);

    // The real walk, on the primary monitor of this machine.
    FakeDirect3D9 fake;
    fake.adapters = {MakeFakeAdapter({{800, 600}})};
    qm::MonitorRecord real = qm::BuildMonitorRecord(&fake, 0);
    EXPECT_STRNE(real.monitorName, L"");
    EXPECT_NE(std::wstring(real.monitorName), PrimaryMonitorDevice())
        << "an active monitor device exists here";
    EXPECT_STREQ(qm::BuildMonitorRecord(&fake, 5).monitorName, L"");
    fake.adapters[0].monitor = reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x7654321));
    EXPECT_STREQ(qm::BuildMonitorRecord(&fake, 0).monitorName, L"");
}

TEST(DisplayTables, BitsPerPixel) {
    EXPECT_EQ(qm::BitsPerPixel(D3DFMT_A8R8G8B8), 32u);
    EXPECT_EQ(qm::BitsPerPixel(D3DFMT_X8R8G8B8), 32u);
    EXPECT_EQ(qm::BitsPerPixel(D3DFMT_R5G6B5), 16u);
    EXPECT_EQ(qm::BitsPerPixel(D3DFMT_X1R5G5B5), 16u);
    for (D3DFORMAT other : {D3DFMT_UNKNOWN, D3DFMT_R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A2R10G10B10, D3DFMT_D16})
        EXPECT_EQ(qm::BitsPerPixel(other), 0u) << other;
}

} // namespace
