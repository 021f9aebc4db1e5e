# Native build: the portable code and its tests under AddressSanitizer + UndefinedBehaviorSanitizer,
# and the libFuzzer targets.
set(QM_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_compile_options(${QM_SANITIZE})
add_link_options(${QM_SANITIZE})

add_library(qm_portable STATIC ${QM_PORTABLE_SOURCES})
target_include_directories(qm_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(qm_portable PRIVATE ${QM_WARNINGS})
target_link_libraries(qm_portable PUBLIC qm_pugixml)
# Coverage instrumentation in the code under test, so the fuzzers see inside it.
target_compile_options(qm_portable PRIVATE -fsanitize=fuzzer-no-link)
target_compile_options(qm_pugixml PRIVATE -fsanitize=fuzzer-no-link)

file(GLOB QM_PORTABLE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/portable/*_test.cpp)
foreach(src IN LISTS QM_PORTABLE_TESTS)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_compile_options(${name} PRIVATE ${QM_WARNINGS})
  target_compile_definitions(${name} PRIVATE QM_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE qm_portable GTest::gtest_main GTest::gmock)
  add_test(NAME native.${name} COMMAND ${name})
endforeach()

# Fuzz targets: each also runs briefly as a test, so a crash on the seed inputs fails the suite.
file(GLOB QM_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
foreach(src IN LISTS QM_FUZZERS)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${QM_WARNINGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE qm_portable)
  add_test(NAME native.${name}.smoke COMMAND ${name} -runs=20000 -seed=1)
endforeach()

# The set-up scripts, with stand-ins for apt: no network, no root needed.
add_test(NAME setup.bootstrap_survives_a_half_synced_mirror COMMAND bash ${CMAKE_SOURCE_DIR}/tests/setup/bootstrap_test.sh)
