#include "localisation/format.h"
#include "localisation/string_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>
#include <vector>

using qm::ConversionsOf;
using qm::FormatText;
using qm::FormatTranslated;

namespace {

TEST(FormatText, FormatsTheProgramsOwnFormats) {
    EXPECT_EQ(FormatText(L"%s %s Configuration", L"Quillmere - Taveny 3D Screensaver", L"1.0"),
              L"Quillmere - Taveny 3D Screensaver 1.0 Configuration");
    EXPECT_EQ(FormatText(L"Music volume: %.01i%%", 40), L"Music volume: 40%");
    EXPECT_EQ(FormatText(L"Music volume: %.01i%%", 0), L"Music volume: 0%");
    EXPECT_EQ(FormatText(L"Music volume: %.01i%%", 100), L"Music volume: 100%");
    EXPECT_EQ(FormatText(L"Настройки %s %s", L"Ä", L"ß"), L"Настройки Ä ß");
    EXPECT_EQ(FormatText(L"100%% %s", L"done"), L"100% done");
}

// The integer conversions must print what the C library prints for the same conversion.
TEST(FormatText, IntegersMatchTheCLibrary) {
    const std::vector<std::wstring> conversions = {
        L"%i",  L"%d",    L"%.01i",    L"%.0i",   L"%.5d", L"%5i",    L"%-5i|", L"%05i", L"%+i",
        L"% i", L"%+05d", L"%-+8.3i|", L"%08.3i", L"% 7d", L"%0-6i|", L"%.12i", L"%1i"};
    const std::vector<int> values = {0, 1, -1, 7, 40, 100, -123, 99999, INT_MAX, INT_MIN};
    for (const std::wstring& conversion : conversions) {
        for (int value : values) {
            wchar_t expected[64] = {};
            ASSERT_GT(std::swprintf(expected, 64, conversion.c_str(), value), -1);
            EXPECT_EQ(FormatText(conversion.c_str(), value), expected) << conversion << " " << value;
        }
    }
}

TEST(FormatText, TextConversions) {
    EXPECT_EQ(FormatText(L"[%6s]", L"ab"), L"[    ab]");
    EXPECT_EQ(FormatText(L"[%-6s]", L"ab"), L"[ab    ]");
    EXPECT_EQ(FormatText(L"[%.2s]", L"abcdef"), L"[ab]");
    EXPECT_EQ(FormatText(L"[%5.1s]", L"xyz"), L"[    x]");
    EXPECT_EQ(FormatText(L"[%s]", L""), L"[]");
    EXPECT_EQ(FormatText(L"[%s]", static_cast<const wchar_t*>(nullptr)), L"[(null)]");
    EXPECT_EQ(FormatText(L"%s%i%s", L"a", 5, L"b"), L"a5b");
}

TEST(FormatText, UnknownConversionsAreTextAndReadNoArgument) {
    EXPECT_EQ(FormatText(L"%y %i", 5), L"%y 5");
    EXPECT_EQ(FormatText(L"%ls|%i", 7), L"%ls|7");
    EXPECT_EQ(FormatText(L"%n %i", 3), L"%n 3");
    EXPECT_EQ(FormatText(L"50%"), L"50%");
    EXPECT_EQ(FormatText(L"%-", 1), L"%-");
    EXPECT_EQ(FormatText(nullptr), L"");
    // A width beyond any text of ours is held to a bound instead of asking for gigabytes.
    EXPECT_EQ(FormatText(L"%2147483648i", 1).size(), 9999u);
}

TEST(ConversionsOf, ListsSpecificationsButNotPercentSigns) {
    using List = std::vector<std::wstring>;
    EXPECT_EQ(ConversionsOf(L"Music volume: %.01i%%"), List{L"%.01i"});
    EXPECT_EQ(ConversionsOf(L"%s %s Configuration"), (List{L"%s", L"%s"}));
    EXPECT_EQ(ConversionsOf(L"%%%%"), List{});
    EXPECT_EQ(ConversionsOf(L"%%%i"), List{L"%i"});
    EXPECT_EQ(ConversionsOf(L"a %"), List{L"%"});
    EXPECT_EQ(ConversionsOf(L"%y%-5.2s"), (List{L"%y", L"%-5.2s"}));
    EXPECT_EQ(ConversionsOf(L""), List{});
}

class FormatTranslatedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string document = R"(<Root><Languages><Language Tag="en"/><Language Tag="de"/></Languages>
<TextBlock Tag="Screensaver Settings Dialog">
  <Var Tag="%s %s Configuration"><String Lang="de" Text="%s %s Konfiguration"/></Var>
  <Var Tag="Music volume: %.01i%%"><String Lang="de" Text="Musik-Lautstärke: %.01i%%"/></Var>
  <Var Tag="Extra %s"><String Lang="de" Text="Mehr %s %s"/></Var>
  <Var Tag="Volume %i%%"><String Lang="de" Text="Lautstärke %s"/></Var>
  <Var Tag="Swapped %s %i"><String Lang="de" Text="Vertauscht %i %s"/></Var>
  <Var Tag="Flags %.01i"><String Lang="de" Text="Flaggen %9999i"/></Var>
  <Var Tag="Dropped %i"><String Lang="de" Text="Weggelassen"/></Var>
  <Var Tag="Unknown %i"><String Lang="de" Text="Unbekannt %i %n"/></Var>
  <Var Tag="Percent %i"><String Lang="de" Text="Prozent %% %i %%"/></Var>
  <Var Tag="Empty %s"><String Lang="de" Text=""/></Var>
  <Var Tag="Plain"><String Lang="de" Text="Schlicht 100%%"/></Var>
</TextBlock></Root>)";
        qm::StringTable& table = qm::ReplaceCurrentStringTable();
        ASSERT_TRUE(table.LoadFromMemory(document.data(), document.size()));
        ASSERT_TRUE(table.SelectLanguage(L"de"));
    }
    void TearDown() override { qm::ResetCurrentStringTable(); }
};

