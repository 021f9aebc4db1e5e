#include "dialogs/settings_dialog.h"

#include "launcher/main_program.h"
#include "localisation/access_keys.h"
#include "localisation/format.h"
#include "platform/controls.h"
#include "playlist/playlist_dialog.h"
#include "settings/product.h"
#include "settings/settings_record.h"

#include <string>

namespace qm {

CSettingsDlg::CSettingsDlg() = default;

HRESULT CSettingsDlg::ConfirmDevice(const D3DCAPS9&, DWORD, D3DFORMAT) {
    return S_OK;
}

// Restore Defaults answers at once: without the hardware facts the hardware rows wait for them, gathered
// at most once per dialog.
void CSettingsDlg::ApplyDefaults() {
    if (factsKnown_) return qm::ApplyDefaults(settings_, probes_.Facts());
    ApplyDefaultsWithoutFacts(settings_);
    probes_.StartFacts();
}

void CSettingsDlg::StartProbes() {
    if (probes_.Started(DisplayProbes::kDisplays)) return;
    StartDisplayProbes();
    if (SettingsNeedHardwareFacts()) probes_.StartFacts();
}

void CSettingsDlg::StartDisplayProbes() {
    probes_.StartDisplays([this](const D3DCAPS9& caps, DWORD behavior, D3DFORMAT format) {
        return ConfirmDevice(caps, behavior, format);
    });
    probes_.StartLevels();
}

LRESULT CSettingsDlg::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    CSettingsDlgBase::OnInitDialog(msg, wParam, lParam, handled);

    enableMusic_ = GetDlgItem(IDC_ENABLE_MUSIC);
    musicVolume_ = GetDlgItem(IDC_MUSIC_VOLUME);
    musicLabel_ = GetDlgItem(IDC_MUSIC_VOLUME_LABEL);
    enableSounds_ = GetDlgItem(IDC_ENABLE_SOUNDS);
    soundsVolume_ = GetDlgItem(IDC_SOUNDS_VOLUME);
    soundsLabel_ = GetDlgItem(IDC_SOUNDS_VOLUME_LABEL);
    exitOnMouse_ = GetDlgItem(IDC_EXIT_ON_MOUSE);
    highQualityGraphics_ = GetDlgItem(IDC_HQ_GRAPHICS);
    highQualityTextures_ = GetDlgItem(IDC_HQ_TEXTURES);
    antialiasing_ = GetDlgItem(IDC_ANTIALIASING);
    antialiasingList_ = GetDlgItem(IDC_ANTIALIASING_LIST);
    antialiasingLabel_ = GetDlgItem(IDC_ANTIALIASING_LABEL);
    playMyMusic_ = GetDlgItem(IDC_PLAY_MY_MUSIC);
    editPlaylist_ = GetDlgItem(IDC_EDIT_PLAYLIST);
    runAtStartup_ = GetDlgItem(IDC_RUN_AT_STARTUP);

    // Nothing waits for a probe here. Answers already in (of probes started before the dialog) are laid
    // over the loaded settings before the first look; the others fill their controls when they come.
    const bool needFacts = LoadSettingsWithoutFacts(settings_);
    for (auto probe : {DisplayProbes::kDisplays, DisplayProbes::kLevels, DisplayProbes::kFacts})
        TakeAnswer(probe);
    LoadControls();

    SetWindowText(FormatTranslated(L"%s %s Configuration", kProductName, kVersionText).c_str());
    ShowWindow(SW_SHOWNORMAL);
    icons_.Show(hwnd_, Module().instance(), IDI_PRODUCT, DpiOf(hwnd_));
    probes_.AnnounceTo(hwnd_, kProbeAnswerMessage);
    // Only now: started earlier, the probes' loading of Direct3D and their work on the other core slow the
    // making of the dialog down more than they gain, and the answers come no sooner.
    StartDisplayProbes();
    if (needFacts) probes_.StartFacts();
    return TRUE;
}

