// The shipped string table as a file: its bytes, its structure, and every translation the program shows.
#include "localisation/string_table.h"

#include "pugixml.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const wchar_t* const kSettingsBlock = qm::kSettingsDialogTextBlock;

std::string ReadTable() {
    std::ifstream file(QM_TEST_DATA_DIR "/resources/strings.xml", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Row {
    const wchar_t* key;
    const wchar_t* ru;
    const wchar_t* de;
    const wchar_t* fr;
};

// Every key with the translations the product shows, letter for letter.
const Row kRows[] = {
    {L"Monitor selection", L"Выбор монитора", L"Monitor-Auswahl", L"Sélection du moniteur"},
    {L"Show a blank screen on all monitors", L"Затемнить остальные мониторы",
     L"Leeren Bildschirm auf allen Monitoren zeigen", L"Afficher un écran blanc sur tous les moniteurs"},
    {L"Options", L"Опции", L"Optionen", L"Options"},
    {L"Exit on mouse move", L"Выход по движению мыши", L"Mit Mausbewegung beenden",
     L"Sortir sur mouvement de souris"},
    {L"Antialiasing", L"Сглаживание", L"Antialiasing", L"Anticrénelage"},
    {L"Antialiasing quality:", L"Качество сглаживания:", L"Antialiasing-Qualität:",
     L"Qualité de l'anticrénelage :"},
    {L"Animated wallpaper options", L"Опции анимированных обоев", L"Animierte wallpaper-Optionen",
     L"Options wallpaper Animés"},
    {L"Run at Windows startup", L"Запускать при старте Windows", L"Wallpaper beim Windows-Start ausführen",
     L"Exécuter au démarrage de Windows"},
    {L"Sound options", L"Звуковые возможности", L"Soundoptionen", L"Options du son"},
    {L"Enable sounds", L"Включить звуки", L"Sounds aktivieren", L"Valider les sons"},
    {L"Enable music", L"Включить музыку", L"Musik aktivieren", L"Valider la musique"},
    {L"Play my music", L"Проигрывать свою музыку", L"Meine Musik spielen", L"Jouer ma musique"},
    {L"Edit Playlist...", L"Редактировать...", L"Playliste bearbeiten...", L"Editer la liste..."},
    {L"Products", L"Продукты", L"Produkte", L"Produits"},
    {L"Please take a look at our web site for more great 3D screensavers",
     L"Посмотреть другие скринсейверы нашей компании",
     L"Entdecken Sie noch mehr 3D-Screensavers auf unserer Webseite",
     L"Veuillez visiter notre site web pour voir plus d’économiseurs d’écran 3D"},
    {L"Visit...", L"Посмотреть...", L"Besuchen...", L"Visitez..."},
    {L"Restore Defaults", L"Сброс настроек", L"Zurücksetzen", L"Réinitialiser"},
    {L"OK", L"OK", L"OK", L"OK"},
    {L"Cancel", L"Отмена", L"Abbrechen", L"Annuler"},
    {L"Playlist", L"Плейлист", L"Playliste", L"Liste"},
    {L"Add...", L"Добавить...", L"Hinzufügen...", L"Ajouter..."},
    {L"Remove", L"Удалить", L"Entfernen", L"Retirer"},
    {L"Shuffle", L"Перемешивание", L"Zufällige Wiedergabe", L"Ordre aléatoire"},
    {L"All supported files", L"Все поддерживаемые форматы", L"Alle unterstützten Dateien",
     L"Tout les fichiers supportés"},
    {L"Playlist Files", L"Файлы плейлистов", L"Playliste-Dateien", L"Fichiers de la liste"},
    {L"%s %s Configuration", L"Настройки %s %s", L"%s %s Konfiguration", L"Configuration de %s %s"},
    {L"Music volume: %.01i%%", L"Уровень музыки: %.01i%%", L"Musik-Lautstärke: %.01i%%",
     L"Volume de la musique: %.01i%%"},
    {L"Sounds volume: %.01i%%", L"Уровень звуков: %.01i%%", L"Lautstärke: %.01i%%",
     L"Volume du son: %.01i%%"},
    {L"Sound volume: %.01i%%", L"Уровень звуков: %.01i%%", L"Lautstärke: %.01i%%", L"Volume du son: %.01i%%"},
    {L"Multi-monitor", L"Несколько мониторов", L"Mehrere Monitore", L"Multi-écrans"},
    {L"Error!", L"Ошибка!", L"Fehler!", L"Erreur!"},
    {L"Error writing to the system registry. Please NOTE: You need to have sufficient administrative rights "
     L"to run this program successfully.",
     L"Ошибка записи в системный реестр. Пожалуйста обратите внимание: вы должны иметь соответствующие "
     L"административные права для успешного запуска этой программы.",
     L"Fehler beim Eintrag in die Registry. BEACHTEN Sie bitte: um das Programm erfolgreich auszuführen, "
     L"müssen Sie die Administratorrechte besitzen.",
     L"Erreur d’écriture dans le registre système. Veuillez NOTER: vous devez disposez de droits "
     L"d’administration suffisant pour faire fonctionner ce programme."}};

// Every text the dialogs and the code look up in the settings block.
const wchar_t* const kLookedUpKeys[] = {
    L"Monitor selection",
    L"Show a blank screen on all monitors",
    L"Options",
    L"Exit on mouse move",
    L"Antialiasing",
    L"Antialiasing quality:",
    L"Animated wallpaper options",
    L"Run at Windows startup",
    L"Sound options",
    L"Enable sounds",
    L"Enable music",
    L"Play my music",
    L"Edit Playlist...",
    L"Products",
    L"Please take a look at our web site for more great 3D screensavers",
    L"Visit...",
    L"Restore Defaults",
    L"OK",
    L"Cancel",
    L"Playlist",
    L"Add...",
    L"Remove",
    L"Shuffle",
    L"All supported files",
    L"Playlist Files",
    L"%s %s Configuration",
    L"Music volume: %.01i%%",
    L"Sound volume: %.01i%%",
    L"Multi-monitor",
    L"Can't find the main file! Please reinstall screensaver.",
    L"Can't start the screensaver! Please try to restart your computer.",
    L"Error!",
    (L"Error writing to the system registry. Please NOTE: You need to have sufficient administrative rights "
     L"to run this program successfully.")};

class ShippedTable : public ::testing::Test {
  protected:
    void SetUp() override {
        bytes_ = ReadTable();
        ASSERT_FALSE(bytes_.empty()) << "resources/strings.xml not readable";
        // The program parses the resource without its final byte.
        ASSERT_TRUE(table_.LoadFromMemory(bytes_.data(), bytes_.size() - 1));
    }

    std::wstring In(const wchar_t* language, const wchar_t* key, const wchar_t* block = kSettingsBlock) {
        EXPECT_TRUE(table_.SelectLanguage(language));
        EXPECT_TRUE(table_.SelectTextBlock(block));
        std::wstring translation;
        EXPECT_TRUE(table_.Lookup(key, translation)) << key;
        return translation;
    }

    std::string bytes_;
    qm::StringTable table_;
};

TEST_F(ShippedTable, BytesAreUtf8WithBomAndCrlfLineEnds) {
    ASSERT_GT(bytes_.size(), 3u);
    EXPECT_EQ(bytes_.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes_.substr(3, 40), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n");
    EXPECT_EQ(bytes_.substr(bytes_.size() - 2), "\r\n");
    for (size_t i = 0; i < bytes_.size(); ++i) {
        bool bareLineFeed = bytes_[i] == '\n' && (i == 0 || bytes_[i - 1] != '\r');
        bool bareReturn = bytes_[i] == '\r' && (i + 1 == bytes_.size() || bytes_[i + 1] != '\n');
        ASSERT_FALSE(bareLineFeed || bareReturn) << "line end without its pair at byte " << i;
    }
}

TEST_F(ShippedTable, IsWellFormedWithTheFourLanguagesInOrder) {
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_buffer(bytes_.data(), bytes_.size());
    ASSERT_TRUE(parsed) << parsed.description() << " at " << parsed.offset;
    EXPECT_EQ(parsed.encoding, pugi::encoding_utf8);

    struct Language {
        std::wstring tag, codepage, name;
        bool operator==(const Language&) const = default;
    };
    std::vector<Language> languages;
    pugi::xml_node root = document.child(L"Root");
    for (pugi::xml_node n = root.child(L"Languages").child(L"Language"); n; n = n.next_sibling(L"Language"))
        languages.push_back(
            {n.attribute(L"Tag").value(), n.attribute(L"Codepage").value(), n.attribute(L"Name").value()});
    const std::vector<Language> expected = {{L"ru", L"1251", L"Русский"},
                                            {L"en", L"1252", L"English"},
                                            {L"de", L"1252", L"Deutsch"},
                                            {L"fr", L"1252", L"Français"}};
    EXPECT_TRUE(languages == expected);

    std::vector<std::wstring> blocks;
    for (pugi::xml_node n = root.child(L"TextBlock"); n; n = n.next_sibling(L"TextBlock"))
        blocks.push_back(n.attribute(L"Tag").value());
    EXPECT_EQ(blocks, (std::vector<std::wstring>{kSettingsBlock, L"Screensaver"}));
}

TEST_F(ShippedTable, EveryVarHasOneTextPerLanguageAndEnglishIsItsKey) {
    pugi::xml_document document;
    ASSERT_TRUE(document.load_buffer(bytes_.data(), bytes_.size()));
    int vars = 0;
    for (pugi::xml_node block : document.child(L"Root").children(L"TextBlock")) {
        std::set<std::wstring> keys;
        for (pugi::xml_node var : block.children()) {
            ASSERT_STREQ(var.name(), L"Var");
            ++vars;
            std::wstring key = var.attribute(L"Tag").value();
            EXPECT_FALSE(key.empty());
            EXPECT_TRUE(keys.insert(key).second) << "duplicate key in " << block.attribute(L"Tag").value();
            std::map<std::wstring, std::wstring> texts;
            for (pugi::xml_node s : var.children()) {
                ASSERT_STREQ(s.name(), L"String");
                ASSERT_TRUE(s.attribute(L"Text")) << key.size();
                EXPECT_TRUE(texts.emplace(s.attribute(L"Lang").value(), s.attribute(L"Text").value()).second);
            }
            EXPECT_EQ(texts.size(), 4u);
            for (const wchar_t* language : {L"ru", L"en", L"de", L"fr"}) {
                ASSERT_EQ(texts.count(language), 1u);
                EXPECT_FALSE(texts[language].empty());
            }
            EXPECT_EQ(texts[L"en"], key);
        }
    }
    EXPECT_GT(vars, static_cast<int>(std::size(kRows)));
}

TEST_F(ShippedTable, HoldsEveryKeyTheProgramLooksUp) {
    std::wstring translation;
    ASSERT_TRUE(table_.SelectTextBlock(kSettingsBlock));
    for (const wchar_t* key : kLookedUpKeys)
        EXPECT_TRUE(table_.Lookup(key, translation)) << key;
}

TEST_F(ShippedTable, TranslationsAreExactlyTheProductsTexts) {
    for (const Row& row : kRows) {
        EXPECT_EQ(In(L"en", row.key), row.key);
        EXPECT_EQ(In(L"ru", row.key), row.ru);
        EXPECT_EQ(In(L"de", row.key), row.de);
        EXPECT_EQ(In(L"fr", row.key), row.fr);
    }
    // The typographic apostrophe (U+2019) and the straight one are different letters.
    EXPECT_EQ(
        In(L"fr", L"Please take a look at our web site for more great 3D screensavers").find(L"d\u2019"),
        47u);
    EXPECT_EQ(In(L"fr", L"Antialiasing quality:"), L"Qualit\u00e9 de l'anticr\u00e9nelage :");
}

TEST_F(ShippedTable, ScreensaverBlockHasItsOwnEntries) {
    for (const wchar_t* language : {L"ru", L"de", L"fr"}) {
        std::wstring own = In(language, L"Run at Windows startup", L"Screensaver");
        EXPECT_FALSE(own.empty());
        EXPECT_NE(own, In(language, L"Run at Windows startup"));
    }
    EXPECT_EQ(In(L"de", L"Run at Windows startup"), L"Wallpaper beim Windows-Start ausf\u00fchren");
}

} // namespace
