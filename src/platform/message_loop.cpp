#include "platform/message_loop.h"

namespace qm {

int MessageLoop::Run() {
    MSG msg{};
    for (;;) {
        BOOL result = ::GetMessageW(&msg, nullptr, 0, 0);
        if (result == -1) continue;
        if (result == 0) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace qm
