// The settings tree's paths, name order and value readers.
#include "settings/node.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qm::Node;
using qm::NodeValue;
using qm::ValueKind;

namespace {

std::vector<std::wstring> NamesInOrder(const Node& node) {
    std::vector<std::wstring> names;
    for (const auto& entry : node.entries())
        names.push_back(entry.first);
    return names;
}

constexpr ValueKind kAllKinds[] = {ValueKind::Subtree, ValueKind::Float, ValueKind::Integer,
                                   ValueKind::String, ValueKind::Empty};

} // namespace

TEST(SettingsTree, MissingNamesAreCreatedEmptyAndPathsCreateSubtrees) {
    Node root;
    NodeValue& plain = root.Get(L"CurMonitor");
    EXPECT_EQ(plain.kind(), ValueKind::Empty);
    EXPECT_EQ(plain.AsInteger(), 0);
    EXPECT_TRUE(root.Has(L"CurMonitor", ValueKind::Empty));

    root.Get(L"a/b") = NodeValue(int32_t{7});
    ASSERT_TRUE(root.Has(L"a", ValueKind::Subtree));
    EXPECT_TRUE(root.Has(L"a/b", ValueKind::Integer));
    EXPECT_EQ(root.Get(L"a").AsNode()->Get(L"b").AsInteger(), 7);
    // The same entry again, not a new one: the reference stays valid and holds the value.
    EXPECT_EQ(&root.Get(L"a/b"), &root.Get("a/b"));

    // A trailing "/" addresses the name before it; the empty text is an ordinary name.
    EXPECT_EQ(&root.Get(L"a/"), &root.Get(L"a"));
    root.Get(L"") = NodeValue(std::wstring(L"default"));
    EXPECT_EQ(root.Get(L"").AsText(), L"default");
    EXPECT_EQ(root.Get(L"x//y").kind(), ValueKind::Empty);
    EXPECT_TRUE(root.Has(L"x//y", ValueKind::Empty));
    EXPECT_TRUE(root.Get(L"x").AsNode()->Get(L"").AsNode()->Has(L"y", ValueKind::Empty));
}

TEST(SettingsTree, PathThroughALeafThrowsAndHasCreatesNothing) {
    Node root;
    root.Get(L"a") = NodeValue(int32_t{1});
    EXPECT_THROW(root.Get(L"a/b"), Node::KeyNotFound);
    EXPECT_THROW(root.Get("a/b/c"), Node::KeyNotFound);
    for (ValueKind kind : kAllKinds) {
        EXPECT_FALSE(root.Has(L"a/b", kind));
        EXPECT_FALSE(root.Has(L"missing", kind));
        EXPECT_FALSE(root.Has(L"missing/b", kind));
    }
    EXPECT_EQ(root.entries().size(), 1u);
    EXPECT_EQ(root.Get(L"a").AsInteger(), 1) << "a failed lookup must not change the leaf";
}

TEST(SettingsTree, GetOrFallsBackOnlyForEmptyEntries) {
    Node root;
    root.Get("UseDesktopRes") = NodeValue(int32_t{1});
    EXPECT_EQ(&root.GetOr("UseDesktopRes0", "UseDesktopRes"), &root.Get("UseDesktopRes"));
    EXPECT_TRUE(root.Has(L"UseDesktopRes0", ValueKind::Empty)) << "the first lookup leaves an Empty entry";

    root.Get("UseDesktopRes2") = NodeValue(int32_t{0});
    EXPECT_EQ(&root.GetOr(L"UseDesktopRes2", L"UseDesktopRes"), &root.Get("UseDesktopRes2"));
    root.Get("Name1") = NodeValue(std::wstring());
    EXPECT_EQ(&root.GetOr("Name1", "UseDesktopRes"), &root.Get("Name1")) << "an empty String is not Empty";
}

