qm_windows_sources(registry.cpp)
