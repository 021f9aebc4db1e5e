qm_portable_sources(cur_monitor.cpp)
qm_windows_sources(video_memory.cpp)
