#include "platform/system_library.h"

#include <string>

namespace qm {

bool SystemFolderSearchAvailable() {
    // Documented test for LOAD_LIBRARY_SEARCH_SYSTEM32: it exists exactly where kernel32 exports
    // AddDllDirectory (Windows 8, and Windows 7 with KB2533623).
    return ExportOf<void (*)()>(::GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
}

UniqueModule LoadSystemLibrary(const wchar_t* fileName, bool useSearchFlag) {
    if (useSearchFlag) return UniqueModule(::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    // Without the flag: the full path in the system folder, so no other folder is searched.
    wchar_t dir[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(dir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return UniqueModule();
    std::wstring path(dir, length);
    path += L'\\';
    path += fileName;
    return UniqueModule(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

bool SearchSystemFolderOnly() {
    auto setDefault =
        ExportOf<BOOL(WINAPI*)(DWORD)>(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    return setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
    static const bool useSearchFlag = SystemFolderSearchAvailable();
    return LoadSystemLibrary(fileName, useSearchFlag);
}

} // namespace qm
