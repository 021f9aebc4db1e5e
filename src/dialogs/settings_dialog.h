// The screensaver's settings dialog: the product's own controls (antialiasing, sound, music, playlist,
// autostart), the live preview of their changes in a running animated wallpaper, and the commit at OK.
#pragma once

#include "dialogs/display_probes.h"
#include "dialogs/settings_dialog_base.h"

#include <optional>

namespace qm {

// Live setting codes understood by the animated wallpaper.
enum LiveSetting : WPARAM {
    kLiveHighQualityGraphics = 0,
    kLiveMusicVolume = 1,
    kLiveMusicEnabled = 2,
    kLiveSoundsVolume = 3,
    kLiveSoundsEnabled = 4,
    kLiveHighQualityTextures = 5,
    kLiveAntialiasing = 6,
};

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
    // Starts the display probes and, when the settings key leaves a hardware default showing, the
    // hardware facts, before the dialog is made. Initialisation starts them itself, once it has shown the
    // dialog, when this was not called.
    void StartProbes();
    // Waits up to timeoutMs for the probes still running; true when none is.
    bool WaitForProbes(DWORD timeoutMs) { return probes_.WaitForAll(timeoutMs); }
    // Whether every answer the dialog asked for has been taken up (the monitor list, the antialiasing
    // list and the hardware defaults are complete).
    bool AnswersComplete() const;

    QM_BEGIN_MSG_MAP()
    QM_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    QM_MESSAGE_HANDLER(kProbeAnswerMessage, OnProbeAnswer)
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
    // Posted by the probes' threads; wParam says which answer is in.
    static constexpr UINT kProbeAnswerMessage = WM_APP + 1;

    void PrepareEnding(Ending ending) override;
    bool ReadyToEnd(Ending ending) override;
    void SettingsSaved() override;
    void Reopened() override;
    // The Direct3D 9 enumeration and the multisample probe, unless started before.
    void StartDisplayProbes();
    // Lays the probe's answer over the dialog's data, once; false when it is not in or was taken before.
    bool TakeAnswer(DisplayProbes::Probe probe);
    // Fills the controls that waited for the probe's answer.
    void ShowAnswer(DisplayProbes::Probe probe);
    // Sends codes 6, 1, 2, 3, 4, 0 and 5, each with what its control shows now.
    void SendAllSeven();
    // Sends code 6 with what the antialiasing controls show now, and remembers it.
    void SendAntialiasing();
    // What "Antialiasing" stands for: 0 when off, else the chosen sample count, or 1 (on, no chosen
    // count) when the list offers none.
    int32_t AntialiasingValue() const;
    // "Antialiasing" from the tree; unchecked and disabled while its hardware default is not known.
    void ShowAntialiasingBox();
    void FillAntialiasingList();
    // Enabled states that follow check boxes, the same at load and on a click.
    void EnableMusicControls();
    void EnableSoundControls();
    void EnableAntialiasingControls();
    void ShowMusicVolume(int percent);
    void ShowSoundsVolume(int percent);

    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnProbeAnswer(UINT, WPARAM, LPARAM, BOOL&);
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

    // Asked once per dialog: the hardware does not change while it is open.
    DisplayProbes probes_;
    bool levelsKnown_ = false;
    bool factsKnown_ = false;
    // The "Antialiasing" box waits for the hardware facts: its setting is a hardware default not yet known.
    bool antialiasingPending_ = false;
    // The antialiasing value last sent to the wallpaper, if any: a later answer that changes what the
    // controls show sends it again, so that the wallpaper ends as it would had the answer come first.
    std::optional<int32_t> sentAntialiasing_;
};

} // namespace qm
