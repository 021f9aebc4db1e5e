// The settings dialog's probes and its ending. The dialog shows before the probes answer; each answer fills
// its controls as it comes. OK, Cancel and close wait, with a bound, for the answers that what they store
// or send rests on, and then store or revert, and end the dialog.
#include "dialogs/settings_dialog_base.h"

#include "launcher/elevation.h"
#include "launcher/main_program.h"
#include "platform/controls.h"
#include "settings/settings_record.h"
#include "settings/store_request.h"

namespace qm {
namespace {

// How long OK and Cancel wait for a probe before they go on with what is known, which is what the probe's
// failure would have given. The dialog is gone from the screen meanwhile. OK's wait is the longer: it
// stores what it waits for. Cancel's only sends the antialiasing value to the wallpaper, and with the
// process's last wait for its probes it stays within 2 s of the click.
constexpr UINT_PTR kEndingTimer = 1;
constexpr UINT kOkWaitMs = 10000;
constexpr UINT kCancelWaitMs = 1300;

} // namespace

// The whole life of OK, Cancel and close. The press, each probe's answer and the timer all come here.
//   Open     the user's dialog. OK, Cancel or close: Cancel (and close) first takes the tree back to the
//            settings key; then the ending waits when an answer it rests on is missing (Missing).
//   Waiting  hidden, its owner enabled, until the last missing answer is in or the time is up.
//   Storing  OK stores and Cancel reverts; a second press, the timer and late answers change nothing.
//   Done     ended. An OK whose store failed is Open again instead, as the user left it.
void CSettingsDlgBase::Advance(Event event) {
    switch (phase_) {
    case Phase::Open:
        if (event != Event::Ok && event != Event::Cancel) return;
        ok_ = event == Event::Ok;
        if (!ok_) ReloadStoredSettings();
        if (Missing() != 0) {
            phase_ = Phase::Waiting;
            // The user is done with the dialog: it leaves the screen at once, and what OK stores is what
            // the controls showed when it was pressed, with the answers laid over them as they come. The
            // owner is enabled before the dialog hides, so that Windows gives the activation back to it
            // and not to another program's window.
            const HWND owner = ::GetWindow(hwnd_, GW_OWNER);
            if (owner) ::EnableWindow(owner, TRUE);
            ShowWindow(SW_HIDE);
            if (owner) ::SetForegroundWindow(owner);
            ::SetTimer(hwnd_, kEndingTimer, ok_ ? kOkWaitMs : kCancelWaitMs, nullptr);
            return;
        }
        break;
    case Phase::Waiting:
        if (event != Event::TimeUp && (event != Event::Answer || Missing() != 0)) return;
        ::KillTimer(hwnd_, kEndingTimer);
        break;
    case Phase::Storing:
    case Phase::Done:
        return;
    }
    phase_ = Phase::Storing;
    if (ok_) {
        StoreControls();
        if (!Store()) return Reopen();
        // Autostart follows the settings: after a failed save the registry is as it was before OK.
        WriteRunEntry(ctl::GetCheck(runAtStartup_), BuildAutostartCommand());
    } else {
        RevertPreview();
    }
    phase_ = Phase::Done;
    EndDialog(0);
}

// The answers that the ending still waits for. OK stores the monitor the enumeration corrects and the
// antialiasing value the controls show; Cancel puts the controls back to the tree and sends their values,
// of which only the antialiasing value rests on an answer. A value whose hardware default is not known
// waits for the facts, and a value that is on waits for the list of counts.
unsigned CSettingsDlgBase::Missing() const {
    unsigned missing = 0;
    if (ok_ && !Known(DisplayProbes::kDisplays)) missing |= Bit(DisplayProbes::kDisplays);
    if (AntialiasingAwaitsFacts()) return missing | Bit(DisplayProbes::kFacts);
    const bool on =
        ok_ ? ctl::GetCheck(antialiasing_) : settings_.entries().at(L"Antialiasing").AsInteger() != 0;
    if (on && !Known(DisplayProbes::kLevels)) missing |= Bit(DisplayProbes::kLevels);
    return missing;
}

// The settings key, else through an elevated instance; the error box when neither stored them.
bool CSettingsDlgBase::Store() {
    const bool shown = ::IsWindowVisible(hwnd_) != FALSE;
    return SaveSettings(settings_) || StoreAfterFailedWrite(shown ? hwnd_ : ::GetWindow(hwnd_, GW_OWNER),
                                                            SettingsStoreRequest(settings_));
}

// Nothing the user set is lost: the dialog is back as the user left it, for another OK or for Cancel.
void CSettingsDlgBase::Reopen() {
    phase_ = Phase::Open;
    if (!::IsWindowVisible(hwnd_)) {
        // The modal loop's own state: the owner disabled while the dialog shows.
        if (const HWND owner = ::GetWindow(hwnd_, GW_OWNER)) ::EnableWindow(owner, FALSE);
        ShowWindow(SW_SHOW);
        ::SetForegroundWindow(hwnd_);
    }
    probes_.AnnounceTo(hwnd_, kProbeAnswerMessage); // the answers that came while the error box showed
}

void CSettingsDlgBase::ReloadStoredSettings() {
    // Whatever the dialog did meanwhile (Restore Defaults among it): the tree is the settings key again,
    // with the answers that are in.
    LoadSettingsWithoutFacts(settings_);
    if (Known(DisplayProbes::kFacts)) FillHardwareDefaults(settings_, probes_.Facts());
    if (Known(DisplayProbes::kDisplays)) ApplyStoredMonitor(displays_, settings_);
}

LRESULT CSettingsDlgBase::OnOk(WORD, WORD, HWND, BOOL&) {
    Advance(Event::Ok);
    return 0;
}

LRESULT CSettingsDlgBase::OnCancel(WORD, WORD, HWND, BOOL&) {
    Advance(Event::Cancel);
    return 0;
}

LRESULT CSettingsDlgBase::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    Advance(Event::Cancel);
    return 0;
}

