qm_windows_sources(app_module.cpp dpi.cpp message_loop.cpp sha256.cpp system_library.cpp)
