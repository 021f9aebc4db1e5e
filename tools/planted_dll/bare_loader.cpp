// Test program: loads MPR.DLL by its bare name, as a careless program would.
#include <windows.h>

int main() {
    HMODULE module = ::LoadLibraryW(L"MPR.DLL");
    if (module) ::FreeLibrary(module);
    return module ? 0 : 1;
}
