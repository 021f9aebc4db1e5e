// Decoding of the screensaver command line into a mode and a host window. Portable: no Windows headers.
#pragma once

#include <cstdint>

namespace qm {

enum class ScreensaverMode : int { Configure = 0, Preview = 1, Run = 2, Test = 3, ChangePassword = 4 };

struct ScreensaverCommand {
    ScreensaverMode mode = ScreensaverMode::Configure;
    int32_t hostWindow = 0;
};

// Takes the whole command line, program name first, as the system gives it. Every input decodes.
ScreensaverCommand ParseCommandLine(const wchar_t* commandLine);

} // namespace qm
