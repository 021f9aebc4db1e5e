# Each unit lists its files in a src/<subsystem>/*.cmake file with these two functions:
# portable files (no windows.h) build in both builds, Windows files only in the Windows build.
set_property(GLOBAL PROPERTY QM_PORTABLE_SOURCES "")
set_property(GLOBAL PROPERTY QM_WINDOWS_SOURCES "")

function(qm_portable_sources)
  foreach(f IN LISTS ARGN)
    set_property(GLOBAL APPEND PROPERTY QM_PORTABLE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${f})
  endforeach()
endfunction()

function(qm_windows_sources)
  foreach(f IN LISTS ARGN)
    set_property(GLOBAL APPEND PROPERTY QM_WINDOWS_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${f})
  endforeach()
endfunction()

file(GLOB QM_SOURCE_LISTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/*.cmake)
foreach(list_file IN LISTS QM_SOURCE_LISTS)
  include(${list_file})
endforeach()

get_property(QM_PORTABLE_SOURCES GLOBAL PROPERTY QM_PORTABLE_SOURCES)
get_property(QM_WINDOWS_SOURCES GLOBAL PROPERTY QM_WINDOWS_SOURCES)
