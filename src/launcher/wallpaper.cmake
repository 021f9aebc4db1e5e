qm_windows_sources(wallpaper.cpp)
