// The bytes of one of a module's own resources.
#pragma once

#include <windows.h>

#include <string_view>

namespace qm {

// Empty when the resource is missing. A loaded resource stays mapped as long as its module, so the view
// needs no release (FreeResource does nothing on 32-bit Windows).
inline std::string_view ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC found = ::FindResourceW(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(module, found);
    const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    return bytes ? std::string_view(bytes, ::SizeofResource(module, found)) : std::string_view();
}

} // namespace qm
