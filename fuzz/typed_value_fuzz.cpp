// Arbitrary registry data as typed value text: reading must never fail, and whatever is read must be
// written back in a form that reads as the same value. Any float's text is what the C library's "%f"
// writes.
#include "settings/typed_value.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void CheckAgainstPercentF(float f) {
    if (std::isnan(f)) return;
    char expected[400];
    const int length = std::snprintf(expected, sizeof expected, "1: %f", static_cast<double>(f));
    if (length <= 0 || qm::MakeTypedValueText(qm::NodeValue(f)) != std::wstring(expected, expected + length))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes per UTF-16 code unit, as the registry holds them.
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    qm::ScanInteger(text);
    if (std::optional<float> scanned = qm::ScanFloat(text)) CheckAgainstPercentF(*scanned);
    if (size >= sizeof(float)) {
        float raw;
        std::memcpy(&raw, data, sizeof raw);
        CheckAgainstPercentF(raw);
    }

    std::optional<qm::NodeValue> value = qm::ReadTypedValueText(text);
    if (!value) return 0;
    std::optional<std::wstring> made = qm::MakeTypedValueText(*value);
    if (!made) {
        if (value->kind() != qm::ValueKind::String || !value->AsText().empty()) __builtin_trap();
        return 0;
    }
    std::optional<qm::NodeValue> again = qm::ReadTypedValueText(*made);
    if (!again || again->kind() != value->kind()) __builtin_trap();
    switch (value->kind()) {
    case qm::ValueKind::Integer:
        if (again->AsInteger() != value->AsInteger()) __builtin_trap();
        break;
    case qm::ValueKind::String:
        if (again->AsText() != value->AsText()) __builtin_trap();
        break;
    case qm::ValueKind::Float: {
        // Six decimals may round a value; the rounded one must then stay as it is.
        std::optional<std::wstring> twice = qm::MakeTypedValueText(*again);
        if (!twice || *twice != *made) __builtin_trap();
        break;
    }
    default:
        __builtin_trap();
    }
    return 0;
}
