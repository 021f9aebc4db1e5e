// Storing through an elevated instance of this program, for a user whose token cannot write the settings
// key under HKEY_LOCAL_MACHINE but who can become administrator (an administrator's filtered token): the
// Windows way, one elevation prompt and the save is done.
//
// The values travel in a file in the user's temporary folder, named on the elevated instance's command
// line (launcher/elevated_store): the request may be megabytes (the playlist), more than a command line
// holds, and a file of the user's own is what the user's elevated instance can read.
#pragma once

#include "settings/store_request.h"

#include <windows.h>

#include <functional>
#include <string>

namespace qm {

// The key cannot be written, but the user can elevate: OK carries the shield.
bool SaveNeedsElevation();

// After the dialog's own write failed: stores through the elevated instance when the user can elevate.
// The error box (owned by owner) when nothing else has said why the values are not stored; nothing for a
// refused prompt. True when the values are stored.
bool StoreAfterFailedWrite(HWND owner, const StoreRequest& request);

// Tests replace the token's elevation type and the elevated start: run gets the parameters of the
// elevated instance's command line and returns ERROR_SUCCESS once it has ended, ERROR_CANCELLED for a
// refused prompt, or another error. Empty functions restore the real ones.
void SetElevationForTesting(std::function<TOKEN_ELEVATION_TYPE()> type,
                            std::function<DWORD(const std::wstring& parameters)> run);

} // namespace qm
