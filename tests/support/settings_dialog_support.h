// Driving the settings dialog in-process: a stand-in wallpaper window that records the live messages,
// machines described to the display enumeration, and typed values in the scratch settings key.
#pragma once

#include "fake_direct3d9.h"
#include "settings/settings_defaults.h"
#include "test_support.h"

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qmtest {

using LiveMessage = std::pair<WPARAM, LPARAM>; // setting code, value

// A hidden top-level "Direct3D Window" of this thread that records each live-settings message it gets.
class LiveMessageCatcher {
  public:
    LiveMessageCatcher();
    ~LiveMessageCatcher();
    LiveMessageCatcher(const LiveMessageCatcher&) = delete;
    LiveMessageCatcher& operator=(const LiveMessageCatcher&) = delete;

    HWND window() const { return window_; }
    // Delivers what is waiting in this thread's queue, then hands over (and forgets) what arrived.
    std::vector<LiveMessage> Take();

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// For the life of the object the hardware facts are these (gathering the real ones takes seconds).
class UseHardwareFacts {
  public:
    explicit UseHardwareFacts(qm::HardwareFacts facts);

  private:
    ScopedSeam<std::function<qm::HardwareFacts()>> seam_;
};

// The display machine the dialog sees: Direct3D 9 adapters, the supported multisample counts, and
// hardware facts for which the hardware-dependent defaults give 1 where the screen allows.
struct TestMachine {
    // FirstWithoutModes: three adapters, the first without a usable mode (left out of the list).
    enum class Monitors { One, TwoAdapters, OneGroupOfTwo, FirstWithoutModes };
    TestMachine(Monitors monitors, std::vector<int> antialiasingCounts);

    FakeDirect3D9 direct3d;
    std::unique_ptr<UseFakeDirect3D9> useDirect3D;
    std::unique_ptr<UseFakeAntialiasingLevels> useCounts;
    UseHardwareFacts useFacts{qm::HardwareFacts{4096, 4000}};
};

// Typed values in HKEY_LOCAL_MACHINE's settings key (the scratch key under ScratchRegistry).
void StoreSetting(const std::wstring& name, const std::wstring& typedText);
void StoreIntegerSetting(const std::wstring& name, int value);
std::optional<std::wstring> StoredSetting(const std::wstring& name);
// Every value of the settings key, "name=text" in name order.
std::vector<std::wstring> AllStoredSettings();

// The Run value under HKEY_CURRENT_USER, or nothing when it is absent.
std::optional<std::wstring> StoredRunEntry();
void StoreRunEntry(const std::wstring& text);

// A control's state, read the way a user sees it.
std::vector<std::wstring> ComboTexts(HWND combo);
std::wstring ComboSelectedText(HWND combo);

// The user's actions, as the messages they produce.
void Click(HWND dialog, int id);
void SelectComboEntry(HWND dialog, int id, int index);
void DragTrackbar(HWND dialog, int id, std::initializer_list<int> positions);

// The controls of this thread's visible owned windows (message boxes and the playlist editor) from a
// timer, so that a test can answer a modal loop that runs inside its own call.
class ModalAnswer {
  public:
    // Every few milliseconds: when a visible window owned by owner exists, act on it once.
    using Action = void (*)(HWND window);
    ModalAnswer(HWND owner, Action action);
    ~ModalAnswer();
    bool answered() const;

  private:
    UINT_PTR timer_ = 0;
};

// The elevated start of a user who agrees to the prompt: lift (so that the elevated instance may write),
// then the elevated instance's store, in this process; ERROR_SUCCESS.
std::function<DWORD(const std::wstring& parameters)> AgreedElevation(std::function<void()> lift);

// A ModalAnswer action for a message box: keeps its caption and texts in BoxText(), as
// "caption|texts", then closes it with OK.
void ReadAndCloseBox(HWND box);
std::wstring& BoxText();

} // namespace qmtest

namespace qmtest {

// Every value of one registry key in a chosen view, saved on construction and put back on destruction:
// values added since are removed, changed ones restored; a key that did not exist is removed again.
class SavedRegistryKey {
  public:
    SavedRegistryKey(HKEY root, std::wstring path, REGSAM view);
    ~SavedRegistryKey();
    SavedRegistryKey(const SavedRegistryKey&) = delete;
    SavedRegistryKey& operator=(const SavedRegistryKey&) = delete;

    // Sets a REG_SZ value (with its terminator) in the key, creating the key when needed.
    bool SetText(const std::wstring& name, const std::wstring& text);

  private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY root_;
    std::wstring path_;
    REGSAM view_;
    bool existed_ = false;
    std::vector<Value> values_;
};

} // namespace qmtest
