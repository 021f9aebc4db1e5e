#include "launcher/main_program.h"

#include "launcher/modes.h"
#include "localisation/language.h"
#include "localisation/string_table.h"
#include "platform/file_system.h"
#include "platform/unique_handle.h"
#include "settings/product.h"
#include "settings/registry.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

namespace qm {
namespace {

// Each read starts from nothing: a failed read leaves the output as it was, and empty means absent.
std::wstring ReadMachineText(const std::wstring& subKey, const wchar_t* valueName, RegistryView view) {
    std::wstring text;
    (void)RegReadString(HKEY_LOCAL_MACHINE, subKey, valueName, text, view);
    return text;
}

std::wstring ReadAppPath() {
    return ReadMachineText(SettingsKeyPath, L"AppPath", RegistryView::Bit64);
}

std::wstring ReadInstallLocation(const wchar_t* packageSubkey, RegistryView view) {
    return ReadMachineText(std::wstring(kUninstallKeyPrefix) + packageSubkey, L"InstallLocation", view);
}

// The Program Files folder a 32-bit program is given, where the product's 32-bit installer puts it.
bool ProgramFilesFolder(wchar_t (&folder)[MAX_PATH]) {
#ifdef _WIN64
    const int which = CSIDL_PROGRAM_FILESX86;
#else
    const int which = CSIDL_PROGRAM_FILES;
#endif
    return ::SHGetSpecialFolderPathW(nullptr, folder, which, FALSE);
}

// The string table is made here, for the message only: a normal start does without it.
void ShowError(const wchar_t* text) {
    MakeDialogStringTable();
    ::MessageBoxW(nullptr, Translate(text).c_str(), Translate(L"Error!").c_str(), MB_ICONERROR);
}

// The recorded install directory, else the program's own folder (with its trailing backslash).
std::wstring WorkingDirectoryFor(const std::wstring& program) {
    std::wstring directory = ReadInstallDirectory();
    if (!directory.empty()) return directory;
    const size_t slash = program.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : program.substr(0, slash + 1);
}

} // namespace

std::wstring FindMainProgram() {
    std::vector<std::wstring> candidates;
    const std::wstring appPath = ReadAppPath();
    if (!appPath.empty()) {
        candidates.push_back(appPath + kMainProgramFile);
    } else {
        for (const wchar_t* package : {kScreensaverPackageSubkey, kCombinedPackageSubkey}) {
            const std::wstring location = ReadInstallLocation(package, RegistryView::Bit32);
            if (!location.empty()) candidates.push_back(location + kMainProgramFile);
        }
    }

    // Left out when the folder cannot be obtained: a bare "\..." would name the current drive's root.
    wchar_t programFiles[MAX_PATH] = {};
    if (ProgramFilesFolder(programFiles))
        candidates.push_back(std::wstring(programFiles) + kProgramFilesFolder + kMainProgramFile);

    // Left out when the current directory does not fit the buffer.
    wchar_t current[2048] = {};
    const DWORD length = ::GetCurrentDirectoryW(2048, current);
    if (length > 0 && length < 2048) candidates.push_back(std::wstring(current, length) + kMainProgramFile);

    for (const std::wstring& candidate : candidates)
        if (PathExists(candidate)) return candidate;
    return {};
}

std::wstring ReadInstallDirectory() {
    const std::wstring appPath = ReadAppPath();
    if (!appPath.empty()) return appPath;
    return ReadInstallLocation(kScreensaverPackageSubkey, RegistryView::Bit64);
}

std::wstring BuildAutostartCommand() {
    const std::wstring directory = ReadInstallDirectory();
    if (directory.empty()) return {};
    return L"\"" + directory + kMainProgramFile + L"\"" + kAutostartSwitch;
}

void LaunchMainProgram() {
    const std::wstring program = FindMainProgram();
    if (program.empty() || !PathExists(program)) {
        ShowError(L"Can't find the main file! Please reinstall screensaver.");
        return;
    }
    const std::wstring directory = WorkingDirectoryFor(program);
    std::wstring commandLine = L"\"" + program + L"\"";

    // Only the size and a show value are set; no flag asks for the show value to be applied.
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        ShowError(L"Can't start the screensaver! Please try to restart your computer.");
        return;
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    // The screensaver lasts exactly as long as the main program.
    ::WaitForSingleObject(process.get(), INFINITE);
}

} // namespace qm
