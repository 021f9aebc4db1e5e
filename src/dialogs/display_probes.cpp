#include "dialogs/display_probes.h"

#include "dialogs/hardware_facts.h"
#include "platform/com_ptr.h"

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
    work_ = std::move(work);
    onFailure_ = std::move(onFailure);
    finished_ = std::move(finished);
    doneEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(::CreateThread(nullptr, 0, &BackgroundTask::ThreadMain, this, 0, nullptr));
    if (!thread_) Run(); // no thread to be had: the same answer, only not overlapped
}

DWORD WINAPI BackgroundTask::ThreadMain(void* task) {
    static_cast<BackgroundTask*>(task)->Run();
    return 0;
}

void BackgroundTask::Run() {
    RunWithCom(work_, onFailure_);
    done_.store(true, std::memory_order_release);
    if (finished_) finished_();
    if (doneEvent_) ::SetEvent(doneEvent_.get());
}

bool BackgroundTask::Wait(DWORD timeoutMs) {
    if (!thread_) return true;
    HANDLE thread = thread_.get();
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD woken =
            ::MsgWaitForMultipleObjects(1, &thread, FALSE, TimeLeft(start, timeoutMs), QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken != WAIT_OBJECT_0 + 1) return false; // the time is up (or the wait failed)
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
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
            // The adapter as the monitor list shows it, once the list's answer is in.
            hardwareFacts_ = GatherHardwareFacts(displaysTask_.done() ? &displays_ : nullptr);
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
