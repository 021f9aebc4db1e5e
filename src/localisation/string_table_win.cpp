// The Windows side of the string table: the document from a file or this module's resource, and the
// translation of a window and its controls.
#include "localisation/string_table.h"

#include "localisation/access_keys.h"
#include "platform/app_module.h"
#include "platform/resources.h"

#include "pugixml.hpp"

#include <iterator>
#include <vector>

namespace qm {

namespace {

// Copies the window's text (at most 1022 characters, as a 1023-character buffer holds) and sets the
// translation when the table has an entry for it; whether it had.
bool TranslateOne(const StringTable& table, HWND window) {
    wchar_t text[1023] = {};
    int length = ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    if (length < 0) length = 0;
    std::wstring translation;
    if (!table.Lookup(std::wstring(text, static_cast<size_t>(length)), translation)) return false;
    ::SetWindowTextW(window, translation.c_str());
    return true;
}

} // namespace

bool StringTable::Load(const std::string& fileName, int resourceId) {
    // A file that exists but does not parse gives way to the resource; one that parses is the document.
    if (::GetFileAttributesA(fileName.c_str()) != INVALID_FILE_ATTRIBUTES) {
        try {
            auto document = std::make_unique<pugi::xml_document>();
            if (document->load_file(fileName.c_str())) return AcceptDocument(std::move(document));
        } catch (const std::exception&) {
        }
    }

    const std::string_view bytes =
        ResourceBytes(Module().instance(), MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    // The resource ends with CR LF; the final line feed is left out of the parse.
    return !bytes.empty() && LoadFromMemory(bytes.data(), bytes.size() - 1);
}

void StringTable::TranslateWindow(HWND window) const {
    TranslateOne(*this, window);
    std::vector<HWND> translated;
    for (HWND child = ::GetTopWindow(window); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (TranslateOne(*this, child)) translated.push_back(child);
    }
    // In the words of the language shown. A text the table does not know is one that code sets (a label
    // with a number): it takes its key when it is set.
    GiveAccessKeys(window, translated);
}

StringTable& MakeCurrentStringTable(const std::string& fileName, int resourceId) {
    StringTable& table = ReplaceCurrentStringTable();
    table.Load(fileName, resourceId);
    table.SelectLanguage(L"en");
    return table;
}

} // namespace qm
