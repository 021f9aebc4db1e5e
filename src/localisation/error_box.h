// The error box of a failed registry write (the settings or the playlist), in the dialogs' language.
#pragma once

#include <windows.h>

namespace qm {

// Modal, owned by owner; says that writing to the registry failed and that administrative rights are
// needed. Returns when the user has closed it.
void ShowRegistryWriteError(HWND owner);

// Why the instance started with administrative rights did not store the settings.
enum class StoreFailure { NotWritten, Unreadable, Refused };

// The same box for each failure: the registry error box when the values could not be written, else what
// happened to them.
void ShowStoreError(HWND owner, StoreFailure failure);

} // namespace qm
