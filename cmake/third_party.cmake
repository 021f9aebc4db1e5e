# GoogleTest from Debian's sources and pugixml from Debian's source package (wide-character mode),
# compiled with the project's own compiler in either build.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB QM_PUGIXML_DIR LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/third_party/pugixml-*)
if(NOT QM_PUGIXML_DIR OR NOT EXISTS ${QM_PUGIXML_DIR}/src/pugixml.cpp)
  message(FATAL_ERROR "pugixml source package missing: run scripts/bootstrap.sh")
endif()
add_library(qm_pugixml STATIC ${QM_PUGIXML_DIR}/src/pugixml.cpp)
target_include_directories(qm_pugixml SYSTEM PUBLIC ${QM_PUGIXML_DIR}/src)
# PUBLIC, so that every user sees the same declarations as the library was built with. Without the
# stream overloads and XPath nothing of pugixml reaches the run time's iostream and locale code; the
# program loads documents from memory or a file and walks them by hand.
target_compile_definitions(qm_pugixml PUBLIC PUGIXML_WCHAR_MODE PUGIXML_NO_STL PUGIXML_NO_XPATH)
