// The screensaver's settings dialog: the product's own controls (antialiasing, sound, music, playlist,
// autostart), the live preview of their changes in a running animated wallpaper, and the commit at OK.
#pragma once

#include "dialogs/settings_dialog_base.h"

namespace qm {

class CSettingsDlg : public CSettingsDlgBase {
  public:
    CSettingsDlg();

    void StoreControls() override;
    HRESULT ConfirmDevice(const D3DCAPS9& caps, DWORD behavior, D3DFORMAT format) override;
    void ApplyDefaults() override;
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void RevertPreview() override;

    // Sets every control from the settings tree and the answers that are in; a control whose answer is
    // not in yet stays empty (or unchecked) and disabled until it comes.
    void LoadControls();

    QM_BEGIN_MSG_MAP()
    QM_MESSAGE_HANDLER(WM_HSCROLL, OnTrackbarMoved)
    QM_MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
    QM_COMMAND_HANDLER(IDC_ENABLE_MUSIC, BN_CLICKED, OnEnableMusic)
    QM_COMMAND_HANDLER(IDC_ENABLE_SOUNDS, BN_CLICKED, OnEnableSounds)
    QM_COMMAND_HANDLER(IDC_ANTIALIASING, BN_CLICKED, OnAntialiasing)
    QM_CHAIN_MSG_MAP(CSettingsDlgBase)
    QM_COMMAND_HANDLER(IDC_EDIT_PLAYLIST, BN_CLICKED, OnEditPlaylist)
    QM_COMMAND_HANDLER(IDC_PLAY_MY_MUSIC, BN_CLICKED, OnPlayMyMusic)
    QM_COMMAND_HANDLER(IDC_RUN_AT_STARTUP, BN_CLICKED, OnRunAtStartup)
    QM_COMMAND_HANDLER(IDC_RESTORE_DEFAULTS, BN_CLICKED, OnRestoreDefaults)
    QM_COMMAND_HANDLER(IDC_HQ_GRAPHICS, BN_CLICKED, OnHighQualityGraphics)
    QM_COMMAND_HANDLER(IDC_HQ_TEXTURES, BN_CLICKED, OnHighQualityTextures)
    QM_COMMAND_HANDLER(IDC_DESKTOP_RES, BN_CLICKED, OnVideoModeChanged)
    QM_COMMAND_HANDLER(IDC_VIDEO_MODE_LIST, CBN_SELENDOK, OnVideoModeChanged)
    QM_END_MSG_MAP()

  private:
    // Sends codes 6, 1, 2, 3, 4, 0 and 5, each with what its control shows now.
    void SendAllSeven();
    // Enabled states that follow check boxes, the same at load and on a click.
    void EnableMusicControls();
    void EnableSoundControls();
    void ShowMusicVolume(int percent);
    void ShowSoundsVolume(int percent);

    LRESULT OnTrackbarMoved(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEnableMusic(WORD, WORD, HWND, BOOL&);
    LRESULT OnEnableSounds(WORD, WORD, HWND, BOOL&);
    LRESULT OnAntialiasing(WORD, WORD, HWND, BOOL&);
    LRESULT OnEditPlaylist(WORD, WORD, HWND, BOOL&);
    LRESULT OnPlayMyMusic(WORD, WORD, HWND, BOOL&);
    LRESULT OnRunAtStartup(WORD, WORD, HWND, BOOL&) { return 0; } // read at OK
    LRESULT OnRestoreDefaults(WORD, WORD, HWND, BOOL&);
    LRESULT OnHighQualityGraphics(WORD, WORD, HWND, BOOL&);
    LRESULT OnHighQualityTextures(WORD, WORD, HWND, BOOL&);
    LRESULT OnVideoModeChanged(WORD, WORD, HWND, BOOL&);
};

} // namespace qm
