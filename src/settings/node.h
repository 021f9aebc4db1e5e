// The settings tree: the in-memory form of a registry key and everything below it, a sorted map from
// names to typed values where a value may itself be a nested node (a subkey). Paths address entries
// through nested nodes with "/" between the names.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace qm {

class Node;

// The code is also the digit that starts the typed value text in the registry.
enum class ValueKind : int32_t { Subtree = 0, Float = 1, Integer = 2, String = 3, Empty = 4 };

class NodeValue {
  public:
    NodeValue();
    explicit NodeValue(int32_t value);
    explicit NodeValue(float value);
    explicit NodeValue(std::wstring value);
    explicit NodeValue(std::unique_ptr<Node> child);
    ~NodeValue();
    NodeValue(NodeValue&&) noexcept;
    NodeValue& operator=(NodeValue&&) noexcept;
    NodeValue(const NodeValue&) = delete;
    NodeValue& operator=(const NodeValue&) = delete;

    ValueKind kind() const { return kind_; }
    // Each reader gives its slot only when the kind names it, else zero, the empty text or null.
    int32_t AsInteger() const;
    float AsFloat() const;
    std::wstring AsText() const;
    Node* AsNode() const;

  private:
    std::unique_ptr<Node> child_;
    float float_ = 0.0f;
    int32_t integer_ = 0;
    std::wstring text_;
    ValueKind kind_ = ValueKind::Empty;
};

// Orders names by their UTF-16 code units as unsigned numbers, as the main program's tree does, also
// where wchar_t holds whole code points (32-bit wchar_t).
struct CodeUnitLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

class Node {
  public:
    struct KeyNotFound {};
    using Map = std::map<std::wstring, NodeValue, CodeUnitLess>;

    Node();
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // The entry at path, creating what is missing; throws KeyNotFound when a component other than the
    // last names an entry that is not a subtree.
    NodeValue& Get(const std::wstring& path);
    NodeValue& Get(const char* utf8Path);
    // The entry at path unless it is Empty, else the entry at fallback.
    NodeValue& GetOr(const std::wstring& path, const std::wstring& fallback);
    NodeValue& GetOr(const char* utf8Path, const char* utf8Fallback);
    // Whether the entry at path exists with this kind; creates nothing.
    bool Has(const std::wstring& path, ValueKind kind) const;

    const Map& entries() const { return entries_; }

#ifdef _WIN32
    // Both use the 64-bit registry view, where the main program keeps its settings.
    // Overlays the key's subkeys and typed values on the tree; false when a key cannot be opened or read.
    bool LoadFromRegistry(HKEY root, const std::wstring& subKey);
    // Writes every non-empty leaf as typed value text, subtrees as subkeys; never deletes.
    bool SaveToRegistry(HKEY root, const std::wstring& subKey) const;
#endif

  private:
    Map entries_;
};

// Narrow UTF-8 as wide text (UTF-16 on Windows, code points where wchar_t is 32-bit); bad bytes
// become U+FFFD.
std::wstring WideFromUtf8(const char* text);

} // namespace qm
