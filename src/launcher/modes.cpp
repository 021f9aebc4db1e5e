#include "launcher/modes.h"

#include "platform/app_module.h"
#include "platform/dpi.h"
#include "launcher/elevated_store.h"

#include <commctrl.h>
#include <objbase.h>

namespace qm {
namespace {

HWND ToWindow(int32_t number) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(number));
}

// COM, the common controls the dialogs use, and the module, around the two windowed modes.
template <typename Body> void WithGuiStartup(HINSTANCE instance, Body body) {
    (void)::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    (void)Module().Init(instance);
    body();
    Module().Term();
    ::CoUninitialize();
}

} // namespace

void RunScreensaverMode(HINSTANCE instance, const ScreensaverCommand& command) {
    switch (command.mode) {
    case ScreensaverMode::Configure:
        // Only here: the settings dialog and the playlist editor are drawn sharp at every scale. The
        // preview's window is a child of a window of the Display control panel's process, and Windows lets
        // no child's awareness differ from its host's, so it stays as the host is; the run mode's
        // error boxes keep theirs. Declared before any window exists: awareness is set once per process.
        DeclareDpiAwareness();
        WithGuiStartup(instance, [&] { RunConfigure(ToWindow(command.hostWindow)); });
        break;
    case ScreensaverMode::Preview:
        WithGuiStartup(instance, [&] { RunPreview(ToWindow(command.hostWindow)); });
        break;
    case ScreensaverMode::Run:
        LaunchMainProgram();
        break;
    case ScreensaverMode::Test:
        break;
    case ScreensaverMode::ChangePassword:
        ChangePassword();
        break;
    case ScreensaverMode::StoreElevated:
        // Only the module, for the error box's texts: no window of its own, no COM.
        (void)Module().Init(instance);
        RunElevatedStore(command.argument);
        Module().Term();
        break;
    }
}

} // namespace qm
