// The program's own mode "/store-elevated FILE": the elevated instance that the settings dialog or the
// playlist editor starts to write what the user's token could not. It runs with administrator rights on a
// file that an unprivileged process wrote, so it trusts nothing in it (see DecodeStoreRequest) and writes
// only the settings key's known values.
#pragma once

#include <string>

namespace qm {

// Reads the request file, and when all of it is valid writes it; the error box when the write fails.
// Nothing else shows.
void RunElevatedStore(const std::wstring& requestFile);

} // namespace qm
