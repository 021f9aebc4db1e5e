// Single-value registry access. The keys shared with the 64-bit main program must be the same keys on
// 32-bit and 64-bit Windows, from the 32-bit and the 64-bit file alike, so every access names its view.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

// True when this 32-bit process runs on 64-bit Windows.
bool IsRunningUnderWow64();

// The two registry views of 64-bit Windows, named for what they hold, not for the process's bitness.
// Bit64 holds the keys shared with the 64-bit main program; Bit32 is where the 32-bit installer records
// its uninstall keys. On 32-bit Windows there is one view and both name it.
enum class RegistryView { Bit64, Bit32 };

// The access mask with the flag that reaches the view. Each flavour of the program reaches the same keys:
// the 32-bit file adds KEY_WOW64_64KEY for Bit64 under WOW64 and nothing for Bit32 (its own view); the
// 64-bit file adds KEY_WOW64_32KEY for Bit32.
REGSAM WithView(REGSAM access, RegistryView view);

// Reads one REG_SZ value: S_OK and the characters up to the first NUL, or E_FAIL with text unchanged
// (missing key or value, another type, zero bytes of data).
HRESULT RegReadString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                      std::wstring& text, RegistryView view);

// Writes one REG_SZ value (creating the key), without a terminating NUL, and flushes the key.
HRESULT RegWriteString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                       const std::wstring& text, RegistryView view);

} // namespace qm
