#include "dialog_keys.h"

#include "test_support.h"

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

// The tab stops, in the cycle from the first in reading order.
std::wstring TabOrderFaults(HWND dialog) {
    std::vector<HWND> stops;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (IsShown(child) && (::GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP)) stops.push_back(child);
    }
    std::rotate(stops.begin(), std::min_element(stops.begin(), stops.end(), &ReadsBefore), stops.end());
    std::wstring faults;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (!ReadsBefore(stops[i - 1], stops[i]))
            faults += L"Tab from " + Id(stops[i - 1]) + L" to " + Id(stops[i]) + L"\n";
    }
    return faults;
}

// Alt and the key, as the dialog's message loop hands it to the dialog manager. Typed as the caption writes
// it: Wine matches letters beyond ASCII in that case only (Windows in either).
std::wstring LabelKeyFault(HWND dialog, HWND label, wchar_t key) {
    HWND input = ::GetWindow(label, GW_HWNDNEXT);
    if (!::IsWindowEnabled(label) || !::IsWindowEnabled(input)) return L"";
    HWND cancel = ::GetDlgItem(dialog, IDCANCEL);
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cancel), TRUE);
    MSG press{cancel, WM_SYSCHAR, key, 1 << 29};
    ::IsDialogMessageW(dialog, &press);
    return ::GetFocus() == input ? L"" : L"the key of " + Id(label) + L" reaches " + Id(::GetFocus()) + L"\n";
}

} // namespace

std::wstring AccessKeysOf(const std::wstring& caption) {
    std::wstring keys;
    for (std::size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == L'&' && caption[++i] != L'&') keys += caption[i];
    return keys;
}

std::wstring KeyboardFaults(HWND dialog) {
    std::wstring faults, held; // upper-cased, as the dialog manager compares
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const bool label = IsLabel(child);
        if (!label && !IsCaptionedButton(child)) continue;
        const int id = ::GetDlgCtrlID(child);
        const std::wstring text = TextOf(child), keys = AccessKeysOf(text);
        if (keys.size() != (id == IDOK || id == IDCANCEL ? 0u : 1u))
            faults += Id(child) + L" \"" + text + L"\" has " + std::to_wstring(keys.size()) + L" keys\n";
        std::wstring upper = keys;
        ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
        for (wchar_t key : upper) {
            if (held.find(key) != std::wstring::npos)
                faults += L"key " + upper + L" again in " + Id(child) + L"\n";
            held += key;
        }
        if (label && keys.size() == 1) faults += LabelKeyFault(dialog, child, keys[0]);
    }
    return faults + TabOrderFaults(dialog);
}

std::map<int, std::wstring> AccessibleNames(HWND dialog) {
    std::map<int, std::wstring> names;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!IsShown(child) || !IsInput(child)) continue;
        HWND before = child;
        while ((before = ::GetWindow(before, GW_HWNDPREV)) && !IsClass(before, L"Static") &&
               !(::GetWindowLongW(before, GWL_STYLE) & (WS_TABSTOP | WS_GROUP))) {
        }
        names[::GetDlgCtrlID(child)] = IsClass(before, L"Static") ? Shown(TextOf(before)) : L"";
    }
    return names;
}

} // namespace qmtest
