#include "dialogs/settings_dialog_base.h"

#include "dialogs/product_web_page.h"
#include "launcher/elevation.h"
#include "launcher/wallpaper.h"
#include "localisation/language.h"
#include "localisation/string_table.h"
#include "platform/controls.h"
#include "settings/settings_record.h"

#include <shellapi.h>

namespace qm {
namespace {

constexpr int kMultiMonitorTag = 1000;

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
    const bool displaysKnown = Known(DisplayProbes::kDisplays);
    ctl::SetCheck(blankScreens_, displaysKnown && Setting("ShowBlackScreens") != 0);
    const bool several = displaysKnown && displays_.monitorCount > 1;
    ctl::Enable(blankScreens_, several);
    ctl::Enable(monitorList_, several);

    if (!displaysKnown) return;
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

void CSettingsDlgBase::ShowAntialiasingBox() {
    ctl::SetCheck(antialiasing_, Setting("Antialiasing") != 0);
    ctl::Enable(antialiasing_, !AntialiasingAwaitsFacts());
}

void CSettingsDlgBase::FillAntialiasingList() {
    const int32_t stored = Setting("Antialiasing");
    ctl::ComboReset(antialiasingList_);
    if (!Known(DisplayProbes::kLevels)) return;
    for (int count : probes_.AntialiasingLevels()) {
        int index = ctl::ComboAdd(antialiasingList_, std::to_wstring(count) + L"x");
        ctl::ComboSetData(antialiasingList_, index, count);
    }
    // The list is sorted by text, so the entries' places are known only once all are in.
    int chosen = 0;
    for (int i = 0, n = ctl::ComboCount(antialiasingList_); i < n; ++i)
        if (ctl::ComboGetData(antialiasingList_, i) == stored) chosen = i;
    ctl::ComboSetSel(antialiasingList_, chosen);
}

void CSettingsDlgBase::EnableAntialiasingControls() {
    const bool on = ctl::GetCheck(antialiasing_);
    ctl::Enable(antialiasingLabel_, on);
    ctl::Enable(antialiasingList_, on && Known(DisplayProbes::kLevels));
}

int32_t CSettingsDlgBase::AntialiasingValue() const {
    if (!ctl::GetCheck(antialiasing_)) return 0;
    const int selected = ctl::ComboGetSel(antialiasingList_);
    if (selected < 0) return 1;
    return static_cast<int32_t>(ctl::ComboGetData(antialiasingList_, selected));
}

void CSettingsDlgBase::SendAntialiasing() {
    sentAntialiasing_ = AntialiasingValue();
    Notify(kLiveAntialiasing, *sentAntialiasing_);
}

// Until the facts are in, the setting's hardware default is not known: the tree holds it Empty (or, before
// the settings are loaded, not at all).
bool CSettingsDlgBase::AntialiasingAwaitsFacts() const {
    const auto found = settings_.entries().find(L"Antialiasing");
    return found == settings_.entries().end() || found->second.kind() == ValueKind::Empty;
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
