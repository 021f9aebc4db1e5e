// What a keyboard user and a screen reader meet in a running dialog: access keys, the tab order, and the
// names of the controls that have no caption of their own.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace qmtest {

// The letters a caption marks with '&' ("&&" marks none), upper-cased as the dialog manager compares them.
std::wstring AccessKeysOf(const std::wstring& caption);

// One line per fault, empty when none: a shown button with a caption (OK and Cancel aside) or a shown
// label in front of a list, trackbar or edit box without exactly one access key; OK or Cancel with one;
// two controls with the same key; a label whose key, pressed, leaves the focus elsewhere than on its
// input (both enabled); tab stops out of reading order, in the cycle from the first in reading order.
std::wstring KeyboardFaults(HWND dialog);

// By id, the name a screen reader gives each shown list, combo box and trackbar: the text of the static
// right before it in window order, unless a tab stop or the start of a group comes first; empty if none.
std::map<int, std::wstring> AccessibleNames(HWND dialog);

// Alt and the key, as the dialog's message loop hands it to the dialog manager.
void PressAltKey(HWND dialog, wchar_t key);

} // namespace qmtest
