qm_windows_sources(app_module.cpp message_loop.cpp system_library.cpp)
