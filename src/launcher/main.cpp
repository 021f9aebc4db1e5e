// Entry point of the screensaver file: decode the command line the system started us with, run that
// one mode, end with its exit code (0 but for the elevated instance's own mode).
#include "launcher/command_line.h"
#include "launcher/modes.h"
#include "platform/system_library.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything else loads: a .scr run from a folder others can write to (Downloads, a share) must
    // not load a DLL planted there, least of all as the elevated instance.
    qm::SearchSystemFolderOnly();
    // The arguments given here are ignored: the whole command line decides.
    return qm::RunScreensaverMode(instance, qm::ParseCommandLine(::GetCommandLineW()));
}
