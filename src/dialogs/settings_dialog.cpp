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

void CSettingsDlg::ApplyDefaults() {
    ApplyDefaultsOfThisMachine();
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
    TakeAnswersIn();
    LoadControls();

    SetWindowText(FormatTranslated(L"%s %s Configuration", kProductName, kVersionText).c_str());
    ShowWindow(SW_SHOWNORMAL);
    icons_.Show(hwnd_, Module().instance(), IDI_PRODUCT, DpiOf(hwnd_));
    // Only now: started earlier, the probes' loading of Direct3D and their work on the other core slow the
    // making of the dialog down more than they gain, and the answers come no sooner.
    StartProbes(needFacts);
    return TRUE;
}

LRESULT CSettingsDlg::OnDpiChanged(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    icons_.Show(hwnd_, Module().instance(), IDI_PRODUCT, LOWORD(wParam));
    handled = FALSE; // the dialog lays itself out anew in the default handling
    return 0;
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

void CSettingsDlg::ShowMusicVolume(int percent) {
    SetTextWithAccessKey(musicLabel_, FormatTranslated(L"Music volume: %.01i%%", percent));
}

void CSettingsDlg::ShowSoundsVolume(int percent) {
    SetTextWithAccessKey(soundsLabel_, FormatTranslated(L"Sound volume: %.01i%%", percent));
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
    if (Ending()) return 0;
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
