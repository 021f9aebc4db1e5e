#include "display/cur_monitor.h"

namespace qm {

uint32_t AdapterIndexFromCurMonitor(const std::wstring* text, uint32_t adapterCount) {
    if (!text || text->size() < 2 || adapterCount == 0) return 0;
    // The runtime's decimal conversion: leading blanks, an optional sign, digits up to the first other
    // character. Saturating keeps a huge number huge, so it is out of range rather than wrapped into it.
    size_t i = 2;
    while (i < text->size() && ((*text)[i] == L' ' || ((*text)[i] >= L'\t' && (*text)[i] <= L'\r')))
        ++i;
    bool negative = false;
    if (i < text->size() && ((*text)[i] == L'+' || (*text)[i] == L'-')) negative = (*text)[i++] == L'-';
    uint64_t value = 0;
    for (; i < text->size() && (*text)[i] >= L'0' && (*text)[i] <= L'9'; ++i)
        if (value <= 0xFFFFFFFFull) value = value * 10 + static_cast<uint64_t>((*text)[i] - L'0');
    if (negative && value != 0) return 0; // a negative index, taken as unsigned, is out of range
    if (value > adapterCount - 1u) return 0;
    return static_cast<uint32_t>(value);
}

} // namespace qm
