// The settings dialog shows before the probes answer. Whatever the order of the two lists' answers, and of
// the user's OK, Cancel and Restore Defaults before or between them and the facts, the dialog ends as it does
// when every answer came first: the same controls, the same stored values, the same last value of each live
// setting at the wallpaper.
#include "dialogs/hardware_facts.h"
#include "launcher/modes.h"
#include "settings/product.h"

#include "settings_dialog_fixture.h"

#include <map>
#include <stdexcept>
#include <thread>
#include <utility>

using namespace qmtest;

namespace {

// Holds a probe back until released; Open also waits until the probe has gone through (the facts wait
// for the other two probes before they reach their gate), and a little for the rest of its work.
struct Gate {
    qm::UniqueKernelHandle open{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    qm::UniqueKernelHandle passed{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    void Pass() const {
        ::WaitForSingleObject(open.get(), INFINITE);
        ::SetEvent(passed.get());
    }
    void Release() const { ::SetEvent(open.get()); }
    void Open() const {
        Release();
        ::WaitForSingleObject(passed.get(), 5000);
        ::Sleep(50);
    }
};

// Choose: the first entry of the monitor list.
enum class Step { Displays, Levels, Facts, Show, Ok, Cancel, Close, Restore, Choose };

struct Case {
    const char* what;
    std::vector<std::pair<const wchar_t*, int>> stored;
    std::vector<Step> steps;
    bool levelsThrow = false;
    // Held back, the facts never answer until the dialog has ended; in order, they fail.
    bool factsNeverAnswer = false;
    Monitors monitors = Monitors::OneGroupOfTwo;
};

struct Outcome {
    std::vector<std::wstring> controls; // what each dependent control shows, while the dialog is open
    std::wstring left;                  // the screen at once after the first OK, Cancel or close
    std::vector<std::wstring> stored;   // the settings key afterwards
    std::map<WPARAM, LPARAM> live;      // the last value of each live setting at the wallpaper
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << std::string(o.left.begin(), o.left.end()) << "; ";
    for (const auto* texts : {&o.controls, &o.stored})
        for (const std::wstring& text : *texts)
            *os << std::string(text.begin(), text.end()) << "; ";
    for (const auto& [code, value] : o.live)
        *os << code << "=" << value << " ";
}

class DialogAnswers : public SettingsDialogTest {
  protected:
    // The dialog, owned by a window that its modal loop would disable, on a machine of two grouped
    // monitors (unless the case says otherwise), counts 2, 4, 8 and 16, and facts for which every hardware
    // default is 1. Each probe is held at its gate unless every answer is to come first, as soon as the
    // dialog has started its probes.
    Outcome Run(const Case& c, bool answersFirst) {
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath);
        for (const auto& [name, value] : c.stored)
            StoreIntegerSetting(name, value);
        machine_ = std::make_unique<TestMachine>(c.monitors, std::vector<int>{2, 4, 8, 16});
        Gate displays, levels, facts;
        ScopedSeam direct3d(qm::SetDirect3DFactoryForTesting, [this, &displays]() -> IDirect3D9* {
            displays.Pass();
            machine_->direct3d.AddRef();
            return &machine_->direct3d;
        });
        ScopedSeam counts(qm::SetAntialiasingProbeForTesting, [&levels, &c] {
            levels.Pass();
            return c.levelsThrow ? throw 42 : std::vector<int>{2, 4, 8, 16};
        });
        const bool factsFail = answersFirst && c.factsNeverAnswer;
        ScopedSeam gather(qm::SetHardwareFactsForTesting, [&facts, factsFail] {
            facts.Pass();
            return factsFail ? throw 42 : qm::HardwareFacts{4096, 4000};
        });
        LiveMessageCatcher wallpaper;
        HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                       nullptr, nullptr, nullptr);
        dialog_ = std::make_unique<qm::CSettingsDlg>();
        // The configure mode starts the probes once the dialog shows; a case with an answer before that
        // starts them before, as a host that wants them sooner may.
        if (c.steps.front() != Step::Show) dialog_->StartProbesForTesting();
        if (answersFirst)
            for (const Gate* gate : {&displays, &levels, &facts})
                gate->Release();
        bool ending = false;
        Outcome outcome;
        auto Screen = [&] {
            return std::wstring(::IsWindowVisible(dialog_->handle()) ? L"shown" : L"hidden") +
                   (::IsWindowEnabled(owner) ? L", owner enabled" : L", owner disabled");
        };
        for (Step step : c.steps) {
            const int id = step == Step::Ok ? IDOK : step == Step::Cancel ? IDCANCEL : IDC_RESTORE_DEFAULTS;
            if (step <= Step::Facts) {
                if (!answersFirst)
                    (step == Step::Displays ? displays : step == Step::Levels ? levels : facts).Open();
            } else if (step == Step::Show) {
                EXPECT_NE(dialog_->Create(owner), nullptr);
                ::EnableWindow(owner, FALSE);
                if (answersFirst) {
                    EXPECT_TRUE(PollUntil([&] { return dialog_->WaitForProbes(0); }, 20000, 1));
                }
            } else if (step == Step::Choose) {
                SelectComboEntry(dialog_->handle(), IDC_MONITOR_LIST, 0);
            } else {
                const bool close = step == Step::Close;
                ::PostMessageW(dialog_->handle(), close ? WM_CLOSE : WM_COMMAND,
                               close ? 0 : MAKEWPARAM(id, BN_CLICKED), 0);
            }
            PumpMessages(20);
            if (step >= Step::Ok && step <= Step::Close && !std::exchange(ending, true))
                outcome.left = Screen();
        }
        if (!c.factsNeverAnswer)
            for (const Gate* gate : {&displays, &levels, &facts})
                gate->Release();
        displays.Release();
        levels.Release();
        EXPECT_TRUE(PollUntil(
            [&] { return dialog_->EndedForTesting() || dialog_->AnswersCompleteForTesting(); }, 20000, 1));
        if (!dialog_->EndedForTesting()) {
            for (int id : {IDC_MONITOR_LIST, IDC_BLANK_SCREENS, IDC_ANTIALIASING, IDC_ANTIALIASING_LIST,
                           IDC_ANTIALIASING_LABEL}) {
                std::wstring shown = std::to_wstring(id) + (Enabled(id) ? L" on" : L" off");
                if (id == IDC_MONITOR_LIST || id == IDC_ANTIALIASING_LIST)
                    shown += L" " + ComboSelectedText(Item(id)) + L" of " +
                             std::to_wstring(ComboTexts(Item(id)).size());
                outcome.controls.push_back(shown + (Checked(id) ? L" checked" : L""));
            }
            Click(dialog_->handle(), IDOK);
            outcome.left = Screen();
        }
        // A watchdog far beyond OK's bound: the dialog ends by itself when an answer never comes.
        EXPECT_TRUE(PollUntil([&] { return dialog_->EndedForTesting(); }, 25000, 1));
        outcome.stored = AllStoredSettings();
        for (const LiveMessage& m : wallpaper.Take())
            outcome.live[m.first] = m.second;
        facts.Release();
        TearDown();
        ::DestroyWindow(owner);
        return outcome;
    }
};

TEST_F(DialogAnswers, EndAsWhenEveryAnswerCameFirst) {
    using enum Step;
    const std::vector<std::pair<const wchar_t*, int>> saved = {
        {L"Antialiasing", 4}, {L"HighQualityGraphics", 1}, {L"HighQualityTextures", 1}};
    auto music80 = saved;
    music80.push_back({L"MusicVolumePercentage", 80});
    const Case cases[] = {
        {"first opening, answers after the dialog shows", {}, {Show, Displays, Levels, Facts}},
        {"first opening, answers after it shows, the lists the other way round",
         {},
         {Show, Levels, Displays, Facts}},
        {"first opening, one answer before it shows", {}, {Levels, Show, Displays, Facts}},
        {"OK before the answers, then OK, Cancel and close again",
         {},
         {Show, Ok, Ok, Cancel, Close, Displays, Levels, Facts}},
        {"Cancel before the answers", {}, {Show, Cancel, Ok, Displays, Levels, Facts}},
        {"Restore Defaults before the answers, saved settings",
         saved,
         {Show, Restore, Levels, Displays, Facts, Ok}},
        {"Restore Defaults and OK before the facts", saved, {Show, Levels, Displays, Restore, Ok, Facts}},
        {"a failing probe", saved, {Show, Displays, Levels}, true},
        {"a stored monitor that is no longer there",
         {{L"CurMonitor", 5}, {L"EnableMultiMonitorMode", 0}},
         {Show, Displays, Levels, Ok}},
        {"OK before facts that never answer", {}, {Show, Displays, Levels, Ok}, false, true},
        {"the stored monitor's adapter listed second, after one without a usable mode",
         {{L"CurMonitor", 2}, {L"EnableMultiMonitorMode", 0}},
         {Show, Displays, Levels, Ok},
         false,
         false,
         Monitors::FirstWithoutModes},
        {"Restore Defaults, then Cancel", music80, {Show, Displays, Levels, Facts, Restore, Cancel}},
        {"Restore Defaults and Cancel before the answers",
         music80,
         {Show, Restore, Cancel, Displays, Levels}},
        {"the first listed monitor chosen, its adapter after one without a usable mode",
         {{L"CurMonitor", 2}, {L"EnableMultiMonitorMode", 0}},
         {Show, Displays, Levels, Choose, Ok},
         false,
         false,
         Monitors::FirstWithoutModes},
    };
    std::vector<Outcome> inOrder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        inOrder.push_back(Run(c, true));
        EXPECT_EQ(Run(c, false), inOrder.back());
    }
    // The in-order results themselves, where a fault would change both runs alike. The facts' defaults
    // are all 1: on a first opening the box shows checked and the top count is stored; after Restore
    // Defaults the wallpaper ends with that count, also when the facts came after the click.
    auto has = [](const std::vector<std::wstring>& texts, const wchar_t* text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    EXPECT_TRUE(has(inOrder[0].controls, L"1068 on checked"));
    EXPECT_TRUE(has(inOrder[0].stored, L"Antialiasing=2: 16"));
    EXPECT_EQ(inOrder[5].live[6], 16);
    EXPECT_TRUE(has(inOrder[8].stored, L"CurMonitor=2: 0")) << "the stale monitor is stored as the first";
    EXPECT_TRUE(has(inOrder[9].stored, L"Antialiasing=2: 0")) << "the facts' failure result";
    EXPECT_TRUE(has(inOrder[9].stored, L"MusicVolumePercentage=2: 15"));
    EXPECT_TRUE(has(inOrder[10].stored, L"CurMonitor=2: 2"));
    EXPECT_TRUE(has(inOrder[13].stored, L"CurMonitor=2: 1")) << "the adapter's ordinal, not the list's place";
    for (const Outcome* cancelled : {&inOrder[11], &inOrder[12]}) {
        EXPECT_EQ(cancelled->live.at(1), 80) << "the stored music volume, not the default";
        EXPECT_EQ(cancelled->live.at(6), 4);
    }
    for (const Outcome& o : inOrder)
        EXPECT_EQ(o.left, L"hidden, owner enabled");
}

// While this thread waits for the probes, a probe that sends a message to a window of this thread is
// answered: neither waits for the other for ever.
TEST(DialogAnswersWait, AProbeThatSendsToThisThreadIsAnswered) {
    HWND window =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ScopedSeam seam(qm::SetAntialiasingProbeForTesting, [window] {
        ::SendMessageW(window, WM_NULL, 0, 0);
        return std::vector<int>{2};
    });
    {
        qm::DisplayProbes probes;
        probes.StartLevels();
        const bool answered = probes.WaitForAll(10000);
        EXPECT_TRUE(answered) << "the wait did not deliver the probe's message";
        if (!answered) PumpMessages(100); // so that the stuck probe ends, and this test with it
    }
    ::DestroyWindow(window);
}

// The configure mode with a probe that never returns (as a WMI service that takes minutes to connect),
// or one that has answered but whose thread never gets out of its exit (as when its exit waits for a lock
// that a stuck driver holds), closed as soon as the dialog shows. The limit of this wait: a process still
// here after 30 s ends with 99; one whose configure mode returns while the probe runs, with 98.
void NTAPI StayInExit(void*) {
    ::Sleep(INFINITE);
}

void ConfigureWithAStuckProbe(bool answered) {
    if (answered) {
        qm::SetDirect3DFactoryForTesting([]() -> IDirect3D9* { return nullptr; });
        qm::SetHardwareFactsForTesting([] { return qm::HardwareFacts{}; });
        // The answer comes once the dialog has been closed, so that the thread's exit, stuck holding
        // Wine's lock of such callbacks, cannot hold up the dialog itself.
        qm::SetAntialiasingProbeForTesting([] {
            auto shown = [] { return !TopLevelWindowsOf(::GetCurrentProcessId(), true).empty(); };
            PollUntil(shown, 20000, 5);
            PollUntil([&] { return !shown(); }, 20000, 5);
            ::FlsSetValue(::FlsAlloc(&StayInExit), reinterpret_cast<void*>(1)); // called as the thread exits
            return std::vector<int>{2};
        });
    } else {
        qm::SetDirect3DFactoryForTesting([]() -> IDirect3D9* {
            ::Sleep(INFINITE);
            return nullptr;
        });
    }
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    std::thread([] {
        for (int i = 0; i < 3000; ++i, ::Sleep(10))
            for (HWND w : TopLevelWindowsOf(::GetCurrentProcessId(), true))
                if (ClassNameOf(w) == L"#32770") ::PostMessageW(w, WM_CLOSE, 0, 0);
        ::TerminateProcess(::GetCurrentProcess(), 99);
    }).detach();
    qm::RunConfigure(nullptr);
    ::TerminateProcess(::GetCurrentProcess(), 98);
}

TEST(DialogAnswersDeathTest, AProbeThatNeverReturnsOrNeverExitsDoesNotKeepTheProcessAlive) {
    EXPECT_EXIT(ConfigureWithAStuckProbe(false), ::testing::ExitedWithCode(0), "") << "never returns";
    EXPECT_EXIT(ConfigureWithAStuckProbe(true), ::testing::ExitedWithCode(0), "") << "never exits";
}

} // namespace
