// The measure the dialogs' text tests and the demo's report rest on: a text exactly as wide as the room
// its control leaves it fits, and one pixel more is cut.
#include "test_support.h"
#include "text_fit.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

TEST(TextFit, ATextAsWideAsItsBoxFitsAndOnePixelMoreIsCut) {
    struct Case {
        const wchar_t* className;
        DWORD style;
        bool boxIsClient; // the text may use the whole client area
    };
    const Case cases[] = {{L"Static", SS_LEFTNOWORDWRAP, true},
                          {L"Static", SS_LEFT, true},
                          {L"Button", BS_AUTOCHECKBOX, false},
                          {L"Button", BS_GROUPBOX, false}};
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 100, nullptr,
                                    nullptr, nullptr, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style);
        HWND control = ::CreateWindowExW(0, c.className, L"Sortir sur mouvement de souris",
                                         WS_CHILD | WS_VISIBLE | c.style, 0, 0, 400, 20, parent, nullptr,
                                         nullptr, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), 0);
        // Narrowed a pixel at a time until the text is cut: then it needs just one pixel more than its box.
        std::wstring report;
        int width = 400;
        for (; width > 0 && report.empty(); --width) {
            ::SetWindowPos(control, nullptr, 0, 0, width, 20, SWP_NOZORDER | SWP_NOMOVE);
            report = text_fit::ClippedTextsReport(parent);
        }
        int needs = 0, box = 0;
        const size_t at = report.find(L"needs ");
        ASSERT_NE(at, std::wstring::npos) << "never cut";
        ASSERT_EQ(std::swscanf(report.c_str() + at, L"needs %d px, box %d px", &needs, &box), 2) << report;
        EXPECT_EQ(box, needs - 1) << report;
        EXPECT_TRUE(!c.boxIsClient || box == width + 1) << report;
        ::DestroyWindow(control);
    }
    ::DestroyWindow(parent);
}

} // namespace
