// The application module: the program's instance handle and the message loop of its one thread.
#pragma once

#include <windows.h>

namespace qm {

class MessageLoop;

class AppModule {
  public:
    HRESULT Init(HINSTANCE instance);
    void Term();

    HINSTANCE instance() const { return instance_ ? instance_ : ::GetModuleHandleW(nullptr); }

    bool AddMessageLoop(MessageLoop* loop);
    bool RemoveMessageLoop();
    MessageLoop* GetMessageLoop() const { return loop_; }

  private:
    HINSTANCE instance_ = nullptr;
    MessageLoop* loop_ = nullptr;
};

// The one module object of the process.
AppModule& Module();

} // namespace qm
