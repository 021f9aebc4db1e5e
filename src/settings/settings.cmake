qm_portable_sources(node.cpp typed_value.cpp settings_defaults.cpp playlist_text.cpp store_request.cpp)
qm_windows_sources(node_registry.cpp settings_record.cpp playlist_store.cpp)
