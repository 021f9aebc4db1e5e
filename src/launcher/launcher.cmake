qm_portable_sources(command_line.cpp)
qm_windows_sources(modes.cpp change_password.cpp elevated_store.cpp elevation.cpp)