LRESULT CSettingsDlg::OnDpiChanged(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    icons_.Show(hwnd_, Module().instance(), IDI_PRODUCT, LOWORD(wParam));
    handled = FALSE; // the dialog lays itself out anew in the default handling
    return 0;
}

LRESULT CSettingsDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    probes_.AnnounceTo(nullptr, 0); // a probe still running must not post to a window that is gone
    handled = FALSE;                // the base has its own work to do
    return 0;
}

bool CSettingsDlg::TakeAnswer(DisplayProbes::Probe probe) {
    if (!probes_.Answered(probe)) return false;
    switch (probe) {
    case DisplayProbes::kDisplays:
        if (displaysKnown_) return false;
        displays_ = probes_.Displays();
        ApplyStoredMonitor(displays_, settings_);
        displaysKnown_ = true;
        return true;
    case DisplayProbes::kLevels:
        if (levelsKnown_) return false;
        levelsKnown_ = true;
        return true;
    case DisplayProbes::kFacts:
        if (factsKnown_) return false;
        FillHardwareDefaults(settings_, probes_.Facts());
        factsKnown_ = true;
        return true;
    }
    return false;
}

void CSettingsDlg::ShowAnswer(DisplayProbes::Probe probe) {
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
        if (!antialiasingPending_) break;
        ShowAntialiasingBox();
        EnableAntialiasingControls();
        break;
    }
}

LRESULT CSettingsDlg::OnProbeAnswer(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const auto probe = static_cast<DisplayProbes::Probe>(wParam);
    // Once OK has stored or Cancel has reverted, a late answer changes neither the wallpaper nor the tree.
    if (Ended() || wParam > DisplayProbes::kFacts || !TakeAnswer(probe)) return 0;
    ShowAnswer(probe);
    // The wallpaper already has an antialiasing value from us: it follows what the controls now show.
    if (ending_ != Ending::Cancel && sentAntialiasing_ && *sentAntialiasing_ != AntialiasingValue())
        SendAntialiasing();
    FinishEnding();
    return 0;
}

bool CSettingsDlg::AnswersComplete() const {
    return displaysKnown_ && levelsKnown_ && (factsKnown_ || !probes_.Started(DisplayProbes::kFacts));
}

// Cancel and close put the wallpaper back to the stored settings, whatever the dialog did meanwhile
// (Restore Defaults among it): the tree is the settings key again, with the answers that are in.
void CSettingsDlg::PrepareEnding(Ending ending) {
    if (ending != Ending::Cancel) return;
    LoadSettingsWithoutFacts(settings_);
    if (factsKnown_) FillHardwareDefaults(settings_, probes_.Facts());
    if (displaysKnown_) ApplyStoredMonitor(displays_, settings_);
}

bool CSettingsDlg::ReadyToEnd(Ending ending) {
    if (ending == Ending::Ok) {
        // OK stores the monitor the enumeration corrects, and the antialiasing value the controls show.
        return displaysKnown_ && !antialiasingPending_ && (levelsKnown_ || !ctl::GetCheck(antialiasing_));
    }
    // Cancel puts the controls back to the tree and sends their values: only the antialiasing value
    // depends on an answer.
    const NodeValue& stored = settings_.Get("Antialiasing");
    return stored.kind() != ValueKind::Empty && (levelsKnown_ || stored.AsInteger() == 0);
}

