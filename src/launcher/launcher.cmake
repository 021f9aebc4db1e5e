qm_portable_sources(command_line.cpp)
qm_windows_sources(modes.cpp change_password.cpp preview_stub.cpp configure_stub.cpp)
