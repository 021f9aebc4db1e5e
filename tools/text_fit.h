// Which of a window's controls show a text wider than their box: each text measured in the font its control
// draws it in, against the part of the control the text may use. The demo's report and the tests' check.
#pragma once

#include <windows.h>

#include <string>

namespace text_fit {

// One line per visible direct child of window whose text does not fit, as the demo's report shows it
// (ID  "TEXT"  needs N px, box M px); empty when every text fits. Called on the window's own thread.
std::wstring ClippedTextsReport(HWND window);

} // namespace text_fit
