// The settings tree against the real registry of the test prefix: what loading takes and skips, what
// saving writes and never removes, and the failures in between.
#include "settings/node.h"
#include "test_support.h"
#include "tree_support.h"

#include <gtest/gtest.h>

#include <string>

using qm::Node;
using qm::NodeValue;
using qm::ValueKind;
using qmtest::ReadRawValue;
using qmtest::SetRawValue;

namespace {

const std::wstring kKey = L"Software\\TreeTest";

class SettingsTreeRegistry : public ::testing::Test {
  protected:
    qmtest::ScratchRegistry scratch_;

    static void Put(const std::wstring& name, const std::wstring& data, const std::wstring& key = kKey) {
        ASSERT_TRUE(SetRawValue(HKEY_CURRENT_USER, key, name, data));
    }
    static std::wstring Stored(const std::wstring& name, const std::wstring& key = kKey) {
        auto value = ReadRawValue(HKEY_CURRENT_USER, key, name);
        return value ? value->text : L"<absent>";
    }
};

bool HasAnyKind(const Node& node, const std::wstring& path) {
    for (ValueKind kind :
         {ValueKind::Subtree, ValueKind::Float, ValueKind::Integer, ValueKind::String, ValueKind::Empty})
        if (node.Has(path, kind)) return true;
    return false;
}

} // namespace

TEST_F(SettingsTreeRegistry, LoadTakesTypedValuesOverTheTreeAndSkipsTheRest) {
    Put(L"Over", L"2: 0x10");
    Put(L"Octal", L"2: 010");
    Put(L"Negative", L"2: -5");
    Put(L"Real", L"1: 2.5");
    Put(L"Text", L"3:    de");
    Put(L"Tabbed", L"3: a\tb");
    Put(L"Blank", L"3: ");
    Put(L"NotANumber", L"2: many");
    Put(L"AppPath", L"C:\\Program Files\\Q");
    Put(L"NoBlank", L"2:5");
    Put(L"KindFour", L"4: 1");
    Put(L"Lower", L"3:x");
    // The registry type is not looked at, only the text.
    ASSERT_TRUE(SetRawValue(HKEY_CURRENT_USER, kKey, L"Expand", L"2: 7", REG_EXPAND_SZ));
    ASSERT_TRUE(SetRawValue(HKEY_CURRENT_USER, kKey, L"Binary", L"2: 9", REG_BINARY));
    // 4096 bytes still fit the data buffer; 4098 do not, and such a value is skipped whole.
    ASSERT_TRUE(SetRawValue(HKEY_CURRENT_USER, kKey, L"Fits", L"3: " + std::wstring(2045, L'f'), REG_BINARY));
    ASSERT_TRUE(
        SetRawValue(HKEY_CURRENT_USER, kKey, L"TooBig", L"3: " + std::wstring(2046, L'g'), REG_BINARY));
    Put(std::wstring(2047, L'n'), L"2: 1");
    Put(std::wstring(2048, L'm'), L"2: 1");

    Node tree;
    tree.Get("Over") = NodeValue(int32_t{1});
    tree.Get("Keep") = NodeValue(int32_t{3});
    tree.Get("AppPath") = NodeValue(int32_t{4});
    tree.Get("TooBig") = NodeValue(int32_t{5});
    ASSERT_TRUE(tree.LoadFromRegistry(HKEY_CURRENT_USER, kKey));

    EXPECT_EQ(tree.Get("Over").AsInteger(), 16);
    EXPECT_EQ(tree.Get("Octal").AsInteger(), 8);
    EXPECT_EQ(tree.Get("Negative").AsInteger(), -5);
    EXPECT_EQ(tree.Get("Real").kind(), ValueKind::Float);
    EXPECT_EQ(tree.Get("Real").AsFloat(), 2.5f);
    EXPECT_EQ(tree.Get("Text").AsText(), L"de");
    EXPECT_EQ(tree.Get("Tabbed").AsText(), L"a");
    EXPECT_TRUE(tree.Has(L"Blank", ValueKind::String));
    EXPECT_TRUE(tree.Has(L"NotANumber", ValueKind::Integer));
    EXPECT_EQ(tree.Get("NotANumber").AsInteger(), 0);
    EXPECT_EQ(tree.Get("Expand").AsInteger(), 7);
    EXPECT_EQ(tree.Get("Binary").AsInteger(), 9);
    EXPECT_EQ(tree.Get("Fits").AsText(), std::wstring(2045, L'f'));
    EXPECT_EQ(tree.Get("Keep").AsInteger(), 3);
    EXPECT_EQ(tree.Get("AppPath").AsInteger(), 4) << "a value without a kind prefix is not read";
    EXPECT_EQ(tree.Get("TooBig").AsInteger(), 5) << "a value over 4096 bytes is not read";
    EXPECT_TRUE(tree.Has(std::wstring(2047, L'n'), ValueKind::Integer));
    EXPECT_FALSE(HasAnyKind(tree, std::wstring(2048, L'm')))
        << "the name does not fit the 2048-character buffer";
    for (const wchar_t* skipped : {L"NoBlank", L"KindFour", L"Lower"})
        EXPECT_FALSE(HasAnyKind(tree, skipped)) << skipped;
}

