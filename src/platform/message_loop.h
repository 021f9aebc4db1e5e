// The thread's message loop: get, translate, dispatch until WM_QUIT.
#pragma once

#include <windows.h>

namespace qm {

class MessageLoop {
  public:
    // Returns the exit code that WM_QUIT carried.
    int Run();
};

} // namespace qm
