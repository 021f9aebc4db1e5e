// The default table and the hardware rules at their boundaries.
#include "settings/settings_defaults.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using qm::HardwareDefaultRules;

TEST(SettingsDefaults, HardwareRulesAtTheirBoundaries) {
    // High-quality textures: more than 400 MiB and a screen higher than 1000 pixels.
    EXPECT_EQ(HardwareDefaultRules(401, 0, 1001).highQualityTextures, 1);
    EXPECT_EQ(HardwareDefaultRules(400, 0, 1001).highQualityTextures, 0);
    EXPECT_EQ(HardwareDefaultRules(401, 0, 1000).highQualityTextures, 0);
    // High-quality graphics: more than 2000 MHz and more than 400 MiB.
    EXPECT_EQ(HardwareDefaultRules(401, 2001, 0).highQualityGraphics, 1);
    EXPECT_EQ(HardwareDefaultRules(401, 2000, 0).highQualityGraphics, 0);
    EXPECT_EQ(HardwareDefaultRules(400, 2001, 0).highQualityGraphics, 0);
    // Antialiasing: more than 3000 MHz and at least 2500 MiB.
    EXPECT_EQ(HardwareDefaultRules(2500, 3001, 0).antialiasing, 1);
    EXPECT_EQ(HardwareDefaultRules(2499, 3001, 0).antialiasing, 0);
    EXPECT_EQ(HardwareDefaultRules(2500, 3000, 0).antialiasing, 0);
    // The rules are independent of each other.
    const auto all = HardwareDefaultRules(2500, 3001, 1001);
    EXPECT_EQ(all.highQualityTextures + all.highQualityGraphics + all.antialiasing, 3);
    const auto none = HardwareDefaultRules(0, 0, 0);
    EXPECT_EQ(none.highQualityTextures + none.highQualityGraphics + none.antialiasing, 0);
    // The unsigned comparison: the largest numbers are simply large.
    const auto huge = HardwareDefaultRules(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu);
    EXPECT_EQ(huge.highQualityTextures + huge.highQualityGraphics + huge.antialiasing, 3);
}

TEST(SettingsDefaults, TableWritesEveryRowAsIntegerAndLeavesOthers) {
    qm::Node settings;
    settings.Get("MusicVolumePercentage") = qm::NodeValue(std::wstring(L"loud"));
    settings.Get("CurMonitor") = qm::NodeValue(int32_t{2});
    settings.Get("Language") = qm::NodeValue(std::wstring(L"de"));
    qm::HardwareDefaults hardware;
    hardware.highQualityTextures = 1;
    hardware.antialiasing = 1;
    qm::ApplyDefaultTable(settings, hardware);

    const std::map<std::wstring, int32_t> expected = {
        {L"HighQualityTextures", 1},    {L"EnableMultiMonitorMode", 1},
        {L"ShowBlackScreens", 1},       {L"ShowFPS", 0},
        {L"DisableOnMouseActivate", 1}, {L"MusicVolumePercentage", 15},
        {L"DisableMusic", 0},           {L"SoundsVolumePercentage", 100},
        {L"DisableSound", 0},           {L"MonitorAspectRatio", 4},
        {L"UseDesktopRes", 1},          {L"UsePlaylist", 0},
        {L"HighQualityGraphics", 0},    {L"FontScaling", 50},
        {L"Antialiasing", 1},           {L"ShufflePlayList", 1},
    };
    for (const auto& [name, value] : expected) {
        ASSERT_TRUE(settings.Has(name, qm::ValueKind::Integer)) << std::string(name.begin(), name.end());
        EXPECT_EQ(settings.Get(name).AsInteger(), value) << std::string(name.begin(), name.end());
    }
    // Rows without a default keep what they had; nothing else is added.
    EXPECT_EQ(settings.Get("CurMonitor").AsInteger(), 2);
    EXPECT_EQ(settings.Get("Language").AsText(), L"de");
    EXPECT_EQ(settings.entries().size(), expected.size() + 2);
}

TEST(SettingsDefaults, PerMonitorNames) {
    EXPECT_EQ(qm::PerMonitorName(L"ModeWidth", 0), L"ModeWidth");
    EXPECT_EQ(qm::PerMonitorName(L"ModeWidth", -3), L"ModeWidth");
    EXPECT_EQ(qm::PerMonitorName(L"ModeWidth", 1), L"ModeWidth1");
    EXPECT_EQ(qm::PerMonitorName(L"UseDesktopRes", 12), L"UseDesktopRes12");
}
