// The search for a running wallpaper's window and the posting of live changes to it, over real windows
// that the tests make and arrange, and across processes with the stand-in main program.
#include "standin_support.h"
#include "test_support.h"

#include "launcher/wallpaper.h"
#include "platform/unique_handle.h"
#include "settings/product.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

using namespace qmtest;
using qm::UniqueWindow;

namespace {

constexpr wchar_t kFrame[] = L"QmTestFrame";
constexpr wchar_t kPanel[] = L"QmTestPanel";
constexpr wchar_t kShellView[] = L"SHELLDLL_DefView";
constexpr wchar_t kListView[] = L"SysListView32";
constexpr wchar_t kWallpaper[] = L"Direct3D Window";

// A window class of this process for the life of the object: class names count, so each test registers
// exactly the ones it needs (names differing only in case cannot be registered side by side).
class TestClass {
  public:
    explicit TestClass(const wchar_t* name) : name_(name) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        registered_ = ::RegisterClassExW(&wc) != 0;
    }
    ~TestClass() {
        if (registered_) ::UnregisterClassW(name_, ::GetModuleHandleW(nullptr));
    }
    TestClass(const TestClass&) = delete;
    TestClass& operator=(const TestClass&) = delete;
    bool ok() const { return registered_; }

  private:
    const wchar_t* name_;
    bool registered_ = false;
};

