#include "settings/registry.h"

#include "platform/system_library.h"
#include "platform/unique_handle.h"

#include <vector>

namespace qm {

bool IsRunningUnderWow64() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32");
    using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    auto getNativeSystemInfo = ExportOf<GetNativeSystemInfoFn>(kernel, "GetNativeSystemInfo");
    if (!getNativeSystemInfo) return false;
    SYSTEM_INFO info{};
    getNativeSystemInfo(&info);

    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64Process = ExportOf<IsWow64ProcessFn>(kernel, "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

REGSAM WithView(REGSAM access, RegistryView view) {
#ifdef _WIN64
    return view == RegistryView::Bit32 ? access | KEY_WOW64_32KEY : access;
#else
    // Asked once: the answer cannot change while the process runs.
    static const bool underWow64 = IsRunningUnderWow64();
    return view == RegistryView::Bit64 && underWow64 ? access | KEY_WOW64_64KEY : access;
#endif
}

HRESULT RegReadString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                      std::wstring& text, RegistryView view) {
    UniqueRegKey key;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, WithView(KEY_READ, view), key.put()) != ERROR_SUCCESS)
        return E_FAIL;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return E_FAIL;
    // An empty value reads as absent, and so does a single stray byte, which holds no whole character.
    if (size < sizeof(wchar_t)) return E_FAIL;
    // Only whole characters count, but the buffer holds every stored byte: a stray odd byte at the end
    // must neither overrun the buffer nor make the characters before it unreadable.
    std::vector<wchar_t> buffer((size + 1) / sizeof(wchar_t));
    DWORD bytes = size;
    if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return E_FAIL;
    const size_t count = bytes / sizeof(wchar_t);
    size_t length = 0;
    while (length < count && buffer[length] != L'\0')
        ++length;
    std::wstring result(buffer.data(), length);
    if (::RegCloseKey(key.release()) != ERROR_SUCCESS) return E_FAIL;
    text = std::move(result);
    return S_OK;
}

HRESULT RegWriteString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                       const std::wstring& text, RegistryView view) {
    UniqueRegKey key;
    if (::RegCreateKeyExW(root, subKey.c_str(), 0, const_cast<wchar_t*>(L""), REG_OPTION_NON_VOLATILE,
                          WithView(KEY_SET_VALUE, view), nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    if (::RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                         static_cast<DWORD>(text.size() * sizeof(wchar_t))) != ERROR_SUCCESS)
        return E_FAIL;
    ::RegFlushKey(key.get());
    return S_OK;
}

} // namespace qm
