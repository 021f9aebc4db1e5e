// Loaded into the settings dialog's process by the demo driver's hook (see clipped_texts.h): measures the
// dialog's texts there, where its controls' fonts are, and answers with the report.
#include "clipped_texts.h"
#include "text_fit.h"

#include <string>

namespace {

UINT RequestMessage() {
    static const UINT message = ::RegisterWindowMessageW(clipped_texts::kRequestName);
    return message;
}

void Answer(HWND dialog, HWND replyTo) {
    std::wstring answer = text_fit::ClippedTextsReport(dialog);
    COPYDATASTRUCT data{};
    data.dwData = clipped_texts::kReplyTag;
    data.cbData = static_cast<DWORD>(answer.size() * sizeof(wchar_t));
    data.lpData = answer.data();
    ::SendMessageW(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(dialog), reinterpret_cast<LPARAM>(&data));
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ClippedTextsHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == RequestMessage()) Answer(call->hwnd, reinterpret_cast<HWND>(call->wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
