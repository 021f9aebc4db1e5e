// Test program: loads MPR.DLL by its bare name, as a careless program would; with the argument "system",
// after the screensaver's own first step, which leaves the system folder as the only place searched.
#include "platform/system_library.h"

#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "system") == 0 && !qm::SearchSystemFolderOnly()) return 2;
    HMODULE module = ::LoadLibraryW(L"MPR.DLL");
    if (module) ::FreeLibrary(module);
    return module ? 0 : 1;
}
