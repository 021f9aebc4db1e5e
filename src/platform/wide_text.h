// Wide text as the program keeps it: UTF-16 where wchar_t has 16 bits (Windows), whole code points where
// it has 32 (the native build). Portable; needs no windows.h.
#pragma once

#include <string>

namespace qm {

// Appends one Unicode code point, as a surrogate pair where wchar_t has 16 bits and the point needs two.
inline void AppendCodePoint(char32_t code, std::wstring& out) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (code > 0xFFFF) {
            code -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (code >> 10));
            out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(code);
}

} // namespace qm
