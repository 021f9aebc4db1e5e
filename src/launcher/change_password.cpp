#include "launcher/modes.h"

#include "platform/system_library.h"

namespace qm {

void ChangePassword() {
    using PwdChangePasswordA = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
    UniqueModule mpr = LoadSystemLibrary(L"MPR.DLL");
    if (auto change = ExportOf<PwdChangePasswordA>(mpr, "PwdChangePasswordA"))
        change("SCRSAVE", nullptr, 0, 0);
}

} // namespace qm
