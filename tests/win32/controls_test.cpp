// A row's state comes back in a structure the list view fills, or leaves alone where there is no row.
#include "platform/controls.h"

#include <gtest/gtest.h>

TEST(ListViewHelpers, ItemStateIsEveryBitOfTheRowAndZeroWhereThereIsNoRow) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&icc));
    HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    const UINT states[] = {0, LVIS_SELECTED, LVIS_FOCUSED, LVIS_CUT | LVIS_SELECTED,
                           INDEXTOSTATEIMAGEMASK(2)};
    const int rows = static_cast<int>(std::size(states));
    for (int row = 0; row < rows; ++row) {
        ASSERT_EQ(qm::ctl::ListViewInsertItem(list, row, L"row"), row);
        LVITEMW item{};
        item.stateMask = 0xFFFF;
        item.state = states[row];
        ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(qm::ctl::ListViewItemState(list, row), states[row]) << row;
        EXPECT_EQ(qm::ctl::ListViewItemSelected(list, row), (states[row] & LVIS_SELECTED) != 0) << row;
    }
    for (int row : {rows, -1})
        EXPECT_EQ(qm::ctl::ListViewItemState(list, row), 0u) << row;
    EXPECT_EQ(qm::ctl::ListViewItemState(nullptr, 0), 0u);
    EXPECT_FALSE(qm::ctl::ListViewItemSelected(nullptr, 0));
    ::DestroyWindow(list);
}
