// Whether something (a file or a folder) exists under a path, as the system's attribute query says.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

// A path with an embedded NUL names nothing: the system would see only the part before it.
inline bool PathExists(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) return false;
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace qm
