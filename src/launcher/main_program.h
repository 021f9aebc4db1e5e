// Where the separately installed main program lives, and the command lines it is started with.
#pragma once

#include <string>

namespace qm {

// Full path of the main program: the recorded install directories, then Program Files, then the current
// directory; the first that exists. Empty when none does.
std::wstring FindMainProgram();

// The install directory as recorded in the registry ("AppPath", else the installer's InstallLocation),
// or empty.
std::wstring ReadInstallDirectory();

// The Run entry that starts the main program as an animated wallpaper at logon: the quoted program path
// in the recorded install directory followed by " /w". Empty when no install directory is recorded.
std::wstring BuildAutostartCommand();

} // namespace qm
