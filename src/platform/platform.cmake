qm_windows_sources(app_module.cpp dpi.cpp message_loop.cpp system_library.cpp)
