qm_portable_sources(string_table.cpp format.cpp)
qm_windows_sources(string_table_win.cpp language.cpp error_box.cpp access_keys.cpp)
