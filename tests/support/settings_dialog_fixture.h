// The settings dialog created from its real template on a machine of the test's choosing, with the
// registry redirected to scratch keys; what a test reads from its controls and its settings tree.
#pragma once

#include "dialogs/settings_dialog.h"
#include "localisation/string_table.h"

#include "settings_dialog_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qmtest {

using Monitors = TestMachine::Monitors;

class SettingsDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof(icc),
                                 ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES}; // the editor's list too
        ::InitCommonControlsEx(&icc);
    }

    void TearDown() override {
        if (dialog_ && dialog_->IsWindow()) dialog_->DestroyWindow();
        dialog_.reset();
        machine_.reset();
        qm::ResetCurrentStringTable();
        PumpMessages(0); // the dialog's quit message must not end a later test's modal loop
    }

    HWND Open(Monitors monitors = Monitors::One, std::vector<int> counts = {2, 4, 8}) {
        if (dialog_ && dialog_->IsWindow()) dialog_->DestroyWindow();
        dialog_.reset();
        machine_.reset(); // its seams go back before the next machine's take their place
        machine_ = std::make_unique<TestMachine>(monitors, std::move(counts));
        dialog_ = std::make_unique<qm::CSettingsDlg>();
        HWND window = dialog_->Create(nullptr);
        EXPECT_NE(window, nullptr);
        WaitForAnswers();
        return window;
    }

    // The probes answer on their threads; their answers fill the controls from this thread's messages.
    void WaitForAnswers() {
        EXPECT_TRUE(PollUntil([this] { return dialog_->AnswersCompleteForTesting(); }, 20000, 1));
    }

    HWND Item(int id) const { return ::GetDlgItem(dialog_->handle(), id); }
    bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    std::wstring Text(int id) const { return Shown(TextOf(Item(id))); }
    int Position(int id) const { return static_cast<int>(::SendMessageW(Item(id), TBM_GETPOS, 0, 0)); }
    int TreeInteger(const char* name) const { return dialog_->SettingsForTesting().Get(name).AsInteger(); }

    ScratchRegistry registry_;
    std::unique_ptr<TestMachine> machine_;
    std::unique_ptr<qm::CSettingsDlg> dialog_;
};

} // namespace qmtest
