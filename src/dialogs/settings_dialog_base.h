// The part of the settings dialog that every product's configuration dialog shares: the settings tree and
// display data, the start of initialisation (live channel, localisation, monitor controls), and OK,
// Cancel, close, the web link and the monitor choice. The product's dialog derives from it.
#pragma once

#include "display/display_tables.h"
#include "platform/dialog_impl.h"
#include "platform/dpi.h"
#include "platform/unique_handle.h"
#include "settings/node.h"

#include "resource.h"

#include <functional>
#include <string>

namespace qm {

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

    // The settings as the dialog holds them (the registry only at OK).
    Node& settings() { return settings_; }
    const DisplayTables& displays() const { return displays_; }
    // Whether OK has stored (or Cancel reverted) and the dialog has ended.
    bool Ended() const { return ended_; }
    // Whether OK carries the elevation shield: the settings key is not writable, but the user can elevate.
    bool OkCarriesShield() const { return okShield_; }

    QM_BEGIN_MSG_MAP()
    QM_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog) // virtual: the product's version runs
    QM_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    QM_MESSAGE_HANDLER(WM_CLOSE, OnClose)
    QM_MESSAGE_HANDLER(WM_TIMER, OnTimer)
    QM_COMMAND_HANDLER(IDOK, BN_CLICKED, OnOk)
    QM_COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnCancel)
    QM_COMMAND_HANDLER(IDC_VISIT, BN_CLICKED, OnVisit)
    QM_COMMAND_HANDLER(IDC_MONITOR_LIST, CBN_SELENDOK, OnMonitorSelected)
    QM_COMMAND_HANDLER(IDC_BLANK_SCREENS, BN_CLICKED, OnBlankScreensClicked)
    QM_END_MSG_MAP()

  protected:
    // How the dialog is ending. OK and Cancel each wait, with a bound, for the answers that what they store
    // or send rests on; meanwhile the dialog is hidden, and a second OK, Cancel or close does nothing.
    enum class Ending { None, Ok, Cancel };
    // Called as OK or Cancel begins, before ReadyToEnd is first asked.
    virtual void PrepareEnding(Ending) {}
    // Whether the answers that OK's store or Cancel's revert rest on are in: all are, unless the product's
    // dialog still waits for some.
    virtual bool ReadyToEnd(Ending) { return true; }
    // After OK's store succeeded, before the dialog ends: what is written only with the settings.
    virtual void SettingsSaved() {}
    // After a failed store has put the dialog back in the user's hands.
    virtual void Reopened() {}
    // Carries out OK or Cancel once ReadyToEnd holds or the wait's time is up; the product's dialog calls
    // it again after each answer.
    void FinishEnding();
    Ending ending_ = Ending::None;
    // Whether the display tables hold the enumeration's answer; until then the monitor list is empty.
    bool displaysKnown_ = false;

    // Posts one live setting change to a running wallpaper, if there is one.
    void Notify(WPARAM code, LPARAM value);
    // Rebuilds the monitor list and the blank-screens box from the tree and the display tables.
    void FillMonitorList();
    // The video-mode list and the desktop-resolution box are not in the template; kept so that the
    // monitor choice stays complete should a template carry them.
    void RefreshVideoModes() {}

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
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    void BeginEnding(Ending ending);
    void KeepOpenAfterFailedSave(bool shown, HWND owner);
    LRESULT OnOk(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnVisit(WORD, WORD, HWND, BOOL&);
    LRESULT OnMonitorSelected(WORD, WORD, HWND, BOOL&);
    LRESULT OnBlankScreensClicked(WORD, WORD, HWND, BOOL&);

    bool waitedLongEnough_ = false; // OK's or Cancel's wait has run out of time
    bool ended_ = false;            // OK or Cancel has been carried out
    bool okShield_ = false;
};

} // namespace qm
