// Loads a DLL from the Windows system directory only, never from the program's folder or the current
// directory, so that a same-named DLL planted beside the program is never run.
#pragma once

#include "platform/unique_handle.h"

namespace qm {

UniqueModule LoadSystemLibrary(const wchar_t* fileName);

// From now on every DLL this process loads without a full path, the ones that system DLLs load on their
// own among them, comes from the system folder alone, not from the program's folder (where Windows has
// SetDefaultDllDirectories: Windows 8, and 7 with KB2533623). False where it does not.
bool SearchSystemFolderOnly();

// The two roads, for the tests: with LOAD_LIBRARY_SEARCH_SYSTEM32 where the system has it, else by the
// full path in the system folder.
bool SystemFolderSearchAvailable();
UniqueModule LoadSystemLibrary(const wchar_t* fileName, bool useSearchFlag);

// An export of a loaded module as a typed function pointer; null when the module or the export is missing.
template <typename Function> Function ExportOf(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}
template <typename Function> Function ExportOf(const UniqueModule& module, const char* name) {
    return ExportOf<Function>(module.get(), name);
}

} // namespace qm
