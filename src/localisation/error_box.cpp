#include "localisation/error_box.h"

#include "localisation/string_table.h"

#include <string>

namespace qm {

void ShowRegistryWriteError(HWND owner) {
    const std::wstring text =
        Translate(L"Error writing to the system registry. Please NOTE: You need to have "
                  L"sufficient administrative rights to run this program successfully.");
    const std::wstring caption = Translate(L"Error!");
    ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
}

} // namespace qm
