// Entry point of the screensaver file: decode the command line the system started us with, run that
// one mode, end with exit code 0.
#include "launcher/command_line.h"
#include "launcher/modes.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The arguments given here are ignored: the whole command line decides.
    qm::RunScreensaverMode(instance, qm::ParseCommandLine(::GetCommandLineW()));
    return 0;
}
