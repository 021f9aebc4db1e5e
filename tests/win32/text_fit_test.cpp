// The measure the dialogs' text tests and the demo's report rest on: a text exactly as wide as the room
// its control leaves it fits, and one pixel more is cut, whatever kind of control shows it.
#include "test_support.h"
#include "text_fit.h"

#include <gtest/gtest.h>

#include <cwchar>

using namespace qmtest;

namespace {

TEST(TextFit, ATextAsWideAsItsBoxFitsAndOnePixelMoreIsCut) {
    struct Case {
        const wchar_t* className;
        DWORD style;
        bool boxIsClient; // the text may use the whole client area
    };
    const Case cases[] = {
        {L"Static", SS_LEFTNOWORDWRAP, true}, {L"Static", SS_LEFT, true},
        {L"Static", SS_SIMPLE, true},         {L"Button", BS_AUTOCHECKBOX, false},
        {L"Button", BS_DEFPUSHBUTTON, false}, {L"Button", BS_GROUPBOX, false},
    };
    const wchar_t text[] = L"Sortir sur mouvement de souris";
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 100, nullptr,
                                    nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << testing::PrintToString(std::wstring(c.className)) << " style " << c.style);
        HWND control = ::CreateWindowExW(0, c.className, text, WS_CHILD | WS_VISIBLE | c.style, 0, 0, 400, 20,
                                         parent, nullptr, nullptr, nullptr);
        ASSERT_NE(control, nullptr);
        ::SendMessageW(control, WM_SETFONT, font, FALSE);
        HDC dc = ::GetDC(control);
        HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(font));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &extent);
        ::SelectObject(dc, previous);
        ::ReleaseDC(control, dc);

        // The narrowest width at which the text still fits, found from a width that holds it with room.
        int narrowest = 0;
        for (int width = extent.cx + 80; width > extent.cx / 2 && !narrowest; --width) {
            ::SetWindowPos(control, nullptr, 0, 0, width, 20, SWP_NOZORDER | SWP_NOMOVE);
            if (!text_fit::ClippedTextsReport(parent).empty()) narrowest = width + 1;
        }
        ASSERT_GT(narrowest, 0) << "never cut";
        if (c.boxIsClient) {
            EXPECT_EQ(narrowest, extent.cx);
        }
        // One pixel narrower: cut by exactly that pixel.
        ::SetWindowPos(control, nullptr, 0, 0, narrowest - 1, 20, SWP_NOZORDER | SWP_NOMOVE);
        int needs = 0, box = 0;
        const std::wstring report = text_fit::ClippedTextsReport(parent);
        const size_t at = report.find(L"needs ");
        ASSERT_NE(at, std::wstring::npos) << report;
        EXPECT_EQ(std::swscanf(report.c_str() + at, L"needs %d px, box %d px", &needs, &box), 2) << report;
        EXPECT_EQ(needs, extent.cx);
        EXPECT_EQ(box, needs - 1) << report;
        ::DestroyWindow(control);
    }
    ::DestroyWindow(parent);
}

} // namespace
