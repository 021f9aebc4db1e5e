#include "settings/node.h"

#include "platform/wide_text.h"

#include <utility>

namespace qm {

NodeValue::NodeValue() = default;
NodeValue::NodeValue(int32_t value) : integer_(value), kind_(ValueKind::Integer) {}
NodeValue::NodeValue(float value) : float_(value), kind_(ValueKind::Float) {}
NodeValue::NodeValue(std::wstring value) : text_(std::move(value)), kind_(ValueKind::String) {}
NodeValue::NodeValue(std::unique_ptr<Node> child) : child_(std::move(child)), kind_(ValueKind::Subtree) {
    // A subtree without a node would read as one and then fail every lookup through it.
    if (!child_) child_ = std::make_unique<Node>();
}
NodeValue::~NodeValue() = default;
NodeValue::NodeValue(NodeValue&&) noexcept = default;
NodeValue& NodeValue::operator=(NodeValue&&) noexcept = default;

int32_t NodeValue::AsInteger() const {
    return kind_ == ValueKind::Integer ? integer_ : 0;
}
float NodeValue::AsFloat() const {
    return kind_ == ValueKind::Float ? float_ : 0.0f;
}
std::wstring NodeValue::AsText() const {
    return kind_ == ValueKind::String ? text_ : std::wstring();
}
Node* NodeValue::AsNode() const {
    return kind_ == ValueKind::Subtree ? child_.get() : nullptr;
}

namespace {

// Walks a wide string as UTF-16 code units. With 16-bit wchar_t that is the string itself; with
// 32-bit wchar_t a code point above U+FFFF becomes its surrogate pair, and values that are no code
// point at all sort after everything, by value, so the order stays total.
class CodeUnits {
  public:
    explicit CodeUnits(const std::wstring& s) : s_(s) {}
    bool done() const { return index_ >= s_.size() && !pendingLow_; }
    uint32_t next() {
        if (pendingLow_) {
            uint32_t low = pendingLow_;
            pendingLow_ = 0;
            ++index_;
            return low;
        }
        const uint32_t c = static_cast<uint32_t>(s_[index_]);
        if (c <= 0xFFFF) {
            ++index_;
            return c;
        }
        if (c <= 0x10FFFF) {
            const uint32_t v = c - 0x10000;
            pendingLow_ = 0xDC00 + (v & 0x3FF);
            return 0xD800 + (v >> 10);
        }
        ++index_;
        return 0x10000 + (c - 0x110000); // beyond every code unit; wchar_t is at most 32 bits
    }

  private:
    const std::wstring& s_;
    size_t index_ = 0;
    uint32_t pendingLow_ = 0;
};

void SplitPath(const std::wstring& path, std::wstring& head, std::wstring& rest) {
    const size_t slash = path.find(L'/');
    if (slash == std::wstring::npos) {
        head = path;
        rest.clear();
    } else {
        head = path.substr(0, slash);
        rest = path.substr(slash + 1);
    }
}

} // namespace

bool CodeUnitLess::operator()(const std::wstring& a, const std::wstring& b) const {
    if constexpr (sizeof(wchar_t) == 2) {
        const size_t n = a.size() < b.size() ? a.size() : b.size();
        for (size_t i = 0; i < n; ++i) {
            const auto x = static_cast<uint16_t>(a[i]);
            const auto y = static_cast<uint16_t>(b[i]);
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    } else {
        CodeUnits x(a), y(b);
        while (!x.done() && !y.done()) {
            const uint32_t p = x.next();
            const uint32_t q = y.next();
            if (p != q) return p < q;
        }
        return x.done() && !y.done();
    }
}

Node::Node() = default;

Node::~Node() = default;

NodeValue& Node::Get(const std::wstring& path) {
    std::wstring head, rest;
    SplitPath(path, head, rest);
    auto found = entries_.find(head);
    if (found == entries_.end()) {
        if (rest.empty()) return entries_.emplace(std::move(head), NodeValue()).first->second;
        auto& entry = entries_.emplace(std::move(head), NodeValue(std::make_unique<Node>())).first->second;
        return entry.AsNode()->Get(rest);
    }
    if (rest.empty()) return found->second;
    Node* child = found->second.AsNode();
    if (!child) throw KeyNotFound{};
    return child->Get(rest);
}

NodeValue& Node::Get(const char* utf8Path) {
    return Get(WideFromUtf8(utf8Path));
}

NodeValue& Node::GetOr(const std::wstring& path, const std::wstring& fallback) {
    NodeValue& first = Get(path);
    if (first.kind() != ValueKind::Empty) return first;
    return Get(fallback);
}

NodeValue& Node::GetOr(const char* utf8Path, const char* utf8Fallback) {
    return GetOr(WideFromUtf8(utf8Path), WideFromUtf8(utf8Fallback));
}

bool Node::Has(const std::wstring& path, ValueKind kind) const {
    std::wstring head, rest;
    SplitPath(path, head, rest);
    auto found = entries_.find(head);
    if (found == entries_.end()) return false;
    if (rest.empty()) return found->second.kind() == kind;
    const Node* child = found->second.AsNode();
    return child && child->Has(rest, kind);
}

std::wstring WideFromUtf8(const char* text) {
    std::wstring out;
    if (!text) return out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    auto put = [&out](uint32_t c) { AppendCodePoint(static_cast<char32_t>(c), out); };
    while (*p) {
        const unsigned char b = *p;
        int extra = 0;
        uint32_t c = 0;
        uint32_t min = 0;
        if (b < 0x80) {
            put(b);
            ++p;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07, min = 0x10000;
        } else {
            put(0xFFFD);
            ++p;
            continue;
        }
        int taken = 0;
        while (taken < extra && (p[1 + taken] & 0xC0) == 0x80)
            c = (c << 6) | (p[1 + taken++] & 0x3F);
        if (taken < extra || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            put(0xFFFD);
            p += 1 + taken;
            continue;
        }
        put(c);
        p += 1 + extra;
    }
    return out;
}

} // namespace qm
