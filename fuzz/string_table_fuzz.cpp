// Arbitrary bytes as a string table document, then the operations the dialogs perform on it,
// including formatting with whatever translations the document supplies.
#include "localisation/format.h"
#include "localisation/string_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qm::StringTable& table = qm::ReplaceCurrentStringTable();
    bool loaded = table.LoadFromMemory(data, size);
    Check(loaded || table.CurrentLanguageTag().empty());

    // A short tail of the input doubles as a language, block and key, so matches are reachable.
    std::wstring tail;
    for (size_t i = size > 24 ? size - 24 : 0; i < size; ++i)
        tail += static_cast<wchar_t>(data[i]);

    for (const wchar_t* language : {L"en", L"de", tail.c_str()}) {
        bool selected = table.SelectLanguage(language);
        Check(!selected || table.CurrentLanguageTag() == language);
        for (const wchar_t* block : {L"Screensaver", tail.c_str(), L"Screensaver Settings Dialog"}) {
            table.SelectTextBlock(block);
            for (const wchar_t* key : {L"OK", tail.c_str()}) {
                std::wstring translation;
                bool found = table.Lookup(key, translation);
                Check(table.Translate(key) == (found ? translation : std::wstring(key)));
                Check(loaded || !found);
            }
        }
        // Translations decide the wording only; one with other conversions must never get the arguments.
        qm::FormatTranslated(L"%s %s Configuration", L"Quillmere", L"1.0");
        qm::FormatTranslated(L"Music volume: %.01i%%", 40);
    }
    qm::ResetCurrentStringTable();
    return 0;
}
