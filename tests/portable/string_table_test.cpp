#include "localisation/string_table.h"

#include <gtest/gtest.h>

#include <string>

using qm::StringTable;

namespace {

// Documents are written in UTF-8 as the shipped resource is; wrap() adds the Root and languages.
std::string Wrap(const std::string& blocks) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Root><Languages>"
           "<Language Tag=\"ru\" Codepage=\"1251\" Name=\"Русский\"/>"
           "<Language Tag=\"en\" Codepage=\"1252\" Name=\"English\"/>"
           "<Language Tag=\"de\" Codepage=\"1252\" Name=\"Deutsch\"/>"
           "</Languages>" +
           blocks + "</Root>\r\n";
}

bool Load(StringTable& table, const std::string& document) {
    return table.LoadFromMemory(document.data(), document.size());
}

void ExpectNothingLoaded(const StringTable& table) {
    EXPECT_EQ(table.CurrentLanguageTag(), L"");
    EXPECT_EQ(table.Translate(L"Options"), L"Options");
    std::wstring translation = L"untouched";
    EXPECT_FALSE(table.Lookup(L"Options", translation));
    EXPECT_EQ(translation, L"untouched");
}

const std::string kOptions =
    "<TextBlock Tag=\"B\"><Var Tag=\"Options\"><String Lang=\"de\" Text=\"Optionen\"/>"
    "</Var></TextBlock>";

TEST(StringTableLoad, RejectsDocumentsWithoutTheRequiredStructure) {
    const std::string noRoot = "<Top><Languages><Language Tag=\"en\"/></Languages>" + kOptions + "</Top>";
    const std::string noLanguages = "<Root>" + kOptions + "</Root>";
    const std::string emptyLanguages = "<Root><Languages/>" + kOptions + "</Root>";
    const std::string languageOutsideLanguages = "<Root><Language Tag=\"de\"/>" + kOptions + "</Root>";
    // Only the first Languages element counts.
    const std::string secondLanguages =
        "<Root><Languages/><Languages><Language Tag=\"de\"/></Languages>" + kOptions + "</Root>";
    const std::string rootNotTopLevel =
        "<X><Root><Languages><Language Tag=\"de\"/></Languages>" + kOptions + "</Root></X>";
    for (const std::string& document :
         {noRoot, noLanguages, emptyLanguages, languageOutsideLanguages, secondLanguages, rootNotTopLevel}) {
        StringTable table;
        EXPECT_FALSE(Load(table, document)) << document;
        EXPECT_FALSE(table.SelectLanguage(L"de"));
        EXPECT_FALSE(table.SelectTextBlock(L"B"));
        ExpectNothingLoaded(table);
    }
}

TEST(StringTableLoad, RejectsEmptyAndMalformedInput) {
    const std::string good = Wrap(kOptions);
    for (const std::string& document :
         {std::string(), std::string("\xEF\xBB\xBF"), std::string("   \r\n"), good.substr(0, good.size() - 4),
          Wrap("<TextBlock Tag=\"B\"><Var Tag=\"a\"></TextBlock>"), std::string("\x00\x01\xFF\xFE", 4)}) {
        StringTable table;
        EXPECT_FALSE(Load(table, document));
        ExpectNothingLoaded(table);
    }
    StringTable table;
    EXPECT_FALSE(table.LoadFromMemory(nullptr, 0));
}

TEST(StringTableLoad, FailedLoadKeepsTheDocumentLoadedBefore) {
    StringTable table;
    ASSERT_TRUE(Load(table, Wrap(kOptions)));
    ASSERT_TRUE(table.SelectLanguage(L"de"));
    EXPECT_FALSE(Load(table, "<Root/>"));
    EXPECT_FALSE(Load(table, "<Root"));
    EXPECT_EQ(table.CurrentLanguageTag(), L"de");
    EXPECT_EQ(table.Translate(L"Options"), L"Optionen");
}

TEST(StringTableLoad, FirstLanguageAndFirstBlockBecomeCurrent) {
    StringTable table;
    ASSERT_TRUE(
        Load(table, Wrap("<TextBlock Tag=\"First\"><Var Tag=\"k\"><String Lang=\"ru\" Text=\"first\"/>"
                         "</Var></TextBlock><TextBlock Tag=\"Second\"><Var Tag=\"k\">"
                         "<String Lang=\"ru\" Text=\"second\"/></Var></TextBlock>")));
    EXPECT_EQ(table.CurrentLanguageTag(), L"ru");
    EXPECT_EQ(table.Translate(L"k"), L"first");
    EXPECT_TRUE(table.SelectTextBlock(L"Second"));
    EXPECT_EQ(table.Translate(L"k"), L"second");
}

