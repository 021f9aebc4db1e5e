#include "localisation/language.h"

#include "localisation/string_table.h"
#include "resource.h"
#include "settings/product.h"
#include "settings/registry.h"

namespace qm {

std::wstring LanguageFromRegistry() {
    // The raw text is compared whole: the value is not read through the settings tree.
    std::wstring text;
    RegReadString(HKEY_LOCAL_MACHINE, SettingsKeyPath, L"Language", text, RegistryView::Bit64);
    if (text == L"3: de") return L"de";
    if (text == L"3: fr") return L"fr";
    if (text == L"3: ru") return L"ru";
    return L"en";
}

StringTable& MakeDialogStringTable() {
    StringTable& table = MakeCurrentStringTable("", IDR_STRING_TABLE_XML);
    table.SelectLanguage(LanguageFromRegistry());
    table.SelectTextBlock(kSettingsDialogTextBlock);
    return table;
}

} // namespace qm
