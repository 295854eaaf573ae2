# Cross-build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix); the Qt
# build of scripts/qt-windows chains to it through Qt's own toolchain file.
# The -posix compilers are required: the -win32 ones have no std::thread nor std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VERDAN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VERDAN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VERDAN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VERDAN_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VERDAN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime as DLLs (libstdc++-6, libgcc_s_seh-1, libwinpthread-1), as the Qt DLLs load it:
# one runtime in the process, shipped beside the program with Qt's.

# Lets ctest and gtest_discover_tests run the test executable here.
find_program(VERDAN_WINE wine)
if(VERDAN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VERDAN_WINE})
endif()
