// The error box of a failed registry write (the settings or the playlist), in the dialogs' language.
#pragma once

#include <windows.h>

namespace qm {

// Modal, owned by owner; says that writing to the registry failed and that administrative rights are
// needed. Returns when the user has closed it.
void ShowRegistryWriteError(HWND owner);

} // namespace qm
