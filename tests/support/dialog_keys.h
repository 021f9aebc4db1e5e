// What a keyboard user and a screen reader meet in a running dialog: access keys, the tab order, and the
// names of the controls that have no caption of their own.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace qmtest {

// The characters a caption marks with '&' ("&&" marks none), as it writes them.
std::wstring AccessKeysOf(const std::wstring& caption);

// One line per fault, empty when none: a shown button with a caption (OK and Cancel aside) or a shown
// label in front of an input without exactly one access key; OK or Cancel with one; two controls with one
// key; a label whose key, pressed, does not reach its input (both enabled); Tab out of reading order.
std::wstring KeyboardFaults(HWND dialog);

// By id, the name a screen reader gives each shown list, combo box, trackbar or edit box: the text of the
// static right before it in window order, unless a tab stop or the start of a group comes first.
std::map<int, std::wstring> AccessibleNames(HWND dialog);

} // namespace qmtest
