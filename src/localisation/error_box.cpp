#include "localisation/error_box.h"

#include "localisation/string_table.h"

#include <string>

namespace qm {

void ShowRegistryWriteError(HWND owner) {
    ShowStoreError(owner, StoreFailure::NotWritten);
}

void ShowStoreError(HWND owner, StoreFailure failure) {
    const wchar_t* english =
        failure == StoreFailure::Unreadable
            ? L"The settings could not be saved: the program started with administrative rights could not "
              L"read them."
        : failure == StoreFailure::Refused
            ? L"The settings could not be saved: the program started with administrative rights refused them "
              L"as not valid."
            : L"Error writing to the system registry. Please NOTE: You need to have sufficient "
              L"administrative "
              L"rights to run this program successfully.";
    const std::wstring text = Translate(english);
    const std::wstring caption = Translate(L"Error!");
    ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
}

} // namespace qm
