// The slow questions that the settings dialog asks the machine: the Direct3D 9 enumeration (the monitor
// list), the Direct3D 11 multisample probe (the antialiasing list) and the hardware facts (for the
// hardware-dependent defaults). Each runs on a thread of its own, started as early as possible, so that
// they overlap one another and the dialog's creation; the dialog waits for an answer only where it uses
// it. A probe that fails or throws answers as the same failure always has: no monitors, no antialiasing
// counts, no video memory. No thread outlives the object.
#pragma once

#include "display/display_tables.h"
#include "platform/unique_handle.h"
#include "settings/settings_defaults.h"

#include <functional>
#include <thread>
#include <vector>

namespace qm {

// One piece of work on a thread of its own, with COM initialised there for that thread. Whatever escapes
// the work is caught on that thread, and the failure handler runs there instead.
class BackgroundTask {
  public:
    BackgroundTask() = default;
    ~BackgroundTask() { Wait(); }
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // Once per object; later calls do nothing. onFailure must not throw.
    void Start(std::function<void()> work, std::function<void()> onFailure);
    bool started() const { return started_; }
    // Returns when the work is done (at once when it never started). Meanwhile messages that other
    // threads send to this one are delivered, so that a probe sending to a window of ours cannot wait for
    // us while we wait for it.
    void Wait();

  private:
    bool started_ = false;
    UniqueKernelHandle done_; // set by the thread as its last act
    std::thread thread_;
};

class DisplayProbes {
  public:
    // Starts the enumeration into tables, which reads the stored mode from settings (the probe has both
    // until WaitForDisplays returns: touch neither before), the multisample probe, and the hardware facts
    // when needFacts. Only the first call starts anything.
    void Start(DisplayTables& tables, Node& settings, ConfirmDevice confirmDevice, bool needFacts);
    bool started() const { return displays_.started(); }

    void WaitForDisplays() { displays_.Wait(); }
    const std::vector<int>& AntialiasingLevels() {
        levels_.Wait();
        return antialiasingLevels_;
    }
    // Begins gathering the hardware facts unless that has begun; does not wait.
    void StartHardwareFacts();
    // The hardware facts, gathered at most once: begins if need be, then waits.
    const HardwareFacts& Facts() {
        StartHardwareFacts();
        facts_.Wait();
        return hardwareFacts_;
    }
    void WaitForAll();

  private:
    // The answers first: the tasks, declared after them, are gone (joined) before the answers are.
    std::vector<int> antialiasingLevels_;
    HardwareFacts hardwareFacts_;
    BackgroundTask displays_;
    BackgroundTask levels_;
    BackgroundTask facts_;
};

} // namespace qm
