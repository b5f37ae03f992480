# Cross-builds Deckshift for 64-bit Windows with MinGW-w64 (the POSIX-threads flavour, whose
# libstdc++ has std::thread and friends).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DDECKSHIFT_BUILD_UI=OFF
#
# The programs are linked statically (libstdc++, libgcc, winpthread), so each .exe runs on
# Windows or under Wine without the compiler's DLLs beside it. Tests need an emulator to run on
# the build machine: CMAKE_CROSSCOMPILING_EMULATOR may name the Wine loader.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DECKSHIFT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DECKSHIFT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DECKSHIFT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DECKSHIFT_MINGW_TRIPLE}-windres)

# Libraries and headers of the target come from the MinGW sysroot only; programs run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${DECKSHIFT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The test programs cannot run at build time: their tests are listed when ctest runs instead.
if(NOT DEFINED CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE)
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
