qm_windows_sources(main_program.cpp)
