#include "platform/app_module.h"

namespace qm {

HRESULT AppModule::Init(HINSTANCE instance) {
    instance_ = instance;
    return S_OK;
}

void AppModule::Term() {
    loop_ = nullptr;
    instance_ = nullptr;
}

bool AppModule::AddMessageLoop(MessageLoop* loop) {
    if (loop_) return false;
    loop_ = loop;
    return true;
}

bool AppModule::RemoveMessageLoop() {
    bool had = loop_ != nullptr;
    loop_ = nullptr;
    return had;
}

AppModule& Module() {
    static AppModule module;
    return module;
}

} // namespace qm
