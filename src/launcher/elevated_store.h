// The program's own mode "/store-elevated SEAL FILE": the elevated instance that the settings dialog or the
// playlist editor starts to write what the user's token could not. It runs with administrator rights on a
// file that an unprivileged process wrote, so it takes the file only when its bytes match the seal (their
// SHA-256, on the command line the elevated start was given), and trusts nothing in it (see
// DecodeStoreRequest): it writes only the settings key's known values, each within what the dialog gives.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

// How the elevated instance ends: its process's exit code, read by the dialog that started it.
enum ElevatedStoreExit : DWORD {
    kElevatedStored = 0,    // every value of the request is written
    kRequestUnreadable = 2, // no disk file of that name could be read whole
    kRequestRefused = 3,    // the file does not match its seal, or is not a valid request
    kRequestNotWritten = 4, // valid, but a value could not be written
};

// Reads, checks and writes the request; shows nothing.
ElevatedStoreExit RunElevatedStore(const std::wstring& requestFile, const std::wstring& seal);

} // namespace qm