TEST_F(FormatTranslatedTest, UsesTranslationsWithTheSameConversions) {
    EXPECT_EQ(FormatTranslated(L"%s %s Configuration", L"A", L"B"), L"A B Konfiguration");
    EXPECT_EQ(FormatTranslated(L"Music volume: %.01i%%", 40), L"Musik-Lautstärke: 40%");
    EXPECT_EQ(FormatTranslated(L"Percent %i", 5), L"Prozent % 5 %");
    EXPECT_EQ(FormatTranslated(L"Not in the table %i%%", 5), L"Not in the table 5%");
}

TEST_F(FormatTranslatedTest, FallsBackToEnglishWhenTheTranslationReadsOtherArguments) {
    // Each of these translations would read an argument that is not there or read it as another type.
    EXPECT_EQ(FormatTranslated(L"Extra %s", L"x"), L"Extra x");
    EXPECT_EQ(FormatTranslated(L"Volume %i%%", 30), L"Volume 30%");
    EXPECT_EQ(FormatTranslated(L"Swapped %s %i", L"a", 1), L"Swapped a 1");
    EXPECT_EQ(FormatTranslated(L"Flags %.01i", 2), L"Flags 2");
    EXPECT_EQ(FormatTranslated(L"Dropped %i", 3), L"Dropped 3");
    EXPECT_EQ(FormatTranslated(L"Unknown %i", 4), L"Unknown 4");
    EXPECT_EQ(FormatTranslated(L"Empty %s", L"e"), L"Empty e");
    EXPECT_EQ(FormatTranslated(L"Plain"), L"Schlicht 100%");
}

TEST(FormatTranslatedWithoutTable, FormatsTheEnglishText) {
    qm::ResetCurrentStringTable();
    EXPECT_EQ(FormatTranslated(L"%s %s Configuration", L"A", L"B"), L"A B Configuration");
    EXPECT_EQ(FormatTranslated(L"Music volume: %.01i%%", 7), L"Music volume: 7%");
}

} // namespace
