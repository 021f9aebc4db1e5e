// Single-value registry helpers against the real registry of the 64-bit test prefix, where this 32-bit
// program runs under WOW64 and the two views of HKEY_LOCAL_MACHINE\Software really differ.
#include "settings/registry.h"

#include "standin_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>

using namespace qmtest;
using qm::RegReadString;
using qm::RegWriteString;
using enum qm::RegistryView;

namespace {

struct RawValue {
    DWORD type = 0;
    std::vector<BYTE> data;
};

std::optional<RawValue> ReadRaw(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = ::RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

std::wstring TextOf(const RawValue& value) {
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()),
                      value.data.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

void WriteRaw(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
              DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    static const BYTE none = 0;
    ASSERT_EQ(::RegSetValueExW(key, name, 0, type, data ? static_cast<const BYTE*>(data) : &none, bytes),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}

std::wstring UniqueKey() {
    wchar_t text[96];
    std::swprintf(text, 96, L"Software\\QuillmereTests\\registry-%lu-%lu", ::GetCurrentProcessId(),
                  static_cast<unsigned long>(::GetTickCount()));
    return text;
}

// A scratch key in the real HKEY_LOCAL_MACHINE, removed from both views afterwards.
class RealMachineKey : public ::testing::Test {
  protected:
    void TearDown() override {
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\QuillmereTests", KEY_WOW64_64KEY);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\QuillmereTests", KEY_WOW64_32KEY);
    }
    const std::wstring path_ = UniqueKey();
};

TEST_F(RealMachineKey, TheViewFlagChoosesBetweenTheNativeKeyAndTheRedirectedCopy) {
#ifdef _WIN64
    EXPECT_EQ(qm::WithView(KEY_READ, Bit64), static_cast<REGSAM>(0x20019));
    EXPECT_EQ(qm::WithView(KEY_READ, Bit32), static_cast<REGSAM>(0x20219));
    EXPECT_EQ(qm::WithView(KEY_SET_VALUE, Bit32), static_cast<REGSAM>(0x202));
#else
    ASSERT_TRUE(qm::IsRunningUnderWow64()) << "the test prefix must be 64-bit";
    EXPECT_EQ(qm::WithView(KEY_READ, Bit64), static_cast<REGSAM>(0x20119));
    EXPECT_EQ(qm::WithView(KEY_READ, Bit32), static_cast<REGSAM>(0x20019));
    EXPECT_EQ(qm::WithView(KEY_SET_VALUE, Bit64), static_cast<REGSAM>(0x102));
#endif

    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, path_, L"Where", L"native", Bit64), S_OK);
    auto native = ReadRaw(HKEY_LOCAL_MACHINE, path_, L"Where", KEY_WOW64_64KEY);
    ASSERT_TRUE(native);
    EXPECT_EQ(native->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TextOf(*native), L"native");
    EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, path_, L"Where", KEY_WOW64_32KEY))
        << "leaked into the 32-bit copy";

    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, path_, L"Where", L"redirected", Bit32), S_OK);
    auto redirected = ReadRaw(HKEY_LOCAL_MACHINE, path_, L"Where", KEY_WOW64_32KEY);
    ASSERT_TRUE(redirected);
    EXPECT_EQ(TextOf(*redirected), L"redirected");
    EXPECT_EQ(TextOf(*ReadRaw(HKEY_LOCAL_MACHINE, path_, L"Where", KEY_WOW64_64KEY)), L"native");

    std::wstring text;
    ASSERT_EQ(RegReadString(HKEY_LOCAL_MACHINE, path_, L"Where", text, Bit64), S_OK);
    EXPECT_EQ(text, L"native");
    ASSERT_EQ(RegReadString(HKEY_LOCAL_MACHINE, path_, L"Where", text, Bit32), S_OK);
    EXPECT_EQ(text, L"redirected");
}

TEST(RegistryViews, AValueWrittenInTheSixtyFourBitViewIsWhatTheMainProgramSees) {
    const wchar_t name[] = L"QmRegistryTestValue";
    SavedRegistryValue native(HKEY_LOCAL_MACHINE, kSettingsKey, name, KEY_WOW64_64KEY);
    SavedRegistryValue redirected(HKEY_LOCAL_MACHINE, kSettingsKey, name, KEY_WOW64_32KEY);
    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSettingsKey, name, L"for the main program", Bit64), S_OK);
    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSettingsKey, name, L"redirected copy", Bit32), S_OK);

    std::vector<std::wstring> seen;
    for (const StandInRecord& r : DumpSettingsAsMainProgram())
        if (r.kind == L"value" && r.field(0) == name)
            seen.push_back(r.field(3).substr(0, r.field(3).find(L'\0')));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], L"for the main program");
}

