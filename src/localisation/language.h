// The language of the dialogs and messages, named by the settings key's "Language" value.
#pragma once

#include <string>

namespace qm {

class StringTable;

// "de", "fr" or "ru" when the value is exactly "3: de", "3: fr" or "3: ru"; "en" for anything else.
std::wstring LanguageFromRegistry();

// Makes the process's string table from this program's resource, in the language of
// LanguageFromRegistry, with the settings dialog's text block selected.
StringTable& MakeDialogStringTable();

} // namespace qm
