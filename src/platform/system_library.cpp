#include "platform/system_library.h"

#include <string>

namespace qm {

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
    HMODULE module = ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module) return UniqueModule(module);
    // Systems without the search flags (before KB2533623) refuse it: build the full path instead.
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return UniqueModule();
    wchar_t dir[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(dir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return UniqueModule();
    std::wstring path(dir, length);
    path += L'\\';
    path += fileName;
    return UniqueModule(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

} // namespace qm
