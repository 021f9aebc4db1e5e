// The typed value text: how one leaf of the settings tree is kept in a REG_SZ value, as the kind code,
// ": " and the value ("2: 40", "1: 2.500000", "3: de"). Making and reading one such text.
#pragma once

#include "settings/node.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The text to store for a leaf, or nothing for what is never written (Empty, empty String, Subtree).
std::optional<std::wstring> MakeTypedValueText(const NodeValue& value);

// Reads stored data (code units; reading stops at the first NUL). Nothing when the data does not begin
// with exactly "1: ", "2: " or "3: ". A number that does not scan reads as 0.
std::optional<NodeValue> ReadTypedValueText(std::wstring_view data);

// The number scanners, with the rules of the C conversions "%i" and "%f" (longest valid prefix).
// Integers wrap modulo 2^32 as the 32-bit runtime's scanner does; nothing when no digit scans.
std::optional<int32_t> ScanInteger(std::wstring_view text);
std::optional<float> ScanFloat(std::wstring_view text);

} // namespace qm
