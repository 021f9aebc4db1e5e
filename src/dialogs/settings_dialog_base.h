// The part of the settings dialog that every product's configuration dialog shares: the settings tree and
// display data, the probes that answer the slow questions about the machine, the start of initialisation
// (live channel, localisation), the monitor and antialiasing choices, the web link, and the ending by OK,
// Cancel or close. The product's dialog derives from it.
#pragma once

#include "dialogs/display_probes.h"
#include "display/display_tables.h"
#include "platform/dialog_impl.h"
#include "platform/dpi.h"
#include "platform/unique_handle.h"
#include "settings/node.h"

#include "resource.h"

#include <functional>
#include <optional>
#include <string>

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

// "Visit..." opens its page with the shell. Tests replace that with SetOpenWebPageForTesting(f);
// SetOpenWebPageForTesting({}) restores the shell.
void SetOpenWebPageForTesting(std::function<void(const std::wstring& address)> open);

class CSettingsDlgBase : public DialogImpl<CSettingsDlgBase> {
  public:
    enum { IDD = IDD_SETTINGS };

    CSettingsDlgBase();

    // The product's operations, in this order.
    virtual void StoreControls() = 0;
    virtual HRESULT ConfirmDevice(const D3DCAPS9& caps, DWORD behavior, D3DFORMAT format);
    virtual void ApplyDefaults();
    virtual LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual void RevertPreview() = 0;

    // Waits up to timeoutMs for the probes still running; true when none is.
    bool WaitForProbes(DWORD timeoutMs) { return probes_.WaitForAll(timeoutMs); }

    // For tests only: the tree and the display data as the dialog holds them, whether it has ended,
    // whether OK carries the elevation shield, the probes started before the dialog is made (as a host
    // that wants their answers sooner may), and whether every answer asked for has been taken in.
    Node& SettingsForTesting() { return settings_; }
    const DisplayTables& DisplaysForTesting() const { return displays_; }
    bool EndedForTesting() const { return phase_ == Phase::Done; }
    bool OkCarriesShieldForTesting() const { return okShield_; }
    void StartProbesForTesting();
    bool AnswersCompleteForTesting() const;

