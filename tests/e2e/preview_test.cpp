// The built screensaver file in preview mode, hosted by a window of this process as the Display control
// panel hosts it. Only the life cycle can be watched from here: the child's pixels stay in its process.
#include "preview_host.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qmtest;

namespace {

std::wstring ScrCommand(const std::wstring& arguments) {
    return Quote(ScrPath()) + L" " + arguments;
}

std::wstring Decimal(HWND window) {
    return std::to_wstring(reinterpret_cast<INT_PTR>(window));
}

RECT RectInHost(HWND child, HWND host) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Destroys the host and waits, pumping, for the screensaver to end; returns the milliseconds it took.
ULONGLONG DestroyHostAndWait(PreviewHost& host, ChildProcess& scr) {
    const ULONGLONG start = ::GetTickCount64();
    host.Destroy();
    EXPECT_TRUE(PollUntil([&] { return !scr.Running(); }, 10000, 5)) << "still running after its host went";
    return ::GetTickCount64() - start;
}

TEST(PreviewMode, ChildCoversTheHostClientAreaAndEndsWithTheHost) {
    // The Display control panel's form: the program name in quotes, then /p and the handle; and two spellings
    // that the switch also takes.
    for (const wchar_t* form : {L"/p ", L"/P ", L"/p:"}) {
        SCOPED_TRACE(testing::Message() << "switch " << std::string(form, form + wcslen(form)));
        PreviewHost host(152, 112);
        ChildProcess scr = ChildProcess::Start(ScrCommand(form + Decimal(host.get())));
        ASSERT_TRUE(scr.started());
        HWND child = host.WaitForChild();
        ASSERT_NE(child, nullptr) << "no preview window appeared";
        EXPECT_EQ(ProcessOf(child), scr.pid());
        EXPECT_EQ(ClassNameOf(child).substr(0, 4), L"ATL:");
        EXPECT_TRUE(::IsWindowVisible(child));
        RECT client{};
        ::GetClientRect(host.get(), &client);
        RECT inHost = RectInHost(child, host.get());
        EXPECT_TRUE(::EqualRect(&inHost, &client))
            << inHost.left << "," << inHost.top << " " << inHost.right << "," << inHost.bottom;
        EXPECT_TRUE(TopLevelWindowsOf(scr.pid(), true).empty()) << "the preview shows a window of its own";
        // It waits for its host, however long that takes.
        PumpMessages(300);
        EXPECT_TRUE(scr.Running());

        ULONGLONG took = DestroyHostAndWait(host, scr);
        EXPECT_EQ(scr.ExitCode(), 0u);
        EXPECT_LT(took, 2000u);
    }
}

TEST(PreviewMode, EmptyHostGivesAnInvisibleChildAndTheProcessWaitsForTheHost) {
    PreviewHost host(0, 0);
    RECT client{1, 1, 1, 1};
    ::GetClientRect(host.get(), &client);
    ASSERT_TRUE(::IsRectEmpty(&client));
    ChildProcess scr = ChildProcess::Start(ScrCommand(L"/p " + Decimal(host.get())));
    ASSERT_TRUE(scr.started());
    HWND child = host.WaitForChild();
    ASSERT_NE(child, nullptr);
    RECT inHost = RectInHost(child, host.get());
    EXPECT_TRUE(::IsRectEmpty(&inHost)) << "a 0 x 0 host shows a child of " << inHost.right - inHost.left
                                        << " x " << inHost.bottom - inHost.top;
    PumpMessages(1000);
    EXPECT_TRUE(scr.Running()) << "ended without its host being destroyed";
    EXPECT_TRUE(::IsWindow(child));

    DestroyHostAndWait(host, scr);
    EXPECT_EQ(scr.ExitCode(), 0u);
}

TEST(PreviewMode, HostThatIsNoWindowOrNoHostEndsAtOnceShowingNothing) {
    HWND stale =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(stale, nullptr);
    ::DestroyWindow(stale);
    ASSERT_FALSE(::IsWindow(stale));
    const std::wstring argumentLists[] = {L"/p " + Decimal(stale), L"/p", L"/p ", L"/p:", L"/p 0"};
    for (const std::wstring& arguments : argumentLists) {
        SCOPED_TRACE(std::string(arguments.begin(), arguments.end()));
        const ULONGLONG start = ::GetTickCount64();
        ChildProcess scr = ChildProcess::Start(ScrCommand(arguments));
        ASSERT_TRUE(scr.started());
        bool showed = false;
        bool ended = PollUntil(
            [&] {
                if (!TopLevelWindowsOf(scr.pid(), true).empty()) showed = true;
                return !scr.Running();
            },
            10000, 5);
        ASSERT_TRUE(ended);
        EXPECT_EQ(scr.ExitCode(), 0u);
        EXPECT_FALSE(showed);
        EXPECT_LT(::GetTickCount64() - start, 5000u);
    }
}

TEST(PreviewMode, MouseOverThePreviewChangesNothing) {
    PreviewHost host(160, 120);
    ChildProcess scr = ChildProcess::Start(ScrCommand(L"/p " + Decimal(host.get())));
    ASSERT_TRUE(scr.started());
    HWND child = host.WaitForChild();
    ASSERT_NE(child, nullptr);
    const RECT before = RectInHost(child, host.get());
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);

    // What a user's mouse produces over the preview area, posted and through the real input path.
    const LPARAM at = MAKELPARAM(40, 30);
    const UINT messages[] = {WM_MOUSEMOVE,   WM_LBUTTONDOWN, WM_LBUTTONUP,   WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                             WM_RBUTTONDOWN, WM_RBUTTONUP,   WM_MBUTTONDOWN, WM_MBUTTONUP,     WM_MOUSEWHEEL};
    for (UINT message : messages)
        ASSERT_TRUE(::PostMessageW(child, message, 0, at));
    POINT centre{80, 60};
    ::ClientToScreen(host.get(), &centre);
    ::SetCursorPos(centre.x, centre.y);
    INPUT clicks[4] = {};
    for (INPUT& input : clicks)
        input.type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    clicks[2].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    clicks[3].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    ::SendInput(4, clicks, sizeof(INPUT));
    PumpMessages(500);

    // The child has worked through all of it and is as it was.
    DWORD_PTR ignored = 0;
    EXPECT_NE(::SendMessageTimeoutW(child, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored), 0);
    EXPECT_TRUE(scr.Running());
    ASSERT_TRUE(::IsWindow(child));
    EXPECT_EQ(::GetWindow(host.get(), GW_CHILD), child);
    EXPECT_EQ(::GetWindow(child, GW_HWNDNEXT), nullptr) << "a second window appeared in the host";
    RECT after = RectInHost(child, host.get());
    EXPECT_TRUE(::EqualRect(&before, &after));
    EXPECT_EQ(::GetWindowLongW(child, GWL_STYLE), style);
    EXPECT_TRUE(TopLevelWindowsOf(scr.pid(), true).empty());

    DestroyHostAndWait(host, scr);
    EXPECT_EQ(scr.ExitCode(), 0u);
}

} // namespace
