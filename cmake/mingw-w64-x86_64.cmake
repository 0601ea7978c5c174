# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the POSIX-thread
# variant, package g++-mingw-w64-x86-64-posix). Only the Qt-free core can be
# built this way, since there is no Qt for MinGW here:
#
#   cmake -S . -B build-mingw -G Ninja -DQM_WITH_QT=OFF \
#       -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Tests run through wine, which CTest starts as the emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QM_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs then run without libstdc++-6.dll and friends
# beside them, under wine as on a Windows machine without MinGW.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(QM_WINE NAMES wine wine64)
if(QM_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QM_WINE})
endif()
