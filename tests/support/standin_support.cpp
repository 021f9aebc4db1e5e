#include "standin_support.h"

#include <cstdlib>
#include <utility>

namespace qmtest {
namespace {

constexpr wchar_t kUninstallPrefix[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr wchar_t kScreensaverPackage[] = L"Quillmere - Taveny 3D Screensaver_is1";
constexpr wchar_t kCombinedPackage[] = L"Quillmere - Taveny 3D Screensaver and Animated Wallpaper_is1";

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring Unescape(const std::string& field) {
    std::string bytes;
    std::wstring out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size()) {
            // Escapes stand for single UTF-16 units (NUL and other controls), never for UTF-8 bytes.
            out += FromUtf8(bytes);
            bytes.clear();
            out += static_cast<wchar_t>(std::strtoul(field.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            bytes += field[i];
        }
    }
    out += FromUtf8(bytes);
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return parts;
}

// The ancestors of path, outermost first, that do not exist yet in that view.
std::wstring FirstMissingKey(HKEY root, const std::wstring& path, REGSAM view) {
    size_t end = 0;
    for (;;) {
        end = path.find(L'\\', end + 1);
        std::wstring prefix = path.substr(0, end);
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root, prefix.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return prefix;
        ::RegCloseKey(key);
        if (end == std::wstring::npos) return {};
    }
}

} // namespace

std::wstring StandInBuildPath() {
    return BuildDir() + L"\\tools\\standin\\" + kStandInFileName;
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t buffer[4096];
    DWORD n = ::GetEnvironmentVariableW(name, buffer, 4096);
    if (n > 0 && n < 4096) previous_ = std::wstring(buffer, n);
    ::SetEnvironmentVariableW(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    ::SetEnvironmentVariableW(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
}

std::vector<StandInRecord> ParseStandInLog(const std::string& text) {
    std::vector<StandInRecord> records;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) break; // a line still being written
        std::vector<std::string> parts = SplitTabs(text.substr(start, end - start));
        start = end + 1;
        if (parts.size() < 2) continue;
        StandInRecord record;
        record.pid = static_cast<DWORD>(std::strtoul(parts[0].c_str(), nullptr, 10));
        record.kind = Unescape(parts[1]);
        for (size_t i = 2; i < parts.size(); ++i)
            record.fields.push_back(Unescape(parts[i]));
        records.push_back(std::move(record));
    }
    return records;
}

StandInLog::StandInLog() : path_(folder_ / L"standin.log"), variable_(L"QM_STANDIN_LOG", path_.c_str()) {}

std::vector<StandInRecord> StandInLog::Records() const {
    return ParseStandInLog(ReadBinaryFile(path_));
}

std::vector<StandInRecord> StandInLog::Records(const std::wstring& kind, DWORD pid) const {
    std::vector<StandInRecord> out;
    for (StandInRecord& r : Records())
        if (r.kind == kind && (pid == 0 || r.pid == pid)) out.push_back(std::move(r));
    return out;
}

std::optional<StandInRecord> StandInLog::First(const std::wstring& kind, DWORD pid) const {
    std::vector<StandInRecord> found = Records(kind, pid);
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::vector<DWORD> StandInLog::StartedProcesses() const {
    std::vector<DWORD> pids;
    for (const StandInRecord& r : Records(L"start"))
        pids.push_back(r.pid);
    return pids;
}

bool StandInLog::WaitFor(const std::wstring& kind, DWORD timeoutMs, DWORD pid) const {
    return PollUntil([&] { return First(kind, pid).has_value(); }, timeoutMs);
}

ChildProcess StartStandIn(const std::wstring& arguments, const wchar_t* workDir, const std::wstring& exe) {
    std::wstring line = Quote(exe);
    if (!arguments.empty()) line += L" " + arguments;
    return ChildProcess::Start(line, workDir);
}

std::wstring CopyStandInTo(const std::wstring& folder) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring target = folder + L"\\" + kStandInFileName;
    if (!::CopyFileW(StandInBuildPath().c_str(), target.c_str(), FALSE)) return {};
    return target;
}

std::vector<StandInRecord> DumpSettingsAsMainProgram() {
    StandInLog log;
    ChildProcess dump = StartStandIn(L"/dump");
    if (!dump.WaitExit(20000)) return {};
    return log.Records();
}

SavedRegistryValue::SavedRegistryValue(HKEY root, std::wstring path, std::wstring name, REGSAM view)
    : root_(root), path_(std::move(path)), name_(std::move(name)), view_(view) {
    firstMissingKey_ = FirstMissingKey(root_, path_, view_);
    if (!firstMissingKey_.empty()) return;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ | view_, &key) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        DWORD bytes = size;
        hadValue_ =
            ::RegQueryValueExW(key, name_.c_str(), nullptr, &type_, data_.data(), &bytes) == ERROR_SUCCESS;
        data_.resize(bytes);
    }
    ::RegCloseKey(key);
}

SavedRegistryValue::~SavedRegistryValue() {
    if (!firstMissingKey_.empty()) {
        DeleteRegistryTree(root_, firstMissingKey_, view_);
        return;
    }
    if (hadValue_) {
        SetRaw(type_, data_.data(), static_cast<DWORD>(data_.size()));
    } else {
        Remove();
    }
}

bool SavedRegistryValue::SetText(const std::wstring& text) {
    return SetRaw(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool SavedRegistryValue::SetRaw(DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view_, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    // Zero bytes need a valid pointer all the same.
    static const BYTE none = 0;
    bool ok = ::RegSetValueExW(key, name_.c_str(), 0, type, data ? static_cast<const BYTE*>(data) : &none,
                               bytes) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
}

void SavedRegistryValue::Remove() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_SET_VALUE | view_, &key) != ERROR_SUCCESS) return;
    ::RegDeleteValueW(key, name_.c_str());
    ::RegCloseKey(key);
}

SavedInstallRecords::SavedInstallRecords()
    : appPath(HKEY_LOCAL_MACHINE, kSettingsKey, L"AppPath", KEY_WOW64_64KEY),
      screensaverLocation32(HKEY_LOCAL_MACHINE, std::wstring(kUninstallPrefix) + kScreensaverPackage,
                            L"InstallLocation", KEY_WOW64_32KEY),
      screensaverLocation64(HKEY_LOCAL_MACHINE, std::wstring(kUninstallPrefix) + kScreensaverPackage,
                            L"InstallLocation", KEY_WOW64_64KEY),
      combinedLocation32(HKEY_LOCAL_MACHINE, std::wstring(kUninstallPrefix) + kCombinedPackage,
                         L"InstallLocation", KEY_WOW64_32KEY),
      combinedLocation64(HKEY_LOCAL_MACHINE, std::wstring(kUninstallPrefix) + kCombinedPackage,
                         L"InstallLocation", KEY_WOW64_64KEY) {}

void SavedInstallRecords::ClearAll() {
    for (SavedRegistryValue* v :
         {&appPath, &screensaverLocation32, &screensaverLocation64, &combinedLocation32, &combinedLocation64})
        v->Remove();
}

InstalledStandIn::InstalledStandIn(const std::wstring& folder)
    : appPath_(HKEY_LOCAL_MACHINE, kSettingsKey, L"AppPath", KEY_WOW64_64KEY) {
    std::wstring exe = CopyStandInTo(folder);
    if (!exe.empty() && appPath_.SetText(folder)) exe_ = exe;
}

} // namespace qmtest
