// Configure mode: the settings dialog, modal, owned by the window the system named.
#include "dialogs/settings_dialog.h"
#include "launcher/modes.h"

namespace qm {

void RunConfigure(HWND owner) {
    // One dialog per process, made on first use; it keeps the settings and display data to the end.
    static CSettingsDlg dialog;
    dialog.StartProbes(); // before the template is made: the probes overlap the dialog's creation
    dialog.DoModal(owner, 0);
    // Also when no dialog could be made (an owner that is no window): no probe outlives Configure mode,
    // and none may still run when the process ends.
    dialog.WaitForProbes();
}

} // namespace qm
