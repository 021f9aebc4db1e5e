// Configure mode: the settings dialog, modal, owned by the window the system named.
#include "dialogs/settings_dialog.h"
#include "launcher/modes.h"

namespace qm {

namespace {

// How long a closed dialog's process waits for a probe still running, or for its thread to exit. Nothing
// waits for its answer any more: every setting is written by the time the dialog has ended. With Cancel's
// wait for the antialiasing value (the dialog already hidden), the process ends within 2 s of the click;
// after OK, within 2 s of the store.
constexpr DWORD kProbeGraceMs = 500;

} // namespace

void RunConfigure(HWND owner) {
    // One dialog per process, made on first use; it keeps the settings and display data to the end.
    static CSettingsDlg dialog;
    dialog.DoModal(owner, 0);
    if (dialog.WaitForProbes(kProbeGraceMs)) return;
    // A probe that never returns, or whose thread never gets out of its exit, must not keep the process
    // alive: a WMI service that takes minutes to connect, or a graphics driver that holds its own lock
    // while another thread's detach code waits for it, are the real cases. ExitProcess is no way out: it
    // stops the other threads wherever they are, perhaps holding the loader's, the heap's or COM's own locks,
    // and then runs every DLL's detach code and our static destructors, which take those locks or join those
    // threads, and would wait for ever. TerminateProcess runs none of that, and nothing is left to do:
    // the registry writes are flushed, and the wallpaper's live messages are posted.
    ::TerminateProcess(::GetCurrentProcess(), 0);
}

} // namespace qm
