// Decoding of the screensaver command line into a mode and a host window. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

// StoreElevated: the program's own switch for its elevated instance, which writes the settings that an
// unelevated settings dialog could not (never given by the system).
enum class ScreensaverMode : int {
    Configure = 0,
    Preview = 1,
    Run = 2,
    Test = 3,
    ChangePassword = 4,
    StoreElevated = 5
};

// The StoreElevated switch, followed by one blank, the request's seal (its SHA-256 as 64 hexadecimal
// digits), one blank and the request file's path (quoted or not).
inline constexpr wchar_t kElevatedStoreSwitch[] = L"/store-elevated";
inline constexpr std::size_t kSealDigits = 64;

struct ScreensaverCommand {
    ScreensaverMode mode = ScreensaverMode::Configure;
    int32_t hostWindow = 0;
    std::wstring argument; // StoreElevated: the request file
    std::wstring seal;     // StoreElevated: the seal, empty when the command line has none
};

// Takes the whole command line, program name first, as the system gives it. Every input decodes.
ScreensaverCommand ParseCommandLine(const wchar_t* commandLine);

} // namespace qm
