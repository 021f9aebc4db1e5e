// Arbitrary code units as a command line: decoding must never read past the terminator or fail.
#include "launcher/command_line.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes per UTF-16 code unit, as the system would pass them.
    std::vector<wchar_t> line(size / 2 + 1, L'\0');
    for (size_t i = 0; i + 1 < size; i += 2)
        line[i / 2] = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    qm::ScreensaverCommand command = qm::ParseCommandLine(line.data());
    if (command.hostWindow < 0) __builtin_trap();
    if (static_cast<int>(command.mode) < 0 || static_cast<int>(command.mode) > 4) __builtin_trap();
    return 0;
}