TEST(StringTableLoad, LanguagesAreTheLanguageSiblingsOfTheFirstOne) {
    StringTable table;
    ASSERT_TRUE(Load(table,
                     "<Root><Languages><Other Tag=\"xx\"/><Language Tag=\"de\"/><Other Tag=\"yy\"/>"
                     "<Language Tag=\"fr\"/><Group><Language Tag=\"it\"/></Group></Languages></Root>"));
    EXPECT_EQ(table.CurrentLanguageTag(), L"de");
    EXPECT_TRUE(table.SelectLanguage(L"fr"));
    EXPECT_FALSE(table.SelectLanguage(L"xx"));
    EXPECT_FALSE(table.SelectLanguage(L"yy"));
    EXPECT_FALSE(table.SelectLanguage(L"it"));
    EXPECT_EQ(table.CurrentLanguageTag(), L"fr");
}

TEST(StringTableLoad, DocumentWithoutBlocksLoadsButFindsNothing) {
    StringTable table;
    ASSERT_TRUE(Load(table, Wrap("<Var Tag=\"Options\"><String Lang=\"ru\" Text=\"x\"/></Var>")));
    EXPECT_EQ(table.CurrentLanguageTag(), L"ru");
    EXPECT_FALSE(table.SelectTextBlock(L""));
    std::wstring translation;
    EXPECT_FALSE(table.Lookup(L"Options", translation));
    EXPECT_EQ(table.Translate(L"Options"), L"Options");
}

TEST(StringTableLoad, SecondDocumentAddsItsLanguagesAndBlocks) {
    StringTable table;
    ASSERT_TRUE(Load(table, Wrap(kOptions)));
    ASSERT_TRUE(
        Load(table, "<Root><Languages><Language Tag=\"es\"/></Languages><TextBlock Tag=\"C\">"
                    "<Var Tag=\"Options\"><String Lang=\"es\" Text=\"Opciones\"/></Var></TextBlock></Root>"));
    // The current language and block are the first of the combined lists again.
    EXPECT_EQ(table.CurrentLanguageTag(), L"ru");
    EXPECT_TRUE(table.SelectLanguage(L"es"));
    EXPECT_EQ(table.Translate(L"Options"), L""); // block B has no "es" string
    EXPECT_TRUE(table.SelectTextBlock(L"C"));
    EXPECT_EQ(table.Translate(L"Options"), L"Opciones");
    EXPECT_TRUE(table.SelectLanguage(L"de"));
    EXPECT_TRUE(table.SelectTextBlock(L"B"));
    EXPECT_EQ(table.Translate(L"Options"), L"Optionen");
}

TEST(StringTableLoad, Utf16DocumentsAreDetected) {
    const std::u16string text =
        u"\xFEFF<Root><Languages><Language Tag=\"de\"/></Languages><TextBlock Tag=\"B\">"
        u"<Var Tag=\"Remove\"><String Lang=\"de\" Text=\"Entfernen\"/></Var></TextBlock>"
        u"</Root>";
    StringTable table;
    ASSERT_TRUE(table.LoadFromMemory(text.data(), text.size() * sizeof(char16_t)));
    EXPECT_EQ(table.Translate(L"Remove"), L"Entfernen");
}

class StringTableLookup : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Load(table_, Wrap(R"(
<TextBlock Tag="Screensaver">
  <Var Tag="Run at Windows startup"><String Lang="de" Text="Mit Windows starten"/></Var>
</TextBlock>
<TextBlock Tag="Screensaver Settings Dialog">
  <Var Tag="Run at Windows startup"><String Lang="de" Text="Wallpaper beim Windows-Start ausführen"/></Var>
  <Var Tag="No strings"/>
  <Var Tag="No text"><String Lang="de"/></Var>
  <Var Tag="English only"><String Lang="en" Text="English only"/></Var>
  <Var Tag="Twice"><String Lang="de" Text="erste"/><String Lang="en" Text="x"/><String Lang="de" Text="zweite"/></Var>
  <Var Tag="Duplicate"><String Lang="en" Text="only English here"/></Var>
  <Var Tag="Duplicate"><String Lang="de" Text="second var"/></Var>
  <Var Tag="Empty"><String Lang="de" Text=""/></Var>
  <Var><String Lang="de" Text="no tag"/></Var>
  <Other Tag="Not a var"><String Lang="de" Text="x"/></Other>
  <Group><Var Tag="Nested"><String Lang="de" Text="x"/></Var></Group>
  <Var Tag="Fehler"><String Lang="de" Text="Fehler!"/><String Lang="ru" Text="Ошибка!"/></Var>
</TextBlock>)")));
        ASSERT_TRUE(table_.SelectLanguage(L"de"));
        ASSERT_TRUE(table_.SelectTextBlock(L"Screensaver Settings Dialog"));
    }

    bool Found(const std::wstring& text) const {
        std::wstring translation;
        return table_.Lookup(text, translation);
    }

    StringTable table_;
};

