#include "platform/dpi.h"

#include "platform/system_library.h"

namespace qm {
namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which the headers of our oldest target do not declare.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

// user32 is loaded (the program imports it): its exports are looked up, nothing is loaded.
HMODULE User32() {
    return ::GetModuleHandleW(L"user32.dll");
}

const DpiAwarenessCalls*& CallsForTesting() {
    static const DpiAwarenessCalls* calls = nullptr;
    return calls;
}

DpiAwarenessCalls SystemCalls() {
    DpiAwarenessCalls calls;
    calls.setProcessContext =
        ExportOf<decltype(calls.setProcessContext)>(User32(), "SetProcessDpiAwarenessContext");
    calls.setProcessAware = ExportOf<decltype(calls.setProcessAware)>(User32(), "SetProcessDPIAware");
    return calls;
}

UINT SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UniqueIcon LoadIconAt(HINSTANCE module, int iconId, int width, int height) {
    // Our own copy (not the shared one LoadIcon hands out), so destroying it is ours to do.
    return UniqueIcon(
        static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON, width, height, 0)));
}

} // namespace

void SetDpiAwarenessCallsForTesting(const DpiAwarenessCalls* calls) {
    CallsForTesting() = calls;
}

DpiAwareness DeclareDpiAwareness() {
    const DpiAwarenessCalls calls = CallsForTesting() ? *CallsForTesting() : SystemCalls();
    // Refused where the system knows the call but not v2 (Windows 10 before 1703 has neither; Wine has
    // the call without v2): then system awareness, as on Vista to Windows 8.
    if (calls.setProcessContext && calls.setProcessContext(kPerMonitorAwareV2))
        return DpiAwareness::PerMonitorV2;
    if (calls.setProcessAware && calls.setProcessAware()) return DpiAwareness::System;
    return DpiAwareness::Unaware;
}

UINT DpiOf(HWND window) {
    static const auto dpiForWindow = ExportOf<UINT(WINAPI*)(HWND)>(User32(), "GetDpiForWindow");
    const UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int SystemMetricAtDpi(int index, UINT dpi) {
    static const auto metricForDpi = ExportOf<int(WINAPI*)(int, UINT)>(User32(), "GetSystemMetricsForDpi");
    if (metricForDpi) return metricForDpi(index, dpi);
    // Before Windows 10 1607 every window has the system's DPI, which GetSystemMetrics answers for.
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

void WindowIcons::Show(HWND window, HINSTANCE module, int iconId, UINT dpi) {
    UniqueIcon bigIcon =
        LoadIconAt(module, iconId, SystemMetricAtDpi(SM_CXICON, dpi), SystemMetricAtDpi(SM_CYICON, dpi));
    UniqueIcon smallIcon =
        LoadIconAt(module, iconId, SystemMetricAtDpi(SM_CXSMICON, dpi), SystemMetricAtDpi(SM_CYSMICON, dpi));
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    bigIcon_ = std::move(bigIcon);
    smallIcon_ = std::move(smallIcon);
}

void WindowIcons::Reset() {
    bigIcon_.reset();
    smallIcon_.reset();
}

} // namespace qm
