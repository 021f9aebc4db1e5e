// DPI awareness of the process, and the pixel sizes that follow the DPI a window is shown at. Every call
// the older systems lack is looked up at run time, so that the program still starts there.
#pragma once

#include "platform/unique_handle.h"

#include <windows.h>

namespace qm {

enum class DpiAwareness { Unaware, System, PerMonitorV2 };

// The system's two ways to declare the process DPI-aware; null where the system lacks one.
struct DpiAwarenessCalls {
    BOOL(WINAPI* setProcessContext)(HANDLE context) = nullptr; // SetProcessDpiAwarenessContext (10 1703)
    BOOL(WINAPI* setProcessAware)() = nullptr;                 // SetProcessDPIAware (Vista)
};

// Declares the process per-monitor (v2) DPI-aware where the system has it, else system-DPI-aware, and
// says which it became. Call before the process makes any window. Tests replace the system's calls with
// SetDpiAwarenessCallsForTesting(&calls); SetDpiAwarenessCallsForTesting(nullptr) restores them.
DpiAwareness DeclareDpiAwareness();
void SetDpiAwarenessCallsForTesting(const DpiAwarenessCalls* calls);

// The DPI the window is laid out at: its own where the system keeps one per window, else the system's.
UINT DpiOf(HWND window);
// A length of pixels at 96 DPI, at dpi.
inline int ScaleToDpi(int pixels, UINT dpi) {
    return ::MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}
// GetSystemMetrics as it answers at dpi.
int SystemMetricAtDpi(int index, UINT dpi);

// A window's big and small icon from one icon group, each at the size the window's DPI asks for.
class WindowIcons {
  public:
    // Loads both images for dpi and gives them to window, then lets go of the ones it showed before.
    void Show(HWND window, HINSTANCE module, int iconId, UINT dpi);
    void Reset();

  private:
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
};

} // namespace qm
