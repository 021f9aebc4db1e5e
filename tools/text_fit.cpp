// Measures as the controls lay their texts out: DrawText in the control's font, within the width its
// check mark, frame or caption indent leaves.
#include "text_fit.h"

#include <algorithm>

namespace text_fit {
namespace {

// A group box's caption starts this far inside the frame and stays as far from its other end.
constexpr int kGroupCaptionIndent = 7;

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsClass(HWND control, const wchar_t* name) {
    wchar_t actual[64] = {};
    ::GetClassNameW(control, actual, 64);
    return ::lstrcmpiW(actual, name) == 0;
}

// How a control lays its text out: the DrawText rules and the width left for the text. Zero width: the
// control draws no text of its own (combo box, trackbar, picture, owner-drawn button).
struct TextBox {
    UINT format = 0;
    bool wraps = false;
    int width = 0;
};

TextBox TextBoxOf(HWND control, HDC dc, int clientWidth) {
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    TextBox box;
    if (IsClass(control, L"Button")) {
        box.wraps = (style & BS_MULTILINE) != 0;
        const LONG type = style & BS_TYPEMASK;
        const bool checkMark = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                               type == BS_3STATE || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
        if (checkMark && (style & BS_PUSHLIKE) == 0) {
            // The mark, then a gap of half a digit's width, as the button paints it.
            INT digit = 0;
            ::GetCharWidth32W(dc, L'0', L'0', &digit);
            box.width = clientWidth - ::GetSystemMetrics(SM_CXMENUCHECK) - digit / 2;
        } else if (type == BS_GROUPBOX) {
            box.width = clientWidth - 2 * kGroupCaptionIndent;
        } else if (checkMark || type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            // The raised edge on both sides, and the default button's extra frame.
            box.width = clientWidth - 2 * ::GetSystemMetrics(SM_CXEDGE) - (type == BS_DEFPUSHBUTTON ? 2 : 0);
        }
    } else if (IsClass(control, L"Static")) {
        switch (style & SS_TYPEMASK) {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
            box.wraps = true;
            [[fallthrough]];
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            box.width = clientWidth;
            box.format = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
            break;
        default:
            break;
        }
    }
    return box;
}

// One answer line for a control whose text does not fit, else nothing.
std::wstring MeasureControl(HWND control) {
    std::wstring text = TextOf(control);
    if (text.empty() || !::IsWindowVisible(control)) return {};
    RECT client{};
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    if (!dc) return {};
    auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = ::SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));

    std::wstring line;
    const TextBox box = TextBoxOf(control, dc, client.right);
    if (box.width > 0) {
        RECT oneLine{};
        ::DrawTextW(dc, text.c_str(), -1, &oneLine, box.format | DT_SINGLELINE | DT_CALCRECT);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        const int lines = box.wraps ? std::max(1L, client.bottom / std::max(1L, metrics.tmHeight)) : 1;
        bool clipped = oneLine.right > box.width;
        if (lines > 1) {
            // A box of several lines takes the text word by word: it is cut when the lines do not hold it.
            RECT wrapped{0, 0, box.width, 0};
            ::DrawTextW(dc, text.c_str(), -1, &wrapped, box.format | DT_WORDBREAK | DT_CALCRECT);
            clipped = wrapped.bottom > client.bottom || wrapped.right > box.width;
        }
        if (clipped) {
            // One line per control, whatever the text holds.
            std::replace_if(
                text.begin(), text.end(), [](wchar_t c) { return c < L' '; }, L' ');
            line = std::to_wstring(static_cast<short>(::GetDlgCtrlID(control))) + L"  \"" + text +
                   L"\"  needs " + std::to_wstring(oneLine.right) + L" px, box " +
                   std::to_wstring(box.width * lines) + L" px\n";
        }
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return line;
}

} // namespace

std::wstring ClippedTextsReport(HWND window) {
    std::wstring report;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        report += MeasureControl(child);
    return report;
}

} // namespace text_fit
