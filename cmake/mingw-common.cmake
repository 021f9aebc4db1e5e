# The MinGW-w64 cross toolchain of one Windows flavour (posix thread model), tests run under Wine. The
# flavour's toolchain file sets QM_MINGW_TRIPLE, the processor and QM_MANIFEST_ARCH, the manifest's
# processor architecture for the file and the common-controls assembly it binds, then includes this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QM_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(QM_OBJDUMP ${QM_MINGW_TRIPLE}-objdump)
# Every test executable of this build runs through the Wine wrapper the build writes.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
