# Tests of a cross build: GoogleTest compiled from the sources Debian ships, and every test
# program run under Wine in a prefix of the build tree's own (made on first use).
set(PELMORA_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/win32/tools/wine-run.sh
    ${PELMORA_WINEPREFIX})

set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Its own code, not ours: built without our warning flags.
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS "")
set_property(TARGET gtest gtest_main PROPERTY COMPILE_WARNING_AS_ERROR OFF)
