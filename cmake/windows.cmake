# Windows build: the .scr, the Windows library it is made of, and every test, run under Wine.
enable_language(RC)

# The Wine session (prefix, display) is scripts/common.sh's, shared with the other scripts.
configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE @ONLY)

add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX)
# Static runtime: the program imports Windows system DLLs only.
add_link_options(-static -static-libgcc -static-libstdc++)

set(QM_SYSTEM_LIBS user32 gdi32 advapi32 shell32 ole32 oleaut32 uuid comctl32 comdlg32 d3d9 d3d11)

# The shipped file is optimised for size: a settings dialog gains nothing from -O3's inlining and
# unrolling. The tests link the same objects, so they test what ships. No per-function or per-datum
# sections: the Windows linker script keeps every .eh_frame piece, and each keeps its function, so
# --gc-sections can drop only unreferenced data; and -fdata-sections puts zero-initialised objects into
# .data sections that take room in the file (the settings dialog's display tables alone, about 106 KB).
set(QM_SIZE_FLAGS -Os)
target_compile_options(qm_pugixml PRIVATE ${QM_SIZE_FLAGS})

add_library(qm_core STATIC ${QM_PORTABLE_SOURCES} ${QM_WINDOWS_SOURCES})
target_include_directories(qm_core PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(qm_core PRIVATE ${QM_WARNINGS} ${QM_SIZE_FLAGS})
target_link_libraries(qm_core PUBLIC qm_pugixml ${QM_SYSTEM_LIBS})

# Resources as an object library, so in-process tests carry the same templates, pictures and tables.
# The manifest names the flavour's processor architecture (the toolchain file's QM_MANIFEST_ARCH): a
# 64-bit process is refused the x86 common-controls assembly.
configure_file(${CMAKE_SOURCE_DIR}/resources/app.manifest.in ${CMAKE_BINARY_DIR}/resources/app.manifest @ONLY)
file(GLOB QM_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
list(FILTER QM_RESOURCE_FILES EXCLUDE REGEX "\\.(py|sh|md|in)$")
list(APPEND QM_RESOURCE_FILES ${CMAKE_BINARY_DIR}/resources/app.manifest)
add_library(qm_resources OBJECT ${CMAKE_SOURCE_DIR}/resources/app.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/app.rc PROPERTIES OBJECT_DEPENDS "${QM_RESOURCE_FILES}")
target_include_directories(qm_resources PRIVATE ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/resources)

add_executable(qm_scr WIN32 ${CMAKE_SOURCE_DIR}/src/launcher/main.cpp $<TARGET_OBJECTS:qm_resources>)
set_target_properties(qm_scr PROPERTIES OUTPUT_NAME "${QM_PRODUCT_NAME}" SUFFIX ".scr")
target_compile_options(qm_scr PRIVATE ${QM_WARNINGS} ${QM_SIZE_FLAGS})
# Shipped stripped and without the link time in the PE header, so that a build of one commit is
# byte-identical wherever and whenever it is made, and anyone can check a released file by its hash.
target_link_options(qm_scr PRIVATE -municode -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
target_link_libraries(qm_scr PRIVATE qm_core)

# Windows paths of build outputs as a Wine program sees them (drive Z: is the root).
function(qm_wine_path out unix_path)
  string(REPLACE "/" "\\\\" p "${unix_path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()
qm_wine_path(QM_SCR_WINE_PATH "${CMAKE_BINARY_DIR}/${QM_PRODUCT_NAME}.scr")
qm_wine_path(QM_BUILD_WINE_DIR "${CMAKE_BINARY_DIR}")
qm_wine_path(QM_SOURCE_WINE_DIR "${CMAKE_SOURCE_DIR}")

# The Wine session (prefix, display, persistent wineserver) as a test fixture.
add_test(NAME wine.setup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh start ${CMAKE_BINARY_DIR})
set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine)
add_test(NAME wine.teardown COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh stop ${CMAKE_BINARY_DIR})
set_tests_properties(wine.teardown PROPERTIES FIXTURES_CLEANUP wine)

file(GLOB QM_TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(qm_test_support STATIC ${QM_TEST_SUPPORT_SOURCES})
target_include_directories(qm_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)
target_compile_definitions(qm_test_support PUBLIC
  QM_SCR_PATH=L"${QM_SCR_WINE_PATH}" QM_BUILD_DIR=L"${QM_BUILD_WINE_DIR}"
  QM_SOURCE_DIR=L"${QM_SOURCE_WINE_DIR}" QM_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}")
# qm_text_fit (tools/): the tests measure the dialogs' texts as the demo's report does.
target_link_libraries(qm_test_support PUBLIC qm_core qm_text_fit GTest::gtest GTest::gmock version)

function(qm_add_wine_tests kind)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${kind}/*_test.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(name ${src} NAME_WE)
    set(target ${kind}_${name})
    add_executable(${target} ${src} $<TARGET_OBJECTS:qm_resources>)
    target_compile_options(${target} PRIVATE ${QM_WARNINGS})
    target_link_libraries(${target} PRIVATE qm_test_support GTest::gtest_main)
    add_test(NAME wine.${kind}.${name} COMMAND ${target})
    set_tests_properties(wine.${kind}.${name} PROPERTIES FIXTURES_REQUIRED wine)
    if(kind STREQUAL "e2e")
      add_dependencies(${target} qm_scr)
    endif()
    list(APPEND QM_WINE_TEST_TARGETS ${target})
  endforeach()
  set(QM_WINE_TEST_TARGETS ${QM_WINE_TEST_TARGETS} PARENT_SCOPE)
endfunction()
qm_add_wine_tests(portable)
qm_add_wine_tests(win32)
qm_add_wine_tests(e2e)

# Helpers that tests load or start (planted DLLs, stand-ins): tools/CMakeLists.txt and its folders.
add_subdirectory(tools)
file(GLOB QM_TOOL_LISTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/CMakeLists.txt)
foreach(list_file IN LISTS QM_TOOL_LISTS)
  get_filename_component(dir ${list_file} DIRECTORY)
  get_filename_component(name ${dir} NAME)
  add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/tools/${name})
endforeach()
# What the tests start or load: the stand-in main program (any test may start it), the planted DLL and
# the program that loads it by bare name (the tests of where system DLLs come from).
foreach(target IN LISTS QM_WINE_TEST_TARGETS)
  if(target MATCHES "^(e2e|win32)_")
    add_dependencies(${target} qm_standin)
  endif()
  if(target MATCHES "^e2e_" OR target STREQUAL "win32_platform_test")
    add_dependencies(${target} qm_planted_mpr qm_bare_loader)
  endif()
endforeach()

# The DPI test runs the dialogs' tests at other scales: it changes the prefix's system DPI meanwhile.
add_dependencies(win32_dpi_test win32_settings_dialog_test win32_playlist_dialog_test)
set_tests_properties(wine.win32.dpi_test PROPERTIES RUN_SERIAL TRUE)

# The shipped file imports Windows system DLLs only.
add_test(NAME build.scr_imports_system_dlls_only
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${QM_OBJDUMP} -DFILE=$<TARGET_FILE:qm_scr>
                 -P ${CMAKE_SOURCE_DIR}/cmake/check_imports.cmake)
# ... and stays small.
add_test(NAME build.scr_at_most_600_kb
         COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:qm_scr> -DMAX_BYTES=614400
                 -P ${CMAKE_SOURCE_DIR}/cmake/check_size.cmake)
