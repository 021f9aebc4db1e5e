// Raw registry access for the settings tree tests: values written and read byte for byte, key names,
// and keys whose access is denied.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qmtest {

// Writes exactly the given code units (no terminator added) with the given type; creates the key.
// view: 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY.
bool SetRawValue(HKEY root, const std::wstring& subKey, const std::wstring& name, const std::wstring& data,
                 DWORD type = REG_SZ, REGSAM view = 0);

struct RawValue {
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring text; // up to the first NUL
};
std::optional<RawValue> ReadRawValue(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                     REGSAM view = 0);

std::vector<std::wstring> ValueNamesOf(HKEY root, const std::wstring& subKey);
bool KeyExists(HKEY root, const std::wstring& subKey);

// Replaces the key's access list (in the 64-bit view) with one that denies the given rights to everyone,
// until destroyed, when the key's own list is put back.
class DeniedKey {
  public:
    DeniedKey(HKEY root, const std::wstring& subKey, REGSAM denied);
    ~DeniedKey();
    DeniedKey(const DeniedKey&) = delete;
    DeniedKey& operator=(const DeniedKey&) = delete;
    bool applied() const { return applied_; }

  private:
    HKEY key_ = nullptr;
    bool applied_ = false;
    std::vector<BYTE> original_; // the key's own access list, as a self-relative descriptor
};

} // namespace qmtest
