// Making and reading the typed value text of one stored setting.
#include "settings/typed_value.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

using qm::MakeTypedValueText;
using qm::NodeValue;
using qm::ReadTypedValueText;
using qm::ValueKind;

namespace {

struct IntegerCase {
    std::wstring data;
    int32_t expected;
};
struct FloatCase {
    std::wstring data;
    float expected;
};
struct TextCase {
    std::wstring data;
    std::wstring expected;
};

} // namespace

TEST(TypedValueText, IntegersScanLikePercentI) {
    const IntegerCase cases[] = {
        {L"2: 40", 40},
        {L"2: 0x10", 16},
        {L"2: 0X1f", 31},
        {L"2: 010", 8},
        {L"2: -5", -5},
        {L"2: +7", 7},
        {L"2: 08", 0},
        {L"2: 0x", 0},
        {L"2: 0xg", 0},
        {L"2: -0x10", -16},
        {L"2: 12abc", 12},
        {L"2: 2147483647", 2147483647},
        {L"2: -2147483648", std::numeric_limits<int32_t>::min()},
        {L"2: 4294967295", -1},
        {L"2: 4294967296", 0},
        {L"2: 0xFFFFFFFF", -1},
        {L"2:    \t 9", 9},
        {L"2: 5\t77", 5},
        // No digits at all: stored as an Integer 0, not left undefined.
        {L"2: abc", 0},
        {L"2: ", 0},
        {L"2: -", 0},
        {L"2: - 5", 0},
        {L"2: \t", 0},
    };
    for (const auto& c : cases) {
        auto value = ReadTypedValueText(c.data);
        ASSERT_TRUE(value.has_value()) << c.data.size();
        EXPECT_EQ(value->kind(), ValueKind::Integer);
        EXPECT_EQ(value->AsInteger(), c.expected)
            << "case of " << c.data.size() << " chars, expected " << c.expected;
    }
}

TEST(TypedValueText, FloatsScanLikePercentF) {
    const float inf = std::numeric_limits<float>::infinity();
    const FloatCase cases[] = {
        {L"1: 2.5", 2.5f},
        {L"1: 2.500000", 2.5f},
        {L"1: -0.25", -0.25f},
        {L"1: +3", 3.0f},
        {L"1: .5", 0.5f},
        {L"1: 5.", 5.0f},
        {L"1: 1e3", 1000.0f},
        {L"1: 1E-2", 0.01f},
        {L"1: 1e", 1.0f},
        {L"1: 1.5x", 1.5f},
        {L"1: 0x1p3", 8.0f},
        {L"1: 1e40", inf},
        {L"1: -1e40", -inf},
        {L"1: 1e-60", 0.0f},
        {L"1: inf", inf},
        {L"1: -Infinity", -inf},
        {L"1: 0.1", 0.1f},
        {L"1: x", 0.0f},
        {L"1: ", 0.0f},
        {L"1: .", 0.0f},
        {L"1: 123456789012345678901234567890123456789012345678901234567890", inf},
        {L"1: 0.000000000000000000000000000000000000000000000000000000000000001", 0.0f},
        {L"1: 1e-400", 0.0f},
        {L"1: 1e400", inf},
        {L"1: 0x1p200", inf},
        {L"1: -0x1ep-2000", -0.0f},
        {L"1: 0x1ep2000", inf},
        {L"1: 0xg", 0.0f},
    };
    for (const auto& c : cases) {
        auto value = ReadTypedValueText(c.data);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->kind(), ValueKind::Float);
        EXPECT_EQ(value->AsFloat(), c.expected) << "case of " << c.data.size() << " chars";
    }
    auto nan = ReadTypedValueText(L"1: nan");
    ASSERT_TRUE(nan.has_value());
    EXPECT_TRUE(std::isnan(nan->AsFloat()));
}

TEST(TypedValueText, StringsSkipLeadingSpaceAndEndAtTabOrNul) {
    const TextCase cases[] = {
        {L"3: de", L"de"},
        {L"3:     de", L"de"},
        {L"3: a b ", L"a b "},
        {L"3: a\tb", L"a"},
        {L"3: \t\n x", L"x"},
        {L"3: ", L""},
        {L"3:    ", L""},
        {L"3: \t", L""},
        {std::wstring(L"3: ab\0cd", 8), L"ab"},
        {L"3: 2: 5", L"2: 5"},
        {L"3: \u00fcber", L"\u00fcber"},
    };
    for (const auto& c : cases) {
        auto value = ReadTypedValueText(c.data);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->kind(), ValueKind::String);
        EXPECT_EQ(value->AsText(), c.expected);
    }
}

