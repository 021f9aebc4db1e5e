// The pure parts of the video memory question: which adapter "CurMonitor" selects, and which WMI
// controller answers for a display device.
#include "display/controller_match.h"
#include "display/cur_monitor.h"

#include <gtest/gtest.h>

#include <string>

using qm::AdapterIndexFromCurMonitor;

TEST(CurMonitor, PrefixIsDroppedAndTheRestReadAsDecimal) {
    const std::wstring one = L"2: 1";
    EXPECT_EQ(AdapterIndexFromCurMonitor(&one, 2), 1u);
    EXPECT_EQ(AdapterIndexFromCurMonitor(&one, 1), 0u) << "only one adapter: out of range";
    const std::wstring blankDigit = L"2:   3xyz";
    EXPECT_EQ(AdapterIndexFromCurMonitor(&blankDigit, 4), 3u);
    // Only two characters are dropped, whatever they are.
    const std::wstring other = L"xy2";
    EXPECT_EQ(AdapterIndexFromCurMonitor(&other, 3), 2u);
    const std::wstring plus = L"2: +1";
    EXPECT_EQ(AdapterIndexFromCurMonitor(&plus, 2), 1u);
}

TEST(CurMonitor, AbsentShortMalformedAndOutOfRangeSelectAdapterZero) {
    EXPECT_EQ(AdapterIndexFromCurMonitor(nullptr, 3), 0u);
    for (const std::wstring& text :
         {std::wstring(L""), std::wstring(L"5"), std::wstring(L"2:"), std::wstring(L"2: x1"),
          std::wstring(L"2: -1"), std::wstring(L"2: 3"), std::wstring(L"2: 4294967297"),
          std::wstring(L"2: 99999999999999999999"),
          std::wstring(L"2: 18446744073709551617")}) // 2^64 + 1: wrapped, it would read as 1
        EXPECT_EQ(AdapterIndexFromCurMonitor(&text, 3), 0u) << text.size();
    const std::wstring two = L"2: 2";
    EXPECT_EQ(AdapterIndexFromCurMonitor(&two, 3), 2u);
    EXPECT_EQ(AdapterIndexFromCurMonitor(&two, 0), 0u) << "no adapter at all";
}

TEST(ControllerMatch, TheFirstControllerContainingTheDeviceIdentifierDecides) {
    using qm::ControllerReading;
    const std::wstring id = L"PCI\\VEN_10DE&DEV_06CD&SUBSYS_00000000&REV_00";
    const ControllerReading other{L"PCI\\VEN_8086&DEV_0001\\3&1", 111u};
    const ControllerReading suffixed{id + L"\\0&DEADBEEF&0&DEAD", 222u};
    const ControllerReading lowerCase{L"pci\\ven_10de&dev_06cd&subsys_00000000&rev_00\\0", 333u};
    const ControllerReading noRam{id + L"\\1", std::nullopt};
    const ControllerReading noId{std::nullopt, 444u};
    const ControllerReading zeroRam{id, 0u};

    EXPECT_EQ(qm::AdapterRamOfDevice({other, suffixed}, id), 222u) << "the WMI form adds an instance suffix";
    EXPECT_EQ(qm::AdapterRamOfDevice({lowerCase}, id), std::nullopt) << "letter case counts";
    EXPECT_EQ(qm::AdapterRamOfDevice({noId, other}, id), std::nullopt);
    EXPECT_EQ(qm::AdapterRamOfDevice({suffixed, zeroRam}, id), 222u) << "the first match wins";
    // The first match decides even when its AdapterRAM is unreadable: no later controller is asked.
    EXPECT_EQ(qm::AdapterRamOfDevice({noRam, suffixed}, id), std::nullopt);
    // 0 is an answer of the WMI road; the caller then asks DirectDraw.
    EXPECT_EQ(qm::AdapterRamOfDevice({zeroRam}, id), 0u);
    EXPECT_EQ(qm::AdapterRamOfDevice({}, id), std::nullopt);
    EXPECT_EQ(qm::AdapterRamOfDevice({suffixed}, L""), std::nullopt)
        << "an empty identifier is no identifier";
}
