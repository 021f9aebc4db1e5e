// The platform layer under Wine: window and dialog objects found from their creation data, their last
// messages, an object that goes before its window; system DLLs loaded from the system folder on both roads.
#include "platform/dialog_impl.h"
#include "platform/system_library.h"
#include "platform/window_impl.h"
#include "resource.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

constexpr UINT kPing = WM_APP + 1;

// Puts the window object at a non-zero offset inside its class: a base-pointer round trip through the
// creation data would then find the wrong address.
struct AnotherBaseFirst {
    virtual ~AnotherBaseFirst() = default;
    int padding[7] = {};
};

class PingWindow : public AnotherBaseFirst, public qm::WindowImpl<PingWindow> {
  public:
    int pings = 0;
    bool finalSeen = false;
    void OnFinalMessage(HWND) override {
        finalSeen = true;
        throw std::runtime_error("must not leave the window procedure");
    }
    QM_BEGIN_MSG_MAP()
    QM_MESSAGE_HANDLER(kPing, OnPing)
    QM_END_MSG_MAP()

  private:
    LRESULT OnPing(UINT, WPARAM, LPARAM, BOOL&) { return ++pings; }
};

class PingDialog : public AnotherBaseFirst, public qm::DialogImpl<PingDialog> {
  public:
    enum { IDD = IDD_PLAYLIST };
    int pings = 0;
    LPARAM initParam = 0;
    QM_BEGIN_MSG_MAP()
    QM_MESSAGE_HANDLER(WM_INITDIALOG, OnInit)
    QM_MESSAGE_HANDLER(kPing, OnPing)
    QM_END_MSG_MAP()

  private:
    LRESULT OnInit(UINT, WPARAM, LPARAM lParam, BOOL&) {
        initParam = lParam;
        return TRUE;
    }
    LRESULT OnPing(UINT, WPARAM, LPARAM, BOOL&) { return ++pings; }
};

} // namespace

TEST(Platform, WindowsAndDialogsReachTheirObjectAndGoWithIt) {
    qm::Module().Init(::GetModuleHandleW(nullptr));
    {
        PingWindow window;
        HWND hwnd = window.Create(nullptr, RECT{0, 0, 50, 50}, L"ping", WS_POPUP);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(::SendMessageW(hwnd, kPing, 0, 0), 1);
        EXPECT_EQ(window.pings, 1);
        EXPECT_TRUE(::DestroyWindow(hwnd)) << "OnFinalMessage threw, and nothing left the procedure";
        EXPECT_TRUE(window.finalSeen);
        EXPECT_EQ(window.handle(), nullptr);
    }
    HWND orphan = nullptr;
    {
        PingWindow window;
        orphan = window.Create(nullptr, RECT{0, 0, 50, 50}, L"ping", WS_POPUP);
        ASSERT_NE(orphan, nullptr);
    }
    EXPECT_FALSE(::IsWindow(orphan)) << "the window outlived its object";

    HWND dialogWindow = nullptr;
    {
        PingDialog dialog;
        dialogWindow = dialog.Create(nullptr, 42);
        ASSERT_NE(dialogWindow, nullptr);
        EXPECT_EQ(dialog.initParam, 42);
        EXPECT_EQ(::SendMessageW(dialogWindow, kPing, 0, 0), TRUE);
        EXPECT_EQ(dialog.pings, 1);
    }
    EXPECT_FALSE(::IsWindow(dialogWindow)) << "the dialog outlived its object";
    qm::Module().Term();
}

// Both roads load the system's own copy and never a same-named file from the current folder, which a
// bare load would take.
TEST(Platform, SystemLibrariesComeFromTheSystemFolderOnBothRoads) {
    EXPECT_TRUE(qm::SystemFolderSearchAvailable()) << "kernel32 exports AddDllDirectory under Wine";
    qmtest::TempFolder folder;
    ASSERT_TRUE(::CopyFileW((qmtest::BuildDir() + L"\\tools\\MPR.DLL").c_str(),
                            (folder.path() + L"\\qm_only_here.dll").c_str(), FALSE));
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.path().c_str()));
    for (bool useSearchFlag : {true, false}) {
        SCOPED_TRACE(useSearchFlag ? "search flag" : "full path");
        qm::UniqueModule system = qm::LoadSystemLibrary(L"mpr.dll", useSearchFlag);
        EXPECT_NE(system.get(), nullptr);
        EXPECT_EQ(system.get(), ::GetModuleHandleW(L"mpr.dll"));
        EXPECT_EQ(qm::LoadSystemLibrary(L"qm_only_here.dll", useSearchFlag).get(), nullptr);
    }
    HMODULE bare = ::LoadLibraryW(L"qm_only_here.dll");
    EXPECT_NE(bare, nullptr) << "the control: a bare load does find the file";
    if (bare) ::FreeLibrary(bare);
    ::SetCurrentDirectoryW(previous);
}