// Hidden top-level windows: they take part in EnumWindows like any other.
UniqueWindow TopLevel(const wchar_t* className) {
    return UniqueWindow(::CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

HWND Child(HWND parent, const wchar_t* className) {
    return ::CreateWindowExW(0, className, L"", WS_CHILD, 0, 0, 5, 5, parent, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

// Puts the windows (siblings) into this order, first on top, so that enumeration meets them so.
void Arrange(const std::vector<HWND>& topToBottom) {
    for (size_t i = 0; i < topToBottom.size(); ++i)
        ::SetWindowPos(topToBottom[i], i == 0 ? HWND_TOP : topToBottom[i - 1], 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

struct Listing {
    std::vector<HWND> windows;
};
BOOL CALLBACK ListWindow(HWND window, LPARAM context) {
    reinterpret_cast<Listing*>(context)->windows.push_back(window);
    return TRUE;
}

// The order in which the system enumerates the given windows (top-level when parent is null, else all
// descendants of parent), keeping only those in `of`.
std::vector<HWND> EnumerationOrder(HWND parent, const std::vector<HWND>& of) {
    Listing listing;
    if (parent)
        ::EnumChildWindows(parent, ListWindow, reinterpret_cast<LPARAM>(&listing));
    else
        ::EnumWindows(ListWindow, reinterpret_cast<LPARAM>(&listing));
    std::vector<HWND> order;
    for (HWND w : listing.windows)
        if (std::find(of.begin(), of.end(), w) != of.end()) order.push_back(w);
    return order;
}

// A desktop as the shell builds it: a top-level frame holding the shell view holding the list view.
struct Desktop {
    UniqueWindow frame;
    HWND shellView = nullptr;
    HWND listView = nullptr;
};
Desktop MakeDesktop(const wchar_t* shellViewClass = kShellView, const wchar_t* listViewClass = kListView) {
    Desktop d;
    d.frame = TopLevel(kFrame);
    d.shellView = Child(d.frame.get(), shellViewClass);
    d.listView = Child(d.shellView, listViewClass);
    return d;
}

class Wallpaper : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        ASSERT_TRUE(frame_.ok() && panel_.ok() && shell_.ok());
        ASSERT_EQ(qm::FindWallpaperWindow(), nullptr) << "a wallpaper window is left over";
    }
    TestClass frame_{kFrame};
    TestClass panel_{kPanel};
    TestClass shell_{kShellView};
};

// The posted live message waiting in this thread's queue for window, if any.
bool TakePosted(HWND window, UINT id, WPARAM* code, LPARAM* value) {
    MSG msg;
    if (!::PeekMessageW(&msg, window, id, id, PM_REMOVE)) return false;
    *code = msg.wParam;
    *value = msg.lParam;
    return true;
}

TEST_F(Wallpaper, NothingFoundAndNothingPostedWithoutAWallpaper) {
    HWND cache = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x12340));
    qm::NotifyWallpaper(qm::RegisterWallpaperMessage(), cache, 1, 40);
    EXPECT_EQ(cache, nullptr);
    qm::NotifyWallpaper(qm::RegisterWallpaperMessage(), cache, 2, 1);
    EXPECT_EQ(cache, nullptr);
}

TEST_F(Wallpaper, TopLevelWallpaperIsFoundWithoutLookingIntoItsChildren) {
    TestClass wallpaperClass(kWallpaper);
    UniqueWindow top = TopLevel(kWallpaper);
    ASSERT_TRUE(top);
    // Were its descendants searched, this one, met later, would replace it.
    HWND inner = Child(top.get(), kWallpaper);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(qm::FindWallpaperWindow(), top.get());
}

TEST_F(Wallpaper, WallpaperNestedDeepInsideAnotherWindowIsFound) {
    TestClass wallpaperClass(kWallpaper);
    UniqueWindow frame = TopLevel(kFrame);
    HWND panel = Child(frame.get(), kPanel);
    HWND wallpaper = Child(panel, kWallpaper);
    ASSERT_NE(wallpaper, nullptr);
    EXPECT_EQ(qm::FindWallpaperWindow(), wallpaper);

    // Each one met replaces the one before.
    HWND later = Child(frame.get(), kWallpaper);
    Arrange({panel, later});
    ASSERT_EQ(EnumerationOrder(frame.get(), {wallpaper, later}), (std::vector<HWND>{wallpaper, later}));
    EXPECT_EQ(qm::FindWallpaperWindow(), later);
}

TEST_F(Wallpaper, ListViewsOutsideTheShellViewDoNotEndTheSearch) {
    TestClass wallpaperClass(kWallpaper);
    UniqueWindow first = TopLevel(kWallpaper);
    // A list view in a plain panel, and one a level below a shell view: neither is the desktop's.
    UniqueWindow frame = TopLevel(kFrame);
    HWND panel = Child(frame.get(), kPanel);
    HWND plainList = Child(panel, kListView);
    HWND shell = Child(frame.get(), kShellView);
    HWND deepList = Child(Child(shell, kPanel), kListView);
    ASSERT_TRUE(plainList && deepList);
    UniqueWindow last = TopLevel(kWallpaper);
    Arrange({first.get(), frame.get(), last.get()});
    ASSERT_EQ(EnumerationOrder(nullptr, {first.get(), frame.get(), last.get()}),
              (std::vector<HWND>{first.get(), frame.get(), last.get()}));
    // Had either list view counted, the search would have ended at it, with the first wallpaper.
    EXPECT_EQ(qm::FindWallpaperWindow(), last.get());
}

TEST_F(Wallpaper, ClassNamesDifferingOnlyInCaseDoNotMatch) {
    {
        TestClass lower(L"direct3d window");
        ASSERT_TRUE(lower.ok());
        UniqueWindow top = TopLevel(L"direct3d window");
        UniqueWindow frame = TopLevel(kFrame);
        HWND nested = Child(frame.get(), L"direct3d window");
        ASSERT_TRUE(top && nested);
        ASSERT_EQ(ClassNameOf(top.get()), L"direct3d window");
        EXPECT_EQ(qm::FindWallpaperWindow(), nullptr);
    }
    // A desktop whose list view is spelt in another case does not end the search.
    TestClass wallpaperClass(kWallpaper);
    TestClass oddList(L"SYSLISTVIEW32");
    ASSERT_TRUE(oddList.ok());
    UniqueWindow before = TopLevel(kWallpaper);
    Desktop desktop = MakeDesktop(kShellView, L"SYSLISTVIEW32");
    UniqueWindow after = TopLevel(kWallpaper);
    ASSERT_TRUE(desktop.listView);
    ASSERT_EQ(ClassNameOf(desktop.listView), L"SYSLISTVIEW32");
    Arrange({before.get(), desktop.frame.get(), after.get()});
    EXPECT_EQ(qm::FindWallpaperWindow(), after.get());
}

TEST_F(Wallpaper, OrderRules) {
    TestClass wallpaperClass(kWallpaper);
    Desktop desktop = MakeDesktop();
    ASSERT_TRUE(desktop.listView);
    UniqueWindow a = TopLevel(kWallpaper), b = TopLevel(kWallpaper), c = TopLevel(kWallpaper);
    ASSERT_TRUE(a && b && c);
    const std::vector<HWND> all = {a.get(), b.get(), desktop.frame.get(), c.get()};

    // Wallpapers met before the desktop's list view: the last of them.
    Arrange(all);
    ASSERT_EQ(EnumerationOrder(nullptr, all), all);
    EXPECT_EQ(qm::FindWallpaperWindow(), b.get());

    // Met only after it: the first one after it.
    Arrange({desktop.frame.get(), c.get(), a.get(), b.get()});
    ASSERT_EQ(EnumerationOrder(nullptr, all),
              (std::vector<HWND>{desktop.frame.get(), c.get(), a.get(), b.get()}));
    EXPECT_EQ(qm::FindWallpaperWindow(), c.get());

    // One inside the desktop frame after the shell view comes before every later top-level one.
    HWND behindIcons = Child(desktop.frame.get(), kWallpaper);
    Arrange({desktop.shellView, behindIcons});
    ASSERT_EQ(EnumerationOrder(desktop.frame.get(), {desktop.listView, behindIcons}),
              (std::vector<HWND>{desktop.listView, behindIcons}));
    EXPECT_EQ(qm::FindWallpaperWindow(), behindIcons);
    ::DestroyWindow(behindIcons);

    // Without the desktop's list view: the last one of the whole enumeration.
    ::DestroyWindow(desktop.listView);
    Arrange({a.get(), desktop.frame.get(), c.get(), b.get()});
    EXPECT_EQ(qm::FindWallpaperWindow(), b.get());
}

TEST_F(Wallpaper, RestartedWallpaperGetsTheNextChangeAtItsNewWindow) {
    TestClass wallpaperClass(kWallpaper);
    const UINT id = qm::RegisterWallpaperMessage();
    ASSERT_GE(id, 0xC000u);
    UniqueWindow first = TopLevel(kWallpaper);
    HWND cache = qm::FindWallpaperWindow();
    ASSERT_EQ(cache, first.get());

    WPARAM code = 0;
    LPARAM value = 0;
    qm::NotifyWallpaper(id, cache, 1, 40);
    ASSERT_TRUE(TakePosted(first.get(), id, &code, &value)) << "posted into the window's queue";
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(value, 40);

    first.reset();
    UniqueWindow second = TopLevel(kWallpaper);
    ASSERT_NE(second.get(), cache);
    qm::NotifyWallpaper(id, cache, 6, 8);
    EXPECT_EQ(cache, second.get());
    ASSERT_TRUE(TakePosted(second.get(), id, &code, &value));
    EXPECT_EQ(code, 6u);
    EXPECT_EQ(value, 8);

    // The cache is used while its window lives: a newer wallpaper, which a search would prefer (the last
    // one met), is not looked for.
    UniqueWindow third = TopLevel(kWallpaper);
    Arrange({second.get(), third.get()});
    ASSERT_EQ(qm::FindWallpaperWindow(), third.get());
    qm::NotifyWallpaper(id, cache, 3, 0);
    EXPECT_EQ(cache, second.get());
    EXPECT_TRUE(TakePosted(second.get(), id, &code, &value));
    EXPECT_FALSE(TakePosted(third.get(), id, &code, &value));
}

struct HungReceiver {
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = nullptr;
    std::atomic<int> posted{0};
    WPARAM code = 0;
    LPARAM value = 0;
    ~HungReceiver() {
        ::CloseHandle(ready);
        ::CloseHandle(release);
    }
};

TEST_F(Wallpaper, AHungWallpaperDoesNotBlockTheNotification) {
    TestClass wallpaperClass(kWallpaper);
    const UINT id = qm::RegisterWallpaperMessage();
    HungReceiver receiver;
    std::thread wallpaperThread([&] {
        UniqueWindow window = TopLevel(kWallpaper);
        receiver.window = window.get();
        ::SetEvent(receiver.ready);
        // Not pumping: a sent message would wait here until the release.
        ::WaitForSingleObject(receiver.release, 10000);
        MSG msg;
        // Only posted messages come out of the queue; sent ones go straight to the window procedure.
        if (::PeekMessageW(&msg, window.get(), id, id, PM_REMOVE)) {
            receiver.code = msg.wParam;
            receiver.value = msg.lParam;
            ++receiver.posted;
        }
    });
    ASSERT_EQ(::WaitForSingleObject(receiver.ready, 5000), WAIT_OBJECT_0);
    // Should the notification block, the receiver wakes after 2 s and the time shows it.
    std::thread watchdog([&] {
        if (::WaitForSingleObject(receiver.release, 2000) == WAIT_TIMEOUT) ::SetEvent(receiver.release);
    });
    HWND cache = nullptr;
    ULONGLONG start = ::GetTickCount64();
    qm::NotifyWallpaper(id, cache, 3, 75);
    ULONGLONG elapsed = ::GetTickCount64() - start;
    ::SetEvent(receiver.release);
    watchdog.join();
    wallpaperThread.join();
    EXPECT_EQ(cache, receiver.window);
    EXPECT_LT(elapsed, 1000u);
    EXPECT_EQ(receiver.posted.load(), 1);
    EXPECT_EQ(receiver.code, 3u);
    EXPECT_EQ(receiver.value, 75);
}

TEST_F(Wallpaper, TheMainProgramReceivesTheMessageUnderTheSameId) {
    StandInLog log;
    ChildProcess standIn = StartStandIn(L"/w");
    ASSERT_TRUE(standIn.started());
    ASSERT_TRUE(log.WaitFor(L"window", 10000, standIn.pid()));
    auto recordedId = log.First(L"message-id", standIn.pid());
    auto recordedWindow = log.First(L"window", standIn.pid());
    ASSERT_TRUE(recordedId && recordedWindow);

    const UINT id = qm::RegisterWallpaperMessage();
    EXPECT_EQ(std::to_wstring(id), recordedId->field(0));
    HWND cache = nullptr;
    qm::NotifyWallpaper(id, cache, 1, 40);
    EXPECT_EQ(std::to_wstring(reinterpret_cast<INT_PTR>(cache)), recordedWindow->field(0));
    qm::NotifyWallpaper(id, cache, 2, 0);
    ASSERT_TRUE(PollUntil([&] { return log.Records(L"live", standIn.pid()).size() >= 2; }, 5000));
    auto live = log.Records(L"live", standIn.pid());
    EXPECT_EQ(live[0].field(0), L"1");
    EXPECT_EQ(live[0].field(1), L"40");
    EXPECT_EQ(live[1].field(0), L"2");
    EXPECT_EQ(live[1].field(1), L"0");

    // Ended wallpaper: the cache is dropped and nothing is found.
    ::PostMessageW(cache, WM_CLOSE, 0, 0);
    ASSERT_TRUE(standIn.WaitExit(5000));
    qm::NotifyWallpaper(id, cache, 4, 1);
    EXPECT_EQ(cache, nullptr);
}

} // namespace
