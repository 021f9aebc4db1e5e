#include "platform/unique_handle.h"
#include "settings/node.h"
#include "settings/registry.h"
#include "settings/typed_value.h"

#include <vector>

namespace qm {

namespace {

constexpr DWORD kNameBufferChars = 2048;
constexpr DWORD kDataBufferBytes = 4096;

} // namespace

bool Node::LoadFromRegistry(HKEY root, const std::wstring& subKey) {
    UniqueRegKey key;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, WithView(KEY_READ, RegistryView::Bit64), key.put()) !=
        ERROR_SUCCESS)
        return false;
    DWORD valueCount = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;

    std::vector<wchar_t> name(kNameBufferChars);
    // Subkeys come first, so a value of the same name replaces the subtree afterwards.
    for (DWORD index = 0; ::RegEnumKeyW(key.get(), index, name.data(), kNameBufferChars) == ERROR_SUCCESS;
         ++index) {
        const std::wstring subName(name.data());
        Node* child = nullptr;
        try {
            if (!Has(subName, ValueKind::Subtree)) Get(subName) = NodeValue(std::make_unique<Node>());
            child = Get(subName).AsNode();
        } catch (const KeyNotFound&) {
            continue; // the name runs through a leaf of the tree: it has no place here
        }
        if (!child->LoadFromRegistry(key.get(), subName)) return false;
    }

    std::vector<BYTE> data(kDataBufferBytes + sizeof(wchar_t));
    for (DWORD index = 0; index < valueCount; ++index) {
        DWORD nameLength = kNameBufferChars;
        DWORD dataBytes = kDataBufferBytes;
        if (::RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, nullptr, data.data(),
                            &dataBytes) != ERROR_SUCCESS)
            continue; // too long a name or more data than the buffer holds
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), dataBytes / sizeof(wchar_t));
        std::optional<NodeValue> value = ReadTypedValueText(text);
        if (!value) continue;
        try {
            Get(std::wstring(name.data(), nameLength)) = std::move(*value);
        } catch (const KeyNotFound&) {
            // As for subkeys: a name through an existing leaf is skipped, the rest of the key still loads.
        }
    }
    return true;
}

bool Node::SaveToRegistry(HKEY root, const std::wstring& subKey) const {
    UniqueRegKey key;
    if (::RegCreateKeyExW(root, subKey.c_str(), 0, const_cast<wchar_t*>(L""), REG_OPTION_NON_VOLATILE,
                          WithView(KEY_SET_VALUE, RegistryView::Bit64), nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    for (const auto& [name, value] : entries_) {
        if (const Node* child = value.AsNode()) {
            if (!child->SaveToRegistry(key.get(), name)) return false;
            continue;
        }
        std::optional<std::wstring> text = MakeTypedValueText(value);
        if (!text) continue;
        if (::RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text->data()),
                             static_cast<DWORD>(text->size() * sizeof(wchar_t))) != ERROR_SUCCESS)
            return false;
    }
    ::RegFlushKey(key.get());
    return true;
}

} // namespace qm
