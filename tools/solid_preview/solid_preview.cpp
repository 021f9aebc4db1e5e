// The smallest preview a screensaver can give: a child window over the host that paints one colour.
// The yardstick for how long the product's preview takes to show its picture.
//   qm_solid_preview.exe /p HWND
#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {

LRESULT CALLBACK SolidProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        RECT client;
        ::GetClientRect(window, &client);
        HBRUSH brush = ::CreateSolidBrush(RGB(40, 90, 170));
        ::FillRect(dc, &client, brush);
        ::DeleteObject(brush);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// The last run of digits on the command line.
HWND HostFromCommandLine() {
    const wchar_t* line = ::GetCommandLineW();
    const wchar_t* digits = nullptr;
    for (const wchar_t* p = line; *p; ++p)
        if (std::iswdigit(*p) && (p == line || !std::iswdigit(p[-1]))) digits = p;
    return digits ? reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstol(digits, nullptr, 10))) : nullptr;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HWND host = HostFromCommandLine();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &SolidProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QmSolidPreview";
    ::RegisterClassExW(&wc);
    RECT rect{};
    ::GetClientRect(host, &rect);
    if (!::CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, rect.right, rect.bottom,
                           host, nullptr, instance, nullptr))
        return 0;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
