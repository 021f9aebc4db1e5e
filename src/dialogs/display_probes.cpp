#include "dialogs/display_probes.h"

#include "dialogs/hardware_facts.h"
#include "platform/com_ptr.h"

#include <system_error>

namespace qm {

namespace {

void RunWithCom(const std::function<void()>& work, const std::function<void()>& onFailure) {
    // Each thread initialises COM for itself, in an apartment of its own. Not the MTA: an object that
    // wants a single-threaded apartment would then be made in the dialog's thread, and every call to it
    // would wait for that thread to dispatch posted messages, which it does not while it waits for us.
    ComApartment apartment;
    try {
        work();
    } catch (...) {
        onFailure();
    }
}

} // namespace

void BackgroundTask::Start(std::function<void()> work, std::function<void()> onFailure) {
    if (started_) return;
    started_ = true;
    done_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto run = [work = std::move(work), onFailure = std::move(onFailure), done = done_.get()] {
        RunWithCom(work, onFailure);
        if (done) ::SetEvent(done);
    };
    try {
        thread_ = std::thread(run);
    } catch (const std::system_error&) {
        run(); // no thread to be had: the same answer, only not overlapped
    }
}

void BackgroundTask::Wait() {
    if (!thread_.joinable()) return;
    HANDLE done = done_.get();
    while (done &&
           ::MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    thread_.join();
}

void DisplayProbes::Start(DisplayTables& tables, Node& settings, ConfirmDevice confirmDevice,
                          bool needFacts) {
    if (displays_.started()) return;
    displays_.Start(
        [&tables, &settings, confirmDevice] { EnumerateDisplays(tables, settings, confirmDevice); },
        [&tables] {
            tables.adapterCount = 0;
            tables.monitorCount = 0;
        });
    levels_.Start([this] { antialiasingLevels_ = ProbeAntialiasingLevels(); },
                  [this] { antialiasingLevels_.clear(); });
    if (needFacts) StartHardwareFacts();
}

void DisplayProbes::StartHardwareFacts() {
    facts_.Start([this] { hardwareFacts_ = GatherHardwareFacts(); },
                 [this] { hardwareFacts_ = HardwareFacts{}; });
}

void DisplayProbes::WaitForAll() {
    displays_.Wait();
    levels_.Wait();
    facts_.Wait();
}

} // namespace qm
