// The stand-in main program for tests: where it is built, starting it, reading what it recorded, and
// installing it where the screensaver finds it. Registry values that tests change in the real
// HKEY_LOCAL_MACHINE are saved and put back.
#pragma once

#include "test_support.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qmtest {

inline constexpr wchar_t kStandInFileName[] = L"Quillmere - Taveny 3D Screensaver.exe";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Orvanta\\Quillmere - Taveny 3D Screensaver";

// The built stand-in (Windows path).
std::wstring StandInBuildPath();

// One line of the stand-in's log: the process that wrote it, the kind of record and its fields.
struct StandInRecord {
    DWORD pid = 0;
    std::wstring kind;
    std::vector<std::wstring> fields;
    std::wstring field(size_t i) const { return i < fields.size() ? fields[i] : std::wstring(); }
};

// Sets an environment variable of this process (inherited by what it starts from then on) and puts the
// previous state back on destruction. A null value removes the variable.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const wchar_t* name, const wchar_t* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::wstring name_;
    std::optional<std::wstring> previous_;
};

// A fresh log file that every stand-in started from now on (directly or through the screensaver) writes
// to, through QM_STANDIN_LOG.
class StandInLog {
  public:
    StandInLog();
    const std::wstring& path() const { return path_; }

    std::vector<StandInRecord> Records() const;
    // Records of one process; every process when pid is 0.
    std::vector<StandInRecord> Records(const std::wstring& kind, DWORD pid = 0) const;
    // The first record of that kind (of pid, or of any process when 0).
    std::optional<StandInRecord> First(const std::wstring& kind, DWORD pid = 0) const;
    // Processes that recorded their start, in order.
    std::vector<DWORD> StartedProcesses() const;
    bool WaitFor(const std::wstring& kind, DWORD timeoutMs, DWORD pid = 0) const;

  private:
    TempFolder folder_;
    std::wstring path_;
    ScopedEnvironment variable_;
};

// Parses the log's text (UTF-8 lines, %XX escapes).
std::vector<StandInRecord> ParseStandInLog(const std::string& text);

// Starts the stand-in at exe (the built one by default) with the arguments after its quoted path.
ChildProcess StartStandIn(const std::wstring& arguments, const wchar_t* workDir = nullptr,
                          const std::wstring& exe = StandInBuildPath());

// Copies the built stand-in into folder (created when missing) under the main program's name; returns
// its full path, or empty on failure.
std::wstring CopyStandInTo(const std::wstring& folder);

// The settings key as the 64-bit main program sees it: runs the stand-in with /dump and returns the
// records it wrote (value, playlist / playlist-absent, run-entry / run-entry-absent, key-absent).
std::vector<StandInRecord> DumpSettingsAsMainProgram();

// One registry value in a chosen view, saved on construction and restored on destruction: the old
// data and type, or no value, or no key at all (the keys this object's writes created are removed).
class SavedRegistryValue {
  public:
    SavedRegistryValue(HKEY root, std::wstring path, std::wstring name, REGSAM view);
    ~SavedRegistryValue();
    SavedRegistryValue(const SavedRegistryValue&) = delete;
    SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

    bool SetText(const std::wstring& text); // REG_SZ with its terminating NUL, as an installer writes it
    bool SetRaw(DWORD type, const void* data, DWORD bytes);
    void Remove(); // the value only

  private:
    HKEY root_;
    std::wstring path_;
    std::wstring name_;
    REGSAM view_;
    std::wstring firstMissingKey_; // empty when the key existed
    bool hadValue_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

// The registry places that decide where the screensaver looks for the main program, saved for a test and
// put back afterwards: AppPath (64-bit view) and both packages' InstallLocation in both views.
class SavedInstallRecords {
  public:
    SavedInstallRecords();
    SavedRegistryValue appPath;
    SavedRegistryValue screensaverLocation32;
    SavedRegistryValue screensaverLocation64;
    SavedRegistryValue combinedLocation32;
    SavedRegistryValue combinedLocation64;
    void ClearAll();
};

// The stand-in installed where the screensaver finds it: a copy in folder and AppPath (64-bit view)
// naming folder. AppPath is put back on destruction; the copy stays with the folder's owner.
class InstalledStandIn {
  public:
    explicit InstalledStandIn(const std::wstring& folder);
    bool ok() const { return !exe_.empty(); }
    const std::wstring& exe() const { return exe_; }

  private:
    SavedRegistryValue appPath_;
    std::wstring exe_;
};

} // namespace qmtest