TEST_F(SettingsTreeRegistry, SaveWritesTypedTextInPlaceAndNeverDeletes) {
    Put(L"Old", L"2: 3");
    Put(L"AppPath", L"C:\\Q");
    Put(L"Cleared", L"3: old text");
    Put(L"Replaced", L"C:\\no prefix");

    Node tree;
    tree.Get("Volume") = NodeValue(int32_t{40});
    tree.Get("Scale") = NodeValue(2.5f);
    tree.Get("Language") = NodeValue(std::wstring(L"fr"));
    tree.Get("Cleared") = NodeValue(std::wstring());
    tree.Get("Replaced") = NodeValue(int32_t{-1});
    tree.Get("Nothing"); // Empty: never written
    tree.Get("a/b") = NodeValue(int32_t{5});
    tree.Get("a/empty");
    ASSERT_TRUE(tree.SaveToRegistry(HKEY_CURRENT_USER, kKey));

    auto volume = ReadRawValue(HKEY_CURRENT_USER, kKey, L"Volume");
    ASSERT_TRUE(volume.has_value());
    EXPECT_EQ(volume->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(volume->text, L"2: 40");
    // Five characters; the system may keep the terminator that follows them in memory.
    EXPECT_TRUE(volume->bytes == 10 || volume->bytes == 12) << volume->bytes;
    EXPECT_EQ(Stored(L"Scale"), L"1: 2.500000");
    EXPECT_EQ(Stored(L"Language"), L"3: fr");
    EXPECT_EQ(Stored(L"Replaced"), L"2: -1");
    EXPECT_EQ(Stored(L"Cleared"), L"3: old text") << "an empty text keeps the old registry text";
    EXPECT_EQ(Stored(L"Old"), L"2: 3");
    EXPECT_EQ(Stored(L"AppPath"), L"C:\\Q");
    EXPECT_EQ(Stored(L"Nothing"), L"<absent>");
    EXPECT_EQ(Stored(L"b", kKey + L"\\a"), L"2: 5");
    EXPECT_EQ(qmtest::ValueNamesOf(HKEY_CURRENT_USER, kKey + L"\\a").size(), 1u);
}

TEST_F(SettingsTreeRegistry, UnknownTypedValuesSurviveLoadAndSave) {
    Put(L"FromMainProgram", L"2: 77");
    Put(L"Ratio", L"1: 0.500000");
    Put(L"Note", L"3: hello world");
    Put(L"Hex", L"2: 0x10");
    Put(L"PlayList", L"C:\\a.mp3\nC:\\b.mp3");
    Node tree;
    ASSERT_TRUE(tree.LoadFromRegistry(HKEY_CURRENT_USER, kKey));
    ASSERT_TRUE(tree.SaveToRegistry(HKEY_CURRENT_USER, kKey + L"Copy"));
    ASSERT_TRUE(tree.SaveToRegistry(HKEY_CURRENT_USER, kKey));
    for (const std::wstring& key : {kKey, kKey + L"Copy"}) {
        EXPECT_EQ(Stored(L"FromMainProgram", key), L"2: 77");
        EXPECT_EQ(Stored(L"Ratio", key), L"1: 0.500000");
        EXPECT_EQ(Stored(L"Note", key), L"3: hello world");
        EXPECT_EQ(Stored(L"Hex", key), L"2: 16") << "the same number, in the form this program writes";
    }
    EXPECT_EQ(Stored(L"PlayList"), L"C:\\a.mp3\nC:\\b.mp3");
    EXPECT_EQ(Stored(L"PlayList", kKey + L"Copy"), L"<absent>");
}

TEST_F(SettingsTreeRegistry, SlashesInNamesBecomeNestedNodesAndSubkeys) {
    Put(L"x/y", L"2: 1");
    Put(L"v", L"2: 2", kKey + L"\\p/q");
    Put(L"inner", L"2: 3", kKey + L"\\plain");
    Node tree;
    ASSERT_TRUE(tree.LoadFromRegistry(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(tree.Get("x/y").AsInteger(), 1);
    EXPECT_EQ(tree.Get("p/q/v").AsInteger(), 2);
    EXPECT_EQ(tree.Get("plain/inner").AsInteger(), 3);

    ASSERT_TRUE(tree.SaveToRegistry(HKEY_CURRENT_USER, L"Software\\TreeSaved"));
    EXPECT_EQ(Stored(L"y", L"Software\\TreeSaved\\x"), L"2: 1");
    EXPECT_EQ(Stored(L"v", L"Software\\TreeSaved\\p\\q"), L"2: 2");
    EXPECT_EQ(Stored(L"inner", L"Software\\TreeSaved\\plain"), L"2: 3");
    EXPECT_FALSE(qmtest::KeyExists(HKEY_CURRENT_USER, L"Software\\TreeSaved\\p/q"));
}

TEST_F(SettingsTreeRegistry, SubkeysMergeAndValuesOfTheSameNameReplaceThem) {
    Put(L"inner", L"2: 1", kKey + L"\\s");
    Put(L"s", L"2: 9");
    Put(L"added", L"2: 4", kKey + L"\\merged");
    Put(L"v", L"2: 6", kKey + L"\\wasLeaf");
    Node tree;
    tree.Get("merged/kept") = NodeValue(int32_t{2});
    tree.Get("wasLeaf") = NodeValue(int32_t{5});
    ASSERT_TRUE(tree.LoadFromRegistry(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(tree.Has(L"s", ValueKind::Integer)) << "the value, read after the subkey, replaces it";
    EXPECT_EQ(tree.Get("s").AsInteger(), 9);
    EXPECT_EQ(tree.Get("merged/kept").AsInteger(), 2);
    EXPECT_EQ(tree.Get("merged/added").AsInteger(), 4);
    EXPECT_EQ(tree.Get("wasLeaf/v").AsInteger(), 6);
}

TEST_F(SettingsTreeRegistry, NamesThroughALeafAreSkippedAndTheKeyStillLoads) {
    // Value "a" and value "a/b" side by side, in both orders, and a subkey through a leaf of the tree.
    Put(L"a", L"2: 1");
    Put(L"a/b", L"2: 2");
    Put(L"c/d", L"2: 3");
    Put(L"c", L"2: 4");
    Put(L"v", L"2: 5", kKey + L"\\leaf/sub");
    Put(L"z", L"2: 6");
    Node tree;
    tree.Get("leaf") = NodeValue(int32_t{7});
    bool loaded = false;
    ASSERT_NO_THROW(loaded = tree.LoadFromRegistry(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(loaded);
    EXPECT_EQ(tree.Get("a").AsInteger(), 1);
    EXPECT_EQ(tree.Get("c").AsInteger(), 4) << "c/d came first and then c replaced its subtree";
    EXPECT_EQ(tree.Get("leaf").AsInteger(), 7);
    EXPECT_EQ(tree.Get("z").AsInteger(), 6);
}

TEST_F(SettingsTreeRegistry, AnUnreadableSubkeyEndsTheLoadBeforeTheOuterValues) {
    Put(L"early", L"2: 1", kKey + L"\\a");
    Put(L"v", L"2: 5");
    Put(L"w", L"2: 6", kKey + L"\\locked");
    qmtest::DeniedKey locked(HKEY_CURRENT_USER, kKey + L"\\locked", KEY_READ);
    ASSERT_TRUE(locked.applied());
    HKEY probe = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, (kKey + L"\\locked").c_str(), 0, KEY_READ, &probe),
              ERROR_ACCESS_DENIED)
        << "this system does not enforce the key's access list: the test could not fail";

    Node tree;
    tree.Get("v") = NodeValue(int32_t{15});
    EXPECT_FALSE(tree.LoadFromRegistry(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(tree.Get("v").AsInteger(), 15);
    EXPECT_EQ(tree.Get("a/early").AsInteger(), 1) << "what was loaded before stays";
    EXPECT_FALSE(tree.Has(L"locked/w", ValueKind::Integer));

    Node missing;
    EXPECT_FALSE(missing.LoadFromRegistry(HKEY_CURRENT_USER, L"Software\\NoSuchKey"));
    EXPECT_TRUE(missing.entries().empty());
}

TEST_F(SettingsTreeRegistry, AFailedSaveStopsAndKeepsWhatWasWritten) {
    qmtest::DeniedKey locked(HKEY_CURRENT_USER, kKey + L"\\m", KEY_SET_VALUE);
    ASSERT_TRUE(locked.applied());
    Node tree;
    tree.Get("a") = NodeValue(int32_t{1});
    tree.Get("m/x") = NodeValue(int32_t{2});
    tree.Get("z") = NodeValue(int32_t{3});
    EXPECT_FALSE(tree.SaveToRegistry(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(Stored(L"a"), L"2: 1");
    EXPECT_EQ(Stored(L"x", kKey + L"\\m"), L"<absent>");
    EXPECT_EQ(Stored(L"z"), L"<absent>") << "saving stops at the failure, in name order";

    qmtest::DeniedKey whole(HKEY_CURRENT_USER, L"Software\\Closed", KEY_SET_VALUE);
    ASSERT_TRUE(whole.applied());
    EXPECT_FALSE(tree.SaveToRegistry(HKEY_CURRENT_USER, L"Software\\Closed"));
    EXPECT_TRUE(qmtest::ValueNamesOf(HKEY_CURRENT_USER, L"Software\\Closed").empty());
}
