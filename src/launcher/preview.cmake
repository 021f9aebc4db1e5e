qm_windows_sources(preview.cpp)