TEST(RegistryRead, ValuesOfOtherTypesAndMissingPlacesFailAndLeaveTheOutput) {
    ScratchRegistry scratch;
    const std::wstring path = L"Software\\Types";
    const DWORD number = 42;
    const wchar_t expand[] = L"%SystemRoot%\\x";
    const wchar_t multi[] = L"one\0two\0";
    const BYTE binary[] = {'a', 0, 'b', 0};
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Dword", REG_DWORD, &number, sizeof(number));
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Binary", REG_BINARY, binary, sizeof(binary));

    struct Case {
        std::wstring path;
        const wchar_t* name;
    };
    const Case cases[] = {{path, L"Dword"},  {path, L"Expand"},      {path, L"Multi"},
                          {path, L"Binary"}, {path, L"NoSuchValue"}, {L"Software\\NoSuchKey", L"Dword"}};
    for (const Case& c : cases) {
        for (qm::RegistryView view : {Bit64, Bit32}) {
            std::wstring text = L"kept";
            EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, c.path, c.name, text, view), E_FAIL) << c.name;
            EXPECT_EQ(text, L"kept") << c.name;
        }
    }
    std::wstring text = L"kept";
    EXPECT_EQ(RegReadString(reinterpret_cast<HKEY>(0x1234), path, L"Dword", text, Bit64), E_FAIL);
    EXPECT_EQ(text, L"kept");
}

TEST(RegistryRead, StoredDataOfEveryShapeReadsAsItsCharactersUpToTheFirstNul) {
    ScratchRegistry scratch;
    const std::wstring path = L"Software\\Shapes";
    // The character after the counted data is not NUL, so the system stores exactly what is counted.
    const wchar_t noNul[] = L"abcX";
    const wchar_t embedded[] = L"ab\0cdX";
    const wchar_t terminated[] = L"abc";
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"NoNul", REG_SZ, noNul, 6);
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Odd", REG_SZ, noNul, 7);
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"OneByte", REG_SZ, noNul, 1);
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Embedded", REG_SZ, embedded, 10);
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Terminated", REG_SZ, terminated, sizeof(terminated));
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Empty", REG_SZ, nullptr, 0);
    ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, path, L"NoNul", 0)->data.size(), 6u);
    ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, path, L"Odd", 0)->data.size(), 7u);
    ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, path, L"Empty", 0)->data.size(), 0u);

    const std::pair<const wchar_t*, const wchar_t*> readable[] = {
        {L"NoNul", L"abc"}, {L"Odd", L"abc"}, {L"Embedded", L"ab"}, {L"Terminated", L"abc"}};
    for (const auto& [name, expected] : readable) {
        std::wstring text = L"before";
        EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, path, name, text, Bit64), S_OK) << name;
        EXPECT_EQ(text, expected) << name;
    }
    for (const wchar_t* name : {L"Empty", L"OneByte"}) {
        std::wstring text = L"before";
        EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, path, name, text, Bit64), E_FAIL) << name;
        EXPECT_EQ(text, L"before") << name;
    }

    // Far beyond any fixed buffer.
    std::wstring longText(70000, L'q');
    longText += L"end";
    WriteRaw(HKEY_LOCAL_MACHINE, path, L"Long", REG_SZ, longText.c_str(),
             static_cast<DWORD>((longText.size() + 1) * sizeof(wchar_t)));
    std::wstring text;
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, path, L"Long", text, Bit64), S_OK);
    EXPECT_EQ(text, longText);
}

TEST(RegistryWrite, CreatesKeysWritesRegSzAndTheEmptyTextAsZeroBytes) {
    ScratchRegistry scratch;
    const std::wstring deep = L"Software\\A\\B\\C";
    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, deep, L"Text", L"Grüße, 2: 40", Bit64), S_OK);
    auto raw = ReadRaw(HKEY_LOCAL_MACHINE, deep, L"Text", 0);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TextOf(*raw), L"Grüße, 2: 40");

    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, deep, L"Text", L"", Bit64), S_OK);
    raw = ReadRaw(HKEY_LOCAL_MACHINE, deep, L"Text", 0);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->data.size(), 0u);
    std::wstring text = L"kept";
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, deep, L"Text", text, Bit64), E_FAIL);
    EXPECT_EQ(text, L"kept");

    // A value of another type under the name is replaced by the text.
    const DWORD number = 7;
    WriteRaw(HKEY_LOCAL_MACHINE, deep, L"Was a number", REG_DWORD, &number, sizeof(number));
    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, deep, L"Was a number", L"text now", Bit32), S_OK);
    ASSERT_EQ(RegReadString(HKEY_LOCAL_MACHINE, deep, L"Was a number", text, Bit32), S_OK);
    EXPECT_EQ(text, L"text now");

    EXPECT_EQ(RegWriteString(reinterpret_cast<HKEY>(0x1234), deep, L"Text", L"x", Bit64), E_FAIL);
}

} // namespace