TEST(SettingsTree, ReadersGiveTheirSlotOnlyForTheirKind) {
    NodeValue integer(int32_t{-42});
    NodeValue real(2.5f);
    NodeValue text(std::wstring(L"de"));
    NodeValue child(std::make_unique<Node>());
    NodeValue empty;
    EXPECT_EQ(integer.AsInteger(), -42);
    EXPECT_EQ(real.AsFloat(), 2.5f);
    EXPECT_EQ(text.AsText(), L"de");
    EXPECT_NE(child.AsNode(), nullptr);
    for (const NodeValue* v : {&real, &text, &child, &empty})
        EXPECT_EQ(v->AsInteger(), 0);
    for (const NodeValue* v : {&integer, &text, &child, &empty})
        EXPECT_EQ(v->AsFloat(), 0.0f);
    for (const NodeValue* v : {&integer, &real, &child, &empty})
        EXPECT_EQ(v->AsText(), L"");
    for (const NodeValue* v : {&integer, &real, &text, &empty})
        EXPECT_EQ(v->AsNode(), nullptr);
    EXPECT_EQ(NodeValue(std::unique_ptr<Node>()).AsNode() != nullptr, true) << "a subtree always has a node";

    // Assigning a new value replaces every field: the old slots do not shine through.
    Node root;
    root.Get("v") = NodeValue(int32_t{5});
    root.Get("v") = NodeValue(std::wstring(L"x"));
    EXPECT_EQ(root.Get("v").AsInteger(), 0);
    root.Get("v") = NodeValue(int32_t{5});
    EXPECT_EQ(root.Get("v").AsText(), L"");
    root.Get("s/t") = NodeValue(int32_t{1});
    root.Get("s") = NodeValue(3.0f);
    EXPECT_EQ(root.Get("s").AsNode(), nullptr);
    EXPECT_FALSE(root.Has(L"s/t", ValueKind::Integer));
}

TEST(SettingsTree, NamesSortByUtf16CodeUnitsCaseSensitively) {
    Node root;
    // U+E000 sorts after U+10000, whose first UTF-16 code unit is the surrogate D800; U+00E9 after "z".
    const std::wstring supplementary = qm::WideFromUtf8("\xF0\x90\x80\x80");
    const std::wstring privateUse = qm::WideFromUtf8("\xEE\x80\x80");
    for (const std::wstring& name :
         {std::wstring(L"b"), std::wstring(L"B"), std::wstring(L"a"), std::wstring(L"ab"),
          std::wstring(L"\u00e9"), std::wstring(L"z"), privateUse, supplementary, std::wstring(L"")})
        root.Get(name) = NodeValue(int32_t{1});
    const std::vector<std::wstring> expected = {L"",  L"B",      L"a",          L"ab",     L"b",
                                                L"z", L"\u00e9", supplementary, privateUse};
    EXPECT_EQ(NamesInOrder(root), expected);
}

TEST(SettingsTree, NarrowPathsAreUtf8) {
    Node root;
    root.Get("Gr\xC3\xBC\xC3\x9F"
             "e/x") = NodeValue(int32_t{3});
    EXPECT_TRUE(root.Has(L"Gr\u00fc\u00dfe/x", ValueKind::Integer));
    // Bad bytes become U+FFFD each, and reading goes on after them.
    EXPECT_EQ(qm::WideFromUtf8("a\xFF"
                               "b\xC3"),
              std::wstring(L"a\uFFFDb\uFFFD"));
    EXPECT_EQ(qm::WideFromUtf8("\xED\xA0\x80"
                               "c"),
              std::wstring(L"\uFFFDc"))
        << "an encoded surrogate is bad";
    EXPECT_EQ(qm::WideFromUtf8("\xC0\xAF"), std::wstring(L"\uFFFD")) << "an overlong form is bad";
    const std::wstring four = qm::WideFromUtf8("\xF0\x9F\x98\x80");
    if (sizeof(wchar_t) == 2) {
        ASSERT_EQ(four.size(), 2u);
        EXPECT_EQ(static_cast<unsigned>(four[0]), 0xD83Du);
        EXPECT_EQ(static_cast<unsigned>(four[1]), 0xDE00u);
    } else {
        ASSERT_EQ(four.size(), 1u);
        EXPECT_EQ(static_cast<unsigned>(four[0]), 0x1F600u);
    }
    EXPECT_EQ(qm::WideFromUtf8(nullptr), L"");
}
