#include "dialogs/settings_dialog_base.h"

#include "dialogs/product_web_page.h"
#include "launcher/wallpaper.h"
#include "localisation/language.h"
#include "localisation/string_table.h"
#include "platform/controls.h"
#include "launcher/elevation.h"
#include "settings/settings_record.h"

#include <shellapi.h>

namespace qm {
namespace {

constexpr int kMultiMonitorTag = 1000;

// How long OK and Cancel wait for a probe before they go on with what is known, which is what the probe's
// failure would have given. The dialog is gone from the screen meanwhile. OK's wait is the longer: it
// stores what it waits for. Cancel's only sends the antialiasing value to the wallpaper, and with the
// process's last wait for its probes it stays within 2 s of the click.
constexpr UINT_PTR kEndingTimer = 1;
constexpr UINT kOkWaitMs = 10000;
constexpr UINT kCancelWaitMs = 1300;

std::function<void(const std::wstring&)>& OpenWebPageSeam() {
    static std::function<void(const std::wstring&)> open;
    return open;
}

void OpenWebPage(const std::wstring& address) {
    if (const auto& open = OpenWebPageSeam()) return open(address);
    ::ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

CSettingsDlgBase::CSettingsDlgBase() = default;

void SetOpenWebPageForTesting(std::function<void(const std::wstring& address)> open) {
    OpenWebPageSeam() = std::move(open);
}

HRESULT CSettingsDlgBase::ConfirmDevice(const D3DCAPS9&, DWORD, D3DFORMAT) {
    return S_OK;
}

void CSettingsDlgBase::ApplyDefaults() {}

LRESULT CSettingsDlgBase::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    liveMessage_ = RegisterWallpaperMessage();
    wallpaper_ = FindWallpaperWindow();

    MakeDialogStringTable().TranslateWindow(hwnd_);

    monitorList_ = GetDlgItem(IDC_MONITOR_LIST);
    blankScreens_ = GetDlgItem(IDC_BLANK_SCREENS);
    videoModeList_ = GetDlgItem(IDC_VIDEO_MODE_LIST);
    desktopRes_ = GetDlgItem(IDC_DESKTOP_RES);
    // OK will ask for administrator rights: it says so from the start, as Windows does.
    okShield_ = SaveNeedsElevation();
    ctl::SetShield(GetDlgItem(IDOK), okShield_);
    return TRUE;
}

void CSettingsDlgBase::Notify(WPARAM code, LPARAM value) {
    NotifyWallpaper(liveMessage_, wallpaper_, code, value);
}

void CSettingsDlgBase::FillMonitorList() {
    ctl::ComboReset(monitorList_);
    ctl::SetCheck(blankScreens_, displaysKnown_ && Setting("ShowBlackScreens") != 0);
    const bool several = displaysKnown_ && displays_.monitorCount > 1;
    ctl::Enable(blankScreens_, several);
    ctl::Enable(monitorList_, several);

    if (!displaysKnown_) return;
    const int32_t current = Setting("CurMonitor");
    // Each entry carries its adapter's Direct3D 9 ordinal, which is what "CurMonitor" stores: an adapter
    // left out of the list (one without a usable mode) makes the two differ.
    for (uint32_t i = 0; i < displays_.monitorCount && i < kMonitorSlots; ++i) {
        if (displays_.adapters[i].devices[0].modeCount == 0) continue;
        const UINT ordinal = displays_.adapters[i].ordinal;
        int index = ctl::ComboAdd(monitorList_, displays_.monitors[i].monitorName);
        ctl::ComboSetData(monitorList_, index, static_cast<LPARAM>(ordinal));
        if (current == static_cast<int64_t>(ordinal)) ctl::ComboSetSel(monitorList_, index);
    }
    if (IsAdapterGroupAvailable(displays_)) {
        int index = ctl::ComboAdd(monitorList_, Translate(L"Multi-monitor"));
        ctl::ComboSetData(monitorList_, index, kMultiMonitorTag);
        if (Setting("EnableMultiMonitorMode") != 0) ctl::ComboSetSel(monitorList_, index);
    }
    RefreshVideoModes();
}

LRESULT CSettingsDlgBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    icons_.Reset();
    ::PostQuitMessage(0);
    return 0;
}

LRESULT CSettingsDlgBase::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
    return OnCancel(BN_CLICKED, IDCANCEL, nullptr, handled);
}

