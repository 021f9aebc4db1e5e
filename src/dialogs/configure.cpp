// Configure mode: the settings dialog, modal, owned by the window the system named.
#include "dialogs/settings_dialog.h"
#include "launcher/modes.h"

namespace qm {

void RunConfigure(HWND owner) {
    // One dialog per process, made on first use; it keeps the settings and display data to the end.
    static CSettingsDlg dialog;
    dialog.StartProbes(); // before the template is made: the probes overlap the dialog's creation
    dialog.DoModal(owner, 0);
}

} // namespace qm
