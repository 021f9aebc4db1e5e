// Loads a DLL from the Windows system directory only, never from the program's folder or the current
// directory, so that a same-named DLL planted beside the program is never run.
#pragma once

#include "platform/unique_handle.h"

namespace qm {

UniqueModule LoadSystemLibrary(const wchar_t* fileName);

// An export of a loaded module as a typed function pointer; null when the module or the export is missing.
template <typename Function> Function ExportOf(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}
template <typename Function> Function ExportOf(const UniqueModule& module, const char* name) {
    return ExportOf<Function>(module.get(), name);
}

} // namespace qm