TEST(TypedValueText, OnlyTheThreeExactPrefixesAreRead) {
    for (const std::wstring& data :
         {std::wstring(L"2:5"), std::wstring(L"4: 1"), std::wstring(L"0: 1"), std::wstring(L" 2: 1"),
          std::wstring(L"2;"), std::wstring(L"3:"), std::wstring(L""), std::wstring(L"2: ").substr(0, 2),
          std::wstring(L"C:\\Program Files\\x"), std::wstring(L"2:\t5"), std::wstring(L"12: 5"),
          std::wstring(L"\0"
                       L"2: 5",
                       5),
          std::wstring(L"\uff12: 5")})
        EXPECT_FALSE(ReadTypedValueText(data).has_value()) << "text of " << data.size() << " chars";
}

TEST(TypedValueText, MadeAsTheCFormatsWrite) {
    EXPECT_EQ(MakeTypedValueText(NodeValue(int32_t{15})), L"2: 15");
    EXPECT_EQ(MakeTypedValueText(NodeValue(int32_t{-5})), L"2: -5");
    EXPECT_EQ(MakeTypedValueText(NodeValue(std::numeric_limits<int32_t>::min())), L"2: -2147483648");
    EXPECT_EQ(MakeTypedValueText(NodeValue(2.5f)), L"1: 2.500000");
    EXPECT_EQ(MakeTypedValueText(NodeValue(-0.1f)), L"1: -0.100000");
    EXPECT_EQ(MakeTypedValueText(NodeValue(1e-7f)), L"1: 0.000000");
    EXPECT_EQ(MakeTypedValueText(NodeValue(16777216.0f)), L"1: 16777216.000000");
    EXPECT_EQ(MakeTypedValueText(NodeValue(std::numeric_limits<float>::max())),
              L"1: 340282346638528859811704183484516925440.000000");
    EXPECT_EQ(MakeTypedValueText(NodeValue(std::numeric_limits<float>::infinity())), L"1: inf");
    EXPECT_EQ(MakeTypedValueText(NodeValue(std::numeric_limits<float>::quiet_NaN())), L"1: nan");
    EXPECT_EQ(MakeTypedValueText(NodeValue(std::wstring(L"de"))), L"3: de");
    EXPECT_EQ(MakeTypedValueText(NodeValue(std::wstring(L" x\ty"))), L"3:  x\ty");

    // Never written: Empty, the empty String and a subtree (which becomes a subkey instead).
    EXPECT_FALSE(MakeTypedValueText(NodeValue()).has_value());
    EXPECT_FALSE(MakeTypedValueText(NodeValue(std::wstring())).has_value());
    EXPECT_FALSE(MakeTypedValueText(NodeValue(std::make_unique<qm::Node>())).has_value());
}

// The float text is made without the C library; it must still be exactly what its "%f" writes.
TEST(TypedValueText, FloatsAreWrittenAsTheCLibraryWritesPercentF) {
    auto check = [](float f) {
        char expected[400];
        const int length = std::snprintf(expected, sizeof expected, "1: %f", static_cast<double>(f));
        ASSERT_GT(length, 0);
        EXPECT_EQ(MakeTypedValueText(NodeValue(f)), std::wstring(expected, expected + length))
            << std::bit_cast<uint32_t>(f);
    };
    using limits = std::numeric_limits<float>;
    // Odd multiples of 2^-7 end in a 5 at the seventh decimal: ties, which go to the even digit.
    for (float tie : {1.0f, 3.0f, 5.0f, 7.0f, 127.0f, 129.0f, -3.0f, 1000001.0f, 16777215.0f})
        check(tie / 128.0f);
    for (float f : {0.0f, -0.0f, 1e-7f, -1e-7f, 5e-7f, 0.9999995f, -0.9999995f, 999999.94f, 16777215.0f,
                    1e10f, 3.0e38f, limits::max(), -limits::max(), limits::min(), limits::denorm_min(),
                    -limits::denorm_min(), limits::infinity(), -limits::infinity()})
        check(f);
    // Every exponent and many mantissas of both signs: a prime step through all bit patterns.
    for (uint64_t bits = 0; bits <= 0xFFFFFFFF; bits += 65521) {
        const float f = std::bit_cast<float>(static_cast<uint32_t>(bits));
        if (!std::isnan(f)) check(f);
    }
}

TEST(TypedValueText, WhatIsWrittenReadsBackAsTheSameValue) {
    for (int32_t n : {0, 1, -1, 100, 0x7FFFFFFF, -0x7FFFFFFF - 1}) {
        auto back = ReadTypedValueText(*MakeTypedValueText(NodeValue(n)));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->AsInteger(), n);
    }
    // Six decimals: exact for numbers with few fraction digits and for every large one.
    for (float f : {0.0f, 2.5f, -0.1f, 0.1f, 1234.5678f, 3.0e38f, -16777217.0f}) {
        auto back = ReadTypedValueText(*MakeTypedValueText(NodeValue(f)));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->AsFloat(), f);
    }
    auto back = ReadTypedValueText(*MakeTypedValueText(NodeValue(std::wstring(L"fr"))));
    EXPECT_EQ(back->AsText(), L"fr");
}