    QM_BEGIN_MSG_MAP()
    QM_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog) // virtual: the product's version runs
    QM_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    QM_MESSAGE_HANDLER(WM_CLOSE, OnClose)
    QM_MESSAGE_HANDLER(WM_TIMER, OnTimer)
    QM_MESSAGE_HANDLER(kProbeAnswerMessage, OnProbeAnswer)
    QM_COMMAND_HANDLER(IDOK, BN_CLICKED, OnOk)
    QM_COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnCancel)
    QM_COMMAND_HANDLER(IDC_VISIT, BN_CLICKED, OnVisit)
    QM_COMMAND_HANDLER(IDC_MONITOR_LIST, CBN_SELENDOK, OnMonitorSelected)
    QM_COMMAND_HANDLER(IDC_BLANK_SCREENS, BN_CLICKED, OnBlankScreensClicked)
    QM_END_MSG_MAP()

  protected:
    // Lays the answers already in (of probes started before the dialog) over the loaded settings.
    void TakeAnswersIn();
    // From now on each answer fills its controls as it comes: starts the Direct3D probes and, when asked,
    // the hardware facts, unless started before.
    void StartProbes(bool facts);
    bool Known(DisplayProbes::Probe probe) const { return (known_ & Bit(probe)) != 0; }
    // Restore Defaults: the defaults, with the hardware rows from the facts when known, else left for the
    // facts, which are asked for once.
    void ApplyDefaultsOfThisMachine();
    // Whether OK, Cancel or close has begun: the dialog no longer takes the user's changes.
    bool Ending() const { return phase_ != Phase::Open; }

    // Posts one live setting change to a running wallpaper, if there is one.
    void Notify(WPARAM code, LPARAM value);
    // Rebuilds the monitor list and the blank-screens box from the tree and the display tables.
    void FillMonitorList();
    // The video-mode list and the desktop-resolution box are not in the template; kept so that the
    // monitor choice stays complete should a template carry them.
    void RefreshVideoModes() {}
    // "Antialiasing" from the tree; unchecked and disabled while its hardware default is not known.
    void ShowAntialiasingBox();
    void FillAntialiasingList();
    void EnableAntialiasingControls();
    // What "Antialiasing" stands for: 0 when off, else the chosen sample count, or 1 (on, no chosen
    // count) when the list offers none.
    int32_t AntialiasingValue() const;
    // Sends code 6 with what the antialiasing controls show now, and remembers it.
    void SendAntialiasing();

    int32_t Setting(const char* name) { return settings_.Get(name).AsInteger(); }
    void SetSetting(const char* name, int32_t value) { settings_.Get(name) = NodeValue(value); }

    Node settings_;
    DisplayTables displays_;
    HWND enableSounds_ = nullptr;
    HWND soundsVolume_ = nullptr;
    HWND soundsLabel_ = nullptr;
    HWND enableMusic_ = nullptr;
    HWND musicVolume_ = nullptr;
    HWND musicLabel_ = nullptr;
    HWND highQualityTextures_ = nullptr;
    HWND showFps_ = nullptr; // no template has it; the absent-control rule makes its uses harmless
    HWND exitOnMouse_ = nullptr;
    WindowIcons icons_;
    UINT liveMessage_ = 0;
    HWND wallpaper_ = nullptr;
    HWND monitorList_ = nullptr;
    HWND blankScreens_ = nullptr;
    HWND videoModeList_ = nullptr;
    HWND desktopRes_ = nullptr;
    HWND highQualityGraphics_ = nullptr;
    HWND antialiasing_ = nullptr;
    HWND antialiasingLabel_ = nullptr;
    HWND antialiasingList_ = nullptr;
    HWND playMyMusic_ = nullptr;
    HWND editPlaylist_ = nullptr;
    HWND runAtStartup_ = nullptr;

  private:
    // Posted by the probes' threads; wParam says which answer is in.
    static constexpr UINT kProbeAnswerMessage = WM_APP + 1;
    static constexpr unsigned Bit(DisplayProbes::Probe probe) { return 1u << probe; }

    // The life of OK, Cancel and close (settings_dialog_ending.cpp).
    enum class Phase { Open, Waiting, Storing, Done };
    enum class Event { Ok, Cancel, Answer, TimeUp };
    void Advance(Event event);
    unsigned Missing() const;
    bool Store();
    void Reopen();

    // Lays the probe's answer over the dialog's data, once; false when it is not in or was taken before.
    bool TakeAnswer(DisplayProbes::Probe probe);
    // Fills the controls that waited for the probe's answer; boxWaited: the "Antialiasing" box showed
    // that its value waited for the facts.
    void ShowAnswer(DisplayProbes::Probe probe, bool boxWaited);
    // Cancel: the tree is the settings key again, with the answers that are in.
    void ReloadStoredSettings();
    bool AntialiasingAwaitsFacts() const;

    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnProbeAnswer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOk(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnVisit(WORD, WORD, HWND, BOOL&);
    LRESULT OnMonitorSelected(WORD, WORD, HWND, BOOL&);
    LRESULT OnBlankScreensClicked(WORD, WORD, HWND, BOOL&);

    // Asked once per dialog: the hardware does not change while it is open.
    DisplayProbes probes_;
    unsigned known_ = 0; // the answers taken in, one bit a probe
    Phase phase_ = Phase::Open;
    bool ok_ = false; // the ending is OK's; else Cancel's (or close's)
    bool okShield_ = false;
    // The antialiasing value last sent to the wallpaper, if any: a later answer that changes what the
    // controls show sends it again, so that the wallpaper ends as it would had the answer come first.
    std::optional<int32_t> sentAntialiasing_;
};

} // namespace qm
