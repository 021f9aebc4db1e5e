// What the demo driver and qm_clipped_texts.dll agree on. A control's font is a handle of the dialog's
// process, so its texts are measured there: the driver hooks the dialog's thread with the DLL
// (WH_CALLWNDPROC), sends the dialog the request message with its reply window as wParam, and the DLL
// answers with one WM_COPYDATA before the request returns.
#pragma once

#include <windows.h>

namespace clipped_texts {

inline constexpr wchar_t kDllName[] = L"qm_clipped_texts.dll";
inline constexpr char kHookName[] = "ClippedTextsHook";
inline constexpr wchar_t kRequestName[] = L"QuillmereDemoClippedTextsRequest";
// COPYDATASTRUCT::dwData of the answer. Its data: UTF-16 text, one line per control whose text is wider
// than its box, as the report shows it (ID  "TEXT"  needs N px, box M px); no lines when every text fits.
inline constexpr ULONG_PTR kReplyTag = 0x434c4950;

} // namespace clipped_texts
