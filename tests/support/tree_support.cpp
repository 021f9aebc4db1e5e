#include "tree_support.h"

#include <aclapi.h>

namespace qmtest {

bool SetRawValue(HKEY root, const std::wstring& subKey, const std::wstring& name, const std::wstring& data,
                 DWORD type, REGSAM view) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    // A copy followed by a non-NUL code unit, so the system cannot take a terminator along.
    std::vector<wchar_t> buffer(data.begin(), data.end());
    buffer.push_back(L'#');
    const LONG result =
        ::RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(buffer.data()),
                         static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::optional<RawValue> ReadRawValue(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                     REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    std::vector<BYTE> data(70000);
    value.bytes = static_cast<DWORD>(data.size());
    const LONG result =
        ::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, data.data(), &value.bytes);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    const auto* chars = reinterpret_cast<const wchar_t*>(data.data());
    const size_t count = value.bytes / sizeof(wchar_t);
    size_t length = 0;
    while (length < count && chars[length])
        ++length;
    value.text.assign(chars, length);
    return value;
}

std::vector<std::wstring> ValueNamesOf(HKEY root, const std::wstring& subKey) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD length = 16384;
        if (::RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    ::RegCloseKey(key);
    return names;
}

bool KeyExists(HKEY root, const std::wstring& subKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

namespace {

bool SetEveryoneAccess(HKEY key, ACCESS_MODE mode, DWORD rights) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return false;
    EXPLICIT_ACCESSW access[2] = {};
    int count = 0;
    if (mode == DENY_ACCESS) {
        access[count].grfAccessPermissions = rights;
        access[count].grfAccessMode = DENY_ACCESS;
        access[count].grfInheritance = NO_INHERITANCE;
        access[count].Trustee.TrusteeForm = TRUSTEE_IS_SID;
        access[count].Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        access[count].Trustee.ptstrName = static_cast<LPWSTR>(everyone);
        ++count;
    }
    access[count].grfAccessPermissions = KEY_ALL_ACCESS;
    access[count].grfAccessMode = GRANT_ACCESS;
    access[count].grfInheritance = NO_INHERITANCE;
    access[count].Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access[count].Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access[count].Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    ++count;
    PACL acl = nullptr;
    DWORD result = ::SetEntriesInAclW(count, access, nullptr, &acl);
    if (result == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR descriptor;
        ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        result = static_cast<DWORD>(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor));
        ::LocalFree(acl);
    }
    ::FreeSid(everyone);
    return result == ERROR_SUCCESS;
}

} // namespace

DeniedKey::DeniedKey(HKEY root, const std::wstring& subKey, REGSAM denied) {
    if (::RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS | WRITE_DAC | READ_CONTROL | KEY_WOW64_64KEY, nullptr, &key_,
                          nullptr) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    ::RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
    original_.resize(size);
    if (size == 0 ||
        ::RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data(), &size) != ERROR_SUCCESS)
        original_.clear();
    applied_ = SetEveryoneAccess(key_, DENY_ACCESS, denied);
}

DeniedKey::~DeniedKey() {
    if (!key_) return;
    if (original_.empty() ||
        ::RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data()) != ERROR_SUCCESS)
        SetEveryoneAccess(key_, GRANT_ACCESS, KEY_ALL_ACCESS);
    ::RegCloseKey(key_);
}

} // namespace qmtest
