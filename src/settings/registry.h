// Single-value registry access. The keys shared with the 64-bit main program must be the same keys on
// 32-bit and 64-bit Windows, so every access says whether it wants the 64-bit view.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

// True when this 32-bit process runs on 64-bit Windows.
bool IsRunningUnderWow64();

// The access mask with KEY_WOW64_64KEY added when the 64-bit view is asked for and we run under WOW64.
REGSAM WithView(REGSAM access, bool use64BitView);

// Reads one REG_SZ value: S_OK and the characters up to the first NUL, or E_FAIL with text unchanged
// (missing key or value, another type, zero bytes of data).
HRESULT RegReadString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                      std::wstring& text, bool use64BitView);

// Writes one REG_SZ value (creating the key), without a terminating NUL, and flushes the key.
HRESULT RegWriteString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                       const std::wstring& text, bool use64BitView);

} // namespace qm
