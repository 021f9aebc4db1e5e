// The slow questions that the settings dialog asks the machine: the Direct3D 9 enumeration (the monitor
// list), the Direct3D 11 multisample probe (the antialiasing list) and the hardware facts (the
// hardware-dependent defaults). Each runs on a thread of its own and touches neither a window nor the
// dialog's data: when its answer is in, it posts a message to the window it was told of, and that
// window's thread takes the answer from here. A probe that fails or throws answers as the same failure
// always has: no monitors, no antialiasing counts, no video memory.
#pragma once

#include "display/display_tables.h"
#include "platform/unique_handle.h"
#include "settings/settings_defaults.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace qm {

// One piece of work on a thread of its own, with COM initialised there for that thread. Whatever escapes
// the work is caught on that thread, and the failure handler runs there instead; then `finished`.
class BackgroundTask {
  public:
    BackgroundTask() = default;
    // Waits for the thread: it must not outlive what it writes into.
    ~BackgroundTask() { Wait(INFINITE); }
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // Once per object; later calls do nothing. onFailure and finished must not throw.
    void Start(std::function<void()> work, std::function<void()> onFailure, std::function<void()> finished);
    bool started() const { return started_; }
    // Whether the work and its handlers are over; what they wrote may be read from then on.
    bool done() const { return done_.load(std::memory_order_acquire); }
    // Waits up to timeoutMs for the thread to have exited (true at once when it never started or ran
    // without a thread of its own). Meanwhile messages that other threads send to this one are delivered,
    // so that a probe sending to a window of ours cannot wait for us while we wait for it. A thread that
    // is done may still be held in its exit (each DLL's detach code runs there, under the loader's lock),
    // so done() does not mean that this returns at once.
    bool Wait(DWORD timeoutMs);
    // Set when the work is over; null when it never started. For another task's thread to wait on.
    HANDLE doneEvent() const { return doneEvent_.get(); }

  private:
    static DWORD WINAPI ThreadMain(void* task);
    void Run();

    bool started_ = false;
    std::atomic<bool> done_{false};
    UniqueKernelHandle doneEvent_; // set by the thread as its last act
    UniqueKernelHandle thread_;
    std::function<void()> work_;
    std::function<void()> onFailure_;
    std::function<void()> finished_;
};

class DisplayProbes {
  public:
    // Which answer a posted message announces (its wParam).
    enum Probe : WPARAM { kDisplays = 0, kLevels = 1, kFacts = 2 };

    // Each starts its probe unless it has been started before.
    void StartDisplays(ConfirmDevice confirmDevice);
    void StartLevels();
    void StartFacts();
    bool Started(Probe probe) const { return Task(probe).started(); }

    // From now on each answer is announced by posting `message`, with the probe as wParam, to window;
    // answers already in are announced at once, so one answer may be announced twice. A null window
    // ends the announcements.
    void AnnounceTo(HWND window, UINT message);

    // Whether the probe's answer is in. Its result may be read only then; it no longer changes.
    bool Answered(Probe probe) const { return Task(probe).done(); }
    const DisplayTables& Displays() const { return displays_; }
    const std::vector<int>& AntialiasingLevels() const { return antialiasingLevels_; }
    const HardwareFacts& Facts() const { return hardwareFacts_; }

    // Waits up to timeoutMs for every started probe (see BackgroundTask::Wait); true when all are over.
    bool WaitForAll(DWORD timeoutMs);

  private:
    const BackgroundTask& Task(Probe probe) const;
    void Announce(Probe probe);

    // The answers first: the tasks, declared after them, are gone (joined) before the answers are.
    DisplayTables displays_;
    std::vector<int> antialiasingLevels_;
    HardwareFacts hardwareFacts_;
    std::mutex announce_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    BackgroundTask displaysTask_;
    BackgroundTask levelsTask_;
    BackgroundTask factsTask_;
};

} // namespace qm