void CSettingsDlg::LoadControls() {
    ctl::SetCheck(showFps_, Setting("ShowFPS") != 0);
    ctl::SetCheck(exitOnMouse_, Setting("DisableOnMouseActivate") == 0);
    ctl::SetCheck(highQualityTextures_, Setting("HighQualityTextures") != 0);
    ctl::SetCheck(runAtStartup_, RunEntryMatchesAutostart(BuildAutostartCommand()));

    ctl::SetCheck(enableMusic_, Setting("DisableMusic") == 0);
    ctl::SetCheck(playMyMusic_, Setting("UsePlaylist") != 0);
    ctl::TrackbarSetRange(musicVolume_, 0, 100);
    ctl::TrackbarSetPos(musicVolume_, Setting("MusicVolumePercentage"));
    ShowMusicVolume(Setting("MusicVolumePercentage"));
    EnableMusicControls();

    ctl::SetCheck(enableSounds_, Setting("DisableSound") == 0);
    ctl::TrackbarSetRange(soundsVolume_, 0, 100);
    ctl::TrackbarSetPos(soundsVolume_, Setting("SoundsVolumePercentage"));
    ShowSoundsVolume(Setting("SoundsVolumePercentage"));
    EnableSoundControls();

    ctl::SetCheck(highQualityGraphics_, Setting("HighQualityGraphics") != 0);
    ShowAntialiasingBox();
    FillAntialiasingList();
    EnableAntialiasingControls();

    FillMonitorList();
}

void CSettingsDlg::ShowAntialiasingBox() {
    antialiasingPending_ = settings_.Get("Antialiasing").kind() == ValueKind::Empty;
    ctl::SetCheck(antialiasing_, Setting("Antialiasing") != 0);
    ctl::Enable(antialiasing_, !antialiasingPending_);
}

