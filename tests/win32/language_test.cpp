// The dialog language from the settings key's "Language" value.
#include "localisation/language.h"

#include "settings/product.h"
#include "standin_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace qmtest;

namespace {

void SetValue(DWORD type, const void* data, DWORD bytes, REGSAM view = KEY_WOW64_64KEY) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE | view,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, L"Language", 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}

void SetText(const std::wstring& text, DWORD type = REG_SZ, REGSAM view = KEY_WOW64_64KEY) {
    SetValue(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
}

TEST(LanguageFromRegistry, ExactCodesNameTheirLanguage) {
    ScratchRegistry scratch;
    for (const auto& [text, tag] : {std::pair{L"3: de", L"de"}, std::pair{L"3: fr", L"fr"},
                                    std::pair{L"3: ru", L"ru"}, std::pair{L"3: en", L"en"}}) {
        SetText(text);
        EXPECT_EQ(qm::LanguageFromRegistry(), tag) << text;
    }
}

TEST(LanguageFromRegistry, EverythingElseIsEnglish) {
    ScratchRegistry scratch;
    EXPECT_EQ(qm::LanguageFromRegistry(), L"en"); // no settings key at all
    for (const wchar_t* text : {L"", L"3: DE", L"3: De", L"3: de ", L" 3: de", L"3:de", L"3:  de", L"de",
                                L"2: de", L"3: es", L"3: deu", L"3: d"}) {
        SetText(text);
        EXPECT_EQ(qm::LanguageFromRegistry(), L"en") << '"' << text << '"';
    }
}

TEST(LanguageFromRegistry, OnlyTextValuesCount) {
    ScratchRegistry scratch;
    DWORD number = 3;
    SetValue(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(qm::LanguageFromRegistry(), L"en");
    SetText(L"3: de", REG_EXPAND_SZ);
    EXPECT_EQ(qm::LanguageFromRegistry(), L"en");
    SetText(L"3: de", REG_MULTI_SZ);
    EXPECT_EQ(qm::LanguageFromRegistry(), L"en");
    const char narrow[] = "3: de";
    SetValue(REG_BINARY, narrow, sizeof narrow);
    EXPECT_EQ(qm::LanguageFromRegistry(), L"en");
    // The same text as REG_SZ, after all the others.
    SetText(L"3: de");
    EXPECT_EQ(qm::LanguageFromRegistry(), L"de");
}

// The value shared with the 64-bit main program lives in the 64-bit view; the scratch keys merge the
// views, so this uses the prefix's real HKEY_LOCAL_MACHINE and puts back what was there (keys it made
// are removed).
TEST(LanguageFromRegistry, ReadsThe64BitView) {
    std::wstring tag, tagWithout64, tagWithout32;
    {
        SavedRegistryValue language64(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, L"Language", KEY_WOW64_64KEY);
        SavedRegistryValue language32(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, L"Language", KEY_WOW64_32KEY);
        ASSERT_TRUE(language64.SetText(L"3: fr"));
        ASSERT_TRUE(language32.SetText(L"3: de"));
        tag = qm::LanguageFromRegistry();
        // The 32-bit view's value alone does not count.
        language64.Remove();
        tagWithout64 = qm::LanguageFromRegistry();
        ASSERT_TRUE(language64.SetText(L"3: ru"));
        language32.Remove();
        tagWithout32 = qm::LanguageFromRegistry();
    }
    EXPECT_EQ(tag, L"fr");
    EXPECT_EQ(tagWithout64, L"en");
    EXPECT_EQ(tagWithout32, L"ru");
}

} // namespace
