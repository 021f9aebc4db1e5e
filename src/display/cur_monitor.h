// Which Direct3D adapter the stored "CurMonitor" setting names, for the video memory question.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

// text: the stored typed value text, or null when it could not be read. The two-character type
// prefix is dropped and the rest read as a decimal number; anything out of range selects adapter 0.
uint32_t AdapterIndexFromCurMonitor(const std::wstring* text, uint32_t adapterCount);

} // namespace qm
