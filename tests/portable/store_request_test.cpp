#include "settings/settings_defaults.h"
#include "settings/store_request.h"
#include "settings/typed_value.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Whatever a key holds (kinds and values the main program, an older version or a hand may have stored),
// the request the dialog builds from it, unchanged, with the controls at their ends, or after Restore
// Defaults, is one the elevated instance takes as it was sent (what it refuses: the store's end-to-end test).
TEST(StoreRequest, WhatTheDialogBuildsFromAnyStoredKeyIsTakenAndNothingElse) {
    for (const wchar_t* stored : {L"2: 150", L"2: -3", L"2: 070", L"1: 0.5", L"3: text", L"2: 1"}) {
        for (int way = 0; way < 3; ++way) {
            qm::Node key, settings;
            qm::ApplyDefaultTable(settings, qm::HardwareDefaults{});
            for (qm::Node* tree : {&key, &settings})
                for (const char* name : {"MusicVolumePercentage", "CurMonitor", "FontScaling", "Antialiasing",
                                         "ShowFPS", "EnableMultiMonitorMode"})
                    tree->Get(name) = std::move(*qm::ReadTypedValueText(stored));
            for (auto [name, value] : {std::pair{"MusicVolumePercentage", 100},
                                       {"Antialiasing", 31},
                                       {"CurMonitor", 63},
                                       {"DisableMusic", 1}})
                if (way == 1) settings.Get(name) = qm::NodeValue(int32_t{value});
            if (way == 2) qm::ApplyDefaultTable(settings, qm::HardwareDefaults{1, 1, 1});
            const qm::StoreRequest request = qm::SettingsStoreRequest(settings, key);
            const auto taken = qm::DecodeStoreRequest(qm::EncodeStoreRequest(request));
            ASSERT_TRUE(taken) << way << " " << std::string(stored, stored + 6);
            EXPECT_EQ(taken->settings, request.settings);
        }
    }

    // The longest playlist the editor gives travels; a line more does not.
    std::wstring longest;
    while (longest.size() < qm::kMaxPlaylistChars)
        longest +=
            std::wstring(std::min(qm::kMaxPlaylistLine, qm::kMaxPlaylistChars - longest.size() - 1), L'x') +
            L"\n";
    qm::StoreRequest all{{{L"MusicVolumePercentage", L"2: 0"}}, longest};
    EXPECT_TRUE(qm::DecodeStoreRequest(qm::EncodeStoreRequest(all)));
    all.playlist = longest + L"z\n";
    EXPECT_FALSE(qm::DecodeStoreRequest(qm::EncodeStoreRequest(all)));
}

} // namespace
