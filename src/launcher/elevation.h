// Storing through an elevated instance of this program, for a user whose token cannot write the settings
// key under HKEY_LOCAL_MACHINE but who can become administrator: an administrator's filtered token, with
// one consent prompt, or a standard user's, with an administrator's credentials where policy allows it.
//
// The values travel in a file in the user's temporary folder, named on the elevated instance's command
// line with their seal (launcher/elevated_store): the request may be megabytes (the playlist), more than a
// command line holds, and a file of the user's own is what the elevated instance can read.
#pragma once

#include "settings/store_request.h"

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

namespace qm {

// The key cannot be written, but the user can elevate: OK carries the shield.
bool SaveNeedsElevation();

// After the dialog's own write failed: stores through the elevated instance when the user can elevate,
// asking with window, which must be visible and in front. One error box, owned by window, says why the
// values are not stored (the elevated instance could not read them, refused them, or could not write
// them); nothing for a declined prompt. True when the values are stored.
bool StoreAfterFailedWrite(HWND window, const StoreRequest& request);

// How an elevated start ended: ERROR_SUCCESS with the process's exit code once it has ended,
// ERROR_CANCELLED for a declined prompt, or another error.
struct ElevatedRun {
    DWORD error;
    DWORD exitCode;
};

// Tests replace the token's elevation type and the elevated start, which gets what the system would be
// given (the window, the verb, the class, the parameters). Empty functions restore the real ones.
void SetElevationForTesting(std::function<TOKEN_ELEVATION_TYPE()> type,
                            std::function<ElevatedRun(const SHELLEXECUTEINFOW& start)> run);

} // namespace qm
