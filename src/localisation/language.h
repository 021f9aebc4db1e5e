// The language of the dialogs, named by the settings key's "Language" value.
#pragma once

#include <string>

namespace qm {

// "de", "fr" or "ru" when the value is exactly "3: de", "3: fr" or "3: ru"; "en" for anything else.
std::wstring LanguageFromRegistry();

} // namespace qm
