qm_portable_sources(cur_monitor.cpp controller_match.cpp)
qm_windows_sources(video_memory.cpp)
