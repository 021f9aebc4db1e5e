#include "launcher/modes.h"

#include "platform/system_library.h"

namespace qm {

void ChangePassword() {
    using PwdChangePasswordA = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
    UniqueModule mpr = LoadSystemLibrary(L"MPR.DLL");
    if (!mpr) return;
    auto change = reinterpret_cast<PwdChangePasswordA>(
        reinterpret_cast<void*>(::GetProcAddress(mpr.get(), "PwdChangePasswordA")));
    if (change) change("SCRSAVE", nullptr, 0, 0);
}

} // namespace qm
