#include "dialog_keys.h"

#include "test_support.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace qmtest {
namespace {

bool IsClass(HWND window, const wchar_t* name) {
    return window && _wcsicmp(ClassNameOf(window).c_str(), name) == 0;
}

bool IsShown(HWND window) {
    return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool IsInput(HWND window) {
    return IsClass(window, L"ComboBox") || IsClass(window, L"msctls_trackbar32") ||
           IsClass(window, L"SysListView32") || IsClass(window, L"Edit") || IsClass(window, L"ListBox");
}

bool IsLabel(HWND window) {
    return IsClass(window, L"Static") && IsShown(window) && IsInput(::GetWindow(window, GW_HWNDNEXT));
}

bool IsCaptionedButton(HWND window) {
    const LONG type = ::GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return IsClass(window, L"Button") && IsShown(window) && type != BS_GROUPBOX && type != BS_OWNERDRAW;
}

// Rows first, then left to right; controls whose heights overlap stand in one row.
bool ReadsBefore(HWND a, HWND b) {
    RECT ra{}, rb{};
    ::GetWindowRect(a, &ra);
    ::GetWindowRect(b, &rb);
    if (ra.top < rb.bottom && rb.top < ra.bottom) return ra.left < rb.left;
    return ra.top < rb.top;
}

std::wstring Id(HWND window) {
    return std::to_wstring(static_cast<short>(::GetDlgCtrlID(window)));
}

std::wstring TabOrderFaults(HWND dialog) {
    std::vector<HWND> stops;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (IsShown(child) && (::GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP)) stops.push_back(child);
    }
    if (stops.empty()) return L"no tab stop\n";
    std::rotate(stops.begin(), std::min_element(stops.begin(), stops.end(), &ReadsBefore), stops.end());
    std::wstring faults;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (!ReadsBefore(stops[i - 1], stops[i]))
            faults += L"Tab goes from " + Id(stops[i - 1]) + L" to " + Id(stops[i]) + L"\n";
    }
    return faults;
}

// The characters a caption marks, as it writes them.
std::wstring MarkedCharacters(const std::wstring& caption) {
    std::wstring marked;
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') marked += caption[i + 1];
        ++i;
    }
    return marked;
}

// Where the key of a label, pressed, leaves the focus. The key is typed as the caption writes it: Wine's
// dialog manager matches letters beyond ASCII in that case only (Windows in either).
std::wstring LabelKeyFault(HWND dialog, HWND label, wchar_t key) {
    HWND input = ::GetWindow(label, GW_HWNDNEXT);
    if (!::IsWindowEnabled(label) || !::IsWindowEnabled(input)) return L"";
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(dialog, IDCANCEL)), TRUE);
    PressAltKey(dialog, key);
    if (::GetFocus() == input) return L"";
    return L"the key of " + Id(label) + L" leaves the focus on " + Id(::GetFocus()) + L"\n";
}

} // namespace

std::wstring AccessKeysOf(const std::wstring& caption) {
    std::wstring keys = MarkedCharacters(caption);
    ::CharUpperBuffW(keys.data(), static_cast<DWORD>(keys.size()));
    return keys;
}

std::wstring KeyboardFaults(HWND dialog) {
    std::wstring faults;
    std::map<wchar_t, HWND> holders;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const bool label = IsLabel(child);
        if (!label && !IsCaptionedButton(child)) continue;
        const int id = ::GetDlgCtrlID(child);
        const std::wstring text = TextOf(child), keys = AccessKeysOf(text);
        const std::size_t wanted = id == IDOK || id == IDCANCEL ? 0 : 1;
        if (keys.size() != wanted)
            faults += Id(child) + L" \"" + text + L"\" has " + std::to_wstring(keys.size()) + L" keys\n";
        for (wchar_t key : keys) {
            if (holders.count(key))
                faults += L"key " + std::wstring(1, key) + L" of " + Id(child) + L" and " + Id(holders[key]) +
                          L"\n";
            holders[key] = child;
        }
        if (label && keys.size() == 1) faults += LabelKeyFault(dialog, child, MarkedCharacters(text)[0]);
    }
    return faults + TabOrderFaults(dialog);
}

std::map<int, std::wstring> AccessibleNames(HWND dialog) {
    std::map<int, std::wstring> names;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!IsShown(child) || !IsInput(child) || IsClass(child, L"Edit")) continue;
        std::wstring& name = names[::GetDlgCtrlID(child)];
        for (HWND before = ::GetWindow(child, GW_HWNDPREV); before;
             before = ::GetWindow(before, GW_HWNDPREV)) {
            if (IsClass(before, L"Static")) {
                name = Shown(TextOf(before));
                break;
            }
            if (::GetWindowLongW(before, GWL_STYLE) & (WS_TABSTOP | WS_GROUP)) break;
        }
    }
    return names;
}

void PressAltKey(HWND dialog, wchar_t key) {
    HWND focus = ::GetFocus();
    MSG press{focus && ::IsChild(dialog, focus) ? focus : dialog, WM_SYSCHAR, key, 1 << 29};
    ::IsDialogMessageW(dialog, &press);
}

} // namespace qmtest