LRESULT CSettingsDlgBase::OnOk(WORD, WORD, HWND, BOOL&) {
    BeginEnding(Ending::Ok);
    return 0;
}

LRESULT CSettingsDlgBase::OnCancel(WORD, WORD, HWND, BOOL&) {
    BeginEnding(Ending::Cancel);
    return 0;
}

void CSettingsDlgBase::BeginEnding(Ending ending) {
    if (ending_ != Ending::None) return;
    ending_ = ending;
    PrepareEnding(ending);
    if (ReadyToEnd(ending)) return FinishEnding();
    // The user is done with the dialog: it leaves the screen at once, and what OK stores is what the
    // controls showed when it was pressed, with the answers laid over them as they come. The owner is
    // enabled before the dialog hides, so that Windows gives the activation back to it and not to
    // another program's window.
    const HWND owner = ::GetWindow(hwnd_, GW_OWNER);
    if (owner) ::EnableWindow(owner, TRUE);
    ShowWindow(SW_HIDE);
    if (owner) ::SetForegroundWindow(owner);
    ::SetTimer(hwnd_, kEndingTimer, ending == Ending::Ok ? kOkWaitMs : kCancelWaitMs, nullptr);
}

void CSettingsDlgBase::FinishEnding() {
    if (ending_ == Ending::None || ended_ || (!waitedLongEnough_ && !ReadyToEnd(ending_))) return;
    ended_ = true;
    ::KillTimer(hwnd_, kEndingTimer);
    if (ending_ == Ending::Ok) {
        StoreControls();
        const bool shown = ::IsWindowVisible(hwnd_) != FALSE;
        const HWND owner = ::GetWindow(hwnd_, GW_OWNER);
        if (!SaveSettings(settings_) &&
            !StoreAfterFailedWrite(shown ? hwnd_ : owner, SettingsStoreRequest(settings_)))
            return KeepOpenAfterFailedSave(shown, owner);
        SettingsSaved();
    } else {
        RevertPreview();
    }
    EndDialog(0);
}

// Nothing the user set is lost: the dialog is back as the user left it, for another OK or for Cancel.
void CSettingsDlgBase::KeepOpenAfterFailedSave(bool shown, HWND owner) {
    ending_ = Ending::None;
    ended_ = false;
    waitedLongEnough_ = false;
    if (!shown) {
        // The modal loop's own state: the owner disabled while the dialog shows.
        if (owner) ::EnableWindow(owner, FALSE);
        ShowWindow(SW_SHOW);
        ::SetForegroundWindow(hwnd_);
    }
    Reopened();
}

LRESULT CSettingsDlgBase::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kEndingTimer) {
        handled = FALSE;
        return 0;
    }
    waitedLongEnough_ = true;
    FinishEnding();
    return 0;
}

LRESULT CSettingsDlgBase::OnVisit(WORD, WORD, HWND, BOOL&) {
    const StringTable* table = CurrentStringTable();
    OpenWebPage(ProductWebPage(table ? table->CurrentLanguageTag() : std::wstring(L"en")));
    return 0;
}

LRESULT CSettingsDlgBase::OnMonitorSelected(WORD, WORD, HWND, BOOL&) {
    // A selection notice with nothing selected (only a forged message can carry one) changes nothing.
    const int selected = ctl::ComboGetSel(monitorList_);
    if (selected < 0) return 0;
    const int tag = static_cast<int>(ctl::ComboGetData(monitorList_, selected));
    const bool multiMonitor = tag >= kMultiMonitorTag;
    SetSetting("EnableMultiMonitorMode", multiMonitor ? 1 : 0);
    SetSetting("CurMonitor", multiMonitor ? tag - kMultiMonitorTag : tag);
    RefreshVideoModes();
    ctl::Enable(blankScreens_, !multiMonitor);
    return 0;
}

LRESULT CSettingsDlgBase::OnBlankScreensClicked(WORD, WORD, HWND, BOOL&) {
    SetSetting("ShowBlackScreens", ctl::GetCheck(blankScreens_));
    return 0;
}

} // namespace qm
