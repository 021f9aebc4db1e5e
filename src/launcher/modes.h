// The screensaver modes and the dispatch from a decoded command line to one of them.
#pragma once

#include "launcher/command_line.h"

#include <windows.h>

namespace qm {

// Carries out the one mode of the command and returns the process's exit code: 0, but for the elevated
// instance's own mode, whose code says what it stored (see ElevatedStoreExit).
int RunScreensaverMode(HINSTANCE instance, const ScreensaverCommand& command);

// The mode handlers.
void RunConfigure(HWND owner); // settings dialog, modal, owned by owner (none when null)
void RunPreview(HWND host);    // preview picture inside host until host destroys it
void LaunchMainProgram();      // find, start and wait for the main program
void ChangePassword();         // legacy password change through the system's MPR.DLL

} // namespace qm
