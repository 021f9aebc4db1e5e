#include "settings/typed_value.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qm {

namespace {

// The C locale's white space, which the scanners skip; the same on every platform.
bool IsSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

std::wstring_view SkipSpace(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    return text.substr(i);
}

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return 99;
}

// Appends value in decimal, zero-padded to at least minDigits digits.
void AppendDecimal(std::wstring& out, uint32_t value, size_t minDigits) {
    wchar_t digits[10];
    size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (count < minDigits) out.append(minDigits - count, L'0');
    while (count > 0)
        out += digits[--count];
}

// What "%f" writes for a finite float or an infinity. A float is exactly mantissa * 2^exponent, so the
// exact value rounded to six decimals (to nearest, ties to even, as the C library rounds) follows from
// integer arithmetic alone; the library's general double-to-text conversion and its tables stay out.
std::wstring FixedSixDecimals(float f) {
    const uint32_t bits = std::bit_cast<uint32_t>(f);
    const uint32_t biased = (bits >> 23) & 0xFF;
    const uint32_t fraction = bits & 0x7FFFFF;
    std::wstring text = (bits >> 31) ? L"-" : L"";
    if (biased == 0xFF) return text + L"inf";
    const uint32_t mantissa = biased != 0 ? fraction | 0x800000 : fraction;
    const int exponent = static_cast<int>(biased != 0 ? biased : 1) - 150;

    if (exponent >= 0) {
        // An integer of up to 39 digits: doubled in base 10^9 limbs, least significant first.
        constexpr uint32_t kLimb = 1000000000;
        std::array<uint32_t, 5> limbs{mantissa % kLimb, mantissa / kLimb, 0, 0, 0};
        for (int i = 0; i < exponent; ++i) {
            uint32_t carry = 0;
            for (uint32_t& limb : limbs) {
                const uint32_t doubled = limb * 2 + carry;
                carry = doubled >= kLimb;
                limb = doubled - carry * kLimb;
            }
        }
        size_t top = limbs.size() - 1;
        while (top > 0 && limbs[top] == 0)
            --top;
        AppendDecimal(text, limbs[top], 1);
        while (top > 0)
            AppendDecimal(text, limbs[--top], 9);
        return text + L".000000";
    }

    // The value in millionths is mantissa * 10^6 / 2^shift; the product stays below 2^44.
    const int shift = -exponent;
    const uint64_t scaled = uint64_t{mantissa} * 1000000;
    uint64_t millionths = 0;
    if (shift < 64) {
        millionths = scaled >> shift;
        const uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
        const uint64_t half = uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (millionths & 1))) ++millionths;
    }
    AppendDecimal(text, static_cast<uint32_t>(millionths / 1000000), 1);
    text += L'.';
    AppendDecimal(text, static_cast<uint32_t>(millionths % 1000000), 6);
    return text;
}

// A number that even a double cannot hold: too large (infinity) or too small (zero)? The magnitude's
// exponent is the exponent part plus the position of the first non-zero digit; the sign of that sum
// decides, in decimal and in hexadecimal ("p" exponent) alike.
bool MagnitudeOverflows(const std::string& lexeme, bool hex) {
    long long position = 0;
    bool seenPoint = false, seenNonZero = false;
    size_t i = 0;
    for (; i < lexeme.size(); ++i) {
        const char c = lexeme[i];
        if (c == '.') {
            seenPoint = true;
        } else if (DigitValue(static_cast<wchar_t>(c)) < (hex ? 16 : 10)) {
            if (!seenNonZero && c != '0') seenNonZero = true;
            if (seenNonZero && !seenPoint) ++position;
            if (!seenNonZero && seenPoint) --position;
        } else {
            break;
        }
    }
    long long exponent = 0;
    const char marker = hex ? 'p' : 'e';
    if (i < lexeme.size() && (lexeme[i] == marker || lexeme[i] == marker - 32)) {
        ++i;
        bool negative = false;
        if (i < lexeme.size() && (lexeme[i] == '+' || lexeme[i] == '-')) negative = lexeme[i++] == '-';
        for (; i < lexeme.size() && lexeme[i] >= '0' && lexeme[i] <= '9'; ++i)
            if (exponent < 1000000) exponent = exponent * 10 + (lexeme[i] - '0');
        if (negative) exponent = -exponent;
    }
    return exponent + position > 0;
}

} // namespace