LRESULT CSettingsDlgBase::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kEndingTimer) {
        handled = FALSE;
        return 0;
    }
    Advance(Event::TimeUp);
    return 0;
}

LRESULT CSettingsDlgBase::OnProbeAnswer(UINT, WPARAM wParam, LPARAM, BOOL&) {
    // Once OK stores or Cancel reverts, a late answer changes neither the wallpaper nor the tree.
    if (phase_ == Phase::Storing || phase_ == Phase::Done || wParam > DisplayProbes::kFacts) return 0;
    const auto probe = static_cast<DisplayProbes::Probe>(wParam);
    const bool boxWaited = AntialiasingAwaitsFacts();
    if (!TakeAnswer(probe)) return 0;
    ShowAnswer(probe, boxWaited);
    // The wallpaper already has an antialiasing value from us: it follows what the controls now show.
    // Cancel's revert sends the stored one.
    const bool cancelling = phase_ == Phase::Waiting && !ok_;
    if (!cancelling && sentAntialiasing_ && *sentAntialiasing_ != AntialiasingValue()) SendAntialiasing();
    Advance(Event::Answer);
    return 0;
}

LRESULT CSettingsDlgBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    probes_.AnnounceTo(nullptr, 0); // a probe still running must not post to a window that is gone
    icons_.Reset();
    ::PostQuitMessage(0);
    return 0;
}

void CSettingsDlgBase::StartProbes(bool facts) {
    probes_.AnnounceTo(hwnd_, kProbeAnswerMessage);
    probes_.StartDisplays([this](const D3DCAPS9& caps, DWORD behavior, D3DFORMAT format) {
        return ConfirmDevice(caps, behavior, format);
    });
    probes_.StartLevels();
    if (facts) probes_.StartFacts();
}

void CSettingsDlgBase::StartProbesForTesting() {
    if (!probes_.Started(DisplayProbes::kDisplays)) StartProbes(SettingsNeedHardwareFacts());
}

bool CSettingsDlgBase::AnswersCompleteForTesting() const {
    return Known(DisplayProbes::kDisplays) && Known(DisplayProbes::kLevels) &&
           (Known(DisplayProbes::kFacts) || !probes_.Started(DisplayProbes::kFacts));
}

void CSettingsDlgBase::TakeAnswersIn() {
    for (auto probe : {DisplayProbes::kDisplays, DisplayProbes::kLevels, DisplayProbes::kFacts})
        TakeAnswer(probe);
}

bool CSettingsDlgBase::TakeAnswer(DisplayProbes::Probe probe) {
    if (!probes_.Answered(probe) || Known(probe)) return false;
    if (probe == DisplayProbes::kDisplays) {
        displays_ = probes_.Displays();
        ApplyStoredMonitor(displays_, settings_);
    } else if (probe == DisplayProbes::kFacts) {
        FillHardwareDefaults(settings_, probes_.Facts());
    }
    known_ |= Bit(probe);
    return true;
}

void CSettingsDlgBase::ShowAnswer(DisplayProbes::Probe probe, bool boxWaited) {
    switch (probe) {
    case DisplayProbes::kDisplays:
        FillMonitorList();
        break;
    case DisplayProbes::kLevels:
        FillAntialiasingList();
        EnableAntialiasingControls();
        break;
    case DisplayProbes::kFacts:
        // Only a box that waited: the user may have set one that did not.
        if (!boxWaited) break;
        ShowAntialiasingBox();
        EnableAntialiasingControls();
        break;
    }
}

void CSettingsDlgBase::ApplyDefaultsOfThisMachine() {
    // Restore Defaults answers at once: without the hardware facts the hardware rows wait for them,
    // gathered at most once per dialog.
    if (Known(DisplayProbes::kFacts)) return qm::ApplyDefaults(settings_, probes_.Facts());
    ApplyDefaultsWithoutFacts(settings_);
    probes_.StartFacts();
}

} // namespace qm