TEST_F(StringTableLookup, EntriesWithoutATextTranslateToEmptyButAreFound) {
    for (const wchar_t* key : {L"No strings", L"No text", L"English only", L"Empty"}) {
        EXPECT_TRUE(Found(key)) << key;
        EXPECT_EQ(table_.Translate(key), L"");
    }
}

TEST_F(StringTableLookup, LaterStringOfALanguageWinsAndFirstVarWins) {
    EXPECT_EQ(table_.Translate(L"Twice"), L"zweite");
    EXPECT_EQ(table_.Translate(L"Duplicate"), L""); // the first Var, which has no German string
    ASSERT_TRUE(table_.SelectLanguage(L"en"));
    EXPECT_EQ(table_.Translate(L"Duplicate"), L"only English here");
    EXPECT_EQ(table_.Translate(L"Twice"), L"x");
}

TEST_F(StringTableLookup, KeysMatchExactlyAndOnlyVarChildrenCount) {
    EXPECT_EQ(table_.Translate(L"Fehler"), L"Fehler!");
    for (const wchar_t* text :
         {L"fehler", L"Fehler ", L" Fehler", L"Fehle", L"FEHLER", L"Not a var", L"Nested"}) {
        EXPECT_FALSE(Found(text)) << text;
        EXPECT_EQ(table_.Translate(text), text);
    }
    // A Var without a Tag has the empty key, so the empty text finds it.
    EXPECT_EQ(table_.Translate(L""), L"no tag");
    EXPECT_EQ(table_.Translate(std::wstring(L"Fehler\0x", 8)), std::wstring(L"Fehler\0x", 8));
}

TEST_F(StringTableLookup, BlockSelectionDecidesTheEntry) {
    EXPECT_EQ(table_.Translate(L"Run at Windows startup"), L"Wallpaper beim Windows-Start ausführen");
    ASSERT_TRUE(table_.SelectTextBlock(L"Screensaver"));
    EXPECT_EQ(table_.Translate(L"Run at Windows startup"), L"Mit Windows starten");
    EXPECT_FALSE(Found(L"Fehler"));
    EXPECT_FALSE(Found(L"")); // no Var without a Tag here
    // Tags compare whole: neither a prefix nor another case selects a block.
    EXPECT_FALSE(table_.SelectTextBlock(L"Screensaver Settings"));
    EXPECT_FALSE(table_.SelectTextBlock(L"screensaver settings dialog"));
    EXPECT_EQ(table_.Translate(L"Run at Windows startup"), L"Mit Windows starten");
}

TEST_F(StringTableLookup, UnknownLanguageKeepsTheCurrentOne) {
    ASSERT_TRUE(table_.SelectLanguage(L"en"));
    for (const wchar_t* tag : {L"es", L"EN", L"", L"e", L"en "})
        EXPECT_FALSE(table_.SelectLanguage(tag));
    EXPECT_EQ(table_.CurrentLanguageTag(), L"en");
    EXPECT_EQ(table_.Translate(L"English only"), L"English only");
    EXPECT_EQ(table_.Translate(L"Fehler"), L""); // no English string in that entry
    ASSERT_TRUE(table_.SelectLanguage(L"ru"));
    EXPECT_EQ(table_.Translate(L"Fehler"), L"Ошибка!");
}

TEST(CurrentStringTable, TranslateWithoutATableReturnsTheTextUnchanged) {
    qm::ResetCurrentStringTable();
    EXPECT_EQ(qm::CurrentStringTable(), nullptr);
    EXPECT_EQ(qm::Translate(L"Error!"), L"Error!");

    StringTable& first = qm::ReplaceCurrentStringTable();
    EXPECT_EQ(qm::CurrentStringTable(), &first);
    EXPECT_EQ(qm::Translate(L"Options"), L"Options");
    ASSERT_TRUE(Load(first, Wrap(kOptions)));
    ASSERT_TRUE(first.SelectLanguage(L"de"));
    EXPECT_EQ(qm::Translate(L"Options"), L"Optionen");

    // A new table replaces the old one entirely.
    StringTable& second = qm::ReplaceCurrentStringTable();
    EXPECT_EQ(qm::CurrentStringTable(), &second);
    EXPECT_EQ(qm::Translate(L"Options"), L"Options");
    qm::ResetCurrentStringTable();
    EXPECT_EQ(qm::CurrentStringTable(), nullptr);
}

} // namespace
