#include "localisation/string_table.h"

#include "pugixml.hpp"

#include <cwchar>
#include <exception>
#include <vector>

namespace qm {

struct StringTable::Data {
    // Documents stay alive as long as the table: the lists below point into them.
    std::vector<std::unique_ptr<pugi::xml_document>> documents;
    std::vector<pugi::xml_node> languages;
    std::vector<pugi::xml_node> blocks;
    pugi::xml_node language;
    pugi::xml_node block;
};

namespace {

pugi::xml_node FindByTag(const std::vector<pugi::xml_node>& nodes, const std::wstring& tag) {
    for (const pugi::xml_node& node : nodes) {
        if (tag == node.attribute(L"Tag").value()) return node;
    }
    return {};
}

} // namespace

StringTable::StringTable() : data_(std::make_unique<Data>()) {}
StringTable::~StringTable() = default;

bool StringTable::LoadFromMemory(const void* data, size_t size) {
    try {
        auto document = std::make_unique<pugi::xml_document>();
        if (!document->load_buffer(data, size)) return false;
        return AcceptDocument(std::move(document));
    } catch (const std::exception&) {
        return false;
    }
}

bool StringTable::AcceptDocument(std::unique_ptr<pugi::xml_document> document) {
    try {
        pugi::xml_node root = document->child(L"Root");
        if (!root) return false;
        pugi::xml_node first = root.child(L"Languages").child(L"Language");
        if (!first) return false;

        // Reserve first, so that a failed allocation cannot leave the lists half extended.
        size_t languageCount = 0, blockCount = 0;
        for (pugi::xml_node n = first; n; n = n.next_sibling(L"Language"))
            ++languageCount;
        for (pugi::xml_node n = root.child(L"TextBlock"); n; n = n.next_sibling(L"TextBlock"))
            ++blockCount;
        data_->languages.reserve(data_->languages.size() + languageCount);
        data_->blocks.reserve(data_->blocks.size() + blockCount);
        data_->documents.reserve(data_->documents.size() + 1);

        for (pugi::xml_node n = first; n; n = n.next_sibling(L"Language"))
            data_->languages.push_back(n);
        for (pugi::xml_node n = root.child(L"TextBlock"); n; n = n.next_sibling(L"TextBlock"))
            data_->blocks.push_back(n);
        data_->language = data_->languages.front();
        data_->block = data_->blocks.empty() ? pugi::xml_node() : data_->blocks.front();
        data_->documents.push_back(std::move(document));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool StringTable::SelectLanguage(const std::wstring& tag) {
    pugi::xml_node found = FindByTag(data_->languages, tag);
    if (!found) return false;
    data_->language = found;
    return true;
}

bool StringTable::SelectTextBlock(const std::wstring& tag) {
    pugi::xml_node found = FindByTag(data_->blocks, tag);
    if (!found) return false;
    data_->block = found;
    return true;
}

std::wstring StringTable::CurrentLanguageTag() const {
    try {
        return data_->language.attribute(L"Tag").value();
    } catch (const std::exception&) {
        return {};
    }
}

bool StringTable::Lookup(const std::wstring& text, std::wstring& translation) const {
    if (!data_->block) return false;
    try {
        // The first Var with this Tag is the entry; among its Strings for one language the last wins.
        const pugi::char_t* language = data_->language.attribute(L"Tag").value();
        for (pugi::xml_node var = data_->block.child(L"Var"); var; var = var.next_sibling(L"Var")) {
            if (text != var.attribute(L"Tag").value()) continue;
            pugi::xml_node chosen;
            for (pugi::xml_node s = var.child(L"String"); s; s = s.next_sibling(L"String")) {
                if (std::wcscmp(s.attribute(L"Lang").value(), language) == 0) chosen = s;
            }
            translation = chosen.attribute(L"Text").value();
            return true;
        }
    } catch (const std::exception&) {
    }
    return false;
}

std::wstring StringTable::Translate(const std::wstring& text) const {
    std::wstring translation;
    return Lookup(text, translation) ? translation : text;
}

namespace {
std::unique_ptr<StringTable>& CurrentSlot() {
    static std::unique_ptr<StringTable> current;
    return current;
}
} // namespace

StringTable* CurrentStringTable() {
    return CurrentSlot().get();
}

StringTable& ReplaceCurrentStringTable() {
    CurrentSlot() = std::make_unique<StringTable>();
    return *CurrentSlot();
}

void ResetCurrentStringTable() {
    CurrentSlot().reset();
}

std::wstring Translate(const std::wstring& text) {
    const StringTable* table = CurrentStringTable();
    return table ? table->Translate(text) : text;
}

} // namespace qm
