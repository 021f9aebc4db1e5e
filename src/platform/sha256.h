// SHA-256 through the system's own cryptography (the CNG primitives of bcrypt.dll, loaded from the system
// folder), for sealing what one process hands another.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace qm {

// The digest of the bytes as 64 lower-case hexadecimal digits; nothing when the system cannot hash.
std::optional<std::wstring> Sha256Hex(const void* bytes, std::size_t count);

} // namespace qm
