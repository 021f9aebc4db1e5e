#include "dialogs/display_probes.h"

#include "dialogs/hardware_facts.h"
#include "platform/com_ptr.h"

#include <system_error>

namespace qm {

namespace {

void RunWithCom(const std::function<void()>& work, const std::function<void()>& onFailure) {
    // Each thread initialises COM for itself, in an apartment of its own. Not the MTA: an object that
    // wants a single-threaded apartment would then be made in the dialog's thread, and every call to it
    // would wait for that thread to dispatch posted messages.
    ComApartment apartment;
    try {
        work();
    } catch (...) {
        onFailure();
    }
}

// What is left of timeoutMs since start (GetTickCount), INFINITE for INFINITE.
DWORD TimeLeft(DWORD start, DWORD timeoutMs) {
    if (timeoutMs == INFINITE) return INFINITE;
    const DWORD spent = ::GetTickCount() - start;
    return spent < timeoutMs ? timeoutMs - spent : 0;
}

} // namespace

void BackgroundTask::Start(std::function<void()> work, std::function<void()> onFailure,
                           std::function<void()> finished) {
    if (started_) return;
    started_ = true;
    doneEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto run = [this, work = std::move(work), onFailure = std::move(onFailure),
                finished = std::move(finished)] {
        RunWithCom(work, onFailure);
        done_.store(true, std::memory_order_release);
        if (finished) finished();
        if (doneEvent_) ::SetEvent(doneEvent_.get());
    };
    try {
        thread_ = std::thread(run);
    } catch (const std::system_error&) {
        run(); // no thread to be had: the same answer, only not overlapped
    }
}

bool BackgroundTask::Wait(DWORD timeoutMs) {
    if (!thread_.joinable()) return true;
    HANDLE done = doneEvent_.get();
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD woken =
            done ? ::MsgWaitForMultipleObjects(1, &done, FALSE, TimeLeft(start, timeoutMs), QS_SENDMESSAGE)
                 : WAIT_OBJECT_0;
        if (woken == WAIT_OBJECT_0) break;
        if (woken != WAIT_OBJECT_0 + 1) return false; // the time is up (or the wait failed)
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    thread_.join();
    return true;
}

const BackgroundTask& DisplayProbes::Task(Probe probe) const {
    switch (probe) {
    case kDisplays:
        return displaysTask_;
    case kLevels:
        return levelsTask_;
    default:
        return factsTask_;
    }
}

void DisplayProbes::Announce(Probe probe) {
    std::lock_guard<std::mutex> lock(announce_);
    if (window_) ::PostMessageW(window_, message_, probe, 0);
}

void DisplayProbes::AnnounceTo(HWND window, UINT message) {
    {
        std::lock_guard<std::mutex> lock(announce_);
        window_ = window;
        message_ = message;
    }
    // A probe that finished before the window was named has announced nothing.
    for (Probe probe : {kDisplays, kLevels, kFacts})
        if (Answered(probe)) Announce(probe);
}

void DisplayProbes::StartDisplays(ConfirmDevice confirmDevice) {
    displaysTask_.Start([this, confirmDevice] { ProbeDisplays(displays_, confirmDevice); },
                        [this] { displays_ = DisplayTables{}; }, [this] { Announce(kDisplays); });
}

void DisplayProbes::StartLevels() {
    levelsTask_.Start([this] { antialiasingLevels_ = ProbeAntialiasingLevels(); },
                      [this] { antialiasingLevels_.clear(); }, [this] { Announce(kLevels); });
}

// The facts wait for the Direct3D probes: under Wine the three contend rather than overlap, so the two lists
// come sooner when the facts, which only the "Antialiasing" box and OK wait for, take their turn after.
void DisplayProbes::StartFacts() {
    // The tasks started by now; their events live as long as this object.
    const HANDLE before[] = {displaysTask_.doneEvent(), levelsTask_.doneEvent()};
    factsTask_.Start(
        [this, before] {
            for (HANDLE done : before)
                if (done) ::WaitForSingleObject(done, INFINITE);
            hardwareFacts_ = GatherHardwareFacts();
        },
        [this] { hardwareFacts_ = HardwareFacts{}; }, [this] { Announce(kFacts); });
}

bool DisplayProbes::WaitForAll(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (BackgroundTask* task : {&displaysTask_, &levelsTask_, &factsTask_})
        if (!task->Wait(TimeLeft(start, timeoutMs))) return false;
    return true;
}

} // namespace qm