std::optional<int32_t> ScanInteger(std::wstring_view text) {
    text = SkipSpace(text);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    if (i >= text.size() || DigitValue(text[i]) > 9) return std::nullopt;
    uint32_t base = 10;
    if (text[i] == L'0') {
        base = 8;
        if (i + 2 < text.size() && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
            DigitValue(text[i + 2]) < 16) {
            base = 16;
            i += 2;
        }
    }
    // Unsigned arithmetic wraps modulo 2^32, as the 32-bit runtime's own scanner does.
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit >= static_cast<int>(base)) break;
        value = value * base + static_cast<uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

std::optional<float> ScanFloat(std::wstring_view text) {
    text = SkipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == L'+' || text[0] == L'-')) {
        negative = text[0] == L'-';
        text.remove_prefix(1);
    }
    // from_chars reads only ASCII; the number ends at the first other character anyway.
    std::string ascii;
    for (wchar_t c : text) {
        if (c <= 0 || c > 0x7F) break;
        ascii += static_cast<char>(c);
    }
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    std::chars_format format = std::chars_format::general;
    if (ascii.size() > 2 && ascii[0] == '0' && (ascii[1] == 'x' || ascii[1] == 'X') &&
        DigitValue(static_cast<wchar_t>(ascii[2])) < 16) {
        format = std::chars_format::hex;
        begin += 2;
    }
    float value = 0.0f;
    const std::from_chars_result result = std::from_chars(begin, end, value, format);
    if (result.ec == std::errc::invalid_argument) return std::nullopt;
    if (result.ec == std::errc::result_out_of_range) {
        // Too large for a float becomes infinity, too small zero, as the runtime's conversion does.
        double wide = 0.0;
        if (std::from_chars(begin, end, wide, format).ec == std::errc{})
            value = std::fabs(wide) > std::numeric_limits<float>::max()
                        ? std::numeric_limits<float>::infinity()
                        : static_cast<float>(std::fabs(wide));
        else
            value = MagnitudeOverflows(std::string(begin, result.ptr), format == std::chars_format::hex)
                        ? std::numeric_limits<float>::infinity()
                        : 0.0f;
    }
    return negative ? -value : value;
}

std::optional<std::wstring> MakeTypedValueText(const NodeValue& value) {
    switch (value.kind()) {
    case ValueKind::Float: {
        const float f = value.AsFloat();
        if (std::isnan(f)) return std::wstring(L"1: nan");
        return L"1: " + FixedSixDecimals(f);
    }
    case ValueKind::Integer:
        return L"2: " + std::to_wstring(value.AsInteger());
    case ValueKind::String: {
        std::wstring text = value.AsText();
        if (text.empty()) return std::nullopt;
        return L"3: " + text;
    }
    case ValueKind::Subtree:
    case ValueKind::Empty:
        break;
    }
    return std::nullopt;
}

std::optional<NodeValue> ReadTypedValueText(std::wstring_view data) {
    const size_t nul = data.find(L'\0');
    if (nul != std::wstring_view::npos) data = data.substr(0, nul);
    if (data.size() < 3 || data[0] < L'1' || data[0] > L'3' || data[1] != L':' || data[2] != L' ')
        return std::nullopt;
    std::wstring_view text = SkipSpace(data.substr(2));
    text = text.substr(0, text.find(L'\t'));
    switch (data[0]) {
    case L'1':
        return NodeValue(ScanFloat(text).value_or(0.0f));
    case L'2':
        return NodeValue(ScanInteger(text).value_or(0));
    default:
        return NodeValue(std::wstring(text));
    }
}

} // namespace qm