void CSettingsDlg::FillAntialiasingList() {
    const int32_t stored = Setting("Antialiasing");
    ctl::ComboReset(antialiasingList_);
    if (!levelsKnown_) return;
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

int32_t CSettingsDlg::AntialiasingValue() const {
    if (!ctl::GetCheck(antialiasing_)) return 0;
    const int selected = ctl::ComboGetSel(antialiasingList_);
    if (selected < 0) return 1;
    return static_cast<int32_t>(ctl::ComboGetData(antialiasingList_, selected));
}

void CSettingsDlg::ShowMusicVolume(int percent) {
    SetTextWithAccessKey(musicLabel_, FormatTranslated(L"Music volume: %.01i%%", percent));
}

void CSettingsDlg::ShowSoundsVolume(int percent) {
    SetTextWithAccessKey(soundsLabel_, FormatTranslated(L"Sound volume: %.01i%%", percent));
}

void CSettingsDlg::SendAntialiasing() {
    sentAntialiasing_ = AntialiasingValue();
    Notify(kLiveAntialiasing, *sentAntialiasing_);
}

void CSettingsDlg::SendAllSeven() {
    SendAntialiasing();
    Notify(kLiveMusicVolume, ctl::TrackbarGetPos(musicVolume_));
    Notify(kLiveMusicEnabled, ctl::GetCheck(enableMusic_));
    Notify(kLiveSoundsVolume, ctl::TrackbarGetPos(soundsVolume_));
    Notify(kLiveSoundsEnabled, ctl::GetCheck(enableSounds_));
    Notify(kLiveHighQualityGraphics, ctl::GetCheck(highQualityGraphics_));
    Notify(kLiveHighQualityTextures, ctl::GetCheck(highQualityTextures_));
}

void CSettingsDlg::RevertPreview() {
    LoadControls();
    SendAllSeven();
}

void CSettingsDlg::StoreControls() {
    SetSetting("HighQualityGraphics", ctl::GetCheck(highQualityGraphics_));
    SetSetting("HighQualityTextures", ctl::GetCheck(highQualityTextures_));
    SetSetting("Antialiasing", AntialiasingValue());
    SetSetting("UsePlaylist", ctl::GetCheck(playMyMusic_));
    SetSetting("MusicVolumePercentage", ctl::TrackbarGetPos(musicVolume_));
    SetSetting("DisableOnMouseActivate", !ctl::GetCheck(exitOnMouse_));
    SetSetting("DisableMusic", !ctl::GetCheck(enableMusic_));
    SetSetting("SoundsVolumePercentage", ctl::TrackbarGetPos(soundsVolume_));
    SetSetting("DisableSound", !ctl::GetCheck(enableSounds_));
}

// Autostart follows the settings: after a failed save the registry is as it was before OK.
void CSettingsDlg::SettingsSaved() {
    WriteRunEntry(ctl::GetCheck(runAtStartup_), BuildAutostartCommand());
}

void CSettingsDlg::Reopened() {
    probes_.AnnounceTo(hwnd_, kProbeAnswerMessage); // the answers that came while the error box showed
}

LRESULT CSettingsDlg::OnTrackbarMoved(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const HWND source = reinterpret_cast<HWND>(lParam);
    if (source && source == musicVolume_) {
        const int position = ctl::TrackbarGetPos(musicVolume_);
        ShowMusicVolume(position);
        Notify(kLiveMusicVolume, position);
    } else if (source && source == soundsVolume_) {
        const int position = ctl::TrackbarGetPos(soundsVolume_);
        ShowSoundsVolume(position);
        Notify(kLiveSoundsVolume, position);
    } else {
        handled = FALSE;
    }
    return 0;
}

void CSettingsDlg::EnableMusicControls() {
    const bool music = ctl::GetCheck(enableMusic_);
    ctl::Enable(musicVolume_, music);
    ctl::Enable(musicLabel_, music);
    ctl::Enable(playMyMusic_, music);
    ctl::Enable(editPlaylist_, music && ctl::GetCheck(playMyMusic_));
}

void CSettingsDlg::EnableSoundControls() {
    const bool sound = ctl::GetCheck(enableSounds_);
    ctl::Enable(soundsVolume_, sound);
    ctl::Enable(soundsLabel_, sound);
}

void CSettingsDlg::EnableAntialiasingControls() {
    const bool on = ctl::GetCheck(antialiasing_);
    ctl::Enable(antialiasingLabel_, on);
    ctl::Enable(antialiasingList_, on && levelsKnown_);
}

LRESULT CSettingsDlg::OnEnableMusic(WORD, WORD, HWND, BOOL&) {
    EnableMusicControls();
    Notify(kLiveMusicEnabled, ctl::GetCheck(enableMusic_));
    return 0;
}

LRESULT CSettingsDlg::OnEnableSounds(WORD, WORD, HWND, BOOL&) {
    EnableSoundControls();
    Notify(kLiveSoundsEnabled, ctl::GetCheck(enableSounds_));
    return 0;
}

LRESULT CSettingsDlg::OnAntialiasing(WORD, WORD, HWND, BOOL&) {
    EnableAntialiasingControls();
    SendAntialiasing();
    return 0;
}

LRESULT CSettingsDlg::OnEditPlaylist(WORD, WORD, HWND, BOOL&) {
    CPlaylistDlg editor(settings_);
    editor.DoModal(::GetActiveWindow());
    return 0;
}

LRESULT CSettingsDlg::OnPlayMyMusic(WORD, WORD, HWND, BOOL&) {
    ctl::Enable(editPlaylist_, ctl::GetCheck(playMyMusic_));
    return 0;
}

LRESULT CSettingsDlg::OnRestoreDefaults(WORD, WORD, HWND, BOOL&) {
    if (ending_ != Ending::None) return 0;
    ApplyDefaults();
    LoadControls();
    SendAllSeven();
    return 0;
}

LRESULT CSettingsDlg::OnHighQualityGraphics(WORD, WORD, HWND, BOOL&) {
    Notify(kLiveHighQualityGraphics, ctl::GetCheck(highQualityGraphics_));
    return 0;
}

LRESULT CSettingsDlg::OnHighQualityTextures(WORD, WORD, HWND, BOOL&) {
    Notify(kLiveHighQualityTextures, ctl::GetCheck(highQualityTextures_));
    return 0;
}

LRESULT CSettingsDlg::OnVideoModeChanged(WORD, WORD, HWND, BOOL&) {
    RefreshVideoModes();
    return 0;
}

} // namespace qm
