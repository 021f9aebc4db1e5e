// Loads a DLL from the Windows system directory only, never from the program's folder or the current
// directory, so that a same-named DLL planted beside the program is never run.
#pragma once

#include "platform/unique_handle.h"

namespace qm {

UniqueModule LoadSystemLibrary(const wchar_t* fileName);

} // namespace qm
