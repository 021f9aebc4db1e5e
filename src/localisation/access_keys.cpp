#include "localisation/access_keys.h"

#include <cstddef>
#include <iterator>

namespace qm {
namespace {

constexpr std::size_t kNowhere = std::wstring::npos;

// As the dialog manager compares a key with the letter typed.
wchar_t Upper(wchar_t c) {
    const auto upper = ::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)));
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(upper));
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t actual[32] = {};
    ::GetClassNameW(window, actual, static_cast<int>(std::size(actual)));
    return ::lstrcmpiW(actual, name) == 0;
}

// The controls whose purpose a label in front of them tells: they have no caption of their own.
bool IsInput(HWND control) {
    for (const wchar_t* name :
         {L"ComboBox", L"Edit", L"ListBox", L"SysListView32", L"SysTreeView32", L"msctls_trackbar32"})
        if (control && IsClass(control, name)) return true;
    return false;
}

bool IsCaptionedButton(HWND control, LONG style) {
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
        break;
    default:
        return false;
    }
    // Enter and Escape serve OK and Cancel.
    const int id = ::GetDlgCtrlID(control);
    return id != IDOK && id != IDCANCEL;
}

// A static that shows '&' as it stands cannot underline a letter, and one in front of no input (a
// sentence, a caption of nothing) has nothing for its key to reach.
bool IsLabel(HWND control, LONG style) {
    switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        break;
    default:
        return false;
    }
    return (style & SS_NOPREFIX) == 0 && IsInput(::GetWindow(control, GW_HWNDNEXT));
}

// A hidden label names its control for screen readers only: a key nobody sees would be a trap.
bool TakesAccessKey(HWND control) {
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    if ((style & WS_VISIBLE) == 0) return false;
    if (IsClass(control, L"Button")) return IsCaptionedButton(control, style);
    return IsClass(control, L"Static") && IsLabel(control, style);
}

// The keys the dialog's children hold, but for one of them.
std::wstring KeysHeld(HWND dialog, HWND except) {
    std::wstring held;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const wchar_t key = child == except ? 0 : AccessKeyOf(TextOf(child));
        if (key) held += key;
    }
    return held;
}

// An ampersand in front of something no key can be (a blank, a sign, the end) is one the text means to
// show; doubled, it shows.
std::wstring WithAmpersandsShown(const std::wstring& text) {
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        shown += text[i];
        if (text[i] != L'&') continue;
        if (i + 1 < text.size() && text[i + 1] == L'&')
            shown += text[++i];
        else if (i + 1 == text.size() || !::IsCharAlphaNumericW(text[i + 1]))
            shown += L'&';
    }
    return shown;
}

enum class Letters { WordStarts, All };

// Where the first letter of the caption that is wanted stands (among the first letters of its words
// only, or among all), or kNowhere.
template <typename Wanted> std::size_t LetterAt(const std::wstring& caption, Letters letters, Wanted wanted) {
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (!::IsCharAlphaW(caption[i]) || !wanted(Upper(caption[i]))) continue;
        if (letters == Letters::All || i == 0 || !::IsCharAlphaNumericW(caption[i - 1])) return i;
    }
    return kNowhere;
}

// The first letter of a word where one is wanted, else any letter that is.
template <typename Wanted> std::size_t BestLetterAt(const std::wstring& caption, Wanted wanted) {
    const std::size_t at = LetterAt(caption, Letters::WordStarts, wanted);
    return at != kNowhere ? at : LetterAt(caption, Letters::All, wanted);
}

auto FreeOf(const std::wstring& held) {
    return [&held](wchar_t key) { return held.find(key) == kNowhere; };
}

// Marks the letter at that place, and holds it.
void Mark(std::wstring& caption, std::size_t at, std::wstring& held) {
    if (at == kNowhere) return;
    held += Upper(caption[at]);
    caption.insert(at, 1, L'&');
}

} // namespace

wchar_t AccessKeyOf(const std::wstring& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') return ::IsCharAlphaNumericW(caption[i + 1]) ? Upper(caption[i + 1]) : 0;
        ++i;
    }
    return 0;
}

void GiveAccessKeys(HWND dialog, const std::vector<HWND>& controls) {
    struct Caption {
        HWND control;
        std::wstring before;
        std::wstring text;
    };
    std::vector<Caption> captions;
    for (HWND control : controls) {
        if (!TakesAccessKey(control)) continue;
        std::wstring text = TextOf(control);
        captions.push_back({control, text, WithAmpersandsShown(text)});
    }
    std::wstring held = KeysHeld(dialog, nullptr);
    // First letters of words first, to every caption that has one free; the others then take another
    // free letter of theirs.
    for (Letters letters : {Letters::WordStarts, Letters::All}) {
        for (Caption& caption : captions) {
            if (!AccessKeyOf(caption.text))
                Mark(caption.text, LetterAt(caption.text, letters, FreeOf(held)), held);
        }
    }
    for (const Caption& caption : captions) {
        if (caption.text != caption.before) ::SetWindowTextW(caption.control, caption.text.c_str());
    }
}

void SetTextWithAccessKey(HWND control, const std::wstring& text) {
    if (!control) return;
    std::wstring caption = WithAmpersandsShown(text);
    if (TakesAccessKey(control) && !AccessKeyOf(caption)) {
        std::wstring held = KeysHeld(::GetParent(control), control);
        const wchar_t kept = AccessKeyOf(TextOf(control));
        std::size_t at = kNowhere;
        if (kept && FreeOf(held)(kept))
            at = BestLetterAt(caption, [kept](wchar_t key) { return key == kept; });
        if (at == kNowhere) at = BestLetterAt(caption, FreeOf(held));
        Mark(caption, at, held);
    }
    ::SetWindowTextW(control, caption.c_str());
}

} // namespace qm
