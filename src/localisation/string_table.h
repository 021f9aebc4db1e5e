// The localisation table: English texts used as keys into an XML document of text blocks, each key
// translated into every language the document lists.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace pugi {
class xml_document;
}

namespace qm {

// The text block of the settings dialog and the dialogs it opens.
inline constexpr wchar_t kSettingsDialogTextBlock[] = L"Screensaver Settings Dialog";

class StringTable {
  public:
    StringTable();
    ~StringTable();
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    // Parses size bytes as a document and, when its structure is accepted, adds its languages and
    // text blocks; the first language and the first block become current.
    bool LoadFromMemory(const void* data, size_t size);

    bool SelectLanguage(const std::wstring& tag);
    bool SelectTextBlock(const std::wstring& tag);
    std::wstring CurrentLanguageTag() const;

    // The translation in the current language and block, or text itself when there is no entry.
    std::wstring Translate(const std::wstring& text) const;
    // Found entries may translate to the empty text; that is not the same as no entry.
    bool Lookup(const std::wstring& text, std::wstring& translation) const;

#ifdef _WIN32
    // The file when it exists and parses, else the RCDATA resource of this module.
    bool Load(const std::string& fileName, int resourceId);
    // The window's own text and the texts of its direct children; then the children's captions that it
    // translated get their access keys.
    void TranslateWindow(HWND window) const;
#endif

  private:
    // Checks the structure of a parsed document and, when accepted, keeps it and adds its lists.
    bool AcceptDocument(std::unique_ptr<pugi::xml_document> document);

    struct Data;
    std::unique_ptr<Data> data_;
};

// The process's table; null until one is made. Destroyed at process exit.
StringTable* CurrentStringTable();
// Replaces the current table with an empty one and returns it.
StringTable& ReplaceCurrentStringTable();
// Destroys the current table (tests, and callers that want English again).
void ResetCurrentStringTable();

#ifdef _WIN32
// Replaces the current table with one loaded from the file or resource, with English selected.
StringTable& MakeCurrentStringTable(const std::string& fileName, int resourceId);
#endif

// Through the current table; the text unchanged when there is none.
std::wstring Translate(const std::wstring& text);

} // namespace qm
