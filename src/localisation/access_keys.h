// Access keys: the underlined letter of a caption that Alt and the letter reach. They are given after
// translation, to the captions as each language words them, so that every language of the table has
// them, including one added later, and the table's texts stay as translators write them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qm {

// The letter a caption marks with '&', upper-cased as the dialog manager compares it; 0 when it marks
// none ("&&" shows an ampersand and marks nothing).
wchar_t AccessKeyOf(const std::wstring& caption);

// Gives each of these direct children of the dialog that has no access key one that no other child of the
// dialog holds, when it is a captioned button other than OK and Cancel, or a shown label in front of a
// list, trackbar or edit box: the first letter of a word where one is free, else another of its letters.
// A key that a text already marks is kept.
void GiveAccessKeys(HWND dialog, const std::vector<HWND>& controls);

// Sets the text of a caption that code words while the dialog runs (a label showing a number): it keeps
// the letter it holds when the new text has it, else it takes one that its siblings leave free.
void SetTextWithAccessKey(HWND control, const std::wstring& text);

} // namespace qm
